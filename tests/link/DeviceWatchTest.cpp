#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <iostream>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "link/DeviceWatch.h"
#include "link/WakeEvent.h"
#include "tests/link/LinkTestSupport.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

// Stands in for /dev: "ttyX" is the opened path; serial/by-id comes and goes
// as udev makes it, each link made under a temporary name and renamed.
struct ScratchDev {
    TempDir dir;
    std::string dev = dir.File("dev"), opened = dev + "/ttyX", byId = dev + "/serial/by-id";
    std::string ours = byId + "/usb-Pelmora_0001-if00", other = byId + "/usb-Other_0002-if00";

    ScratchDev()
    {
        fs::create_directories(dev);
        // Whatever the umask, an ordinary user gets through to the links.
        fs::permissions(dir.Path(), fs::perms(0755));
        fs::permissions(dev, fs::perms(0755));
    }
    void Link(const std::string& name, const std::string& node) const
    {
        fs::create_directories(fs::path(name).parent_path());
        fs::create_symlink(node, name + ".tmp");
        fs::rename(name + ".tmp", name);
    }
    void Unplug() const
    {
        fs::remove(opened);
        fs::remove_all(dev + "/serial");
    }
};

// State, system call it sleeps in, utime + stime and context switches of
// one thread of this process.
struct TaskUse {
    char State = '?';
    long Syscall = -1, Ticks = -1, Switches = 0;

    bool SleepsInPoll() const
    {
#ifdef SYS_poll
        if (Syscall == SYS_poll)
            return State == 'S';
#endif
        return State == 'S' && Syscall == SYS_ppoll;
    }
};

TaskUse ReadTaskUse(pid_t tid)
{
    const std::string task = "/proc/self/task/" + std::to_string(tid);
    std::ifstream statFile(task + "/stat"), status(task + "/status"), syscall(task + "/syscall");
    const std::string stat(std::istreambuf_iterator<char>(statFile), {});
    TaskUse use;
    syscall >> use.Syscall;
    unsigned long utime = 0, stime = 0;
    if (std::sscanf(stat.c_str() + stat.rfind(')') + 1, " %c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                    &use.State, &utime, &stime) == 3)
        use.Ticks = static_cast<long>(utime + stime);
    for (std::string line; std::getline(status, line);)
        if (line.find("ctxt_switches:") != std::string::npos)
            use.Switches += std::stol(line.substr(line.find(':') + 1));
    return use;
}

int InotifyWatchCount()
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fdinfo")) {
        std::ifstream info(entry.path());
        for (std::string line; std::getline(info, line);)
            count += line.rfind("inotify wd:", 0) == 0 ? 1 : 0;
    }
    return count;
}

// Opens as the port would and counts the tries; as an ordinary user when
// asked, since root passes any permission bits.
DeviceOpener CountingOpener(std::atomic<int>& tries, bool ordinaryUser = false)
{
    return [&tries, ordinaryUser](const std::string& path) {
        ::setfsuid(ordinaryUser && ::geteuid() == 0 ? 65534 : ::geteuid());
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        const int result = fd >= 0 ? fd : -errno;
        ::setfsuid(::geteuid());
        ++tries;
        return result;
    };
}

// One wait on a thread of its own, while the test plays udev.
class Waiting {
public:
    explicit Waiting(DeviceWatch& watch, bool stoppedBefore = false)
        : future_(std::async(std::launch::async, [this, &watch, stoppedBefore] {
              tid_ = ::gettid();
              if (stoppedBefore)
                  wake_.Signal();
              return watch.Wait(wake_.Descriptor());
          }))
    {
    }
    ~Waiting() { ::close(Result().Fd); }

    bool Blocked()
    {
        return WaitUntil([&] { return tid_ != 0 && ReadTaskUse(tid_).SleepsInPoll(); });
    }
    pid_t Tid() const { return tid_; }
    void Stop() { wake_.Signal(); }
    // A wait still going after kPatience is stopped: Stopped then tells of a miss.
    const DeviceReturn& Result()
    {
        if (future_.valid()) {
            if (future_.wait_for(kPatience) != std::future_status::ready)
                Stop();
            result_ = future_.get();
        }
        return result_;
    }

private:
    WakeEvent wake_;
    std::atomic<pid_t> tid_{0};
    DeviceReturn result_;
    std::future<DeviceReturn> future_;
};

enum To { kNoLink, kToA, kToB, kNowhere };
enum Is { kEmpty, kOpenedPath, kNodeA, kNodeB, kOurs, kOther };

TEST(StableNameTest, FindsTheAdapterByItsStableName)
{
    struct {
        const char* Name;
        To Opened, Ours, Other;
        Is Found, Returned, Resolved;  // FindStableName, ReturnedDevicePath, ResolveForReopen
    } const rows[] = {
        {"only the opened path", kToA, kNoLink, kNoLink, kEmpty, kOpenedPath, kOpenedPath},
        {"our entry", kToA, kToA, kToB, kOurs, kNodeA, kNodeA},
        {"back under another node", kNowhere, kToB, kNoLink, kEmpty, kNodeB, kNodeB},
        {"the stable name wins", kToA, kToB, kNoLink, kEmpty, kNodeB, kNodeB},
        {"another adapter took the node", kToA, kNowhere, kToA, kOther, kEmpty, kOpenedPath},
        {"not back", kNoLink, kNowhere, kNoLink, kEmpty, kEmpty, kOpenedPath},
    };
    CounterPty a, b;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ScratchDev s;
        const std::string nodes[] = {"", a.SlavePath(), b.SlavePath(), s.dir.File("gone")};
        const std::string paths[] = {"", s.opened, a.SlavePath(), b.SlavePath(), s.ours, s.other};
        fs::create_directories(s.byId);
        for (const auto& [name, to] : {std::pair{s.opened, row.Opened}, {s.ours, row.Ours}, {s.other, row.Other}})
            if (to != kNoLink)
                s.Link(name, nodes[to]);
        EXPECT_EQ(FindStableName(s.opened, s.byId), paths[row.Found]);
        EXPECT_EQ(ReturnedDevicePath({s.opened, s.ours}), paths[row.Returned]);
        EXPECT_EQ(ResolveForReopen({s.opened, s.ours}), paths[row.Resolved]);
    }
}

// Each way of coming back, over and over: 102 cycles in all.
TEST(DeviceWatchTest, OpensTheDeviceWhereItComesBackAndLeavesNothingBehind)
{
    enum Comes { kAtOpenedPath, kAtStableName, kAtBoth };
    const std::pair<const char*, Comes> rows[] = {
        {"same path, no stable name", kAtOpenedPath},
        {"same path and stable name", kAtBoth},
        {"a new node under the stable name", kAtStableName},
    };
    const int descriptors = OpenDescriptorCount(), watches = InotifyWatchCount();
    for (const auto& [name, comes] : rows) {
        SCOPED_TRACE(name);
        ScratchDev s;
        auto first = std::make_unique<CounterPty>();
        s.Link(s.opened, first->SlavePath());
        if (comes != kAtOpenedPath)
            s.Link(s.ours, first->SlavePath());
        std::atomic<int> tries{0};
        DeviceWatch watch(RememberDevice(s.opened, s.byId), CountingOpener(tries));
        EXPECT_EQ(watch.Target().StableName, comes == kAtOpenedPath ? "" : s.ours);
        first.reset();
        for (int cycle = 0; cycle < 34; ++cycle) {
            SCOPED_TRACE(cycle);
            ASSERT_EQ(InotifyWatchCount(), watches) << "every wait removes its watches";
            s.Unplug();
            Waiting waiting(watch);
            ASSERT_TRUE(waiting.Blocked());
            EXPECT_GT(InotifyWatchCount(), watches) << "the probe sees the watches";
            CounterPty second;
            if (comes != kAtStableName)
                s.Link(s.opened, second.SlavePath());
            if (comes != kAtOpenedPath)
                s.Link(s.ours, second.SlavePath());
            const DeviceReturn& result = waiting.Result();
            ASSERT_EQ(result.Outcome, ReturnOutcome::Opened);
            EXPECT_TRUE(::isatty(result.Fd));
            EXPECT_EQ(DeviceNode(result.Path), second.SlavePath());
            EXPECT_TRUE(comes == kAtBoth || result.Path == (comes == kAtOpenedPath ? s.opened : second.SlavePath()));
        }
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

// udev removes by-id with the last adapter and makes it anew for the next,
// here both while the wait is busy in an open.
TEST(DeviceWatchTest, FollowsTheByIdFolderThroughItsRemaking)
{
    ScratchDev s;
    CounterPty notReady, otherAdapter, ours;
    s.Link(s.opened, notReady.SlavePath());
    s.Link(s.other, otherAdapter.SlavePath());
    std::atomic<int> opens{0};
    std::atomic<bool> released{false};
    DeviceWatch watch({s.opened, s.ours}, [&](const std::string& path) {
        if (path != s.opened)
            return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (++opens == 1)
            WaitUntil([&] { return released.load(); });
        return -ENXIO;
    });
    Waiting waiting(watch);
    ASSERT_TRUE(WaitUntil([&] { return opens == 1; }));
    fs::remove_all(s.dev + "/serial");
    fs::create_directories(s.byId);
    released = true;
    // The second open comes after the folder events were handled.
    ASSERT_TRUE(WaitUntil([&] { return opens == 2; }));
    ASSERT_TRUE(waiting.Blocked());
    s.Link(s.ours, ours.SlavePath());
    EXPECT_EQ(waiting.Result().Path, ours.SlavePath());
}

// udev: the node appears unreadable, its permissions come a moment later.
TEST(DeviceWatchTest, ARefusedNodeIsTriedAgainWhenItsPermissionsChange)
{
    struct {
        int RefusingChanges;  // attribute changes that leave the node unreadable
        bool ThenReadable;
        ReturnOutcome Outcome;
        int Tries, Error;
    } const rows[] = {
        {1, true, ReturnOutcome::Opened, 4, 0},
        {kMaxRefusedOpens - 2, false, ReturnOutcome::Failed, kMaxRefusedOpens, EACCES},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.RefusingChanges);
        ScratchDev s;
        std::atomic<int> tries{0};
        DeviceWatch watch({s.opened, {}}, CountingOpener(tries, true));
        Waiting waiting(watch);
        ASSERT_TRUE(waiting.Blocked());
        CounterPty pty;
        ::chmod(pty.SlavePath().c_str(), 0);
        s.Link(s.opened, pty.SlavePath());
        // Two refusals first: on appearing, and once more after the watch took.
        for (int refused = 2; refused <= 2 + row.RefusingChanges; ++refused) {
            ASSERT_TRUE(WaitUntil([&] { return tries == refused; }));
            ::chmod(pty.SlavePath().c_str(), refused < 2 + row.RefusingChanges || !row.ThenReadable ? 0 : 0666);
        }
        EXPECT_EQ(waiting.Result().Outcome, row.Outcome);
        EXPECT_EQ(waiting.Result().Error, row.Error);
        EXPECT_EQ(tries, row.Tries);
    }
}

// A busy or timer-driven wait would show ticks, or at least context switches.
TEST(DeviceWatchTest, TheWaitUsesNoCpuAndEndsAtTheWake)
{
    ScratchDev s;
    std::atomic<int> tries{0};
    DeviceWatch watch({s.opened, s.ours}, CountingOpener(tries));
    Waiting waiting(watch);
    ASSERT_TRUE(waiting.Blocked());
    const TaskUse before = ReadTaskUse(waiting.Tid());
    std::this_thread::sleep_for(3s);  // the measurement window
    const TaskUse after = ReadTaskUse(waiting.Tid());
    ASSERT_GE(before.Ticks, 0);
    EXPECT_EQ(after.Ticks - before.Ticks, 0);
    EXPECT_EQ(after.Switches - before.Switches, 0);

    const auto signalled = std::chrono::steady_clock::now();
    waiting.Stop();
    EXPECT_EQ(waiting.Result().Outcome, ReturnOutcome::Stopped);
    const std::chrono::duration<double, std::micro> latency = std::chrono::steady_clock::now() - signalled;
    std::cout << "wake to stopped, seen by the stopper: " << latency.count() << " us\n";

    // A stop before the wait wins over a device that is there.
    CounterPty pty;
    s.Link(s.opened, pty.SlavePath());
    EXPECT_EQ(Waiting(watch, true).Result().Outcome, ReturnOutcome::Stopped);
    EXPECT_EQ(tries, 0);
}

}  // namespace
