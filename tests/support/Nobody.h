#pragma once

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

// The user nobody, whom tests make another local user of; null where the system has none.
inline const passwd* Nobody()
{
    return ::getpwnam("nobody");
}

// In a child process: runs as nobody from now on; false when it cannot.
inline bool BecomeNobody()
{
    const passwd* nobody = Nobody();
    return nobody != nullptr && ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
           ::setuid(nobody->pw_uid) == 0;
}
