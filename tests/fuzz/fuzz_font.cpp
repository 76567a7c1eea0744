#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FaultExit.h"
#include "tests/fuzz/FontCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const FontCheck check;
    AbortOnFault(check.Run({data, size}));
    return 0;
}
