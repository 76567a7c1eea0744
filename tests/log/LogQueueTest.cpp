#include "log/LogQueue.h"
#include "log/LogWriter.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <future>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

LogRow RowOf(uint32_t frequency)
{
    return LogRow{1796644800000, frequency, frequency, "001", 1000, std::nullopt};
}

std::vector<uint32_t> Frequencies(const std::deque<LogRow>& rows)
{
    std::vector<uint32_t> out;
    for (const LogRow& row : rows)
        out.push_back(row.frequencyHz);
    return out;
}

// A full queue gives up its oldest rows, counts them and keeps the newest in order.
TEST(LogQueue, FullQueueDropsTheOldestAndCountsThem)
{
    const struct {
        size_t capacity;
        uint32_t pushes;
        std::vector<uint32_t> kept;
        uint64_t dropped;
    } cases[] = {{4, 3, {1, 2, 3}, 0}, {4, 4, {1, 2, 3, 4}, 0}, {4, 7, {4, 5, 6, 7}, 3}, {1, 3, {3}, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.capacity << " " << c.pushes);
        LogQueue queue(c.capacity);
        for (uint32_t i = 1; i <= c.pushes; ++i)
            queue.Push(RowOf(i));
        std::deque<LogRow> rows;
        ASSERT_TRUE(queue.WaitAndTake(rows));
        EXPECT_EQ(Frequencies(rows), c.kept);
        EXPECT_EQ(queue.Dropped(), c.dropped);
    }
}

// Rows pushed before the close are still taken; rows after it are ignored.
TEST(LogQueue, CloseKeepsWhatWaitsAndIgnoresLaterRows)
{
    LogQueue queue(8);
    queue.Push(RowOf(1));
    queue.Close();
    queue.Push(RowOf(2));
    std::deque<LogRow> rows;
    ASSERT_TRUE(queue.WaitAndTake(rows));
    EXPECT_EQ(Frequencies(rows), std::vector<uint32_t>{1});
    EXPECT_FALSE(queue.WaitAndTake(rows));
    EXPECT_EQ(queue.Dropped(), 0u);
}

// The disk fills up (a file size limit, in a child process): the writer stops with one
// message, the file ends on its last whole row, and a pushing thread, standing for the
// receive thread and its read-out, goes on through every one of its rows.
TEST(LogWriter, FullDiskStopsTheLogButNotThePusher)
{
    TempDir folder;
    const std::string path = folder.File("full.csv");
    const size_t rowSize = FormatLogRow(RowOf(10000000)).size();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = LogHeaderLine().size() + rowSize * 50 + rowSize / 2;
        const rlimit size{limit, limit};
        auto queue = std::make_shared<LogQueue>(16);
        std::promise<std::string> failure;
        std::atomic<bool> failed{false};
        LogWriter writer(queue, [&](const std::string& message) {
            failure.set_value(message);
            failed = true;
        });
        if (::setrlimit(RLIMIT_FSIZE, &size) != 0 || !writer.Start(path))
            ::_exit(2);
        std::thread pusher([&] {
            uint32_t afterFailure = 0;
            for (uint32_t i = 0; afterFailure < 1000; ++i, afterFailure += failed ? 1 : 0)
                queue->Push(RowOf(10000000 + i % 7));
        });
        const std::string message = failure.get_future().get();
        pusher.join();
        const bool ok = message == "Logging stopped: " + path + ": File too large" && !writer.Stop() &&
             LogFailureText(path, writer.Failure()) == message && writer.RowsWritten() == 50 && queue->IsClosed();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(folder.Read("full.csv").size(), LogHeaderLine().size() + rowSize * 50);
}

}  // namespace
