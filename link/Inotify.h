#pragma once

#include <string>
#include <vector>

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

    // Throws std::system_error when no instance can be had (the per-user
    // limit on inotify instances, or on descriptors).
    Inotify();
    ~Inotify();
    Inotify(const Inotify&) = delete;
    Inotify& operator=(const Inotify&) = delete;

    int Descriptor() const { return fd_; }

    // Watches a folder for entries made, moved in or changed in attributes
    // (permissions, owner), and for its own deletion or move. A watch
    // descriptor, or -errno (ENOTDIR for anything but a folder). A link is
    // followed; watching the same folder again gives the same descriptor.
    int WatchFolder(const std::string& path);
    // Quietly does nothing for a watch the kernel has already dropped.
    void Unwatch(int watch);

    // Every event queued at this moment; empty when there is none.
    std::vector<Event> TakeEvents();

private:
    int fd_;
};

// True when fd is readable at this moment; for a wake descriptor that may
// already have been signalled.
bool ReadableNow(int fd);
