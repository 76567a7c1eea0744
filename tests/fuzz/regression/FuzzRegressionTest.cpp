#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fuzz/FontCheck.h"
#include "tests/fuzz/OwnedLines.h"
#include "tests/fuzz/RecordCheck.h"
#include "tests/support/TempDir.h"
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
        static const TempDir folder(MemoryBackedParent());
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

Input KindOf(const std::string& name)
{
    if (name.starts_with("record"))
        return Input::Record;
    return name.starts_with("settings") ? Input::Settings : Input::Font;
}

// The inputs the fuzzers stopped on (corpus/regressions, named after their
// input) and every seed.
TEST(FuzzRegression, EveryFoundInputAndSeedPassesItsChecks)
{
    int regressions = 0;
    int seeds = 0;
    for (const char* folder : {"regressions", "record", "settings", "font"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kCorpus / folder)) {
            SCOPED_TRACE(entry.path().string());
            const std::string name = entry.path().filename().string();
            const bool regression = std::string_view(folder) == "regressions";
            const std::vector<uint8_t> data = ReadInput(entry.path());
            if (regression) {
                EXPECT_FALSE(data.empty());
            }
            EXPECT_EQ(Faults(KindOf(regression ? name : folder), data), "");
            ++(regression ? regressions : seeds);
        }
    }
    EXPECT_GE(regressions, 13);
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
