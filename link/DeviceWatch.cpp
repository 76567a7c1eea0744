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

namespace {

DeviceReturn Failure(int error)
{
    return {ReturnOutcome::Failed, -1, {}, error};
}

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

// A node whose open was refused. Watching the node itself would need read
// permission on it, which is just what is missing: its folder is watched
// instead, for events that name it.
struct Refusal {
    std::string Node;  // empty while no open is refused
    int Tries = 0;
    bool EntryChanged = false;

    std::string Folder() const { return fs::path(Node).parent_path().string(); }
    std::string Name() const { return fs::path(Node).filename().string(); }
};

// One wait's watches and what it has seen. Watches are kept by folder path.
class Watcher {
public:
    Watcher(const ReopenTarget& target, const DeviceOpener& open, Inotify& inotify)
        : target_(target), open_(open), inotify_(inotify)
    {
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Leaves the instance as it was found: no watch, no event queued.
    ~Watcher()
    {
        DropFoldersBut({});
        inotify_.TakeEvents();
    }

    DeviceReturn Run(int wakeFd)
    {
        if (ReadableNow(wakeFd))
            return Stopped();
        for (;;) {
            if (auto failed = FollowFolders())
                return *failed;
            if (auto found = Look())
                return *found;
            const auto event = portpoll::WaitForPort(inotify_.Descriptor(), wakeFd);
            if (event == portpoll::Event::Woken)
                return Stopped();
            if (event == portpoll::Event::HungUp)
                return Failure(EIO);
            HandleEvents();
        }
    }

private:
    std::set<std::string> WantedFolders() const
    {
        std::set<std::string> folders{NearestExistingFolder(target_.OpenedPath)};
        if (!target_.StableName.empty())
            folders.insert(NearestExistingFolder(target_.StableName));
        if (!refusal_.Node.empty())
            folders.insert(refusal_.Folder());
        return folders;
    }

    // Watches the wanted folders. A folder made after it was looked for but
    // before the watch on its parent took would go unseen: so after every new
    // watch, look for the wanted folders again.
    std::optional<DeviceReturn> FollowFolders()
    {
        for (bool changed = true; changed;) {
            changed = false;
            const std::set<std::string> wanted = WantedFolders();
            DropFoldersBut(wanted);
            for (const std::string& folder : wanted) {
                if (folderWatches_.count(folder) != 0)
                    continue;
                const int watch = inotify_.WatchFolder(folder);
                if (watch < 0 && watch != -ENOENT && watch != -ENOTDIR)
                    return Failure(-watch);
                if (watch >= 0)
                    folderWatches_[folder] = watch;
                changed = true;
            }
        }
        return std::nullopt;
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
                inotify_.Unwatch(entry->second);
            entry = folderWatches_.erase(entry);
        }
    }

    void ForgetFolderWatch(int watch)
    {
        inotify_.Unwatch(watch);
        std::erase_if(folderWatches_, [&](const auto& entry) { return entry.second == watch; });
    }

    bool NamesRefusedNode(const Inotify::Event& event) const
    {
        if (refusal_.Node.empty() || event.Name != refusal_.Name())
            return false;
        const auto folder = folderWatches_.find(refusal_.Folder());
        return folder != folderWatches_.end() && folder->second == event.Watch;
    }

    void HandleEvents()
    {
        for (const Inotify::Event& event : inotify_.TakeEvents()) {
            if (event.Overflow) {
                // Lost events may include a folder's removal: start the folders afresh.
                DropFoldersBut({});
                refusal_.EntryChanged = true;
            } else if (event.WatchGone) {
                ForgetFolderWatch(event.Watch);
            } else if (NamesRefusedNode(event)) {
                refusal_.EntryChanged = true;
            }
        }
    }

    std::optional<DeviceReturn> Look()
    {
        for (;;) {
            const std::string path = ReturnedDevicePath(target_);
            if (path.empty())
                return std::nullopt;
            const std::string node = DeviceNode(path);
            if (node == refusal_.Node && !refusal_.EntryChanged)
                return std::nullopt;
            const int opened = open_(path);
            if (opened >= 0)
                return DeviceReturn{ReturnOutcome::Opened, opened, path, 0};
            if (!IsRefusal(-opened))
                return std::nullopt;
            const bool newRefusal = node != refusal_.Node;
            if (newRefusal)
                refusal_ = {node, 0, false};
            if (++refusal_.Tries >= kMaxRefusedOpens)
                return Failure(-opened);
            refusal_.EntryChanged = false;
            if (!newRefusal)
                return std::nullopt;
            if (auto failed = FollowFolders())
                return failed;
            // The permissions may have come before the watch on the node's folder took.
            refusal_.EntryChanged = true;
        }
    }

    const ReopenTarget& target_;
    const DeviceOpener& open_;
    Inotify& inotify_;
    std::map<std::string, int> folderWatches_;  // folder path -> watch
    Refusal refusal_;
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
        } catch (const std::system_error& error) {
            return Failure(error.code().value());
        }
    }
    return Watcher(target_, open_, *inotify_).Run(wakeFd);
}
