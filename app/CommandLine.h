#pragma once

#include <string>

#include <QStringList>

// What the command line asks of a run that opens the window.
struct CommandLineOptions {
    // "ja" or "en"; empty when --lang is not given, so the settings file decides.
    std::string Language;
    // --log: the CSV file the window records readings to; empty for no log.
    std::string LogPath;
    // --stats: the statistics window opens with the read-out.
    bool Stats = false;
    // --serve-tcp: the readings are served on 127.0.0.1 at this port too; 0 when not given.
    int ServeTcp = 0;
};

// The outcome of parsing: either options to run with, or an end right away
// (--help, --version, a wrong option) with the text to print and the exit code.
struct CommandLine {
    bool Run = true;
    int ExitCode = 0;
    std::string Output;  // for stdout, ends with a line break when not empty
    std::string Error;   // for stderr, one line
    CommandLineOptions Options;
};

// Parses arguments (the program name first) without needing a display or an
// application object. Exit code 2 for an unknown option, a missing value, an
// unsupported language or a stray argument.
CommandLine ParseCommandLine(const QStringList& arguments);

// The languages the program speaks; the first is the default.
inline constexpr const char* kLanguages[] = {"ja", "en"};
