#include "system/EndSignalPipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "tests/support/RowName.h"

namespace {

struct PipeRow {
    const char* Name;
    int Signal;
    bool IgnoredBefore;  // the signal's disposition when the pipe is made: ignored, else the default
    bool Read;           // the pipe hands the signal on; else it stays ignored
};

class EndSignalPipeTest : public testing::TestWithParam<PipeRow> {};

// The numbers of the end signals raised reach the pipe in order; a SIGHUP ignored
// before (nohup) stays ignored while the pipe lives, and every disposition is back
// once it goes.
TEST_P(EndSignalPipeTest, HandsOnEndSignalsAndKeepsAnIgnoredHangUp)
{
    const PipeRow& row = GetParam();
    const int marker = row.Signal == SIGTERM ? SIGINT : SIGTERM;
    struct sigaction before {};
    struct sigaction given {};
    given.sa_handler = row.IgnoredBefore ? SIG_IGN : SIG_DFL;
    ASSERT_EQ(::sigaction(row.Signal, &given, &before), 0);
    std::vector<int> read;
    struct sigaction during {};
    {
        EndSignalPipe pipe;
        ASSERT_GE(pipe.ReadEnd(), 0);
        ::sigaction(row.Signal, nullptr, &during);
        // Raised on this thread: each handler has run when raise returns.
        ::raise(row.Signal);
        ::raise(marker);
        while (const int number = pipe.Next())
            read.push_back(number);
    }
    struct sigaction after {};
    ::sigaction(row.Signal, &before, &after);
    const std::vector<int> expected = row.Read ? std::vector<int>{row.Signal, marker} : std::vector<int>{marker};
    EXPECT_EQ(read, expected);
    EXPECT_EQ(during.sa_handler == SIG_IGN, !row.Read);
    EXPECT_EQ(after.sa_handler, given.sa_handler);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndSignalPipeTest,
                         testing::Values(PipeRow{"Sigterm", SIGTERM, false, true},
                                         PipeRow{"Sigint", SIGINT, false, true},
                                         PipeRow{"Sighup", SIGHUP, false, true},
                                         PipeRow{"SighupIgnoredStaysIgnored", SIGHUP, true, false},
                                         PipeRow{"SigtermIgnoredIsHandedOn", SIGTERM, true, true},
                                         PipeRow{"SigintIgnoredIsHandedOn", SIGINT, true, true}),
                         kRowName);

}  // namespace
