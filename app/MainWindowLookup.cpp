#include "app/MainWindowLookup.h"

#include <atomic>

namespace {

std::atomic<CCounterDisplayDlg*>& MainWindow()
{
    static std::atomic<CCounterDisplayDlg*> window{nullptr};  // atomic: read by both threads
    return window;
}

}  // namespace

CCounterDisplayDlg* GetMainWnd()
{
    return MainWindow().load();
}

void SetMainWnd(CCounterDisplayDlg* window)
{
    MainWindow().store(window);
}
