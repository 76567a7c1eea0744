#pragma once

// The application object: runs the main window and ends with it.
class CCounterDisplayApp {
public:
    // Constructs the main window, registers it, runs it until it ends and
    // returns false: there is nothing to run afterwards.
    bool InitInstance();
};
