#include "settings/ProgramFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "settings/AppSettings.h"
#include "settings/ExePath.h"
#include "tests/support/TempDir.h"
#include "tests/support/RowName.h"

namespace fs = std::filesystem;

namespace {

const UserEnvironment kHome{"/home/u", "", ""};
const char* const kShipped = "usr/share/pelmora/font/font.bmp";
const char* const kInstalledExe = "usr/lib/pelmora/Pelmora";
const char* const kHomeIni = "/home/u/.config/Pelmora/Pelmora.ini";
const char* const kHomeFonts = "/home/u/.local/share/pelmora/font";

struct LayoutRow {
    const char* Name;
    std::vector<const char*> Files;  // made below a scratch root; a trailing '/' makes a folder
    const char* Exe;                 // below the root
    UserEnvironment Environment;
    const char* SettingsFile;  // empty: a portable folder, everything beside the executable
    const char* UserFontFolder;
    bool InstalledWithoutHome = false;  // installed, yet no settings file at all
};

void Make(const fs::path& path, bool folder)
{
    fs::create_directories(folder ? path : path.parent_path());
    if (!folder)
        std::ofstream(path) << "BM";
}

class LayoutTest : public testing::TestWithParam<LayoutRow> {};

TEST_P(LayoutTest, FindsSettingsAndFonts)
{
    const LayoutRow& row = GetParam();
    const TempDir root;
    for (const std::string file : row.Files)
        Make(root.File(file), file.ends_with('/'));
    const std::string exe = root.File(row.Exe);
    const ProgramFolders folders = FoldersFor(exe, row.Environment);
    const bool installed = *row.SettingsFile != '\0' || row.InstalledWithoutHome;
    EXPECT_EQ(folders.Installed, installed);
    EXPECT_EQ(folders.SettingsFile, installed ? row.SettingsFile : JoinExeFolder(exe, "Pelmora.ini"));
    EXPECT_EQ(folders.DefaultFont, installed ? root.File(kShipped) : JoinExeFolder(exe, "font/font.bmp"));
    EXPECT_EQ(folders.UserFontFolder, row.UserFontFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutTest,
    testing::Values(
        LayoutRow{"Installed", {kShipped}, kInstalledExe, kHome, kHomeIni, kHomeFonts},
        LayoutRow{"InstalledFollowsXdgFolders", {kShipped}, kInstalledExe, {"/home/u", "/cfg", "/data"},
                  "/cfg/Pelmora/Pelmora.ini", "/data/pelmora/font"},
        LayoutRow{"RelativeXdgFoldersAreIgnored", {kShipped}, kInstalledExe, {"/home/u", "cfg", "data"},
                  kHomeIni, kHomeFonts},
        LayoutRow{"InstalledWithoutHomeKeepsNothing", {kShipped}, kInstalledExe, {"", "cfg", ""}, "", "", true},
        LayoutRow{"ReplacedWhileRunning", {kShipped}, "usr/lib/pelmora/Pelmora (deleted)", kHome, kHomeIni,
                  kHomeFonts},
        LayoutRow{"BuildFolderHoldingSharePelmoraStaysPortable",
                  {"build/font/font.bmp", "build/share/pelmora/font/font.bmp"}, "build/Pelmora", kHome, "", ""},
        LayoutRow{"MultiarchLibraryFolderIsPortable", {kShipped}, "usr/lib/x86_64-linux-gnu/pelmora/Pelmora",
                  kHome, "", ""},
        LayoutRow{"FolderOnlyEndingInLibIsPortable", {"usr/my/share/pelmora/font/font.bmp"},
                  "usr/mylib/pelmora/Pelmora", kHome, "", ""},
        LayoutRow{"WithoutShippedFontIsPortable", {"usr/share/pelmora/font/lcd.bmp"}, kInstalledExe, kHome, "", ""},
        LayoutRow{"ShippedFontThatIsAFolderIsPortable", {"usr/share/pelmora/font/font.bmp/"}, kInstalledExe,
                  kHome, "", ""}), kRowName);

TEST(ProgramFoldersTest, TestProgramRunsFromAPortableFolder)
{
    const ProgramFolders folders = CurrentProgramFolders();
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.SettingsFile, GetExePath("Pelmora.ini"));
}

TEST(ProgramFoldersTest, UserFontsFollowTheShippedOnes)
{
    using Patterns = std::vector<std::string>;
    EXPECT_EQ(FontPatterns("/p/font/font.bmp", ""), Patterns{"/p/font/*.bmp"});
    EXPECT_EQ(FontPatterns("/p/font/font.bmp", "/u/font"), (Patterns{"/p/font/*.bmp", "/u/font/*.bmp"}));
}

TEST(ProgramFoldersTest, FirstSaveMakesPrivateSettingsFolders)
{
    const TempDir root;
    SaveSettings(AppSettings{}, root.File("config/Pelmora/Pelmora.ini"));
    EXPECT_TRUE(fs::is_regular_file(root.File("config/Pelmora/Pelmora.ini")));
    for (const char* folder : {"config", "config/Pelmora"}) {
        struct stat status {};
        ASSERT_EQ(::stat(root.File(folder).c_str(), &status), 0) << folder;
        EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
    }
    root.Write("blocker", "x");
    EXPECT_FALSE(MakeFolderFor(root.File("blocker/sub/Pelmora.ini")));
}

}  // namespace
