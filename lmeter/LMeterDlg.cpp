#include "lmeter/LMeterDlg.h"

#include <charconv>
#include <cmath>
#include <limits>

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

#include "display/Readout.h"
#include "res/Bitmap133.h"
#include "res/DialogUnits.h"
#include "res/MessageBox.h"

namespace {

constexpr std::string_view kBlanks = " \t\n\v\f\r";

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool StartsNumber(char c)
{
    return (c >= '0' && c <= '9') || c == '.';
}

// The schematic, at 1:1 when it fits inside the frame, else scaled down.
QPixmap SchematicFor(const QLabel& frame)
{
    const QImage image = Bitmap133();
    const QSize room = frame.contentsRect().size();
    if (image.width() <= room.width() && image.height() <= room.height())
        return QPixmap::fromImage(image);
    return QPixmap::fromImage(
        image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

std::string FormatExchangeDouble(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<double> ParseExchangeDouble(std::string_view text)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const std::string_view digits = (!text.empty() && text.front() == '-') ? text.substr(1) : text;
    // from_chars would also take "inf" and "nan", which are no decimal numbers.
    if (digits.empty() || !StartsNumber(digits.front()))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || error == std::errc::invalid_argument)
        return std::nullopt;
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<double>::infinity();  // no range admits it
    return value;
}

CLMeterDlg::CLMeterDlg(QWidget* owner)
    : QDialog(owner, kDialogFrame)
{
    setWindowTitle(tr("Lメータ設定"));
    CreateControls();
}

void CLMeterDlg::CreateControls()
{
    const DialogTemplate layout(*this, 215, 152);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    layout.Place(ok, "IDOK", 150, 109, 58, 14);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    layout.Place(cancel, "IDCANCEL", 150, 131, 58, 14);
    layout.Place(new QLabel(tr("C1の値"), this), "labelC1", 149, 11, 23, 8);
    layout.Place(new QLabel(tr("C2の値"), this), "labelC2", 149, 44, 23, 8);
    m_editC1 = new QLineEdit(this);
    layout.Place(m_editC1, "edit1016", 156, 23, 40, 12);
    m_editC2 = new QLineEdit(this);
    layout.Place(m_editC2, "edit1017", 156, 56, 40, 12);
    layout.Place(new QLabel(QStringLiteral("uF"), this), "unitC1", 199, 25, 8, 8);
    layout.Place(new QLabel(QStringLiteral("uF"), this), "unitC2", 199, 58, 8, 8);
    auto* picture = new QLabel(this);
    layout.Place(picture, "picture133", 7, 7, 137, 137);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(1);
    picture->setAlignment(Qt::AlignCenter);
    QPalette white = picture->palette();
    white.setColor(QPalette::Window, Qt::white);
    picture->setPalette(white);
    picture->setAutoFillBackground(true);
    picture->setPixmap(SchematicFor(*picture));
    for (auto* label : findChildren<QLabel*>())
        if (label != picture)
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(ok, &QPushButton::clicked, this, &CLMeterDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CLMeterDlg::reject);
}

void CLMeterDlg::showEvent(QShowEvent* event)
{
    // A restore from minimised is spontaneous and must not overwrite what the user typed.
    if (!event->spontaneous())
        DoDataExchange(false);
    QDialog::showEvent(event);
}

void CLMeterDlg::accept()
{
    if (DoDataExchange(true))
        QDialog::accept();
}

bool CLMeterDlg::DoDataExchange(bool saveAndValidate)
{
    if (!saveAndValidate) {
        m_editC1->setText(QString::fromStdString(FormatExchangeDouble(m_dC1)));
        m_editC2->setText(QString::fromStdString(FormatExchangeDouble(m_dC2)));
        return true;
    }
    double c1 = m_dC1;
    double c2 = m_dC2;
    if (!ExchangeField(m_editC1, QStringLiteral("C1"), c1) ||
        !ExchangeField(m_editC2, QStringLiteral("C2"), c2))
        return false;
    m_dC1 = c1;
    m_dC2 = c2;
    return true;
}

bool CLMeterDlg::ExchangeField(QLineEdit* edit, const QString& name, double& field)
{
    const std::optional<double> value = ParseExchangeDouble(edit->text().toStdString());
    QString problem;
    if (!value)
        problem = tr("%1の値には数値を入力してください。").arg(name);
    else if (!(*value >= kCapacitanceMin && *value <= kCapacitanceMax))
        problem = tr("%1の値には 0.000001 から 100 までの数値を入力してください。").arg(name);
    if (problem.isEmpty()) {
        field = *value;
        return true;
    }
    AfxMessageBox(problem, MB_ICONEXCLAMATION);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

void OnLMeterSettingsDialog(QWidget* owner, Readout& readout)
{
    CLMeterDlg dialog(owner);
    readout.With([&](ReadoutState& state) {
        dialog.m_dC1 = state.C1;
        dialog.m_dC2 = state.C2;
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    readout.With([&](ReadoutState& state) {
        state.C1 = dialog.m_dC1;
        state.C2 = dialog.m_dC2;
    });
}
