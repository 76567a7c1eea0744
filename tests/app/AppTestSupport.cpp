#include "tests/app/AppTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "link/dialog/PortDlg.h"
#include "res/Menu131.h"
#include "res/MessageBox.h"

WindowUnderTest::WindowUnderTest(const std::string& iniContent,
                                 const std::string& defaultFontPath)
{
    if (!iniContent.empty())
        std::ofstream(IniPath()) << iniContent;
    window_ = std::make_unique<CCounterDisplayDlg>(IniPath(), defaultFontPath);
    SetMessageBoxOwner(window_.get());
}

WindowUnderTest::~WindowUnderTest()
{
    SetMessageBoxOwner(nullptr);
    window_.reset();
}

std::string WindowUnderTest::IniPath() const
{
    return folder_.filePath(QStringLiteral("Pelmora.ini")).toStdString();
}

std::string WindowUnderTest::ReadIni() const
{
    std::ifstream file(IniPath());
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

bool WindowUnderTest::Start()
{
    return window_->Start();
}

std::string DefaultFontPath()
{
    return PELMORA_FONT_DIR "/font.bmp";
}

QImage GrabWindow(CCounterDisplayDlg& window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage FontCell(const QImage& font, int cellWidth, int cellHeight, char code, int scale)
{
    const int column = static_cast<unsigned char>(code) >> 4;
    const int row = code & 15;
    const QImage cell = font.copy(column * cellWidth, row * cellHeight, cellWidth, cellHeight)
                            .convertToFormat(QImage::Format_RGB32);
    return cell.scaled(cellWidth * scale, cellHeight * scale, Qt::IgnoreAspectRatio,
                       Qt::FastTransformation);
}

QImage FrequencyDigitArea(CCounterDisplayDlg& window, int position)
{
    const GlyphMetrics metrics =
        window.ReadoutData().With([](ReadoutState& state) { return state.Metrics; });
    const int side = 2 * metrics.Zoom;
    return GrabWindow(window).copy(position * metrics.CellWidth * side, 0,
                                   metrics.CellWidth * side, metrics.CellHeight * side);
}

void OnNextPopup(std::function<void(QMenu&)> check)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    QObject::connect(poll, &QTimer::timeout, [poll, check, deadline] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && menu->isVisible()) {
            poll->stop();
            poll->deleteLater();
            check(*menu);
        } else if (std::chrono::steady_clock::now() > deadline) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start();
}

void RightPress(CCounterDisplayDlg& window)
{
    const QPointF local(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, local, window.mapToGlobal(local), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
}

void ConnectWithDialogDefaults(CCounterDisplayDlg& window)
{
    WhenModal<CPortDlg>([](CPortDlg& dialog) { dialog.OkButton()->click(); });
    window.OnCommand(ID_CONNECT);
}

std::string IniMapping(const CounterPty& tty, int port)
{
    const std::string n = std::to_string(port);
    return "[Port]\nCOM" + n + "=" + tty.SlavePath() + "\nPortNumber=" + n + "\nBaudRate=6\n";
}
