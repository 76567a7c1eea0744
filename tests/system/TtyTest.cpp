#include "system/Tty.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tools/simulator/CounterPty.h"

// The reason comes with the result, whatever errno holds by the time it is read.
TEST(Tty, AnOpenThatFailsSaysWhy)
{
    CounterPty idle, held;
    const SysResult<int> holder = tty::OpenExclusive(held.SlavePath());
    ASSERT_TRUE(holder);
    const struct {
        const char* Name;
        std::string Path;
        int Error;  // 0: opens
    } rows[] = {
        {"missing", "/nonexistent/ttyUSB99", ENOENT},
        {"no terminal", "/dev/null", ENOTTY},
        {"held by another open", held.SlavePath(), EBUSY},
        {"free", idle.SlavePath(), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const SysResult<int> opened = tty::OpenExclusive(row.Path);
        errno = 0;
        EXPECT_EQ(opened.Error().Code, row.Error);
        if (opened)
            tty::CloseExclusive(opened.Value());
    }
    tty::CloseExclusive(holder.Value());
}

// The receive thread lets go of the port on the error a hung-up device gives.
TEST(Tty, ReadingTellsNothingWaitingFromAHangUp)
{
    CounterPty pty;
    const SysResult<int> port = tty::OpenExclusive(pty.SlavePath());
    ASSERT_TRUE(port);
    uint8_t buffer[16];
    const SysResult<std::size_t> quiet = tty::ReadSome(port.Value(), buffer, sizeof buffer);
    ASSERT_TRUE(quiet);
    EXPECT_EQ(quiet.Value(), 0u);
    pty.HangUp();
    EXPECT_FALSE(tty::ReadSome(port.Value(), buffer, sizeof buffer));
    tty::CloseExclusive(port.Value());
}
