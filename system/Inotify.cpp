#include "system/Inotify.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t kFolderMask =
    IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kGoneMask = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

Inotify::Event Decode(const inotify_event& raw, const char* name)
{
    Inotify::Event event;
    event.Watch = raw.wd;
    // The name is padded with NULs to its length.
    event.Name.assign(name, ::strnlen(name, raw.len));
    event.WatchGone = (raw.mask & kGoneMask) != 0;
    event.Overflow = (raw.mask & IN_Q_OVERFLOW) != 0;
    return event;
}

void DecodeAll(const char* bytes, std::size_t size, std::vector<Inotify::Event>& events)
{
    std::size_t offset = 0;
    while (offset + sizeof(inotify_event) <= size) {
        inotify_event raw;
        std::memcpy(&raw, bytes + offset, sizeof raw);
        events.push_back(Decode(raw, bytes + offset + sizeof raw));
        offset += sizeof raw + raw.len;
    }
}

}  // namespace

SysResult<Inotify> Inotify::Create()
{
    UniqueFd fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!fd.Valid())
        return LastSysError();
    return Inotify(std::move(fd));
}

SysResult<int> Inotify::WatchFolder(const std::string& path)
{
    const int watch = ::inotify_add_watch(fd_.Get(), path.c_str(), kFolderMask);
    if (watch < 0)
        return LastSysError();
    return watch;
}

void Inotify::Unwatch(int watch)
{
    ::inotify_rm_watch(fd_.Get(), watch);
}

std::vector<Inotify::Event> Inotify::TakeEvents()
{
    std::vector<Event> events;
    // Room for many events; a read never splits one.
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t size = ::read(fd_.Get(), buffer, sizeof buffer);
        if (size > 0)
            DecodeAll(buffer, static_cast<std::size_t>(size), events);
        else if (size < 0 && errno == EINTR)
            continue;
        else
            return events;
    }
}
