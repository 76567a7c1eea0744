#include "log/LogFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const LogRow kRow{1796644800000, 1000, 10000000, "001", 1000, std::nullopt};
const std::string kRowText = FormatLogRow(kRow);
const std::string kHeaderText = LogHeaderLine();

// Whatever stands in the file stays; the header goes only into an empty file; a line
// cut off by a crash is ended before the new rows.
TEST(LogFileAppend, NeverTruncatesAndWritesTheHeaderOnce)
{
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {{"missing", "<missing>", kHeaderText + kRowText},
                 {"empty", "", kHeaderText + kRowText},
                 {"with rows", kHeaderText + kRowText, kHeaderText + kRowText + kRowText},
                 {"cut off", kHeaderText + "2026-12", kHeaderText + "2026-12\r\n" + kRowText}};
    TempDir folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before != "<missing>")
            folder.Write(c.name, c.before);
        LogFile file;
        ASSERT_TRUE(file.Open(folder.File(c.name))) << LogFailureText(file.Path(), file.Failure());
        EXPECT_TRUE(file.Append(kRow));
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(folder.Read(c.name), c.after);
        EXPECT_EQ(file.RowsWritten(), 1u);
    }
}

// Under a file size limit that ends inside the third row, that row fails, the file is
// cut back to the end of the second and the log stays stopped. Run in a child process
// so the limit and the ignored SIGXFSZ do not reach the test program.
TEST(LogFileFull, ShortWriteIsCutBackToTheLastWholeRow)
{
    TempDir folder;
    const std::string path = folder.File("full.csv");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = kHeaderText.size() + kRowText.size() * 2 + kRowText.size() / 2;
        const rlimit size{limit, limit};
        LogFile file;
        const bool ok = ::setrlimit(RLIMIT_FSIZE, &size) == 0 && file.Open(path) &&
                        file.Append(kRow) && file.Append(kRow) && !file.Append(kRow) &&
                        !file.Append(kRow) && !file.Close() &&
                        LogFailureText(path, file.Failure()) == "Logging stopped: " + path + ": File too large";
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(folder.Read("full.csv"), kHeaderText + kRowText + kRowText);
}

// Every failure ends in the failed state with one message naming file and cause.
TEST(LogFileFailure, OneMessageAndNoFurtherWrites)
{
    TempDir folder;
    folder.Write("readonly.csv", kHeaderText);
    ::chmod(folder.File("readonly.csv").c_str(), 0444);
    ::mkfifo(folder.File("pipe").c_str(), 0600);
    ::chmod(folder.Path().c_str(), 0755);
    const struct {
        std::string path;
        const char* cause;
        bool asUser;  // root may write anywhere: the permission case runs as an ordinary user
    } cases[] = {{"/dev/full", "No space left on device", false},
                 {folder.Path(), "Is a directory", false},
                 {folder.File("none/log.csv"), "No such file or directory", false},
                 {folder.File("readonly.csv"), "Permission denied", true},
                 {folder.File("pipe"), "not a regular file", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::optional<UnprivilegedFiles> user;
        if (c.asUser && !user.emplace().Available())
            continue;
        LogFile file;
        EXPECT_FALSE(file.Open(c.path));
        EXPECT_TRUE(file.Failed());
        EXPECT_FALSE(file.Append(kRow));
        EXPECT_FALSE(file.Close());
        EXPECT_EQ(LogFailureText(c.path, file.Failure()), "Logging could not start: " + c.path + ": " + c.cause);
    }
    EXPECT_EQ(folder.Read("readonly.csv"), kHeaderText);
}

// The log writer's thread could not be had: the log counts as never started.
TEST(LogFileFailure, AWriterThatCannotRunLeavesALogThatNeverStarted)
{
    TempDir folder;
    const std::string path = folder.File("log.csv");
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_FALSE(file.Abandon(SysError{EAGAIN}));
    EXPECT_FALSE(file.Append(kRow));
    EXPECT_EQ(LogFailureText(path, file.Failure()),
              "Logging could not start: " + path + ": Resource temporarily unavailable");
}

}  // namespace
