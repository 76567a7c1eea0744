#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "link/port/DeviceClaim.h"
#include "link/replug/DeviceWatch.h"
#include "link/replug/StableName.h"
#include "system/SysResult.h"
#include "system/WakeEvent.h"

// Runs the waits of a DeviceWatch on a thread of its own, one at a time, and
// hands what each gave to the port's owner. Start, Stop and the destructor run
// on the owner's thread.
class DeviceReturnWaiter {
public:
    // Called on the waiter's thread, once per wait that ends without a stop:
    // with the claimed device, or with why it was refused for good. It must
    // not block (the link posts it to the window thread); a claim dropped
    // unused closes the device.
    using Ended = std::function<void(std::shared_ptr<Claimed> claimed)>;

    DeviceReturnWaiter(ReopenTarget target, std::string lockFolder, Ended ended);
    ~DeviceReturnWaiter();
    DeviceReturnWaiter(const DeviceReturnWaiter&) = delete;
    DeviceReturnWaiter& operator=(const DeviceReturnWaiter&) = delete;

    // Whether the device can be found again at all; without an identity (a
    // bare pseudo-terminal) Start does nothing.
    bool CanReturn() const { return !watch_.Target().Identity.empty(); }

    // Starts one wait; fails when no wake event or thread can be had.
    SysStatus Start();
    // Ends the wait at once and joins the thread.
    void Stop();

private:
    void Run();

    // Only the waiter's thread uses it, between Start and the join in Stop;
    // kept across waits because its inotify instance is slow to close.
    DeviceWatch watch_;
    Ended ended_;
    std::optional<WakeEvent> wake_;  // one per wait: a signalled event stays readable
    std::thread thread_;
};
