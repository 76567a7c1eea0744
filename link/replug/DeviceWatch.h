#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "link/port/DeviceClaim.h"
#include "link/replug/StableName.h"
#include "system/Inotify.h"
#include "system/PortPoll.h"

// Waiting for an unplugged serial adapter to come back, and claiming it as
// the port claims a device (DeviceClaim).
//
// The wait blocks in poll on an inotify descriptor beside a wake descriptor:
// it uses no CPU while nothing changes. Watched is the nearest existing
// folder on the way to where the device's identity can reappear (udev removes
// /dev/serial/by-id with the last adapter, so the watch may sit on /dev and
// move down as the folders come back). An open that fails is tried again on
// a timer; where inotify cannot be had or a folder cannot be watched, the
// wait looks on that timer alone.

enum class ReturnOutcome {
    Opened,   // the device is back and claimed
    Stopped,  // the wake descriptor was signalled
    Failed,   // the device is back, but every open was refused; Failure says why
};

struct DeviceReturn {
    ReturnOutcome Outcome = ReturnOutcome::Stopped;
    DeviceClaim Claim;    // Opened: the device under the path it was opened by
    OpenFailure Failure;  // Failed: the last refusal
};

// A device that is back but does not open (held by another program, open in
// another process, not ready, refused) is tried again after this long, never
// sooner.
inline constexpr std::chrono::milliseconds kRetryInterval{1000};
// Permissions that refuse this many opens in a row of one node are not
// udev's passing state: the wait fails.
inline constexpr int kMaxRefusedOpens = 10;

// Waits, as often as needed, for one remembered device. Wait runs on one
// thread at a time; the wake descriptor is signalled from anywhere.
//
// The inotify instance is made at the first Wait and kept for the next ones,
// which costs no CPU and holds no watch between waits. It closes with the
// object: closing an instance shortly after its watches went is slow (the
// kernel waits for a grace period, 10-30 ms), so Wait itself never closes it.
class DeviceWatch {
public:
    // lockFolder: where UUCP lock files are kept.
    DeviceWatch(ReopenTarget target, std::string lockFolder);
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    const ReopenTarget& Target() const { return target_; }

    // Blocks until the device is back and open, or wakeFd becomes readable
    // (it is never read, so one signal stops every later wait too).
    //
    // - Looks at once: a device that is already back is opened without
    //   waiting; a wakeFd that is already readable gives Stopped, no open.
    // - Which path is opened: ReturnedDevicePath(Target()); a target without
    //   an identity never comes back, and its wait only ends at the wake.
    // - A node that another process has open (one whose descriptors this
    //   user can read; never this process) is not opened: like an open that
    //   fails, it is tried again after kRetryInterval, or at once when the
    //   identity leads to another node. After kMaxRefusedOpens
    //   refusals (EACCES, EPERM) of one node in a row, Failed.
    // - Without inotify (EMFILE: the per-user limit on instances) or a watch
    //   (ENOSPC: the limit on watches; EACCES), it looks every kRetryInterval.
    // - Every watch of the wait is removed before it returns.
    // - A stop signalled while a claim is taken can still end in Opened: the
    //   caller checks its own stop state and drops the claim then.
    DeviceReturn Wait(int wakeFd);

private:
    using Clock = std::chrono::steady_clock;

    DeviceReturn WaitForTheDevice(int wakeFd);
    void FollowFolders();
    void LookOnTheTimerAlone();
    void DropFoldersBut(const std::set<std::string>& wanted);
    void HandleEvents();
    std::optional<DeviceReturn> Look();
    // Counts a refusal by permissions (refused) and sets the next look.
    void RetryLater(const std::string& node, Clock::time_point now, bool refused);
    portpoll::Event Sleep(int wakeFd);

    ReopenTarget target_;
    std::string lockFolder_;
    std::optional<Inotify> inotify_;  // made at the first wait that can have one

    // One wait's state, fresh at each Wait.
    Inotify* events_ = nullptr;                  // null: looking on the timer alone
    std::map<std::string, int> folderWatches_;  // folder path -> watch
    std::string triedNode_;                      // the node of the last failed open
    std::optional<Clock::time_point> retryAt_;   // when a look is due without an event
    int refusals_ = 0;                           // refused opens of triedNode_ in a row
};
