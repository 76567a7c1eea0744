#include "settings/FileStore.h"
#include "settings/Profile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

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
    TempFolder folder;
    std::string content = "stale";
    EXPECT_EQ(ReadFileBytes(folder.File("none.ini"), content), FileRead::Missing);
    EXPECT_EQ(content, "");
    EXPECT_EQ(ReadFileBytes(folder.Path(), content), FileRead::Failed);
    folder.Write("plain", std::string("a\0\r\nb", 5));
    EXPECT_EQ(ReadFileBytes(folder.File("plain"), content), FileRead::Ok);
    EXPECT_EQ(content, std::string("a\0\r\nb", 5));
    EXPECT_EQ(ReadFileBytes(folder.File("plain/below"), content), FileRead::Failed);
}

// A pipe without a writer would block a plain open for ever.
TEST(ReadFileBytesTest, PipeIsRefusedWithoutWaiting)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.File("Pelmora.ini").c_str(), 0600), 0);
    std::string content;
    EXPECT_EQ(ReadFileBytes(folder.File("Pelmora.ini"), content), FileRead::Failed);
    EXPECT_FALSE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_TRUE(fs::is_fifo(folder.File("Pelmora.ini")));
}

TEST(ReadFileBytesTest, OversizedFileIsNeitherReadNorRewritten)
{
    TempFolder folder;
    folder.Write("Pelmora.ini", "[Window]\nTopMost=1\n");
    fs::resize_file(folder.File("Pelmora.ini"), kMaxSettingsFileSize + 1);
    std::string content;
    EXPECT_EQ(ReadFileBytes(folder.File("Pelmora.ini"), content), FileRead::Failed);
    EXPECT_EQ(GetProfileString(folder.File("Pelmora.ini"), "Window", "TopMost", "0", 32), "0");
    EXPECT_FALSE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(fs::file_size(folder.File("Pelmora.ini")), kMaxSettingsFileSize + 1);
}

TEST(ResolveLinksTest, FollowsChainsAndStopsOnLoops)
{
    TempFolder folder;
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

TEST(WriteProfileStringsTest, ReplacesAtomicallyKeepingMode)
{
    TempFolder folder;
    folder.Write("Pelmora.ini", kOld);
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0640));
    const ino_t before = InodeOf(folder.File("Pelmora.ini"));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kNew);
    EXPECT_NE(InodeOf(folder.File("Pelmora.ini")), before);
    EXPECT_EQ(ModeOf(folder.File("Pelmora.ini")), 0640u);
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;");
}

TEST(WriteProfileStringsTest, NothingToChangeLeavesFileAlone)
{
    TempFolder folder;
    folder.Write("Pelmora.ini", kNew);
    const ino_t before = InodeOf(folder.File("Pelmora.ini"));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(InodeOf(folder.File("Pelmora.ini")), before);
}

TEST(WriteProfileStringsTest, WritesThroughSymbolicLink)
{
    TempFolder folder;
    fs::create_directory(folder.File("shared"));
    folder.Write("shared/real.ini", kOld);
    fs::create_symlink("shared/real.ini", folder.File("Pelmora.ini"));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_TRUE(fs::is_symlink(folder.File("Pelmora.ini")));
    EXPECT_EQ(folder.Read("shared/real.ini"), kNew);
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;shared;");
}

TEST(WriteProfileStringsTest, DanglingLinkCreatesItsTarget)
{
    TempFolder folder;
    fs::create_symlink("made.ini", folder.File("Pelmora.ini"));
    EXPECT_TRUE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_TRUE(fs::is_symlink(folder.File("Pelmora.ini")));
    EXPECT_EQ(folder.Read("made.ini"), "[Window]\nTopMost=0\n");
}

TEST(WriteProfileStringsTest, ImpossiblePathsWriteNothing)
{
    TempFolder folder;
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
    TempFolder folder;
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
    TempFolder folder;
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

TEST(WriteProfileStringsTest, NothingWritableKeepsOldFile)
{
    const UnprivilegedFiles unprivileged;
    if (!unprivileged.Available())
        GTEST_SKIP() << "cannot check files as an ordinary user";
    TempFolder folder;
    folder.Write("Pelmora.ini", kOld);
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0444));
    fs::permissions(folder.Path(), fs::perms(0555));
    EXPECT_FALSE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kOld);
    EXPECT_FALSE(WriteProfileStrings(folder.File("New.ini"), kWrites));
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;");
}

TEST(WriteProfileStringsTest, ReadOnlyFileInWritableFolderIsKept)
{
    const UnprivilegedFiles unprivileged;
    if (!unprivileged.Available())
        GTEST_SKIP() << "cannot check files as an ordinary user";
    TempFolder folder;
    folder.Write("Pelmora.ini", kOld);
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0444));
    EXPECT_FALSE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kOld);
    EXPECT_EQ(folder.Listing(), "Pelmora.ini;");
}

// An unreadable file must not be replaced by one holding only the six keys.
TEST(WriteProfileStringsTest, UnreadableFileIsNotReplaced)
{
    const UnprivilegedFiles unprivileged;
    if (!unprivileged.Available())
        GTEST_SKIP() << "cannot check files as an ordinary user";
    TempFolder folder;
    folder.Write("Pelmora.ini", kOld);
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0200));
    EXPECT_EQ(GetProfileString(folder.File("Pelmora.ini"), "Window", "TopMost", "0", 32), "0");
    EXPECT_FALSE(WriteProfileStrings(folder.File("Pelmora.ini"), kWrites));
    fs::permissions(folder.File("Pelmora.ini"), fs::perms(0600));
    EXPECT_EQ(folder.Read("Pelmora.ini"), kOld);
}

} // namespace
