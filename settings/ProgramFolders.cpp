#include "settings/ProgramFolders.h"

#include "settings/ExePath.h"
#include "system/FileCalls.h"
#include "system/ProcessFacts.h"
#include "system/UserFacts.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::string_view kInstalledFolder = "/lib/pelmora";
constexpr std::string_view kShippedFonts = "/share/pelmora/font";

std::string_view FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

bool IsRegularFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// <X> of an executable in <X>/lib/pelmora beside <X>/share/pelmora/font/font.bmp.
bool FindInstalledPrefix(std::string_view exePath, std::string& prefix)
{
    const std::string_view folder = FolderOf(exePath);
    if (!folder.ends_with(kInstalledFolder))
        return false;
    prefix = folder.substr(0, folder.size() - kInstalledFolder.size());
    return IsRegularFile(prefix + std::string(kShippedFonts) + "/font.bmp");
}

// An XDG base folder: the variable's value when it is an absolute path, else the default
// below home; empty without either (never a folder below the root).
std::string BaseFolder(const std::string& value, const std::string& home, std::string_view fallback)
{
    if (value.starts_with('/'))
        return value;
    return home.starts_with('/') ? home + std::string(fallback) : std::string();
}

std::string Below(const std::string& base, std::string_view path)
{
    return base.empty() ? base : base + std::string(path);
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    return UserDatabaseHome();
}

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

ProgramFolders FoldersFor(std::string_view exePath, const UserEnvironment& environment)
{
    std::string prefix;
    if (!FindInstalledPrefix(exePath, prefix))
        return {false, JoinExeFolder(exePath, "Pelmora.ini"), JoinExeFolder(exePath, "font/font.bmp"), ""};
    const std::string config = BaseFolder(environment.ConfigHome, environment.Home, "/.config");
    const std::string data = BaseFolder(environment.DataHome, environment.Home, "/.local/share");
    return {true, Below(config, "/Pelmora/Pelmora.ini"), prefix + std::string(kShippedFonts) + "/font.bmp",
            Below(data, "/pelmora/font")};
}

UserEnvironment CurrentUserEnvironment()
{
    return {HomeFolder(), Variable("XDG_CONFIG_HOME"), Variable("XDG_DATA_HOME")};
}

ProgramFolders CurrentProgramFolders()
{
    return FoldersFor(OwnExecutable(), CurrentUserEnvironment());
}

std::vector<std::string> FontPatterns(const std::string& defaultFontPath,
                                      const std::string& userFontFolder)
{
    std::vector<std::string> patterns{
        (std::filesystem::path(defaultFontPath).parent_path() / "*.bmp").string()};
    if (!userFontFolder.empty())
        patterns.push_back(userFontFolder + "/*.bmp");
    return patterns;
}

SysStatus MakeFolderFor(const std::string& file)
{
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty())
        return Done{};
    std::filesystem::path reached;
    for (const std::filesystem::path& name : folder) {
        reached /= name;
        const SysStatus made = MakeFolder(reached.native(), 0700);
        if (!made && made.Error().Code != EEXIST)
            return made;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return SysError{EEXIST};
    return Done{};
}
