#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "system/SysResult.h"

// Where the program keeps its settings and finds its fonts. It runs in one of
// two layouts, told apart by the folders around the executable alone:
//   installed: <X>/lib/pelmora/Pelmora with <X>/share/pelmora/font/font.bmp;
//              settings in the user's configuration folder, fonts shipped in
//              <X>/share/pelmora/font/ plus the user's own;
//   portable:  anything else; Pelmora.ini and font/ beside the executable.

// The environment values the installed layout follows; empty when unset.
struct UserEnvironment {
    std::string Home;
    std::string ConfigHome;  // XDG_CONFIG_HOME
    std::string DataHome;    // XDG_DATA_HOME
};

struct ProgramFolders {
    bool Installed = false;
    std::string SettingsFile;    // empty when installed without a home folder: nothing is kept
    std::string DefaultFont;
    std::string UserFontFolder;  // empty for a portable folder, and without a home folder
};

// How the user knows the installed settings file when no home folder gives its path.
inline constexpr char kHomeSettingsFile[] = "~/.config/Pelmora/Pelmora.ini";

// The layout of the executable at exePath (as /proc/self/exe gives it).
ProgramFolders FoldersFor(std::string_view exePath, const UserEnvironment& environment);

// The running program's environment: HOME (else the user's entry in the user
// database), XDG_CONFIG_HOME, XDG_DATA_HOME.
UserEnvironment CurrentUserEnvironment();

// The same for the running program and its environment.
ProgramFolders CurrentProgramFolders();

// The wildcards the font dialog lists, in order: the default font's folder,
// then the user's folder, whose fonts win over shipped ones of the same name.
std::vector<std::string> FontPatterns(const std::string& defaultFontPath,
                                      const std::string& userFontFolder);

// Makes the folder that holds file, and every missing folder above it, as
// private folders (mode 0700). Ok when the folder exists afterwards.
SysStatus MakeFolderFor(const std::string& file);
