#pragma once

class CCounterDisplayDlg;

// The application's main window, registered before it runs and cleared when
// it is destroyed. Safe to read from the receive thread: the pointer is
// atomic, and the window outlives every receive thread it starts.
CCounterDisplayDlg* GetMainWnd();
void SetMainWnd(CCounterDisplayDlg* window);
