#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>

#include "display/Readout.h"
#include "link/CounterLink.h"
#include "log/RecordLog.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/ProcessProbes.h"
#include "tests/support/RowName.h"
#include "tests/support/Wait.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPort = 7;
constexpr int kBaud9600 = 6;

std::string Record(uint32_t frequency)
{
    char line[32];
    std::snprintf(line, sizeof line, "001 010 %010u\r\n", frequency);
    return line;
}

// Made under a temporary name and renamed into place, as udev makes its links.
void LinkAsUdev(const fs::path& target, const fs::path& link)
{
    const fs::path temporary = link.parent_path() / (".tmp-" + link.filename().string());
    fs::create_symlink(target, temporary);
    fs::rename(temporary, link);
}

struct ReplugRow {
    const char* Name;
    bool BackUnderTheSamePath;  // else only the stable name comes back, to another node
};

class ReplugTest : public ::testing::TestWithParam<ReplugRow> {
protected:
    void SetUp() override
    {
        fs::create_directories(byId);
        LinkAsUdev(first->SlavePath(), opened);
        LinkAsUdev(first->SlavePath(), byId / "usb-Counter_A1-if00-port0");
        link.SetLog(std::make_shared<RecordLog>(queue));
    }

    // Pulled: the links go and the adapter's end closes.
    void Pull()
    {
        fs::remove(opened);
        fs::remove_all(byId);
        first->HangUp();
    }

    void PlugBack(const CounterPty& adapter, bool underTheSamePath)
    {
        fs::create_directories(byId);
        LinkAsUdev(adapter.SlavePath(), byId / "usb-Counter_A1-if00-port0");
        if (underTheSamePath)
            LinkAsUdev(adapter.SlavePath(), opened);
    }

    bool ShowsFrequency(const std::string& text)
    {
        return readout.With([&](ReadoutState& state) { return std::string(state.Text.Frequency).find(text) == 0; });
    }

    bool NoRecordShownYet()
    {
        return readout.With([](ReadoutState& state) { return state.Indicator.Counter == 0; });
    }

    std::vector<uint32_t> LoggedFrequencies()
    {
        queue->Close();
        std::deque<LogRow> rows;
        std::vector<uint32_t> frequencies;
        while (queue->WaitAndTake(rows))
            for (const LogRow& row : rows)
                frequencies.push_back(row.frequencyHz);
        return frequencies;
    }

    TempDir dir;
    fs::path opened = fs::path(dir.Path()) / "ttyX";
    fs::path byId = fs::path(dir.Path()) / "by-id";
    std::unique_ptr<CounterPty> first = std::make_unique<CounterPty>();
    Readout readout;
    std::shared_ptr<LogQueue> queue = std::make_shared<LogQueue>();
    CounterLink link{readout, WritePortIni(dir, kPort, opened.string()), [this] { link.TakeRecords(); },
                     [] {}, byId.string()};
};

TEST_P(ReplugTest, ReadingsComeBackByThemselvesAndNoneIsLost)
{
    ASSERT_TRUE(link.Connect(kPort, kBaud9600));
    ASSERT_TRUE(first->Write(Record(1000)));
    ASSERT_TRUE(WaitUntil([&] { return !NoRecordShownYet(); }));
    Pull();
    ASSERT_TRUE(WaitUntil([&] { return link.IsAwaitingDevice(); }));
    EXPECT_TRUE(link.IsOpen()) << "the user stays connected while the adapter is away";

    CounterPty second;
    PlugBack(second, GetParam().BackUnderTheSamePath);
    std::string records;
    for (uint32_t f = 2001; f <= 2020; ++f)
        records += Record(f);
    ASSERT_TRUE(second.Write(records)) << "the adapter was not opened again";
    ASSERT_TRUE(WaitUntil([&] { return ShowsFrequency("      2,020Hz"); }));

    std::vector<uint32_t> expected{1000};
    for (uint32_t f = 2001; f <= 2020; ++f)
        expected.push_back(f);
    EXPECT_EQ(LoggedFrequencies(), expected);
}

INSTANTIATE_TEST_SUITE_P(Returns, ReplugTest,
                         ::testing::Values(ReplugRow{"UnderTheSamePath", true},
                                           ReplugRow{"AsAnotherNodeWithTheSameStableName", false}),
                         kRowName);

TEST_F(ReplugTest, DisconnectWhileWaitingEndsAtOnceAndReleasesThePort)
{
    ASSERT_TRUE(link.Connect(kPort, kBaud9600));
    Pull();
    ASSERT_TRUE(WaitUntil([&] { return link.IsAwaitingDevice(); }));
    const auto start = std::chrono::steady_clock::now();
    link.Disconnect();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.IsAwaitingDevice());
    // A joined thread may take a moment to leave /proc; a waiting one never does.
    EXPECT_TRUE(WaitUntil([] { return ThreadCountNamed("pelmora-replug") == 0; }))
        << "the waiting went on after the disconnect";
    RecordProperty("disconnect_us",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
    CounterPty second;
    PlugBack(second, true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(link.IsOpen()) << "a return after the disconnect must not reconnect";
}

}  // namespace
