#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "tests/support/RowName.h"

namespace {

struct ParseRow {
    const char* Name;
    QStringList Arguments;
    int ExitCode;  // -1: the program runs
    const char* Language;
    const char* LogPath;
    const char* OutputStart;
    const char* Error;
    bool Stats = false;
    int ServeTcp = 0;
};

class CommandLineTest : public testing::TestWithParam<ParseRow> {};

TEST_P(CommandLineTest, OptionsOrEndWithTextAndCode)
{
    const ParseRow& row = GetParam();
    const CommandLine result = ParseCommandLine(QStringList{"/opt/x/Pelmora"} + row.Arguments);
    EXPECT_EQ(result.Run ? -1 : result.ExitCode, row.ExitCode);
    EXPECT_EQ(result.Options.Language, row.Language);
    EXPECT_EQ(result.Options.LogPath, row.LogPath);
    EXPECT_EQ(result.Output.substr(0, std::string(row.OutputStart).size()), row.OutputStart);
    EXPECT_EQ(result.Error, row.Error);
    EXPECT_EQ(result.Options.Stats, row.Stats);
    EXPECT_EQ(result.Options.ServeTcp, row.ServeTcp);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        ParseRow{"None", {}, -1, "", "", "", ""},
        ParseRow{"LangEn", {"--lang", "en"}, -1, "en", "", "", ""},
        ParseRow{"LangJaJoined", {"--lang=ja"}, -1, "ja", "", "", ""},
        ParseRow{"Log", {"--log", "x.csv"}, -1, "", "x.csv", "", ""},
        ParseRow{"StatsWithLog", {"--stats", "--log", "x.csv"}, -1, "", "x.csv", "", "", true},
        ParseRow{"ServeTcp", {"--serve-tcp", "5025"}, -1, "", "", "", "", false, 5025},
        ParseRow{"ServeTcpOutOfRange", {"--serve-tcp", "0"}, 2, "", "", "", "Pelmora: bad TCP port '0' (1 to 65535)\n"},
        ParseRow{"Help", {"--help"}, 0, "", "", "Usage: pelmora [options]\n", ""},
        ParseRow{"Version", {"--version"}, 0, "", "", "Pelmora 1.10\n", ""},
        ParseRow{"Unknown", {"--bogus"}, 2, "", "", "", "Pelmora: Unknown option 'bogus'.\n"},
        ParseRow{"NoValue", {"--lang"}, 2, "", "", "", "Pelmora: Missing value after '--lang'.\n"},
        ParseRow{"OtherLanguage", {"--lang", "fr"}, 2, "", "", "",
                 "Pelmora: unsupported language 'fr' (ja, en)\n"}), kRowName);

}  // namespace
