#include "link/sinks/RecordRow.h"
#include "lmeter/Inductance.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

// The fields of a record as the log takes them.
TEST(RecordRow, FieldsOfTheRecord)
{
    const struct {
        const char* record;
        uint32_t frequency;
        const char* prescaler;
        std::optional<uint32_t> gateMs;
    } cases[] = {{"001 010 0010000000", 10000000, "001", 1000},
                 {"128 995 4294967295", 4294967295u, "128", 99500},
                 {"  1 00x 0000000050", 50, "  1", std::nullopt},
                 {"001 -10 0000000001", 1, "001", std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        const LogRow row = RowFromRecord(c.record, LogTime{5, 7}, std::nullopt);
        EXPECT_EQ(row, (LogRow{5, 7, c.frequency, c.prescaler, c.gateMs, std::nullopt}));
    }
    const LogRow withL = RowFromRecord("001 010 0000159155", LogTime{}, LogCapacitors{0.001, 0.002});
    EXPECT_EQ(withL.inductanceUh, ComputeInductance(159155, 0.001, 0.002));
}

}  // namespace
