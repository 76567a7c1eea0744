#include "statistics/FiguresPanel.h"

#include "statistics/StatsText.h"

#include <QFormLayout>
#include <QGroupBox>
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

QLabel* ValueLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(QStringLiteral("-"), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAccessibleName(name);
    // Room for the widest value, so that the column keeps its width as figures come.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-1.234e-05 ppm/h0")));
    return label;
}

}  // namespace

FiguresPanel::FiguresPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* offsetBox = new QGroupBox(tr("公称値からの偏差"), this);
    auto* offsetLayout = new QVBoxLayout(offsetBox);
    offsetParts_ = ValueLabel(offsetBox, tr("公称値からの偏差"));
    QFont large = offsetParts_->font();
    large.setPointSizeF(large.pointSizeF() * 2.0);
    large.setBold(true);
    offsetParts_->setFont(large);
    offsetHz_ = ValueLabel(offsetBox, tr("公称値からの偏差 (Hz)"));
    offsetLayout->addWidget(offsetParts_);
    offsetLayout->addWidget(offsetHz_);
    layout->addWidget(offsetBox);

    auto* frequencyBox = new QGroupBox(tr("周波数"), this);
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

    auto* inductanceBox = new QGroupBox(tr("Lメータ"), this);
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
    QLabel* value = ValueLabel(owner, name);
    form.addRow(new QLabel(name, owner), value);
    return value;
}

void FiguresPanel::Show(const StatsView& view, double nominalHz)
{
    const NominalOffset offset = OffsetFromNominal(view.summary.meanHz, nominalHz);
    const bool known = view.summary.count > 0;
    offsetParts_->setText(known ? Text(PartsText(offset.ppm)) : QStringLiteral("-"));
    offsetHz_->setText(known ? WithUnit(SignedFixed(offset.hz, 3), QStringLiteral("Hz")) : QStringLiteral("-"));
    ShowFrequency(view);
    ShowInductance(view.inductance);
}

void FiguresPanel::ShowFrequency(const StatsView& view)
{
    const StabilitySummary& s = view.summary;
    const int decimals = DisplayDecimals(s.stddevHz);
    count_->setText(QString::number(s.count));
    last_->setText(Hz(s.lastHz, 0));
    mean_->setText(Hz(s.meanHz, decimals));
    stddev_->setText(Hz(s.stddevHz, decimals));
    min_->setText(Hz(s.minHz, 0));
    max_->setText(Hz(s.maxHz, 0));
    peakToPeak_->setText(Hz(s.maxHz - s.minHz, 0));
    // The readings averaged are named only while they fall short of the length asked for.
    const bool short_ = view.average.readings > 0 && view.average.readings < view.averageN;
    average_->setText(short_ ? tr("%1 (%2 件)").arg(Hz(view.average.hz, decimals)).arg(view.average.readings)
                             : Hz(view.average.hz, decimals));
    driftHz_->setText(WithUnit(SignedScientific(s.driftHzPerS), QStringLiteral("Hz/s")));
    driftPpm_->setText(WithUnit(SignedScientific(s.driftPpmPerHour), QStringLiteral("ppm/h")));
    elapsed_->setText(Text(DurationText(s.count > 0 ? s.spanS : 0.0)));
    gaps_->setText(QString::number(s.gaps));
}

void FiguresPanel::ShowInductance(const InductanceFigures& l)
{
    lCount_->setText(QString::number(l.count));
    lMean_->setText(Microhenries(l.meanUh));
    lStddev_->setText(Microhenries(l.stddevUh));
    lMin_->setText(Microhenries(l.minUh));
    lMax_->setText(Microhenries(l.maxUh));
}
