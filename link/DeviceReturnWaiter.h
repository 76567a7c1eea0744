#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "link/DeviceWatch.h"
#include "link/StableName.h"

class WakeEvent;

// Waits on a thread of its own for an adapter that went away to come back,
// using no CPU while it waits (inotify), and reports the path to open. It
// never keeps the device open: the port's owner opens it again, on its own
// thread. Start, Stop and the destructor run on the owner's thread.
class DeviceReturnWaiter {
public:
    // Called on the waiter's thread, once, with the path that can be opened
    // now; it must not block (the link posts it to the window thread).
    using Returned = std::function<void(const std::string& path)>;

    DeviceReturnWaiter(ReopenTarget target, Returned returned);
    ~DeviceReturnWaiter();
    DeviceReturnWaiter(const DeviceReturnWaiter&) = delete;
    DeviceReturnWaiter& operator=(const DeviceReturnWaiter&) = delete;

    // Starts one wait; a wait that ends without the device (Stop, or the node
    // refusing every try) reports nothing.
    void Start();
    // Ends the wait at once and joins the thread.
    void Stop();

private:
    void Run();

    // Only the waiter's thread uses it, between Start and the join in Stop; kept
    // across waits because its inotify instance is slow to close.
    DeviceWatch watch_;
    Returned returned_;
    std::unique_ptr<WakeEvent> wake_;  // one per wait: a signalled event stays readable
    std::thread thread_;
};
