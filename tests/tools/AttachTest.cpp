#include "share/ShareFolder.h"
#include "tests/support/Nobody.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kDevice = "/dev/ttyFAKE0";
constexpr const char* kFakeFrequency = "12345678";
constexpr const char* kFakeStream =
    "{\"utc\": \"2026-12-08T10:00:00.000Z\", \"t_s\": 0.100000, \"frequency_hz\": 12345678, \"prescaler\": \"001\", "
    "\"gate_s\": 1.0, \"inductance_uh\": null}\n"
    "{\"event\": \"end\", \"utc\": \"2026-12-08T10:00:00.100Z\"}\n";

enum class Who { Self, Nobody };

struct AttachRow {
    const char* Name;
    mode_t RuntimeMode;  // of $XDG_RUNTIME_DIR (root's)
    Who FolderMaker;     // of $XDG_RUNTIME_DIR/pelmora, made with FolderMode
    mode_t FolderMode;
    Who Server;          // the process that listens on the socket
    int ExitCode;
    const char* Message;  // {runtime}, {folder}, {socket}, {nobody} stand for their values
};

// In a child process: serves kFakeStream on socket to the first client. Made and
// bound as row says; listening as row.Server, which is what the client's peer check sees.
[[noreturn]] void ServeFakeStream(const AttachRow& row, const std::string& folder, const std::string& socket,
                                  int ready)
{
    ::alarm(60);
    if (row.FolderMaker == Who::Nobody && (!BecomeNobody() || ::mkdir(folder.c_str(), row.FolderMode) != 0))
        ::_exit(9);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        ::_exit(8);
    if (row.Server == Who::Nobody && ::getuid() == 0 && !BecomeNobody())
        ::_exit(9);
    if (::listen(listener, 4) != 0 || ::write(ready, "r", 1) != 1)
        ::_exit(7);
    const int client = ::accept(listener, nullptr, nullptr);
    const ssize_t length = static_cast<ssize_t>(std::strlen(kFakeStream));
    ::_exit(client >= 0 && ::write(client, kFakeStream, static_cast<size_t>(length)) == length ? 0 : 6);
}

// pelmora-log with arguments; its exit code (-1 when it did not end within kPatience) and its stderr.
std::pair<int, std::string> RunLogger(const TempDir& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), PELMORA_LOG_EXE);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, folder.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    posix_spawn(&pid, PELMORA_LOG_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; })) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, folder.Read("stderr")};
}

std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& [key, value] : values)
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

class AttachRule : public testing::TestWithParam<AttachRow> {};

// Another local user who serves first where pelmora-log looks gets no reading into its log:
// the folder must be this user's alone, below folders no other user can change, and the
// server must run as this user.
TEST_P(AttachRule, AFakeServerNeverReachesTheLog)
{
    const AttachRow& row = GetParam();
    const passwd* nobody = Nobody();
    if (nobody == nullptr || ::getuid() != 0)
        GTEST_SKIP() << "needs root and a user nobody";
    TempDir top;
    ::chmod(top.Path().c_str(), 0755);
    const std::string runtime = top.File("run");
    const std::string folder = runtime + "/pelmora";
    const std::string socket = SocketPathFor(folder, kDevice);
    ASSERT_EQ(::mkdir(runtime.c_str(), 0755), 0);
    ::chmod(runtime.c_str(), row.RuntimeMode);
    if (row.FolderMaker == Who::Self) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ::chmod(folder.c_str(), row.FolderMode);
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t server = ::fork();
    if (server == 0)
        ServeFakeStream(row, folder, socket, ready[1]);
    ::close(ready[1]);
    char byte = 0;
    pollfd listening{ready[0], POLLIN, 0};
    const bool serving = ::poll(&listening, 1, static_cast<int>(kPatience.count())) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);

    TempDir output;
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const auto [exitCode, said] = RunLogger(output, {"--attach", kDevice, "--csv", output.File("copy.csv")});
    ::unsetenv("XDG_RUNTIME_DIR");
    ::kill(server, SIGKILL);
    ::waitpid(server, nullptr, 0);
    ASSERT_TRUE(serving) << "the fake server did not start";

    EXPECT_EQ(exitCode, row.ExitCode) << said;
    const std::string message = Filled(row.Message, {{"{runtime}", runtime},
                                                     {"{folder}", folder},
                                                     {"{socket}", socket},
                                                     {"{nobody}", std::to_string(nobody->pw_uid)}});
    EXPECT_NE(said.find(message), std::string::npos) << said;
    const bool logged = output.Read("copy.csv").find(kFakeFrequency) != std::string::npos;
    EXPECT_EQ(logged, row.ExitCode == 0);
}

constexpr const char* kNotOwn = "pelmora-log: not attaching to /dev/ttyFAKE0: {folder} is not a folder of this user with mode 0700\n";

INSTANTIATE_TEST_SUITE_P(
    Servers, AttachRule,
    testing::Values(
        AttachRow{"FolderOfAnotherUser", 01777, Who::Nobody, 0700, Who::Nobody, 3, kNotOwn},
        AttachRow{"FolderOpenToOthers", 0755, Who::Self, 0755, Who::Nobody, 3, kNotOwn},
        AttachRow{"RuntimeFolderAnotherUserMayChange", 0777, Who::Self, 0700, Who::Nobody, 3,
                  "pelmora-log: not attaching to /dev/ttyFAKE0: {runtime} may be changed by another user "
                  "(owner 0, mode 0777)\n"},
        AttachRow{"ServerOfAnotherUser", 0755, Who::Self, 0700, Who::Nobody, 3,
                  "pelmora-log: not attaching to /dev/ttyFAKE0: {socket} is served by a process of another user "
                  "(uid {nobody})\n"},
        // The same server run by this user in its own folder is read: the rows above are refused by the rule alone.
        AttachRow{"OwnFolderAndServer", 0755, Who::Self, 0700, Who::Self, 0, ""}),
    kRowName);

}  // namespace
