#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

// Other processes that hold a serial device, for the tests of how a port
// refuses, names and takes over what they leave.

enum class Hold {
    ExclusiveMark,  // an open with TIOCEXCL, no flock, no lock file
    FlockAlone,     // an open with flock, no TIOCEXCL
    Terminal,       // a bare open with echo and line editing on, as a shell's terminal
};

// A process named kHolderName holding a device as told until it is dropped
// (it is killed then), or until End.
class HoldingProcess {
public:
    static constexpr const char* kHolderName = "port-holder";

    // asNobody: the process switches to user nobody before it opens the device.
    HoldingProcess(const std::string& device, Hold how, bool asNobody = false);
    ~HoldingProcess();
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    // False when the child could not take the device.
    bool Holds() const { return holds_; }
    pid_t Pid() const { return pid_; }
    // Kills it and waits for it.
    void End();

private:
    pid_t pid_ = -1;
    bool holds_ = false;
};

// A process that marks the device exclusive and ends without clearing the mark
// (as a crash or kill -9 leaves it); true when it did so.
bool LeaveExclusiveMark(const std::string& device);

// Runs act in a child process switched to user nobody and gives what act
// returned; "<child failed>" when it could not switch or did not end in time.
std::string AsNobody(const std::function<std::string()>& act);

// Whether the terminal at device is marked exclusive (asked through an open of root's own).
bool MarkedExclusive(const std::string& device);
