#include "system/DescriptorWait.h"
#include "system/FileCalls.h"
#include "system/WakeEvent.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "tests/support/TempDir.h"

// A lock file is made only where none stands, and never half written.
TEST(FileCalls, NewFileIsMadeOnlyWhereNoneStands)
{
    TempDir folder;
    folder.Write("held.LCK", "       42\n");
    EXPECT_TRUE(CreateNewFile(folder.File("new.LCK"), "     1234\n"));
    EXPECT_EQ(folder.Read("new.LCK"), "     1234\n");
    EXPECT_EQ(CreateNewFile(folder.File("held.LCK"), "     1234\n").Error().Code, EEXIST);
    EXPECT_EQ(folder.Read("held.LCK"), "       42\n");
}

// A lock's staleness is judged against this time, to the nanosecond the file keeps.
TEST(FileCalls, FactsTellWhenTheFileWasWritten)
{
    TempDir folder;
    folder.Write("LCK..ttyUSB0", "1\n");
    const auto written = std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + std::chrono::hours{6} +
                         std::chrono::nanoseconds{123456789};
    std::filesystem::last_write_time(folder.File("LCK..ttyUSB0"), std::chrono::file_clock::from_sys(written));
    const SysResult<FileFacts> facts = FactsAt(folder.File("LCK..ttyUSB0"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts.Value().modified, written);
}

TEST(DescriptorWait, SaysWhichDescriptorStirredAndHow)
{
    int quiet[2], filled[2], closed[2];
    ASSERT_EQ(::pipe(quiet), 0);
    ASSERT_EQ(::pipe(filled), 0);
    ASSERT_EQ(::pipe(closed), 0);
    ASSERT_EQ(::write(filled[1], "x", 1), 1);
    ::close(closed[1]);
    std::array<Watched, 4> watched{{{.fd = quiet[0], .read = true},
                                    {.fd = filled[0], .read = true},
                                    {.fd = closed[0], .read = true},
                                    {.fd = -1, .read = true}}};
    const SysResult<int> ready = WaitForDescriptors(watched, 0);
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready.Value(), 2);
    EXPECT_FALSE(watched[0].stirred);
    EXPECT_TRUE(watched[1].readable && !watched[1].hungUp);
    EXPECT_TRUE(watched[2].hungUp);
    EXPECT_FALSE(watched[3].stirred);
    for (const int fd : {quiet[0], quiet[1], filled[0], filled[1], closed[0]})
        ::close(fd);
}

// A stop signalled before the wait still ends it; a cleared event lets the loop sleep again.
TEST(DescriptorWait, AWakeEventStaysReadableUntilCleared)
{
    SysResult<WakeEvent> wake = WakeEvent::Create();
    ASSERT_TRUE(wake);
    const auto stirred = [&] {
        std::array<Watched, 1> watched{{{.fd = wake.Value().Descriptor(), .read = true}}};
        return WaitForDescriptors(watched, 0).Value() == 1;
    };
    EXPECT_FALSE(stirred());
    wake.Value().Signal();
    EXPECT_TRUE(stirred());
    EXPECT_TRUE(stirred());
    wake.Value().Clear();
    EXPECT_FALSE(stirred());
}
