#pragma once

#include <string>

// Who runs the program, as the system knows it.

unsigned CurrentUserId();

// The running user's home folder in the user database; empty when it has none.
std::string UserDatabaseHome();
