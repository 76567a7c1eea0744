#include "link/replug/DeviceWatch.h"

#include <cerrno>
#include <filesystem>

#include "system/DeviceHolders.h"

namespace fs = std::filesystem;

namespace {

// The folder path lives in if it exists, else the nearest one above that does.
std::string NearestExistingFolder(const std::string& path)
{
    std::error_code error;
    fs::path folder = fs::absolute(path, error).lexically_normal().parent_path();
    while (!fs::is_directory(folder, error) && folder != folder.root_path())
        folder = folder.parent_path();
    return folder.string();
}

}  // namespace

DeviceWatch::DeviceWatch(ReopenTarget target, std::string lockFolder)
    : target_(std::move(target)), lockFolder_(std::move(lockFolder))
{
}

DeviceReturn DeviceWatch::Wait(int wakeFd)
{
    if (!inotify_) {
        // Without one, looked for on the timer alone this time.
        if (SysResult<Inotify> made = Inotify::Create())
            inotify_.emplace(std::move(made).Value());
    }
    events_ = inotify_ ? &*inotify_ : nullptr;
    triedNode_.clear();
    retryAt_.reset();
    refusals_ = 0;
    DeviceReturn result = WaitForTheDevice(wakeFd);
    // Leaves the instance as it was found: no watch, no event queued.
    if (events_ != nullptr)
        LookOnTheTimerAlone();
    return result;
}

DeviceReturn DeviceWatch::WaitForTheDevice(int wakeFd)
{
    if (portpoll::ReadableNow(wakeFd))
        return {};
    if (target_.Identity.empty()) {
        portpoll::WaitForWake(wakeFd);
        return {};
    }
    for (;;) {
        FollowFolders();
        if (auto found = Look())
            return std::move(*found);
        switch (Sleep(wakeFd)) {
        case portpoll::Event::Woken:
            return {};
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

// Watches the folder the identity lives in, or the nearest one above. A
// folder made after it was looked for but before the watch on its parent
// took would go unseen: so after every new watch, look again.
void DeviceWatch::FollowFolders()
{
    for (bool changed = events_ != nullptr; changed && events_ != nullptr;) {
        changed = false;
        const std::string wanted = NearestExistingFolder(target_.Identity);
        DropFoldersBut({wanted});
        if (folderWatches_.count(wanted) != 0)
            continue;
        const SysResult<int> watch = events_->WatchFolder(wanted);
        const int error = watch.Error().Code;
        if (!watch && error != ENOENT && error != ENOTDIR)
            LookOnTheTimerAlone();
        if (watch)
            folderWatches_[wanted] = watch.Value();
        changed = true;
    }
}

void DeviceWatch::LookOnTheTimerAlone()
{
    DropFoldersBut({});
    events_->TakeEvents();
    events_ = nullptr;
}

void DeviceWatch::DropFoldersBut(const std::set<std::string>& wanted)
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
            events_->Unwatch(entry->second);
        entry = folderWatches_.erase(entry);
    }
}

void DeviceWatch::HandleEvents()
{
    for (const Inotify::Event& event : events_->TakeEvents()) {
        if (event.Overflow) {
            // Lost events may include a folder's removal: start the folders afresh.
            DropFoldersBut({});
        } else if (event.WatchGone) {
            events_->Unwatch(event.Watch);
            std::erase_if(folderWatches_, [&](const auto& entry) { return entry.second == event.Watch; });
        }
    }
}

std::optional<DeviceReturn> DeviceWatch::Look()
{
    const std::string node = ReturnedDevicePath(target_);
    if (node.empty()) {
        retryAt_.reset();
        return std::nullopt;
    }
    const auto now = Clock::now();
    if (node == triedNode_ && retryAt_ && now < *retryAt_)
        return std::nullopt;
    // The identity may now lead to another program's terminal: a device that
    // is open elsewhere is not taken, even where nothing locks it.
    if (!OtherProcessesWithDeviceOpen(node).Pids.empty()) {
        RetryLater(node, now, false);
        return std::nullopt;
    }
    Claimed claimed = DeviceClaim::Take(node, lockFolder_);
    if (auto* claim = std::get_if<DeviceClaim>(&claimed))
        return DeviceReturn{ReturnOutcome::Opened, std::move(*claim), {}};
    const OpenFailure& refusal = std::get<OpenFailure>(claimed);
    RetryLater(node, now, refusal.Why == OpenRefusal::PermissionDenied);
    if (refusals_ >= kMaxRefusedOpens)
        return DeviceReturn{ReturnOutcome::Failed, {}, refusal};
    return std::nullopt;
}

void DeviceWatch::RetryLater(const std::string& node, Clock::time_point now, bool refused)
{
    refusals_ = refused ? (node == triedNode_ ? refusals_ : 0) + 1 : 0;
    triedNode_ = node;
    retryAt_ = now + kRetryInterval;
}

// Until a folder changes, the retry is due or the wake; on the timer
// alone, a look every kRetryInterval.
portpoll::Event DeviceWatch::Sleep(int wakeFd)
{
    const int eventFd = events_ != nullptr ? events_->Descriptor() : -1;
    if (events_ == nullptr && !retryAt_)
        retryAt_ = Clock::now() + kRetryInterval;
    if (!retryAt_)
        return portpoll::WaitForPort(eventFd, wakeFd);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*retryAt_ - Clock::now());
    return portpoll::WaitForPort(eventFd, wakeFd, std::max(left, std::chrono::milliseconds(0)));
}
