#include "system/DeviceFacts.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace {

char TypeLetter(mode_t mode)
{
    if (S_ISCHR(mode))
        return 'c';
    if (S_ISREG(mode))
        return '-';
    if (S_ISDIR(mode))
        return 'd';
    if (S_ISBLK(mode))
        return 'b';
    if (S_ISFIFO(mode))
        return 'p';
    if (S_ISSOCK(mode))
        return 's';
    return '?';
}

std::string UserName(uid_t uid)
{
    const passwd* user = ::getpwuid(uid);
    return user != nullptr ? user->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid)
{
    const group* found = ::getgrgid(gid);
    return found != nullptr ? found->gr_name : std::to_string(gid);
}

}  // namespace

DeviceFacts ReadDeviceFacts(const std::string& path)
{
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0)
        return {};
    DeviceFacts facts;
    facts.Known = true;
    facts.Owner = UserName(status.st_uid);
    facts.Group = GroupName(status.st_gid);
    facts.GroupId = status.st_gid;
    facts.Type = TypeLetter(status.st_mode);
    facts.Permissions = status.st_mode & 0777u;
    return facts;
}

bool SameDevice(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    const bool nodes = (S_ISCHR(first.st_mode) && S_ISCHR(second.st_mode)) ||
                       (S_ISBLK(first.st_mode) && S_ISBLK(second.st_mode));
    if (nodes)
        return first.st_rdev == second.st_rdev;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
