#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FaultExit.h"
#include "tests/fuzz/RecordCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    AbortOnFault(CheckRecordStream({data, size}));
    return 0;
}
