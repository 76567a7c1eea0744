#include "link/OpenFailureText.h"

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
