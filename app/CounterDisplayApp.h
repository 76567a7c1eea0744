#pragma once

#include <string>

// The application object: runs the main window and ends with it.
class CCounterDisplayApp {
public:
    // Constructs the main window, registers it, runs it until it ends and
    // returns false: there is nothing to run afterwards.
    bool InitInstance();

    // The CSV file the window logs every accepted record into; none when empty.
    void SetLogPath(std::string path) { logPath_ = std::move(path); }

private:
    std::string logPath_;
};
