#include <QApplication>

#include "app/CounterDisplayApp.h"

namespace {

// A Wayland client may neither place itself nor stay on top: ask for XWayland.
void PreferX11()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

}  // namespace

int main(int argc, char** argv)
{
    PreferX11();
    QApplication application(argc, argv);
    CCounterDisplayApp app;
    app.InitInstance();
    return 0;
}
