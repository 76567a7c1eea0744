#include <memory>
#include <set>

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include "res/Icon128.h"
#include "res/Menu131.h"
#include "tests/support/RowName.h"

namespace {

// One line per entry: "id text", "-" for a separator, "> text" for a submenu,
// submenu entries indented by two blanks; " [checked]" or " [disabled]" after
// an item in that state.
std::vector<std::string> Describe(const QMenu& menu, const std::string& indent = "")
{
    std::vector<std::string> lines;
    for (const QAction* action : menu.actions()) {
        std::string line = indent;
        if (action->isSeparator())
            line += "-";
        else if (action->menu())
            line += "> " + action->text().toStdString();
        else
            line += std::to_string(action->data().toInt()) + " " + action->text().toStdString();
        if (action->isChecked())
            line += " [checked]";
        if (!action->isEnabled())
            line += " [disabled]";
        lines.push_back(line);
        if (action->menu())
            for (std::string& item : Describe(*action->menu(), indent + "  "))
                lines.push_back(std::move(item));
    }
    return lines;
}

TEST(Menu131Test, LoadedMenuHasTheItemsInOrderNoneCheckedOrDisabled)
{
    std::unique_ptr<QMenu> menu(LoadMenu131(nullptr));
    const std::vector<std::string> expected = {
        "1003 接続(&P)",
        "-",
        "> 設定(&S)",
        "  1005 常に最前面に表示(&T)",
        "  1007 フォント変更(&F)",
        "  -",
        "  1015 Lメータ表示(L)",
        "  1018 Lメータ設定",
        "  -",
        "  1020 統計(&I)",
        "-",
        "1006 最小化(&N)",
        "-",
        "1014 このソフトについて(&A)",
        "-",
        "1004 終了(&X)",
    };
    EXPECT_EQ(Describe(*menu), expected);
}

TEST(Menu131Test, ModifyByCommandReachesIntoTheSubmenu)
{
    std::unique_ptr<QMenu> menu(LoadMenu131(nullptr));
    ASSERT_TRUE(ModifyMenuByCommand(*menu, ID_LMETER_SHOW, "Lメータ表示(L)", true));
    const QAction* item = menu->actions()[2]->menu()->actions()[3];
    EXPECT_TRUE(item->isCheckable());
    EXPECT_TRUE(item->isChecked());
    ASSERT_TRUE(ModifyMenuByCommand(*menu, ID_LMETER_SHOW, "Lメータ表示(L)", false));
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(ModifyMenuByCommand(*menu, 4242, "x", false));
}

TEST(Icon128Test, ThirtyTwoSquareWithSixteenColoursAtMost)
{
    const QImage icon = Icon128Image();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    std::set<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(icon.pixel(x, y)) != 0)
                colours.insert(icon.pixel(x, y));
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GE(colours.size(), 4u);
}

struct PixelRow {
    const char* Name;
    int X, Y;
    QRgb Expected;
};

class Icon128PixelTest : public testing::TestWithParam<PixelRow> {};

TEST_P(Icon128PixelTest, PictureParts)
{
    const QImage icon = Icon128Image();
    EXPECT_EQ(icon.pixel(GetParam().X, GetParam().Y), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, Icon128PixelTest,
    testing::Values(PixelRow{"TransparentCorner", 0, 0, qRgba(0, 0, 0, 0)},
                    PixelRow{"GreyBezel", 5, 1, 0xFFC0C0C0},
                    PixelRow{"WhiteScreen", 7, 3, 0xFFFFFFFF},
                    PixelRow{"WaveLowLevel", 9, 14, 0xFF000000},
                    PixelRow{"WaveHighLevel", 13, 6, 0xFF000000},
                    PixelRow{"WaveRisingEdge", 12, 10, 0xFF000000},
                    PixelRow{"ScreenBesideTheWave", 10, 10, 0xFFFFFFFF},
                    PixelRow{"GreyCase", 20, 28, 0xFFC0C0C0},
                    PixelRow{"CaseOutline", 1, 27, 0xFF000000}), kRowName);

}  // namespace
