#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fuzz/FontCheck.h"
#include "tests/fuzz/OwnedLines.h"
#include "tests/fuzz/RecordCheck.h"
#include "tests/fuzz/ScratchFolder.h"
#include "tests/fuzz/SettingsCheck.h"

namespace {

const std::filesystem::path kCorpus = PELMORA_FUZZ_CORPUS;

enum class Input { Record, Settings, Font };

std::vector<uint8_t> ReadInput(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every check the fuzz targets of that input run, in one call.
std::string Faults(Input input, std::span<const uint8_t> data)
{
    switch (input) {
    case Input::Record:
        return CheckRecordStream(data);
    case Input::Settings: {
        static const ScratchFolder folder;
        std::string fault = CheckSettingsText(data);
        return fault.empty() ? CheckSettingsFile(data, folder) : fault;
    }
    case Input::Font: {
        static const FontCheck check;
        return check.Run(data);
    }
    }
    return "unknown input";
}

struct Replay {
    const char* Name;
    Input Kind;
    const char* File;  // in corpus/regressions/
};

// Inputs the fuzzers stopped on, and the edge cases they grew from.
const Replay kReplays[] = {
    {"SettingsOnlyByteOrderMark", Input::Settings, "settings-bom-only"},
    {"SettingsCarriageReturnsAroundLineEnd", Input::Settings, "settings-cr-around-crlf"},
    {"SettingsKeyBeforeAnySection", Input::Settings, "settings-key-before-section"},
    {"SettingsZeroByteInFontValue", Input::Settings, "settings-zero-in-font"},
    {"SettingsCarriageReturnInsideFontValue", Input::Settings, "settings-cr-inside-font"},
    {"SettingsCapacitanceRoundsHalfMicro", Input::Settings, "settings-c1-rounds-half-micro"},
    {"RecordLineFeedsOnly", Input::Record, "record-line-feeds-only"},
    {"RecordLineWrappedAt256", Input::Record, "record-wrapped-line"},
    {"RecordNanCapacitorsNoData", Input::Record, "record-nan-no-data"},
    {"FontHeightMostNegative", Input::Font, "font-height-int-min"},
    {"FontCoreHeaderHugeCells", Input::Font, "font-core-header-huge"},
    {"FontHeaderOnlyMaximumCells", Input::Font, "font-header-only-max-cells"},
    {"FontPaletteBeyondDepth", Input::Font, "font-palette-beyond-depth"},
};

class FuzzRegression : public testing::TestWithParam<Replay> {};

TEST_P(FuzzRegression, ReplaysWithoutFault)
{
    const std::vector<uint8_t> data = ReadInput(kCorpus / "regressions" / GetParam().File);
    ASSERT_FALSE(data.empty()) << GetParam().File;
    EXPECT_EQ(Faults(GetParam().Kind, data), "");
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegression, testing::ValuesIn(kReplays),
                         [](const testing::TestParamInfo<Replay>& info) { return info.param.Name; });

TEST(FuzzSeeds, EverySeedPassesItsChecks)
{
    const std::pair<const char*, Input> folders[] = {
        {"record", Input::Record}, {"settings", Input::Settings}, {"font", Input::Font}};
    int seeds = 0;
    for (const auto& [folder, kind] : folders) {
        for (const auto& entry : std::filesystem::directory_iterator(kCorpus / folder)) {
            SCOPED_TRACE(entry.path().string());
            EXPECT_EQ(Faults(kind, ReadInput(entry.path())), "");
            ++seeds;
        }
    }
    EXPECT_GE(seeds, 20);
}

// The line check itself must tell a kept line from a lost one.
TEST(FuzzChecks, TellKeptUserLinesFromLostOnes)
{
    struct Row {
        const char* Name;
        const char* Before;
        const char* After;
        bool Fault;
    };
    const Row rows[] = {
        {"owned value replaced", "[A]\nx=1\n[Window]\nTopMost=1\n", "[A]\nx=1\n[Window]\nTopMost=0\n", false},
        {"user line lost", "[A]\nx=1\n[Window]\nTopMost=1\n", "[A]\n[Window]\nTopMost=0\n", true},
        {"user lines swapped", "a\nb\n", "b\na\n", true},
        {"second TopMost is the user's", "[Window]\nTopMost=1\nTopMost=2\n", "[Window]\nTopMost=0\n", true},
        {"open last line gains CR LF", "a\r\nb", "a\r\nb\r\n[Window]\r\n", false},
        {"open last line changed", "a\r\nb", "a\r\nc\r\n", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(!UnownedLinesFault(row.Before, row.After).empty(), row.Fault);
    }
}

} // namespace
