#pragma once

#include "settings/StatsSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

// The six settings kept in Pelmora.ini between runs, and the statistics window's. One instance lives for the
// whole program, owned by the main window; it is read once at start and written
// once at the confirmed exit.
//
// Threads: C1 and C2 are read by the receive thread while a record is shown;
// they are changed only while holding the readout lock (display/Readout.h).
// Every other field is touched by the window thread alone.
struct AppSettings {
    int32_t TopMost = 0;
    std::string FontPath;  // held whole in memory; the file keeps 255 characters
    int32_t PortNumber = 1;
    int32_t BaudIndex = 6;
    double C1 = 0.1;
    double C2 = 0.1;
    StatsSettings Stats{};  // [Stats]; window thread only
};

// The six fields and [Stats] as the content of Pelmora.ini gives them; absent
// keys take their defaults.
AppSettings SettingsFromText(std::string_view content, std::string_view defaultFontPath);

// content with all six fields (and [Stats] when used) written into it, every
// other line kept.
std::string SettingsToText(std::string_view content, const AppSettings& settings);

// Reads all six fields from iniPath; absent keys take their defaults, and so do
// all of them when the file cannot be read.
// defaultFontPath is GetExePath("font/font.bmp") in the program.
void LoadSettings(AppSettings& settings, const std::string& iniPath,
                  const std::string& defaultFontPath);

// Writes all six fields (and [Stats] when used) into iniPath in one replacement, keeping
// every other line of the file. False when the folder cannot be made or the file cannot
// be written, with the system's reason in reason when one is given.
bool SaveSettings(const AppSettings& settings, const std::string& iniPath, std::string* reason = nullptr);

// Language= in [Window]: the language of menus and dialogs ("en"), empty when
// absent. Only read: the program never writes it.
std::string LanguageFromText(std::string_view content);
std::string ReadLanguage(const std::string& iniPath);

// Section [Share], read and never written: Enabled=0 serves no readings to other
// programs; TcpPort=N serves them on 127.0.0.1:N as well (0: not).
struct ShareSettings {
    bool Enabled = true;
    int32_t TcpPort = 0;
};
ShareSettings ReadShareSettings(const std::string& iniPath);
