#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "system/DeviceHolders.h"
#include "tests/link/PortHolders.h"
#include "tests/support/RowName.h"
#include "tools/simulator/CounterPty.h"

namespace {

struct HoldersRow {
    const char* Name;
    std::optional<Hold> Held;  // by another process
    bool HolderIsNobody;
    bool LookerIsNobody;
    // What the looker finds: "<all openers>|<all but the looker>|<flock holder>",
    // naming "holder", "self" (the looker: a child as nobody inherits the
    // test's open), "may hold" (a process it cannot look into) or "none".
    std::string Found;
};

class DeviceHoldersTest : public ::testing::TestWithParam<HoldersRow> {
protected:
    std::string Named(long pid) const
    {
        if (holder && pid == holder->Pid())
            return "holder";
        return pid == ::getpid() ? "self" : std::to_string(pid);
    }

    // The names sorted, "may hold" among them where a process could not be looked into.
    std::string Listed(const DeviceOpeners& openers) const
    {
        std::vector<std::string> names;
        for (const long pid : openers.Pids)
            names.push_back(Named(pid));
        if (openers.SomeUnreadable)
            names.push_back("may hold");
        std::sort(names.begin(), names.end());
        std::string list;
        for (const std::string& name : names)
            list += (list.empty() ? "" : ",") + name;
        return list.empty() ? "none" : list;
    }

    std::string Look() const
    {
        const std::optional<long> flock = FlockHolder(pty.SlavePath());
        return Listed(ProcessesWithDeviceOpen(pty.SlavePath())) + "|" +
               Listed(OtherProcessesWithDeviceOpen(pty.SlavePath())) + "|" + (flock ? Named(*flock) : "none");
    }

    CounterPty pty;
    std::optional<HoldingProcess> holder;
};

// Root looks into every process; nobody into its own alone, and a process of
// root's may then hold the device. /proc/locks tells everyone.
TEST_P(DeviceHoldersTest, FindsTheOpenersItMayLookIntoAndEveryFlock)
{
    ::chmod(pty.SlavePath().c_str(), 0666);
    if (GetParam().Held) {
        holder.emplace(pty.SlavePath(), *GetParam().Held, GetParam().HolderIsNobody);
        ASSERT_TRUE(holder->Holds());
    }
    // This process opens it too: counted among all the openers, never among the others'.
    const int own = ::open(pty.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(own, 0);
    const std::string found = GetParam().LookerIsNobody ? AsNobody([this] { return Look(); }) : Look();
    EXPECT_EQ(found, GetParam().Found);
    EXPECT_EQ(Listed(ProcessesWithDeviceOpen(pty.SlavePath(), own)).find("self"), std::string::npos)
        << "the descriptor left out was counted";
    ::close(own);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, DeviceHoldersTest,
    ::testing::Values(
        HoldersRow{"NoOtherHolderSeenByRoot", std::nullopt, false, false, "self|none|none"},
        HoldersRow{"RootsTerminalSeenByRoot", Hold::Terminal, false, false, "holder,self|holder|none"},
        HoldersRow{"RootsTerminalMayHoldItForNobody", Hold::Terminal, false, true, "may hold,self|may hold|none"},
        HoldersRow{"NobodysTerminalSeenByNobody", Hold::Terminal, true, true,
                   "holder,may hold,self|holder,may hold|none"},
        HoldersRow{"RootsFlockNamedToNobody", Hold::FlockAlone, false, true, "may hold,self|may hold|holder"},
        HoldersRow{"NobodysFlockNamedToRoot", Hold::FlockAlone, true, false, "holder,self|holder|holder"},
        HoldersRow{"ExclusiveMarkHolderSeenByRoot", Hold::ExclusiveMark, false, false, "holder,self|holder|none"}),
    kRowName);

}  // namespace
