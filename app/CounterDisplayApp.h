#pragma once

#include <optional>
#include <string>
#include <utility>

#include "app/CommandLine.h"

class CCounterDisplayDlg;
class ShareSink;

// The application object: runs the main window and ends with it.
class CCounterDisplayApp {
public:
    explicit CCounterDisplayApp(CommandLineOptions options = {}) : options_(std::move(options)) {}

    // Installs the chosen language, constructs the main window, registers it,
    // runs it until it ends and returns false: there is nothing to run afterwards.
    bool InitInstance();
    // The signal that ended the window (SIGTERM, SIGINT, SIGHUP); 0 when it was not one.
    int EndedBy() const { return endedBy_; }

private:
    // Registers the sink that serves the window's readings to other programs.
    void ShareReadings(std::optional<ShareSink>& share, CCounterDisplayDlg& dialog, const std::string& iniPath) const;

    CommandLineOptions options_;
    int endedBy_ = 0;
};
