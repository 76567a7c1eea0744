#include <cstdio>

#include <QApplication>

#include "app/CounterDisplayApp.h"

namespace {

// A Wayland client may neither place itself nor stay on top: ask for XWayland, else Wayland.
void PreferX11()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

// Qt's own diagnostics (a malformed font bitmap makes its BMP reader warn) are
// no output of the program's; only a fatal one, which ends it, is still shown.
void KeepQtQuiet(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(KeepQtQuiet);
    PreferX11();
    QApplication application(argc, argv);
    // Wayland and the desktops match the window to its desktop entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pelmora.Pelmora"));
    CCounterDisplayApp app;
    // The command line's --log FILE reaches the window here, through app.SetLogPath(path).
    app.InitInstance();
    return 0;
}
