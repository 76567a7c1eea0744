#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FaultExit.h"
#include "tests/support/TempDir.h"
#include "tests/fuzz/SettingsCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const TempDir folder(MemoryBackedParent());
    AbortOnFault(CheckSettingsFile({data, size}, folder));
    return 0;
}
