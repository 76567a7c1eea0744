#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "link/DeviceClaim.h"
#include "link/DeviceWatch.h"
#include "link/StableName.h"

class WakeEvent;

// Waits on a thread of its own for an adapter that went away to come back,
// using no CPU while it waits (inotify), and opens it as the port opens it
// (lock file, flock, exclusive mode): the device is opened once per return,
// and the open claim is handed to the port's owner. Start, Stop and the
// destructor run on the owner's thread.
class DeviceReturnWaiter {
public:
    // Called on the waiter's thread, once per wait that ends without a stop:
    // with the held claim, or with a claim refused for good (Error says why).
    // It must not block (the link posts it to the window thread); a claim
    // dropped unused closes the device.
    using Ended = std::function<void(std::shared_ptr<DeviceClaim> claim)>;

    DeviceReturnWaiter(ReopenTarget target, std::string lockFolder, Ended ended);
    ~DeviceReturnWaiter();
    DeviceReturnWaiter(const DeviceReturnWaiter&) = delete;
    DeviceReturnWaiter& operator=(const DeviceReturnWaiter&) = delete;

    // Whether the device can be found again at all; without an identity (a
    // bare pseudo-terminal) Start does nothing.
    bool CanReturn() const { return !watch_.Target().Identity.empty(); }

    // Starts one wait. Throws std::system_error when no thread can be had.
    void Start();
    // Ends the wait at once and joins the thread.
    void Stop();

private:
    void Run();
    int Claim(const std::string& path);

    // Only the waiter's thread uses these, between Start and the join in Stop;
    // kept across waits because the watch's inotify instance is slow to close.
    DeviceWatch watch_;
    DeviceClaim claim_;  // the last claim taken
    std::string lockFolder_;
    Ended ended_;
    std::unique_ptr<WakeEvent> wake_;  // one per wait: a signalled event stays readable
    std::thread thread_;
};
