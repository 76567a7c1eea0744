#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "app/CommandTexts.h"
#include "res/Menu131.h"
#include "settings/AppSettings.h"
#include "settings/FileStore.h"
#include "tests/app/AppTestSupport.h"
#include "tests/fuzz/OwnedLines.h"
#include "tests/soak/SoakSupport.h"
#include "tests/support/RowName.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr std::size_t kLongLine = 100000;

enum class AfterExit { Rewritten, KeptByteForByte, StaysDirectory };

// A damaged or guarded settings file, the values the program must start
// with, and what its confirmed exit must leave.
struct SettingsFault {
    const char* Name;
    void (*Prepare)(const std::string& iniPath);
    bool AsOrdinaryUser;
    int32_t TopMost;
    int32_t PortNumber;
    double C1;
    AfterExit Outcome;
};

std::string FolderOf(const std::string& path)
{
    return fs::path(path).parent_path().string();
}

std::string RandomBytes(std::size_t count)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(random));
    return bytes;
}

void BinaryGarbage(const std::string& ini)
{
    WriteWholeFile(ini, "[Window]\nTopMost=1\n" + RandomBytes(64 * 1024));
}

void TenMegabytes(const std::string& ini)
{
    std::string content = "[Port]\nPortNumber=3\n";
    const std::string line = "; a note the user keeps in the file, kept as it is ........\n";
    while (content.size() < 10u * 1024u * 1024u)
        content += line;
    WriteWholeFile(ini, content);
}

void HundredThousandCharacterLines(const std::string& ini)
{
    const std::string x(kLongLine, 'x');
    WriteWholeFile(ini, "; " + x + "\n[Font]\nFont=" + std::string(kLongLine, 'f') + "\n" +
                            std::string(kLongLine, 'k') + "=v\n[LMeter]\nC1=2.5\n[" +
                            std::string(kLongLine, 'S') + "]\nuser=" + x + "\n");
}

void Directory(const std::string& ini)
{
    fs::create_directory(ini);
}

void Oversized(const std::string& ini)
{
    WriteWholeFile(ini, "[Window]\nTopMost=1\n");
    fs::resize_file(ini, kMaxSettingsFileSize + 1);
}

void ReadOnlyFolderOwnFile(const std::string& ini)
{
    WriteWholeFile(ini, "; mine\n[Window]\nTopMost=1\n");
    ASSERT_EQ(::chown(ini.c_str(), kNobody, kNobody), 0);
    fs::permissions(FolderOf(ini), fs::perms(0555));
}

void ReadOnlyFolderReadOnlyFile(const std::string& ini)
{
    WriteWholeFile(ini, "; mine\n[Window]\nTopMost=1\n");
    fs::permissions(ini, fs::perms(0444));
    fs::permissions(FolderOf(ini), fs::perms(0555));
}

void UnreadableFile(const std::string& ini)
{
    WriteWholeFile(ini, "; mine\n[Window]\nTopMost=1\n");
    fs::permissions(ini, fs::perms(0600));
    fs::permissions(FolderOf(ini), fs::perms(0755));
}

const SettingsFault kFaults[] = {
    {"BinaryGarbage", BinaryGarbage, false, 1, 1, 0.1, AfterExit::Rewritten},
    {"TenMegabytes", TenMegabytes, false, 0, 3, 0.1, AfterExit::Rewritten},
    {"HundredThousandCharacterLines", HundredThousandCharacterLines, false, 0, 1, 2.5,
     AfterExit::Rewritten},
    {"SettingsFileIsADirectory", Directory, false, 0, 1, 0.1, AfterExit::StaysDirectory},
    {"LargerThanTheReadLimit", Oversized, false, 0, 1, 0.1, AfterExit::KeptByteForByte},
    {"ReadOnlyFolderOwnFile", ReadOnlyFolderOwnFile, true, 1, 1, 0.1, AfterExit::Rewritten},
    {"ReadOnlyFolderReadOnlyFile", ReadOnlyFolderReadOnlyFile, true, 1, 1, 0.1,
     AfterExit::KeptByteForByte},
    {"UnreadableFile", UnreadableFile, true, 0, 1, 0.1, AfterExit::KeptByteForByte},
};

class SettingsFaultTest : public testing::TestWithParam<SettingsFault> {};

// Starts the program on the file, changes C2 and exits with Yes.
void RunAndExit(WindowUnderTest& window, const SettingsFault& fault)
{
    ASSERT_TRUE(window.Start()) << "the program did not start";
    EXPECT_EQ(window->Settings().TopMost, fault.TopMost);
    EXPECT_EQ(window->Settings().PortNumber, fault.PortNumber);
    EXPECT_EQ(window->Settings().FontPath, DefaultFontPath());
    window->ReadoutData().With([&fault](ReadoutState& state) {
        EXPECT_DOUBLE_EQ(state.C1, fault.C1);
        state.C2 = 0.75;
    });
    window->OnCommand(ID_EXIT);
    EXPECT_TRUE(window->HasEnded());
}

TEST_P(SettingsFaultTest, StartsExitsAndKeepsTheLinesItDoesNotOwn)
{
    const SettingsFault& fault = GetParam();
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    const std::string ini = window.IniPath();
    fault.Prepare(ini);
    const std::string before = fs::is_regular_file(ini) ? ReadWholeFile(ini) : std::string();
    if (!RunAsUser(fault.AsOrdinaryUser, [&] { RunAndExit(window, fault); }))
        GTEST_SKIP() << "file permissions cannot be checked without an ordinary user";
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{QString::fromUtf8(kExitQuestion)});
    fs::permissions(FolderOf(ini), fs::perms::owner_all, fs::perm_options::add);
    switch (fault.Outcome) {
    case AfterExit::Rewritten: {
        const std::string after = ReadWholeFile(ini);
        EXPECT_EQ(UnownedLinesFault(before, after), "");
        AppSettings saved;
        LoadSettings(saved, ini, DefaultFontPath());
        EXPECT_DOUBLE_EQ(saved.C2, 0.75) << "the exit did not save";
        EXPECT_EQ(saved.TopMost, fault.TopMost);
        break;
    }
    case AfterExit::KeptByteForByte:
        EXPECT_TRUE(ReadWholeFile(ini) == before) << "the file was changed";
        break;
    case AfterExit::StaysDirectory:
        EXPECT_TRUE(fs::is_directory(ini));
        EXPECT_TRUE(fs::is_empty(ini));
        break;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(FolderOf(ini)), fs::directory_iterator()), 1)
        << "a temporary file was left beside the settings file";
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFaultTest, testing::ValuesIn(kFaults), kRowName);

}  // namespace
