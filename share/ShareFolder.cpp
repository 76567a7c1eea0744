#include "share/ShareFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "link/port/UucpLock.h"
#include "system/FileCalls.h"
#include "system/Sockets.h"
#include "system/UserFacts.h"

namespace {

constexpr unsigned kSticky = 01000;
constexpr unsigned kWritableByOthers = 0022;

std::string ModeText(unsigned mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode);
    return text;
}

bool OthersMayChange(const FileFacts& facts)
{
    const bool ownedByAnother = facts.owner != 0 && facts.owner != CurrentUserId();
    return ownedByAnother || ((facts.mode & kWritableByOthers) != 0 && (facts.mode & kSticky) == 0);
}

// Why another user could rename or replace folder through a folder above it; empty when none can.
std::string ChangeableAbove(const std::string& folder)
{
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    std::error_code error;
    std::filesystem::path above = std::filesystem::canonical(parent.empty() ? "." : parent, error);
    if (error)
        return parent.string() + ": " + error.message();
    for (;;) {
        const SysResult<FileFacts> facts = FactsAt(above.string());
        if (!facts)
            return above.string() + ": " + facts.Error().Text();
        if (OthersMayChange(facts.Value()))
            return above.string() + " may be changed by another user (owner " +
                   std::to_string(facts.Value().owner) + ", mode " + ModeText(facts.Value().mode) + ")";
        if (above == above.root_path())
            return {};
        above = above.parent_path();
    }
}

std::string FolderOf(const std::string& socketPath)
{
    const size_t slash = socketPath.rfind('/');
    return slash == std::string::npos ? "." : socketPath.substr(0, slash);
}

}  // namespace

SocketFailure FailureOf(const SocketOpened& opened, const std::string& path)
{
    const std::string_view call = CallNameOf(opened.failedAt);
    return {call.empty() ? path : std::string(call), opened.socket.Error()};
}

std::string SocketFailureText(const SocketFailure& failure)
{
    const bool tooLong = failure.error.Code == ENAMETOOLONG;
    return failure.subject + ": " + (tooLong ? "the path is too long" : failure.error.Text());
}

std::string ShareFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/pelmora";
    return "/tmp/pelmora-" + std::to_string(CurrentUserId());
}

std::string SocketPathFor(const std::string& folder, const std::string& devicePath)
{
    return folder + "/" + UucpLock::DeviceName(devicePath) + ".sock";
}

std::string ShareFolderRefusal(const std::string& folder)
{
    const SysResult<FileFacts> facts = LinkFactsAt(folder);
    if (!facts)
        return folder + ": " + facts.Error().Text();
    const FileFacts& found = facts.Value();
    if (found.kind != FileKind::Folder || found.owner != CurrentUserId() || found.mode != 0700)
        return folder + " is not a folder of this user with mode 0700";
    return ChangeableAbove(folder);
}

std::string PrepareShareFolder(const std::string& folder)
{
    const SysStatus made = MakeFolder(folder, 0700);
    if (!made && made.Error().Code != EEXIST)
        return folder + ": " + made.Error().Text();
    return ShareFolderRefusal(folder);
}

ShareConnection ConnectToShare(const std::string& socketPath)
{
    using Reach = ShareConnection::Reach;
    // A server in a folder another user could have made or swapped is not this user's
    // program; asked before the connect, which such a server could keep waiting for ever.
    const std::string folder = FolderOf(socketPath);
    if (const SysResult<FileFacts> found = LinkFactsAt(folder); found || found.Error().Code != ENOENT) {
        if (std::string refused = ShareFolderRefusal(folder); !refused.empty())
            return {Reach::Refused, UniqueFd(), std::move(refused)};
    }
    SocketOpened connected = ConnectToUnixPath(socketPath);
    if (!connected.socket)
        return {Reach::NobodyServes, UniqueFd(), SocketFailureText({socketPath, connected.socket.Error()})};
    UniqueFd socket = std::move(connected.socket).Value();
    const SysResult<unsigned> peer = PeerUserId(socket.Get());
    if (!peer)
        return {Reach::Refused, UniqueFd(), socketPath + ": " + peer.Error().Text()};
    if (peer.Value() != CurrentUserId())
        return {Reach::Refused, UniqueFd(),
                socketPath + " is served by a process of another user (uid " + std::to_string(peer.Value()) + ")"};
    return {Reach::Connected, std::move(socket), {}};
}
