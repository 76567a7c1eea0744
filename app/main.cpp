#include <csignal>
#include <cstdio>

#include <QApplication>

#include "app/CommandLine.h"
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

// The read-out repaints a few cells at a time: sent over the X connection they
// cost less than shared memory, whose every paint waits for the server's round trip.
void SendSmallPaintsInline()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

}  // namespace

int main(int argc, char** argv)
{
    // Parsed before any application object: --help and --version need no display.
    const CommandLine commandLine = ParseCommandLine(Arguments(argc, argv));
    std::fputs(commandLine.Output.c_str(), stdout);
    std::fputs(commandLine.Error.c_str(), stderr);
    if (!commandLine.Run)
        return commandLine.ExitCode;
    qInstallMessageHandler(KeepQtQuiet);
    // Past a file size limit a write fails (and the log says so) instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    PreferX11();
    SendSmallPaintsInline();
    QApplication application(argc, argv);
    // Wayland and the desktops match the window to its desktop entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pelmora.Pelmora"));
    CCounterDisplayApp app(commandLine.Options);
    app.InitInstance();
    if (app.EndedBy() != 0) {
        // Ended in order; whoever sent the signal still learns that it ended the program.
        std::signal(app.EndedBy(), SIG_DFL);
        std::raise(app.EndedBy());
    }
    return 0;
}
