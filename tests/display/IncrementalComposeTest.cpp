#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "display/Composer.h"
#include "tests/display/SyntheticFont.h"
#include "tests/support/RowName.h"

namespace {

// Codes the lines may hold: digits and punctuation, the no-data cells 0 and
// 1, and codes from the upper half, which draw the blank's cell.
constexpr char kAlphabet[] = "0123456789,.:[]= -|HzLuPSGTsec\x01\x80\xff";

void RandomLine(std::mt19937& random, char (&line)[64])
{
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);  // includes the terminator
    for (char& c : line)
        c = kAlphabet[pick(random)];
}

// A full compose from the same starting pixels, for comparison.
QImage FullCompose(const ReadoutState& state)
{
    ReadoutState full;
    full.Text = state.Text;
    full.LMeterVisible = state.LMeterVisible;
    full.Metrics = state.Metrics;
    full.Images.FontBitmap = state.Images.FontBitmap;
    full.Images.BackBitmap = state.Images.BackBitmap.copy();
    ComposeReadout(full);
    return full.Images.BackBitmap;
}

// Every pixel the compose changed lies inside the dirty rectangle.
int ChangedOutside(const QImage& before, const QImage& after, const QRegion& dirty)
{
    int outside = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            outside += before.pixel(x, y) != after.pixel(x, y) && !dirty.contains(QPoint(x, y)) ? 1 : 0;
    return outside;
}

enum class Step { NewLines, OneDigit, ToggleLMeter, NewFontImage, NewBackBuffer, ForeignPixel, CellSize };

void Apply(Step step, std::mt19937& random, ReadoutState& state)
{
    switch (step) {
    case Step::NewLines:
        RandomLine(random, state.Text.Frequency);
        RandomLine(random, state.Text.Status);
        RandomLine(random, state.Text.Inductance);
        return;
    case Step::OneDigit:
        state.Text.Frequency[random() % 15] = static_cast<char>('0' + random() % 10);
        return;
    case Step::ToggleLMeter:
        state.LMeterVisible = 1 - state.LMeterVisible;
        return;
    case Step::NewFontImage:
        state.Images.FontBitmap = SyntheticFont(state.Metrics.CellWidth, state.Metrics.CellHeight);
        state.Images.FontBitmap.invertPixels();
        return;
    case Step::NewBackBuffer:
        state.Images.BackBitmap = QImage(state.Images.BackBitmap.size(), QImage::Format_RGB32);
        state.Images.BackBitmap.fill(Qt::darkGreen);
        return;
    case Step::ForeignPixel:
        state.Images.BackBitmap.setPixel(3, 3, qRgb(1, 2, 3));
        return;
    case Step::CellSize:
        state.Metrics.CellWidth = static_cast<uint16_t>(state.Metrics.CellWidth == 18 ? 17 : 18);
        return;
    }
}

TEST(IncrementalCompose, EqualsAFullComposeOverARandomSequence)
{
    std::mt19937 random(20261207);
    ReadoutState state = SyntheticState(18, 24);
    ComposeReadout(state);
    for (int i = 0; i < 400; ++i) {
        const auto step = static_cast<Step>(random() % 10 < 4 ? random() % 2 : random() % 7);
        SCOPED_TRACE(testing::Message() << "step " << i << " kind " << static_cast<int>(step));
        Apply(step, random, state);
        const QImage expected = FullCompose(state);
        const QImage before = state.Images.BackBitmap.copy();
        state.Dirty = QRect();
        ComposeReadout(state);
        ASSERT_EQ(state.Images.BackBitmap, expected);
        ASSERT_EQ(ChangedOutside(before, state.Images.BackBitmap, state.Dirty), 0);
    }
}

struct UnchangedRow {
    const char* Name;
    int LMeterVisible;
};

class UnchangedCompose : public ::testing::TestWithParam<UnchangedRow> {};

TEST_P(UnchangedCompose, DrawsNothingAndLeavesNoDirtyArea)
{
    ReadoutState state = SyntheticState(18, 24);
    state.LMeterVisible = GetParam().LMeterVisible;
    std::strcpy(state.Text.Frequency, "  1,000,000Hz -");
    ComposeReadout(state);
    const qint64 key = state.Images.BackBitmap.cacheKey();
    state.Dirty = QRect();
    ComposeReadout(state);
    EXPECT_TRUE(state.Dirty.isEmpty());
    EXPECT_EQ(state.Images.BackBitmap.cacheKey(), key) << "the back buffer was not even touched";
    state.Text.Frequency[14] = '|';
    ComposeReadout(state);
    EXPECT_EQ(state.Dirty, QRect(23 * 18, 0, 18, 24)) << "only the indicator's cell";
}

INSTANTIATE_TEST_SUITE_P(LMeter, UnchangedCompose,
                         ::testing::Values(UnchangedRow{"Hidden", 0}, UnchangedRow{"Shown", 1}), kRowName);

}  // namespace
