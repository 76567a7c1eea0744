#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "display/Readout.h"
#include "link/NoDataTimer.h"
#include "link/RecordDisplay.h"
#include "link/RecordPresenter.h"
#include "settings/AppSettings.h"

namespace {

constexpr char kRecord[] = "001 010 0001000000";
constexpr QRgb kUntouched = qRgb(255, 255, 255);

// A white back buffer and an all-black font: any compose leaves black pixels.
void PrepareImages(ReadoutState& state)
{
    state.Images.FontBitmap = QImage(8 * 18, 16 * 24, QImage::Format_RGB32);
    state.Images.FontBitmap.fill(Qt::black);
    state.Images.BackBitmap = QImage(24 * 18, 4 * 24, QImage::Format_RGB32);
    state.Images.BackBitmap.fill(kUntouched);
}

bool Composed(const ReadoutState& state)
{
    return state.Images.BackBitmap.pixel(0, 0) != kUntouched;
}

TEST(ShowRecord, ExampleRecordGivesTheThreeLines)
{
    ReadoutState state;
    PrepareImages(state);
    EXPECT_TRUE(ShowRecord(state, 0.1, 0.1, kRecord, true));
    EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -");
    EXPECT_STREQ(state.Text.Status, "P.S:[  1] G.T:[ 1.00sec]");
    EXPECT_STREQ(state.Text.Inductance, "L=               0.507uH");
    EXPECT_EQ(state.Indicator.Counter, 1);
    EXPECT_TRUE(Composed(state));
}

TEST(ShowRecord, WithoutComposeUpdatesTextsOnly)
{
    ReadoutState state;
    PrepareImages(state);
    EXPECT_FALSE(ShowRecord(state, 0.1, 0.1, kRecord, false));
    EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -");
    EXPECT_STREQ(state.Text.Inductance, "L=               0.507uH");
    EXPECT_FALSE(Composed(state));
}

TEST(ShowRecord, LettersOnlyShowTheTenthsLetter)
{
    ReadoutState state;
    ShowRecord(state, 0.1, 0.1, "abc def ghijklmnop", false);
    EXPECT_STREQ(state.Text.Status, "P.S:[  0] G.T:[ 0.f0sec]");
}

TEST(ShowRecord, IndicatorAlternatesWithEveryRecord)
{
    ReadoutState state;
    const char expected[] = {'-', '|', '-', '|'};
    for (const char mark : expected) {
        SCOPED_TRACE(mark);
        ShowRecord(state, 0.1, 0.1, kRecord, false);
        EXPECT_EQ(state.Text.Frequency[14], mark);
    }
}

TEST(ShowNoData, WritesTheTextWithTheRawIndicator)
{
    ReadoutState state;
    PrepareImages(state);
    ShowRecord(state, 0.1, 0.1, kRecord, false);
    const std::string status = state.Text.Status;
    EXPECT_TRUE(ShowNoData(state, true));
    EXPECT_EQ(std::string(state.Text.Frequency, 15), std::string("Not ReceiveHz \x01", 15));
    EXPECT_EQ(state.Text.Frequency[15], '\0');
    EXPECT_EQ(state.Text.Status, status);
    EXPECT_TRUE(Composed(state));
}

TEST(ShowNoData, WithoutComposeLeavesTheBackBuffer)
{
    ReadoutState state;
    PrepareImages(state);
    EXPECT_FALSE(ShowNoData(state, false));
    EXPECT_EQ(std::string(state.Text.Frequency, 11), "Not Receive");
    EXPECT_FALSE(Composed(state));
}

struct PresenterCase {
    const char* Name;
    int32_t StopRequested;
    bool ExpectComposed;
};

class RecordPresenterTest : public ::testing::TestWithParam<PresenterCase> {};

TEST_P(RecordPresenterTest, ShowsUnderTheLockAndPostsTheOutcome)
{
    Readout readout;
    readout.With([](ReadoutState& state) { PrepareImages(state); });
    AppSettings settings;
    std::atomic<int32_t> stop{GetParam().StopRequested};
    NoDataTimer watchdog(nullptr);
    std::vector<uint64_t> posts;
    RecordPresenter presenter(readout, settings, stop, watchdog,
                              [&](uint64_t connection) { posts.push_back(connection); });
    presenter.SetConnection(42);
    presenter.OnRecord(kRecord);
    EXPECT_EQ(posts, std::vector<uint64_t>{42});
    readout.With([&](ReadoutState& state) {
        EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -");
        EXPECT_EQ(Composed(state), GetParam().ExpectComposed);
        EXPECT_EQ(state.Dirty.isEmpty(), !GetParam().ExpectComposed);
    });
}

INSTANTIATE_TEST_SUITE_P(StopFlag, RecordPresenterTest,
                         ::testing::Values(PresenterCase{"Running", 0, true},
                                           PresenterCase{"Stopping", 1, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(RecordPresenter, UsesTheCurrentCapacitors)
{
    Readout readout;
    AppSettings settings;
    settings.C1 = 0.2;
    settings.C2 = 0.2;
    std::atomic<int32_t> stop{0};
    NoDataTimer watchdog(nullptr);
    RecordPresenter presenter(readout, settings, stop, watchdog, [](uint64_t) {});
    presenter.OnRecord(kRecord);
    readout.With([](ReadoutState& state) {
        EXPECT_STREQ(state.Text.Inductance, "L=               0.253uH");
    });
}

// The window re-opens the hand-off when it takes the changes at its paint:
// however many records come in between, the window thread is woken once.
TEST(RecordPresenter, ABurstBetweenTwoPaintsCostsOneHandOff)
{
    Readout readout;
    readout.With([](ReadoutState& state) { PrepareImages(state); });
    AppSettings settings;
    std::atomic<int32_t> stop{0};
    NoDataTimer watchdog(nullptr);
    std::vector<uint64_t> posts;
    RecordPresenter presenter(readout, settings, stop, watchdog,
                              [&](uint64_t connection) { posts.push_back(connection); });
    presenter.SetConnection(7);
    for (int i = 0; i < 100; ++i)
        presenter.OnRecord(kRecord);
    EXPECT_EQ(posts, std::vector<uint64_t>{7});
    presenter.ReopenHandOff();
    for (int i = 0; i < 100; ++i)
        presenter.OnRecord(kRecord);
    EXPECT_EQ(posts, (std::vector<uint64_t>{7, 7}));
    presenter.SetConnection(8);
    presenter.OnRecord(kRecord);
    EXPECT_EQ(posts, (std::vector<uint64_t>{7, 7, 8})) << "a new connection posts its first record";
    // Every record was shown: the 201st leaves the indicator at '-'.
    readout.With([](ReadoutState& state) { EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -"); });
}

}  // namespace
