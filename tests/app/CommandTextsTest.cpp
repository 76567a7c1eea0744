#include <gtest/gtest.h>

#include "app/CommandTexts.h"
#include "app/PaintPacer.h"
#include "res/Menu131.h"
#include "tests/support/RowName.h"

namespace {

struct LabelRow {
    const char* Name;
    int32_t TopMost;
    int32_t LMeterVisible;
    bool PortOpen;
    int32_t PortNumber;
    bool TopMostChecked;
    bool LMeterChecked;
    const char* ConnectText;
};

class MenuLabelTest : public testing::TestWithParam<LabelRow> {};

TEST_P(MenuLabelTest, TextsAndCheckMarksFollowTheState)
{
    const LabelRow& row = GetParam();
    const auto labels =
        ContextMenuLabels(row.TopMost, row.LMeterVisible, row.PortOpen, row.PortNumber);
    EXPECT_EQ(labels[0].Id, ID_TOPMOST);
    EXPECT_EQ(labels[0].Text, "常に最前面に表示(&T)");
    EXPECT_EQ(labels[0].Checked, row.TopMostChecked);
    EXPECT_EQ(labels[1].Id, ID_LMETER_SHOW);
    EXPECT_EQ(labels[1].Text, "Lメータ表示(L)");
    EXPECT_EQ(labels[1].Checked, row.LMeterChecked);
    EXPECT_EQ(labels[2].Id, ID_CONNECT);
    EXPECT_EQ(labels[2].Text, row.ConnectText);
    EXPECT_FALSE(labels[2].Checked);
}

INSTANTIATE_TEST_SUITE_P(
    States, MenuLabelTest,
    testing::Values(
        LabelRow{"Idle", 0, 0, false, 1, false, false, "接続(&P)"},
        LabelRow{"TopMostOn", 1, 0, false, 1, true, false, "接続(&P)"},
        LabelRow{"TopMostTwoIsOff", 2, 0, false, 1, false, false, "接続(&P)"},
        LabelRow{"TopMostNegativeIsOff", -1, 0, false, 1, false, false, "接続(&P)"},
        LabelRow{"LMeterShown", 0, 1, false, 1, false, true, "接続(&P)"},
        LabelRow{"ConnectedCom3", 0, 0, true, 3, false, false, "切断[COM3](&P)"},
        LabelRow{"ConnectedCom12", 1, 1, true, 12, true, true, "切断[COM12](&P)"},
        LabelRow{"ClosedIgnoresPortNumber", 0, 0, false, 12, false, false, "接続(&P)"}), kRowName);

TEST(AboutTextTest, VersionLineThenEmptyLineThenCreditAndAddress)
{
    const std::string text = AboutText();
    ASSERT_EQ(text.rfind("Pelmora Version 1.10\r\n\r\n", 0), 0u) << text;
    const std::string rest = text.substr(24);
    const auto separator = rest.find("\r\n");
    ASSERT_NE(separator, std::string::npos);
    EXPECT_GT(separator, 0u);
    EXPECT_EQ(rest.find("\r\n", separator + 2), std::string::npos) << "four lines in all";
    EXPECT_NE(rest.find("https://", separator), std::string::npos);
}

struct IndexRow {
    const char* Name;
    int64_t Index;
    int Count;
    int Expected;
};

class ListIndexTest : public testing::TestWithParam<IndexRow> {};

TEST_P(ListIndexTest, OutsideTheListSelectsNothing)
{
    EXPECT_EQ(ListIndexFor(GetParam().Index, GetParam().Count), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListIndexTest,
    testing::Values(IndexRow{"FirstPort", 0, 20, 0}, IndexRow{"LastPort", 19, 20, 19},
                    IndexRow{"PortZeroGivesMinusOne", -1, 20, -1},
                    IndexRow{"Port21", 20, 20, -1},
                    IndexRow{"SmallestPortNumber", int64_t{INT32_MIN} - 1, 20, -1},
                    IndexRow{"HugeIndex", INT32_MAX, 12, -1},
                    IndexRow{"LastSpeed", 11, 12, 11}, IndexRow{"SpeedTwelve", 12, 12, -1}), kRowName);

using std::chrono::milliseconds;

struct PacerRow {
    const char* Name;
    int FrameMs;
    int SinceLastPaintMs;  // negative: nothing painted yet
    int ExpectedDelayMs;
};

class PaintPacerTest : public testing::TestWithParam<PacerRow> {};

TEST_P(PaintPacerTest, WaitsOnlyForTheRestOfTheFrame)
{
    const PacerRow& row = GetParam();
    PaintPacer pacer{milliseconds(row.FrameMs)};
    const auto start = PaintPacer::Clock::time_point{} + std::chrono::hours(1);
    if (row.SinceLastPaintMs >= 0)
        pacer.Painted(start);
    const auto now = start + milliseconds(std::max(0, row.SinceLastPaintMs));
    EXPECT_EQ(pacer.DelayBeforePaint(now), milliseconds(row.ExpectedDelayMs));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PaintPacerTest,
    testing::Values(PacerRow{"FirstPaintAtOnce", 17, -1, 0},
                    PacerRow{"RightAfterAPaint", 17, 0, 17},
                    PacerRow{"MidFrame", 17, 10, 7}, PacerRow{"FrameOver", 17, 17, 0},
                    PacerRow{"LongAfter", 17, 5000, 0}), kRowName);

struct RateRow {
    const char* Name;
    double Rate;
    int ExpectedMs;
};

class FrameIntervalTest : public testing::TestWithParam<RateRow> {};

TEST_P(FrameIntervalTest, FromTheRefreshRate)
{
    EXPECT_EQ(FrameIntervalFor(GetParam().Rate), milliseconds(GetParam().ExpectedMs));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameIntervalTest,
    testing::Values(RateRow{"SixtyHertzCappedAtTwentyFive", 60.0, 40},
                    RateRow{"OneFortyFour", 144.0, 40}, RateRow{"TwentyHertz", 20.0, 50},
                    RateRow{"TwentyFourHertz", 24.0, 42}, RateRow{"Unknown", 0.0, 40},
                    RateRow{"NotANumber", std::numeric_limits<double>::quiet_NaN(), 40},
                    RateRow{"Absurd", 1e9, 40}, RateRow{"OneHertz", 1.0, 1000}), kRowName);

}  // namespace
