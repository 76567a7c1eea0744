#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

struct ParseRow {
    const char* Name;
    QStringList Arguments;
    bool Run;
    int ExitCode;
    const char* Language;
    const char* LogPath;
    const char* OutputStart;  // the first characters of what goes to stdout
    const char* Error;        // the whole stderr text
};

class CommandLineTest : public testing::TestWithParam<ParseRow> {};

TEST_P(CommandLineTest, OptionsOrEndWithTextAndCode)
{
    const ParseRow& row = GetParam();
    QStringList arguments{QStringLiteral("/opt/x/Pelmora")};
    arguments += row.Arguments;
    const CommandLine result = ParseCommandLine(arguments);
    EXPECT_EQ(result.Run, row.Run);
    EXPECT_EQ(result.ExitCode, row.ExitCode);
    EXPECT_EQ(result.Options.Language, row.Language);
    EXPECT_EQ(result.Options.LogPath, row.LogPath);
    EXPECT_EQ(result.Output.substr(0, std::string(row.OutputStart).size()), row.OutputStart);
    EXPECT_EQ(result.Error, row.Error);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        ParseRow{"None", {}, true, 0, "", "", "", ""},
        ParseRow{"LangEn", {"--lang", "en"}, true, 0, "en", "", "", ""},
        ParseRow{"LangJaJoined", {"--lang=ja"}, true, 0, "ja", "", "", ""},
        ParseRow{"Log", {"--log", "x.csv"}, true, 0, "", "x.csv", "", ""},
        ParseRow{"LogAndLang", {"--log=a b.csv", "--lang", "en"}, true, 0, "en", "a b.csv", "", ""},
        ParseRow{"Help", {"--help"}, false, 0, "", "", "Usage: pelmora [options]\n", ""},
        ParseRow{"Version", {"--version"}, false, 0, "", "", "Pelmora 1.10\n", ""},
        ParseRow{"Unknown", {"--bogus"}, false, 2, "", "", "", "Pelmora: Unknown option 'bogus'.\n"},
        ParseRow{"MissingValue", {"--lang"}, false, 2, "", "", "", "Pelmora: Missing value after '--lang'.\n"},
        ParseRow{"OtherLanguage", {"--lang", "fr"}, false, 2, "", "", "",
                 "Pelmora: unsupported language 'fr' (ja, en)\n"},
        ParseRow{"StrayArgument", {"x.csv"}, false, 2, "", "", "", "Pelmora: unexpected argument 'x.csv'\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CommandLineHelpTest, ListsEveryOption)
{
    const std::string help = ParseCommandLine({"Pelmora", "-h"}).Output;
    for (const char* option : {"--help", "--version", "--lang <code>", "--log <file.csv>"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
