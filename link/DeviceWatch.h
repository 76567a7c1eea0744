#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/StableName.h"

// Waiting for an unplugged serial adapter to come back, and opening it.
//
// The wait blocks in poll on an inotify descriptor beside a wake descriptor:
// it uses no CPU while nothing changes. Watched are the nearest existing
// folders on the way to where the opened path and the stable name can
// reappear (udev removes /dev/serial/by-id with the last adapter, so the
// watch may sit on /dev and move down as the folders come back), and, after
// an open was refused, the folder of the refused node.

// Opens the device at path as the port needs it: a descriptor >= 0, or -errno.
// Runs on the waiting thread.
using DeviceOpener = std::function<int(const std::string& path)>;

enum class ReturnOutcome {
    Opened,   // the device is back and open
    Stopped,  // the wake descriptor was signalled
    Failed,   // waiting cannot go on; Error says why
};

struct DeviceReturn {
    ReturnOutcome Outcome = ReturnOutcome::Stopped;
    int Fd = -1;       // Opened: the descriptor the opener gave; the caller owns it
    std::string Path;  // Opened: the path it was opened under
    int Error = 0;     // Failed: an errno value
};

// udev makes a node before it sets its owner and permissions, so an open may
// be refused for a moment. A refused node is tried again whenever its
// attributes change, up to this many tries in all.
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
    // - Which path is opened: ReturnedDevicePath(Target()) - the node the
    //   stable name leads to, or else the opened path as given.
    // - The opener refusing with EACCES or EPERM: the node is tried again at
    //   once and then on each change of its attributes (or its entry being
    //   made anew); after kMaxRefusedOpens refusals, Failed with that error.
    //   Any other error means "not ready yet": tried again after the next
    //   change in the watched folders.
    // - Failed also when inotify cannot be had (EMFILE: the per-user limit on
    //   instances) or a folder cannot be watched (ENOSPC: the limit on
    //   watches; EACCES).
    // - Every watch of the wait is removed before it returns.
    // - A stop signalled while the opener runs can still end in Opened: the
    //   caller checks its own stop state and closes Fd then.
    DeviceReturn Wait(int wakeFd);

private:
    ReopenTarget target_;
    DeviceOpener open_;
    std::unique_ptr<Inotify> inotify_;  // made at the first wait
};
