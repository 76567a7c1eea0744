#include "settings/FileStore.h"
#include "settings/Profile.h"

#include "tests/support/TempDir.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kOld = "; mine\n[Window]\nTopMost=1\n";
const std::vector<ProfileWrite> kWrites = {{"Window", "TopMost", "0"}};
const std::string kNew = "; mine\n[Window]\nTopMost=0\n";

ino_t InodeOf(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

mode_t ModeOf(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

TEST(ReadFileBytesTest, TellsMissingFromUnreadable)
{
    TempDir folder;
    EXPECT_EQ(ReadSettingsFile(folder.File("none.ini")).Error().Code, ENOENT);
    EXPECT_EQ(ReadSettingsFile(folder.Path()).Error().Code, EISDIR);
    folder.Write("plain", std::string("a\0\r\nb", 5));
    EXPECT_EQ(ReadSettingsFile(folder.File("plain")).Value(), std::string("a\0\r\nb", 5));
    EXPECT_EQ(ReadSettingsFile(folder.File("plain/below")).Error().Code, ENOTDIR);
}

// A pipe (whose plain open would wait for ever for a writer) and an oversized
// file are neither read nor rewritten.
TEST(ReadFileBytesTest, PipeAndOversizedFileAreRefused)
{
    TempDir folder;
    ASSERT_EQ(::mkfifo(folder.File("pipe.ini").c_str(), 0600), 0);
    folder.Write("big.ini", "[Window]\nTopMost=1\n");
    fs::resize_file(folder.File("big.ini"), kMaxSettingsFileSize + 1);
    for (const auto& [name, error] : {std::pair{"pipe.ini", EINVAL}, std::pair{"big.ini", EFBIG}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadSettingsFile(folder.File(name)).Error().Code, error);
        EXPECT_EQ(GetProfileString(folder.File(name), "Window", "TopMost", "0", 32), "0");
        EXPECT_FALSE(WriteProfileStrings(folder.File(name), kWrites));
    }
    EXPECT_TRUE(fs::is_fifo(folder.File("pipe.ini")));
    EXPECT_EQ(fs::file_size(folder.File("big.ini")), kMaxSettingsFileSize + 1);
}

TEST(ResolveLinksTest, FollowsChainsAndStopsOnLoops)
{
    TempDir folder;
    fs::create_directory(folder.File("real"));
    fs::create_symlink("real/target.ini", folder.File("relative"));
    fs::create_symlink(folder.File("relative"), folder.File("absolute"));
    EXPECT_EQ(fs::path(ResolveLinks(folder.File("absolute"))).lexically_normal(),
              fs::path(folder.File("real/target.ini")));
    fs::create_symlink("loop-b", folder.File("loop-a"));
    fs::create_symlink("loop-a", folder.File("loop-b"));
    const std::string stop = ResolveLinks(folder.File("loop-a"));
    EXPECT_TRUE(stop == folder.File("loop-a") || stop == folder.File("loop-b")) << stop;
    EXPECT_EQ(ResolveLinks(folder.File("plain.ini")), folder.File("plain.ini"));
}

// A second write of the same values leaves the file itself alone.
TEST(WriteProfileStringsTest, ReplacesAtomicallyKeepingMode)
{
    TempDir folder;
    folder.Write("Pelmora.ini", kOld);
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0640));
    const ino_t before = InodeOf(folder.File("Pelmora.ini"));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kNew);
    const ino_t replaced = InodeOf(folder.File("Pelmora.ini"));
    EXPECT_NE(replaced, before);
    EXPECT_EQ(ModeOf(folder.File("Pelmora.ini")), 0640u);
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;");
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(InodeOf(folder.File("Pelmora.ini")), replaced);
}

// A link stays a link; a dangling one gets its target made.
TEST(WriteProfileStringsTest, WritesThroughSymbolicLinks)
{
    TempDir folder;
    fs::create_directory(folder.File("shared"));
    folder.Write("shared/real.ini", kOld);
    fs::create_symlink("shared/real.ini", folder.File("Pelmora.ini"));
    fs::create_symlink("made.ini", folder.File("dangling.ini"));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_TRUE(WriteProfileStrings(folder.File("dangling.ini"), kWrites));
    EXPECT_TRUE(fs::is_symlink(folder.File("Pelmora.ini")));
    EXPECT_TRUE(fs::is_symlink(folder.File("dangling.ini")));
    EXPECT_EQ(folder.Read("shared/real.ini"), kNew);
    EXPECT_EQ(folder.Read("made.ini"), "[Window]\nTopMost=0\n");
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;dangling.ini;made.ini;shared;");
}

TEST(WriteProfileStringsTest, ImpossiblePathsWriteNothing)
{
    TempDir folder;
    fs::create_directory(folder.File("Pelmora.ini"));
    folder.Write("file", "x");
    EXPECT_FALSE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_FALSE(WriteProfileStrings(folder.File("file/Pelmora.ini"), kWrites));
    EXPECT_FALSE(WriteProfileStrings(folder.File("absent/Pelmora.ini"), kWrites));
    EXPECT_TRUE(fs::is_directory(folder.File("Pelmora.ini")));
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;file;");
}

// The file limit makes the write of the temporary file fail part-way, as a full disk would.
TEST(WriteProfileStringsTest, WriteFailingPartWayKeepsOldFile)
{
    TempDir folder;
    folder.Write("Pelmora.ini", kOld);
    const std::vector<ProfileWrite> big = {{"Font", "Font", std::string(4000, 'f')}};
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteProfileStrings(folder.File("Pelmora.ini"), big);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.Read("Pelmora.ini"), kOld);
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;");
}

TEST(WriteProfileStringsTest, ReadOnlyFolderWritesFileInPlace)
{
    const UnprivilegedFiles unprivileged;
    if (!unprivileged.Available())
        GTEST_SKIP() << "cannot check files as an ordinary user";
    TempDir folder;
    folder.Write("Pelmora.ini", kOld);
    const ino_t before = InodeOf(folder.File("Pelmora.ini"));
    fs::permissions(folder.Path(), fs::perms(0555));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kNew);
    EXPECT_EQ(InodeOf(folder.File("Pelmora.ini")), before);
    const std::vector<ProfileWrite> shorter = {{"Window", "TopMost", ""}};
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), shorter));
    EXPECT_EQ(folder.Read("Pelmora.ini"), "; mine\n[Window]\nTopMost=\n");
}

struct RefusedRow {
    const char* Name;
    fs::perms FileMode;
    fs::perms FolderMode;
    const char* Target;      // the file written to, beside Pelmora.ini
    const char* ReadBefore;  // TopMost as read from Pelmora.ini
};

class RefusedWriteTest : public testing::TestWithParam<RefusedRow> {};

// Nothing is written, and Pelmora.ini keeps every byte; an unreadable file
// must not be replaced by one holding only the keys written.
TEST_P(RefusedWriteTest, KeepsOldFile)
{
    const UnprivilegedFiles unprivileged;
    if (!unprivileged.Available())
        GTEST_SKIP() << "cannot check files as an ordinary user";
    TempDir folder;
    folder.Write("Pelmora.ini", kOld);
    fs::permissions(folder.File("Pelmora.ini"), GetParam().FileMode);
    fs::permissions(folder.Path(), GetParam().FolderMode);
    EXPECT_EQ(GetProfileString(folder.File("Pelmora.ini"), "Window", "TopMost", "0", 32),
              GetParam().ReadBefore);
    EXPECT_FALSE(WriteProfileStrings(folder.File(GetParam().Target), kWrites));
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0600));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kOld);
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;");
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedWriteTest,
    testing::Values(
        RefusedRow{"ReadOnlyFileInWritableFolder", fs::perms(0444), fs::perms(0700), "Pelmora.ini", "1"},
        RefusedRow{"ReadOnlyFileAndFolder", fs::perms(0444), fs::perms(0555), "Pelmora.ini", "1"},
        RefusedRow{"NewFileInReadOnlyFolder", fs::perms(0644), fs::perms(0555), "New.ini", "1"},
        RefusedRow{"UnreadableFile", fs::perms(0200), fs::perms(0700), "Pelmora.ini", "0"}), kRowName);

} // namespace
