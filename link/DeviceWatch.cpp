#include "link/DeviceWatch.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "link/Inotify.h"
#include "link/PortPoll.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

DeviceReturn Stopped()
{
    return {ReturnOutcome::Stopped, -1, {}, 0};
}

// The folder path lives in if it exists, else the nearest one above that does.
std::string NearestExistingFolder(const std::string& path)
{
    std::error_code error;
    fs::path folder = fs::absolute(path, error).lexically_normal().parent_path();
    while (!fs::is_directory(folder, error) && folder != folder.root_path())
        folder = folder.parent_path();
    return folder.string();
}

bool IsRefusal(int error)
{
    return error == EACCES || error == EPERM;
}

// One wait's watches, its last try and its timer. Watches are kept by folder path.
class Watcher {
public:
    Watcher(const ReopenTarget& target, const DeviceOpener& open, Inotify* inotify)
        : target_(target), open_(open), inotify_(inotify)
    {
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Leaves the instance as it was found: no watch, no event queued.
    ~Watcher()
    {
        if (inotify_ == nullptr)
            return;
        DropFoldersBut({});
        inotify_->TakeEvents();
    }

    DeviceReturn Run(int wakeFd)
    {
        if (ReadableNow(wakeFd))
            return Stopped();
        if (target_.Identity.empty()) {
            portpoll::WaitForWake(wakeFd);
            return Stopped();
        }
        for (;;) {
            FollowFolders();
            if (auto found = Look())
                return *found;
            switch (Sleep(wakeFd)) {
            case portpoll::Event::Woken:
                return Stopped();
            case portpoll::Event::HungUp:
                LookOnTheTimerAlone();
                break;
            case portpoll::Event::Data:
                HandleEvents();
                break;
            case portpoll::Event::TimedOut:
                break;
            }
        }
    }

private:
    // Watches the folder the identity lives in, or the nearest one above. A
    // folder made after it was looked for but before the watch on its parent
    // took would go unseen: so after every new watch, look again.
    void FollowFolders()
    {
        for (bool changed = inotify_ != nullptr; changed && inotify_ != nullptr;) {
            changed = false;
            const std::string wanted = NearestExistingFolder(target_.Identity);
            DropFoldersBut({wanted});
            if (folderWatches_.count(wanted) != 0)
                continue;
            const int watch = inotify_->WatchFolder(wanted);
            if (watch < 0 && watch != -ENOENT && watch != -ENOTDIR)
                LookOnTheTimerAlone();
            if (watch >= 0)
                folderWatches_[wanted] = watch;
            changed = true;
        }
    }

    void LookOnTheTimerAlone()
    {
        DropFoldersBut({});
        inotify_->TakeEvents();
        inotify_ = nullptr;
    }

    void DropFoldersBut(const std::set<std::string>& wanted)
    {
        std::set<int> kept;
        for (const auto& [folder, watch] : folderWatches_)
            if (wanted.count(folder) != 0)
                kept.insert(watch);
        for (auto entry = folderWatches_.begin(); entry != folderWatches_.end();) {
            if (wanted.count(entry->first) != 0) {
                ++entry;
                continue;
            }
            // Two paths to one folder share a watch.
            if (kept.count(entry->second) == 0)
                inotify_->Unwatch(entry->second);
            entry = folderWatches_.erase(entry);
        }
    }

    void HandleEvents()
    {
        for (const Inotify::Event& event : inotify_->TakeEvents()) {
            if (event.Overflow) {
                // Lost events may include a folder's removal: start the folders afresh.
                DropFoldersBut({});
            } else if (event.WatchGone) {
                inotify_->Unwatch(event.Watch);
                std::erase_if(folderWatches_, [&](const auto& entry) { return entry.second == event.Watch; });
            }
        }
    }

    std::optional<DeviceReturn> Look()
    {
        const std::string node = ReturnedDevicePath(target_);
        if (node.empty()) {
            retryAt_.reset();
            return std::nullopt;
        }
        const auto now = Clock::now();
        if (node == triedNode_ && retryAt_ && now < *retryAt_)
            return std::nullopt;
        const int opened = open_(node);
        if (opened >= 0)
            return DeviceReturn{ReturnOutcome::Opened, opened, node, 0};
        refusals_ = IsRefusal(-opened) ? (node == triedNode_ ? refusals_ : 0) + 1 : 0;
        triedNode_ = node;
        retryAt_ = now + kRetryInterval;
        if (refusals_ >= kMaxRefusedOpens)
            return DeviceReturn{ReturnOutcome::Failed, -1, node, -opened};
        return std::nullopt;
    }

    // Until a folder changes, the retry is due or the wake; on the timer
    // alone, a look every kRetryInterval.
    portpoll::Event Sleep(int wakeFd)
    {
        const int eventFd = inotify_ != nullptr ? inotify_->Descriptor() : -1;
        if (inotify_ == nullptr && !retryAt_)
            retryAt_ = Clock::now() + kRetryInterval;
        if (!retryAt_)
            return portpoll::WaitForPort(eventFd, wakeFd);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*retryAt_ - Clock::now());
        return portpoll::WaitForPort(eventFd, wakeFd, std::max(left, std::chrono::milliseconds(0)));
    }

    const ReopenTarget& target_;
    const DeviceOpener& open_;
    Inotify* inotify_;  // null: looking on the timer alone
    std::map<std::string, int> folderWatches_;  // folder path -> watch
    std::string triedNode_;                      // the node of the last failed open
    std::optional<Clock::time_point> retryAt_;   // when a look is due without an event
    int refusals_ = 0;                           // refused opens of triedNode_ in a row
};

}  // namespace

DeviceWatch::DeviceWatch(ReopenTarget target, DeviceOpener open)
    : target_(std::move(target)), open_(std::move(open))
{
}

DeviceWatch::~DeviceWatch() = default;

DeviceReturn DeviceWatch::Wait(int wakeFd)
{
    if (!inotify_) {
        try {
            inotify_ = std::make_unique<Inotify>();
        } catch (const std::system_error&) {
            // Looked for on the timer alone this time.
        }
    }
    return Watcher(target_, open_, inotify_.get()).Run(wakeFd);
}
