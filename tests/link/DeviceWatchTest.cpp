#include <gtest/gtest.h>

#include "link/StableName.h"
#include "tests/link/LinkTestSupport.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

// Stands in for /dev: "ttyX" is the opened path; serial/by-id comes and goes
// as udev makes it, each link made under a temporary name and renamed.
struct ScratchDev {
    TempDir dir;
    std::string dev = dir.File("dev"), opened = dev + "/ttyX", byId = dev + "/serial/by-id";
    std::string ours = byId + "/usb-Pelmora_0001-if00", other = byId + "/usb-Other_0002-if00";

    ScratchDev()
    {
        fs::create_directories(dev);
        // Whatever the umask, an ordinary user gets through to the links.
        fs::permissions(dir.Path(), fs::perms(0755));
        fs::permissions(dev, fs::perms(0755));
    }
    void Link(const std::string& name, const std::string& node) const
    {
        fs::create_directories(fs::path(name).parent_path());
        fs::create_symlink(node, name + ".tmp");
        fs::rename(name + ".tmp", name);
    }
    void Unplug() const
    {
        fs::remove(opened);
        fs::remove_all(dev + "/serial");
    }
};

enum To { kNoLink, kToA, kToB, kNowhere };
enum Is { kEmpty, kOpenedPath, kNodeA, kNodeB, kOurs, kOther };

TEST(StableNameTest, FindsTheAdapterByItsStableName)
{
    struct {
        const char* Name;
        To Opened, Ours, Other;
        Is Found, Returned, Resolved;  // FindStableName, ReturnedDevicePath, ResolveForReopen
    } const rows[] = {
        {"only the opened path", kToA, kNoLink, kNoLink, kEmpty, kOpenedPath, kOpenedPath},
        {"our entry", kToA, kToA, kToB, kOurs, kNodeA, kNodeA},
        {"back under another node", kNowhere, kToB, kNoLink, kEmpty, kNodeB, kNodeB},
        {"the stable name wins", kToA, kToB, kNoLink, kEmpty, kNodeB, kNodeB},
        {"another adapter took the node", kToA, kNowhere, kToA, kOther, kEmpty, kOpenedPath},
        {"not back", kNoLink, kNowhere, kNoLink, kEmpty, kEmpty, kOpenedPath},
    };
    CounterPty a, b;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ScratchDev s;
        const std::string nodes[] = {"", a.SlavePath(), b.SlavePath(), s.dir.File("gone")};
        const std::string paths[] = {"", s.opened, a.SlavePath(), b.SlavePath(), s.ours, s.other};
        fs::create_directories(s.byId);
        for (const auto& [name, to] : {std::pair{s.opened, row.Opened}, {s.ours, row.Ours}, {s.other, row.Other}})
            if (to != kNoLink)
                s.Link(name, nodes[to]);
        EXPECT_EQ(FindStableName(s.opened, s.byId), paths[row.Found]);
        EXPECT_EQ(ReturnedDevicePath({s.opened, s.ours}), paths[row.Returned]);
        EXPECT_EQ(ResolveForReopen({s.opened, s.ours}), paths[row.Resolved]);
    }
}

}  // namespace
