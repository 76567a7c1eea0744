#include "statistics/FiguresPanel.h"

#include "statistics/CachedGroupBox.h"
#include "statistics/StatsText.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// The value with its unit; a value that cannot be had is a lone dash.
QString WithUnit(const std::string& value, const QString& unit)
{
    return value == "-" ? QStringLiteral("-") : Text(value) + QLatin1Char(' ') + unit;
}

QString Hz(double value, int decimals)
{
    return WithUnit(FixedText(value, decimals), QStringLiteral("Hz"));
}

// Three decimals as the read-out's inductance line, or three significant digits below.
QString Microhenries(double value)
{
    const bool small = value != 0.0 && std::fabs(value) < 0.1;
    std::string text = small ? SignedScientific(value) : FixedText(value, 3);
    if (small && text.front() == '+')
        text.erase(0, 1);
    return WithUnit(text, QStringLiteral("µH"));
}

// A value label has a fixed size, so that a new value repaints the label alone and lays
// nothing out again; it starts with room for the usual widest value.
QLabel* ValueLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(QStringLiteral("-"), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAccessibleName(name);
    label->setFixedHeight(label->sizeHint().height());
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-1.234e-05 ppm/h0")));
    return label;
}

// The width of text as the sum of its characters' advances, as wide as the shaped text
// for figures and units: shaping it costs tens of microseconds with some fonts.
int AdvanceSum(const QFontMetrics& metrics, const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += metrics.horizontalAdvance(c);
    return width;
}

// Only a text that changed is set; the label widens, for good, when the text needs it.
void SetValue(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    const int needed = AdvanceSum(label->fontMetrics(), text) + 2;
    if (needed > label->width())
        label->setFixedWidth(needed);
    label->setText(text);
}

}  // namespace

FiguresPanel::FiguresPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* offsetBox = new CachedGroupBox(tr("公称値からの偏差"), this);
    auto* offsetLayout = new QVBoxLayout(offsetBox);
    offsetParts_ = NewValue(offsetBox, tr("公称値からの偏差"));
    QFont large = offsetParts_->font();
    large.setPointSizeF(large.pointSizeF() * 2.0);
    large.setBold(true);
    offsetParts_->setFont(large);
    offsetParts_->setFixedSize(offsetParts_->fontMetrics().horizontalAdvance(QStringLiteral("+123.456 ppm0")),
                               offsetParts_->sizeHint().height());
    offsetHz_ = NewValue(offsetBox, tr("公称値からの偏差 (Hz)"));
    offsetLayout->addWidget(offsetParts_, 0, Qt::AlignRight);
    offsetLayout->addWidget(offsetHz_, 0, Qt::AlignRight);
    layout->addWidget(offsetBox);

    auto* frequencyBox = new CachedGroupBox(tr("周波数"), this);
    auto* form = new QFormLayout(frequencyBox);
    count_ = AddRow(*form, tr("件数"));
    last_ = AddRow(*form, tr("最新値"));
    mean_ = AddRow(*form, tr("平均"));
    stddev_ = AddRow(*form, tr("標準偏差"));
    min_ = AddRow(*form, tr("最小"));
    max_ = AddRow(*form, tr("最大"));
    peakToPeak_ = AddRow(*form, tr("最大 − 最小"));
    average_ = AddRow(*form, tr("移動平均"));
    driftHz_ = AddRow(*form, tr("ドリフト"));
    driftPpm_ = AddRow(*form, tr("ドリフト (ppm/h)"));
    elapsed_ = AddRow(*form, tr("経過時間"));
    gaps_ = AddRow(*form, tr("欠測"));
    layout->addWidget(frequencyBox);

    auto* inductanceBox = new CachedGroupBox(tr("Lメータ"), this);
    auto* lForm = new QFormLayout(inductanceBox);
    lCount_ = AddRow(*lForm, tr("件数"));
    lMean_ = AddRow(*lForm, tr("平均"));
    lStddev_ = AddRow(*lForm, tr("標準偏差"));
    lMin_ = AddRow(*lForm, tr("最小"));
    lMax_ = AddRow(*lForm, tr("最大"));
    layout->addWidget(inductanceBox);
    layout->addStretch(1);
}

QLabel* FiguresPanel::AddRow(QFormLayout& form, const QString& name)
{
    QWidget* owner = form.parentWidget();
    QLabel* value = NewValue(owner, name);
    form.addRow(new QLabel(name, owner), value);
    form.itemAt(form.rowCount() - 1, QFormLayout::FieldRole)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return value;
}

QLabel* FiguresPanel::NewValue(QWidget* parent, const QString& name)
{
    values_.push_back(ValueLabel(parent, name));
    return values_.back();
}

// A selectable label lays its text out as a document at every change, many times the
// cost of a plain one, and a value that changes loses its selection at once.
void FiguresPanel::SetSelectable(bool selectable)
{
    for (QLabel* value : values_)
        value->setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
}

void FiguresPanel::Show(const StatsView& view, double nominalHz)
{
    const NominalOffset offset = OffsetFromNominal(view.summary.meanHz, nominalHz);
    const bool known = view.summary.count > 0;
    SetValue(offsetParts_, known ? Text(PartsText(offset.ppm)) : QStringLiteral("-"));
    SetValue(offsetHz_, known ? WithUnit(SignedFixed(offset.hz, 3), QStringLiteral("Hz")) : QStringLiteral("-"));
    ShowFrequency(view);
    ShowInductance(view.inductance);
}

void FiguresPanel::ShowFrequency(const StatsView& view)
{
    const StabilitySummary& s = view.summary;
    const int decimals = DisplayDecimals(s.stddevHz);
    SetValue(count_, QString::number(s.count));
    SetValue(last_, Hz(s.lastHz, 0));
    SetValue(mean_, Hz(s.meanHz, decimals));
    SetValue(stddev_, Hz(s.stddevHz, decimals));
    SetValue(min_, Hz(s.minHz, 0));
    SetValue(max_, Hz(s.maxHz, 0));
    SetValue(peakToPeak_, Hz(s.maxHz - s.minHz, 0));
    // The readings averaged are named only while they fall short of the length asked for.
    const bool short_ = view.average.readings > 0 && view.average.readings < view.averageN;
    SetValue(average_, short_ ? tr("%1 (%2 件)").arg(Hz(view.average.hz, decimals)).arg(view.average.readings)
                              : Hz(view.average.hz, decimals));
    SetValue(driftHz_, WithUnit(SignedScientific(s.driftHzPerS), QStringLiteral("Hz/s")));
    SetValue(driftPpm_, WithUnit(SignedScientific(s.driftPpmPerHour), QStringLiteral("ppm/h")));
    SetValue(elapsed_, Text(DurationText(s.count > 0 ? s.spanS : 0.0)));
    SetValue(gaps_, QString::number(s.gaps));
}

void FiguresPanel::ShowInductance(const InductanceFigures& l)
{
    SetValue(lCount_, QString::number(l.count));
    SetValue(lMean_, Microhenries(l.meanUh));
    SetValue(lStddev_, Microhenries(l.stddevUh));
    SetValue(lMin_, Microhenries(l.minUh));
    SetValue(lMax_, Microhenries(l.maxUh));
}
