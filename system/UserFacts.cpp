#include "system/UserFacts.h"

#include <pwd.h>
#include <unistd.h>

unsigned CurrentUserId()
{
    return ::getuid();
}

std::string UserDatabaseHome()
{
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}
