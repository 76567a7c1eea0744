#include "settings/ExePath.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct JoinRow {
    const char* Name;
    std::string_view ExePath;
    std::string_view FileName;
    std::string_view Expected;
};

class JoinExeFolderTest : public testing::TestWithParam<JoinRow> {};

TEST_P(JoinExeFolderTest, JoinsFolderAndName)
{
    EXPECT_EQ(JoinExeFolder(GetParam().ExePath, GetParam().FileName), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JoinExeFolderTest,
    testing::Values(
        JoinRow{"SettingsFile", "/opt/tools/Pelmora", "Pelmora.ini", "/opt/tools/Pelmora.ini"},
        JoinRow{"SubfolderName", "/opt/tools/Pelmora", "font/font.bmp", "/opt/tools/font/font.bmp"},
        JoinRow{"RootFolder", "/Pelmora", "Pelmora.ini", "/Pelmora.ini"},
        JoinRow{"DotsInFolder", "/a.b/c.d/Pelmora.bin", "x", "/a.b/c.d/x"},
        JoinRow{"ReplacedWhileRunning", "/opt/Pelmora (deleted)", "Pelmora.ini", "/opt/Pelmora.ini"},
        JoinRow{"NoFolder", "Pelmora", "Pelmora.ini", "Pelmora.ini"}), kRowName);

std::string ExeFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

TEST(GetExePathTest, UsesFolderOfRunningProgramNotCurrentFolder)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path("/");
    const std::string path = GetExePath("font/font.bmp");
    std::filesystem::current_path(previous);
    EXPECT_EQ(path, ExeFolder() + "/font/font.bmp");
}

std::string RunProbe(const std::string& program, const std::string& argument)
{
    const std::string command = "'" + program + "' '" + argument + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "<not started>";
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    return status == 0 ? output : "<failed>";
}

// Far longer than the 260 characters of the original buffer and than the
// common fixed buffers of 1024 and 2048; /proc itself ends at 4095.
TEST(GetExePathTest, DeepFolderComesBackWhole)
{
    const std::filesystem::path probe(PELMORA_EXE_PATH_PROBE);
    std::filesystem::path folder = probe.parent_path() / ("deep-" + std::to_string(::getpid()));
    const std::filesystem::path top = folder;
    for (int level = 0; level < 14; ++level)
        folder /= std::string(240, static_cast<char>('a' + level));
    std::filesystem::create_directories(folder);
    const std::filesystem::path copy = folder / "Pelmora";
    std::filesystem::copy_file(probe, copy);
    const std::string output = RunProbe(copy.string(), "font/font.bmp");
    std::filesystem::remove_all(top);
    EXPECT_GT(copy.string().size(), 3400u);
    EXPECT_EQ(output, folder.string() + "/font/font.bmp");
}

} // namespace
