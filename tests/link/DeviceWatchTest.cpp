#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <iostream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "link/replug/DeviceWatch.h"
#include "system/UniqueFd.h"
#include "system/WakeEvent.h"
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
    std::string locks = dir.Path();

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

// Counts the opens of one file, as inotify sees them.
class OpenCount {
public:
    explicit OpenCount(const std::string& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(fd_.Get(), path.c_str(), IN_OPEN);
    }
    int Get()
    {
        inotify_event event;
        while (::read(fd_.Get(), &event, sizeof event) == sizeof event)
            ++count_;
        return count_;
    }

private:
    UniqueFd fd_;
    int count_ = 0;
};

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
    WakeEvent wake_ = WakeEvent::Create().Value();
    std::atomic<pid_t> tid_{0};
    DeviceReturn result_;
    std::future<DeviceReturn> future_;
};

// The one name a device is accepted through again.
TEST(StableNameTest, RemembersTheIdentityOfTheOpenedDevice)
{
    enum Opened { kLink, kNode };
    enum Is { kNone, kOpenedPath, kOurs, kByPath };
    const struct {
        const char* Name;
        Opened Path;
        bool ById, ByPath, Serial;
        Is Identity;
        bool ByIdToATwinNode = false;  // another node of the same device
    } rows[] = {
        {"a link the user named", kLink, false, false, true, kOpenedPath},
        {"its by-id name", kLink, true, true, true, kOurs},
        {"its by-id name, for a bare node", kNode, true, false, true, kOurs},
        {"adapters without a serial number share a by-id name: its socket", kLink, true, true, false, kByPath},
        {"a bare node has none", kNode, false, true, true, kNone},
        {"by device number", kNode, true, false, true, kOurs, true},
    };
    CounterPty a;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ScratchDev s;
        const std::string byPath = s.dev + "/serial/by-path", sys = s.dir.File("sys"), twin = s.dir.File("twin");
        struct stat node {};
        ASSERT_EQ(::stat(a.SlavePath().c_str(), &node), 0);
        if (row.ByIdToATwinNode && ::mknod(twin.c_str(), S_IFCHR | 0600, node.st_rdev) != 0)
            continue;  // only root makes nodes
        s.Link(s.opened, a.SlavePath());
        if (row.ById)
            s.Link(s.ours, row.ByIdToATwinNode ? twin : a.SlavePath());
        if (row.ByPath)
            s.Link(byPath + "/pci-0000:00:14.0-usb-0:1:1.0", a.SlavePath());
        const fs::path usb = fs::path(sys) / "1-1", tty = fs::path(sys) / fs::path(a.SlavePath()).filename();
        fs::create_directories(usb / "1-1:1.0");
        fs::create_directories(tty);
        fs::create_directory_symlink(usb / "1-1:1.0", tty / "device");
        std::ofstream(usb / "idVendor") << "0403\n";
        if (row.Serial)
            std::ofstream(usb / "serial") << "A1\n";
        const std::string opened = row.Path == kLink ? s.opened : a.SlavePath();
        const std::string identities[] = {"", opened, s.ours, byPath + "/pci-0000:00:14.0-usb-0:1:1.0"};
        const ReopenTarget target = RememberDevice(opened, {s.byId, byPath, sys});
        EXPECT_EQ(target.Identity, identities[row.Identity]);
        EXPECT_EQ(ReturnedDevicePath(target), row.Identity == kNone ? "" : DeviceNode(target.Identity));
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
        DeviceWatch watch(RememberDevice(s.opened, s.byId), s.locks);
        EXPECT_EQ(watch.Target().Identity, comes == kAtOpenedPath ? s.opened : s.ours);
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
            EXPECT_TRUE(::isatty(result.Claim.Descriptor()));
            EXPECT_EQ(result.Claim.Path(), second.SlavePath());
        }
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

// udev removes by-id with the last adapter and makes it anew for the next,
// here both right after the open of a node that was not ready.
TEST(DeviceWatchTest, FollowsTheByIdFolderThroughItsRemaking)
{
    ScratchDev s;
    CounterPty ours;
    const std::string notReady = s.dir.File("not-a-tty");
    std::ofstream(notReady).put('\n');
    s.Link(s.ours, notReady);
    OpenCount opens(notReady);
    DeviceWatch watch({s.opened, s.ours}, s.locks);
    Waiting waiting(watch);
    ASSERT_TRUE(WaitUntil([&] { return opens.Get() == 1; }));
    fs::remove_all(s.dev + "/serial");
    fs::create_directories(s.byId);
    ASSERT_TRUE(waiting.Blocked());
    s.Link(s.ours, ours.SlavePath());
    EXPECT_EQ(waiting.Result().Claim.Path(), ours.SlavePath());
    EXPECT_EQ(opens.Get(), 1);
}

// A busy or timer-driven wait would show ticks, or at least context switches.
TEST(DeviceWatchTest, TheWaitUsesNoCpuAndEndsAtTheWake)
{
    ScratchDev s;
    DeviceWatch watch({s.opened, s.ours}, s.locks);
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
    OpenCount tries(pty.SlavePath());
    EXPECT_EQ(Waiting(watch, true).Result().Outcome, ReturnOutcome::Stopped);
    EXPECT_EQ(tries.Get(), 0);
}

}  // namespace
