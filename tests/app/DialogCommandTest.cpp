#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

#include "display/SelectBitmap.h"
#include "lmeter/LMeterDlg.h"
#include "res/Menu131.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/Modal.h"
#include "tests/support/RowName.h"

namespace {

struct CapacitorRow {
    const char* Name;
    bool Accept;
};

class LMeterSettingsCommandTest : public testing::TestWithParam<CapacitorRow> {};

TEST_P(LMeterSettingsCommandTest, OkStoresBothValuesCancelKeepsThem)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window("[LMeter]\nC1=0.2\nC2=0.3\n");
    ASSERT_TRUE(window.Start());
    bool opened = false;
    WhenModal<CLMeterDlg>([&](CLMeterDlg& dialog) {
        opened = true;
        for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
            edit->setText(QStringLiteral("2.5"));
        if (GetParam().Accept)
            dialog.accept();
        else
            dialog.reject();
    });
    window->OnCommand(ID_LMETER_SETTINGS);
    ASSERT_TRUE(opened);
    window->ReadoutData().With([](ReadoutState& state) {
        EXPECT_DOUBLE_EQ(state.C1, GetParam().Accept ? 2.5 : 0.2);
        EXPECT_DOUBLE_EQ(state.C2, GetParam().Accept ? 2.5 : 0.3);
    });
}

INSTANTIATE_TEST_SUITE_P(Endings, LMeterSettingsCommandTest,
                         testing::Values(CapacitorRow{"Ok", true},
                                         CapacitorRow{"Cancel", false}), kRowName);

TEST(ChangeFontCommandTest, ChosenFontSizesAndRepaintsTheWindow)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    WhenModal<CSelectBitmap>([](CSelectBitmap& dialog) {
        auto* list = dialog.findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        const auto found = list->findItems(QStringLiteral("large24x32.bmp"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found[0]);
        dialog.accept();
    });
    window->OnCommand(ID_CHANGE_FONT);
    EXPECT_EQ(window->Settings().FontPath, PELMORA_FONT_DIR "/large24x32.bmp");
    EXPECT_EQ(window->size(), QSize(24 * 24, 32 * 3));
    const QImage font =
        window->ReadoutData().With([](ReadoutState& state) { return state.Images.FontBitmap; });
    EXPECT_EQ(FrequencyDigitArea(window.Window(), 0), FontCell(font, 24, 32, '0', 2));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(ChangeFontCommandTest, CancelKeepsTheFont)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    const QSize before = window->size();
    WhenModal<CSelectBitmap>([](CSelectBitmap& dialog) { dialog.reject(); });
    window->OnCommand(ID_CHANGE_FONT);
    EXPECT_EQ(window->Settings().FontPath, DefaultFontPath());
    EXPECT_EQ(window->size(), before);
}

}  // namespace
