#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FaultExit.h"
#include "tests/fuzz/ScratchFolder.h"
#include "tests/fuzz/SettingsCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const ScratchFolder folder;
    AbortOnFault(CheckSettingsFile({data, size}, folder));
    return 0;
}
