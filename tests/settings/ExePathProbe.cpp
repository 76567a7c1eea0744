// Prints GetExePath(argv[1]) so a test can run this program from any folder.
#include "settings/ExePath.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string path = GetExePath(argv[1]);
    std::fwrite(path.data(), 1, path.size(), stdout);
    return 0;
}
