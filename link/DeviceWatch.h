#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "link/StableName.h"

// Waiting for an unplugged serial adapter to come back, and opening it.
//
// The wait blocks in poll on an inotify descriptor beside a wake descriptor:
// it uses no CPU while nothing changes. Watched is the nearest existing
// folder on the way to where the device's identity can reappear (udev removes
// /dev/serial/by-id with the last adapter, so the watch may sit on /dev and
// move down as the folders come back). An open that fails is tried again on
// a timer; where inotify cannot be had or a folder cannot be watched, the
// wait looks on that timer alone.

// Opens the device at path as the port needs it: a descriptor >= 0, or -errno.
// Runs on the waiting thread.
using DeviceOpener = std::function<int(const std::string& path)>;

enum class ReturnOutcome {
    Opened,   // the device is back and open
    Stopped,  // the wake descriptor was signalled
    Failed,   // the device is back, but every open was refused; Error says why
};

struct DeviceReturn {
    ReturnOutcome Outcome = ReturnOutcome::Stopped;
    int Fd = -1;       // Opened: the descriptor the opener gave; the caller owns it
    std::string Path;  // Opened, Failed: the path it was opened under, or refused
    int Error = 0;     // Failed: an errno value
};

// A device that is back but does not open (held by another program, not
// ready, refused) is tried again after this long, never sooner.
inline constexpr std::chrono::milliseconds kRetryInterval{1000};
// Permissions that refuse this many opens in a row of one node are not
// udev's passing state: the wait fails.
inline constexpr int kMaxRefusedOpens = 10;

class Inotify;

// Waits, as often as needed, for one remembered device. Meant to be owned by
// the thread that reads the port, one per connection; Wait runs on that
// thread (one Wait at a time), the wake descriptor is signalled from anywhere.
//
// The inotify instance is made at the first Wait and kept for the next ones,
// which costs no CPU and holds no watch between waits. It closes with the
// object: closing an instance shortly after its watches went is slow (the
// kernel waits for a grace period, 10-30 ms), so Wait itself never closes it.
class DeviceWatch {
public:
    DeviceWatch(ReopenTarget target, DeviceOpener open);
    ~DeviceWatch();
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
    // - An open that fails is tried again after kRetryInterval, or at once
    //   when the identity leads to another node; after kMaxRefusedOpens
    //   refusals (EACCES, EPERM) of one node in a row, Failed.
    // - Without inotify (EMFILE: the per-user limit on instances) or a watch
    //   (ENOSPC: the limit on watches; EACCES), it looks every kRetryInterval.
    // - Every watch of the wait is removed before it returns.
    // - A stop signalled while the opener runs can still end in Opened: the
    //   caller checks its own stop state and closes Fd then.
    DeviceReturn Wait(int wakeFd);

private:
    ReopenTarget target_;
    DeviceOpener open_;
    std::unique_ptr<Inotify> inotify_;  // made at the first wait that can have one
};
