#pragma once

#include <string>
#include <vector>

#include "system/SysResult.h"
#include "system/UniqueFd.h"

// One inotify instance, non-blocking. Destroying it closes the descriptor and
// with it every watch it holds.
class Inotify {
public:
    struct Event {
        int Watch = -1;
        std::string Name;  // the entry of the watched folder, empty for the folder itself
        // The watched file or folder is gone from its path; the watch is of no more use.
        bool WatchGone = false;
        // The queue overflowed: events were lost, anything may have changed.
        bool Overflow = false;
    };

    // Fails when no instance can be had (the per-user limit on inotify
    // instances, or on descriptors).
    static SysResult<Inotify> Create();

    int Descriptor() const { return fd_.Get(); }

    // Watches a folder for entries made, moved in or changed in attributes
    // (permissions, owner), and for its own deletion or move. A watch
    // descriptor, or the error (ENOTDIR for anything but a folder). A link is
    // followed; watching the same folder again gives the same descriptor.
    SysResult<int> WatchFolder(const std::string& path);
    // Quietly does nothing for a watch the kernel has already dropped.
    void Unwatch(int watch);

    // Every event queued at this moment; empty when there is none.
    std::vector<Event> TakeEvents();

private:
    explicit Inotify(UniqueFd fd) : fd_(std::move(fd)) {}

    UniqueFd fd_;
};
