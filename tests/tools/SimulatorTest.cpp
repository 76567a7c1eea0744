#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/receive/RecordAssembler.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/RowName.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/PacketPacer.h"
#include "tools/simulator/RecordGenerator.h"

namespace {

struct FormatCase {
    const char* Name;
    int Prescaler;
    int GateTenths;
    uint32_t Frequency;
    const char* Expected;
};

class FormatRecordTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatRecordTest, WireFormat)
{
    const auto& row = GetParam();
    EXPECT_EQ(FormatRecord(row.Prescaler, row.GateTenths, row.Frequency), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, FormatRecordTest,
    ::testing::Values(FormatCase{"Example", 1, 10, 1000000, "001 010 0001000000\r\n"},
                      FormatCase{"ShortGate", 64, 1, 42, "064 001 0000000042\r\n"},
                      FormatCase{"LongGate", 999, 999, 999999999, "999 999 0999999999\r\n"},
                      FormatCase{"Clamped", 5000, -3, 4000000000u, "999 000 0999999999\r\n"}), kRowName);

TEST(RecordGenerator, InjectedLinesNeverPassAsRecords)
{
    GeneratorOptions options;
    options.FrequencyMode = GeneratorOptions::Mode::Wander;
    options.GarbageEvery = 3;
    options.LongLineEvery = 5;
    RecordGenerator generator(options);
    RecordingSink sink;
    RecordAssembler assembler(sink);
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        for (const char c : generator.Next())
            assembler.FeedByte(static_cast<uint8_t>(c));
        expected.push_back(FormatRecord(1, 10, generator.LastFrequency()).substr(0, 18));
    }
    EXPECT_EQ(sink.Records(), expected);
}

TEST(RecordGenerator, FrequencyPatterns)
{
    GeneratorOptions sweep;
    sweep.FrequencyMode = GeneratorOptions::Mode::Sweep;
    sweep.Frequency = 100;
    sweep.SweepEnd = 300;
    sweep.SweepStep = 100;
    RecordGenerator sweeping(sweep);
    std::vector<uint32_t> seen;
    for (int i = 0; i < 5; ++i) {
        sweeping.Next();
        seen.push_back(sweeping.LastFrequency());
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{100, 200, 300, 100, 200}));

    GeneratorOptions wander;
    wander.FrequencyMode = GeneratorOptions::Mode::Wander;
    wander.Frequency = 1000;
    wander.WanderSpan = 10;
    RecordGenerator wandering(wander);
    for (int i = 0; i < 1000; ++i) {
        wandering.Next();
        EXPECT_GE(wandering.LastFrequency(), 990u);
        EXPECT_LE(wandering.LastFrequency(), 1010u);
    }
}

struct OptionsCase {
    const char* Name;
    std::vector<std::string> Arguments;
    const char* Error;  // empty when the command line is valid
};

class SimulatorOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(SimulatorOptionsTest, ParsesOrNamesTheProblem)
{
    SimulatorOptions options;
    std::string error;
    const bool valid = ParseSimulatorOptions(GetParam().Arguments, options, error);
    EXPECT_EQ(error, GetParam().Error);
    EXPECT_EQ(valid, error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, SimulatorOptionsTest,
    ::testing::Values(OptionsCase{"Nothing", {}, ""},
                      OptionsCase{"Everything",
                                  {"--baud", "115200", "--mode", "sweep", "--frequency", "5000",
                                   "--gate", "0.1", "--count", "10", "--pause-every", "3",
                                   "--pause-seconds", "2", "--hangup-after", "8", "--ini", "/tmp/x.ini",
                                   "--com", "3", "--garbage-every", "4", "--long-line-every", "6"},
                                  ""},
                      OptionsCase{"Help", {"--help"}, ""},
                      OptionsCase{"UnknownOption", {"--colour", "red"}, "unknown option --colour"},
                      OptionsCase{"UnknownLast", {"--colour"}, "unknown option --colour"},
                      OptionsCase{"MissingValue", {"--baud"}, "--baud needs a value"},
                      OptionsCase{"NotANumber", {"--baud", "fast"}, "bad value for --baud: fast"},
                      OptionsCase{"ZeroBaud", {"--baud", "0"}, "bad value for --baud: 0"},
                      OptionsCase{"ZeroBurst", {"--burst", "0"}, "bad value for --burst: 0"},
                      OptionsCase{"NegativeCount", {"--count", "-1"}, "bad value for --count: -1"},
                      OptionsCase{"UnknownMode", {"--mode", "zigzag"}, "bad value for --mode: zigzag"},
                      OptionsCase{"GateTooLong", {"--gate", "100"}, "bad value for --gate: 100"}), kRowName);

TEST(SimulatorOptions, ValuesLandInTheirFields)
{
    SimulatorOptions options;
    std::string error;
    ASSERT_TRUE(ParseSimulatorOptions(
        {"--gate", "0.1", "--rate", "50", "--mode", "wander", "--com", "12", "--burst", "62"}, options,
        error));
    EXPECT_EQ(options.BurstBytes, 62u);
    EXPECT_EQ(options.Generator.GateTenths, 1);
    EXPECT_EQ(options.RecordsPerSecond, 50);
    EXPECT_EQ(options.Generator.FrequencyMode, GeneratorOptions::Mode::Wander);
    EXPECT_EQ(options.ComNumber, 12);
}

// 20-byte records of 10 ms in 62-byte packets: each packet when its last byte is sent,
// the rest held until the line falls silent; without a packet size, all at the start.
TEST(PacketPacer, WholePacketsWhenTheirLastByteIsSent)
{
    using namespace std::chrono_literals;
    const PacketPacer::Clock::time_point start{};
    PacketPacer usb(62), direct(0);
    std::vector<std::pair<int64_t, size_t>> packets;  // us after start, bytes
    for (int k = 0; k < 7; ++k) {
        for (const auto& packet : usb.Add(std::string(20, '0'), start + 10ms * k, 10ms))
            packets.emplace_back((packet.due - start) / 1us, packet.bytes.size());
    }
    EXPECT_EQ(packets, (std::vector<std::pair<int64_t, size_t>>{{31000, 62}, {62000, 62}}));
    EXPECT_EQ(usb.Flush().size(), 16u);
    const auto whole = direct.Add("001 010 0001000000\r\n", start + 5ms, 10ms);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].due, start + 5ms);
    EXPECT_EQ(direct.Flush(), "");
}

}  // namespace
