#include "settings/ProgramFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <vector>

#include "settings/AppSettings.h"
#include "settings/ExePath.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

const UserEnvironment kHomeOnly{"/home/u", "", ""};

struct LayoutRow {
    const char* Name;
    std::vector<const char*> Files;  // made below the scratch root; a trailing '/' makes a folder
    const char* Exe;                 // below the root; empty: the executable is unknown
    UserEnvironment Environment;
    bool Installed;
    // "@" stands for the scratch root.
    const char* SettingsFile;
    const char* DefaultFont;
    const char* UserFontFolder;
};

std::string Rooted(const std::string& root, std::string text)
{
    if (const auto at = text.find('@'); at != std::string::npos)
        text.replace(at, 1, root);
    return text;
}

void Make(const std::string& root, const std::string& name)
{
    const fs::path path = root + "/" + name;
    if (name.ends_with('/'))
        return void(fs::create_directories(path));
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "BM";
}

class LayoutTest : public testing::TestWithParam<LayoutRow> {};

TEST_P(LayoutTest, FindsSettingsAndFonts)
{
    const LayoutRow& row = GetParam();
    const TempFolder root;
    for (const char* file : row.Files)
        Make(root.Path(), file);
    const std::string exe = *row.Exe ? root.Path() + "/" + row.Exe : "";
    const ProgramFolders folders = FoldersFor(exe, row.Environment);
    EXPECT_EQ(folders.Installed, row.Installed);
    EXPECT_EQ(folders.SettingsFile, Rooted(root.Path(), row.SettingsFile));
    EXPECT_EQ(folders.DefaultFont, Rooted(root.Path(), row.DefaultFont));
    EXPECT_EQ(folders.UserFontFolder, Rooted(root.Path(), row.UserFontFolder));
}

const char* const kShipped = "usr/share/pelmora/font/font.bmp";

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutTest,
    testing::Values(
        LayoutRow{"Installed", {kShipped}, "usr/lib/pelmora/Pelmora", kHomeOnly, true,
                  "/home/u/.config/Pelmora/Pelmora.ini", "@/usr/share/pelmora/font/font.bmp",
                  "/home/u/.local/share/pelmora/font"},
        LayoutRow{"InstalledFollowsXdgFolders", {kShipped}, "usr/lib/pelmora/Pelmora",
                  {"/home/u", "/cfg", "/data"}, true, "/cfg/Pelmora/Pelmora.ini",
                  "@/usr/share/pelmora/font/font.bmp", "/data/pelmora/font"},
        LayoutRow{"RelativeXdgFoldersAreIgnored", {kShipped}, "usr/lib/pelmora/Pelmora",
                  {"/home/u", "cfg", "data"}, true, "/home/u/.config/Pelmora/Pelmora.ini",
                  "@/usr/share/pelmora/font/font.bmp", "/home/u/.local/share/pelmora/font"},
        LayoutRow{"ReplacedWhileRunning", {kShipped}, "usr/lib/pelmora/Pelmora (deleted)", kHomeOnly,
                  true, "/home/u/.config/Pelmora/Pelmora.ini", "@/usr/share/pelmora/font/font.bmp",
                  "/home/u/.local/share/pelmora/font"},
        LayoutRow{"BuildFolderHoldingSharePelmoraStaysPortable",
                  {"build/font/font.bmp", "build/share/pelmora/font/font.bmp"}, "build/Pelmora",
                  kHomeOnly, false, "@/build/Pelmora.ini", "@/build/font/font.bmp", ""},
        LayoutRow{"MultiarchLibraryFolderIsPortable", {kShipped},
                  "usr/lib/x86_64-linux-gnu/pelmora/Pelmora", kHomeOnly, false,
                  "@/usr/lib/x86_64-linux-gnu/pelmora/Pelmora.ini",
                  "@/usr/lib/x86_64-linux-gnu/pelmora/font/font.bmp", ""},
        LayoutRow{"FolderOnlyEndingInLibIsPortable", {"usr/my/share/pelmora/font/font.bmp"},
                  "usr/mylib/pelmora/Pelmora", kHomeOnly, false, "@/usr/mylib/pelmora/Pelmora.ini",
                  "@/usr/mylib/pelmora/font/font.bmp", ""},
        LayoutRow{"WithoutShippedFontIsPortable", {"usr/share/pelmora/font/lcd.bmp"},
                  "usr/lib/pelmora/Pelmora", kHomeOnly, false, "@/usr/lib/pelmora/Pelmora.ini",
                  "@/usr/lib/pelmora/font/font.bmp", ""},
        LayoutRow{"ShippedFontThatIsAFolderIsPortable", {"usr/share/pelmora/font/font.bmp/"},
                  "usr/lib/pelmora/Pelmora", kHomeOnly, false, "@/usr/lib/pelmora/Pelmora.ini",
                  "@/usr/lib/pelmora/font/font.bmp", ""},
        LayoutRow{"UnknownExecutable", {}, "", kHomeOnly, false, "Pelmora.ini", "font/font.bmp", ""}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ProgramFoldersTest, TestProgramRunsFromAPortableFolder)
{
    const ProgramFolders folders = CurrentProgramFolders();
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.SettingsFile, GetExePath("Pelmora.ini"));
    EXPECT_EQ(folders.DefaultFont, GetExePath("font/font.bmp"));
}

TEST(ProgramFoldersTest, UserFontsFollowTheShippedOnes)
{
    using Patterns = std::vector<std::string>;
    EXPECT_EQ(FontPatterns("/p/font/font.bmp", ""), Patterns{"/p/font/*.bmp"});
    EXPECT_EQ(FontPatterns("/p/font/font.bmp", "/u/font"), (Patterns{"/p/font/*.bmp", "/u/font/*.bmp"}));
    EXPECT_EQ(FontPatterns("font.bmp", ""), Patterns{"*.bmp"});
}

TEST(ProgramFoldersTest, FirstSaveMakesPrivateSettingsFolders)
{
    const TempFolder root;
    const std::string ini = root.File("config/Pelmora/Pelmora.ini");
    SaveSettings(AppSettings{}, ini);
    EXPECT_TRUE(fs::is_regular_file(ini));
    for (const char* folder : {"config", "config/Pelmora"}) {
        struct stat status {};
        ASSERT_EQ(::stat(root.File(folder).c_str(), &status), 0) << folder;
        EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_TRUE(MakeFolderFor(ini));  // already there
    root.Write("blocker", "x");
    EXPECT_FALSE(MakeFolderFor(root.File("blocker/sub/Pelmora.ini")));
}

}  // namespace
