#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "display/SelectBitmap.h"
#include "tests/support/Modal.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBmp.h"
#include "tests/support/UiTestSupport.h"

namespace {

class FontFolder : public ::testing::Test {
protected:
    std::string Pattern() const { return folder.File("*.bmp"); }
    std::string PathOf(const char* name) const { return folder.File(name); }
    void AddFont(const char* name, const QImage& image) { WriteBmp(folder.File(name), image); }
    void AddFonts(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            AddFont(name, CoordinateImage(16, 32));
    }

    TempDir folder;
};

QListWidget& List(QWidget& dialog)
{
    return *dialog.findChild<QListWidget*>(QStringLiteral("list1008"));
}

QStringList Entries(QWidget& dialog)
{
    QStringList names;
    for (int row = 0; row < List(dialog).count(); ++row)
        names << List(dialog).item(row)->text();
    return names;
}

QString Selected(QWidget& dialog)
{
    const auto selected = List(dialog).selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

QPushButton& Ok(QWidget& dialog)
{
    return *dialog.findChild<QPushButton*>(QStringLiteral("IDOK"));
}

void Select(QWidget& dialog, const QString& name)
{
    const auto found = List(dialog).findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    List(dialog).setCurrentItem(found.front());
}

TEST_F(FontFolder, ListsBmpFilesOfAnyCaseSortedWithoutRegardToCase)
{
    AddFonts({"b.bmp", "A.bmp", "c.BMP", "FONT2.BMP", "font.bmp", ".hidden.bmp"});
    WriteBytes(folder.File("notes.txt"), "x");
    WriteBytes(folder.File("font.bmp.bak"), "x");
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(folder.File("folder.bmp"))));
    CSelectBitmap dialog(Pattern());
    dialog.show();
    EXPECT_EQ(Entries(dialog),
              (QStringList{".hidden.bmp", "A.bmp", "b.bmp", "c.BMP", "font.bmp", "FONT2.BMP"}));
}

struct PreselectRow {
    const char* Name;
    const char* fontPath;  // the current font
    const char* selected;  // empty: nothing
};

void PrintTo(const PreselectRow& row, std::ostream* os)
{
    *os << row.Name;
}

const PreselectRow kPreselectRows[] = {
    {"same_name", "/opt/x/font/font.bmp", "font.bmp"},
    {"other_case", "/opt/x/font/FONT.BMP", "font.bmp"},
    {"upper_case_entry", "/opt/x/font/font2.bmp", "FONT2.BMP"},
    {"prefix_takes_first_in_list_order", "/opt/x/font/fo", "font.bmp"},
    {"outside_the_font_folder", "/home/user/elsewhere/Big.bmp", "big.bmp"},
    {"name_without_folder", "big.bmp", "big.bmp"},
    {"not_listed", "/opt/x/font/missing.bmp", ""},
    {"longer_than_any_entry", "/opt/x/font/font.bmp.old", ""},
    {"empty_path", "", ""},
    {"folder_only", "/opt/x/font/", ""},
};

class Preselection : public FontFolder, public ::testing::WithParamInterface<PreselectRow> {};

TEST_P(Preselection, MatchesTheCurrentFileNameWithoutRegardToCase)
{
    const PreselectRow& row = GetParam();
    AddFonts({"font.bmp", "FONT2.BMP", "big.bmp", "abc.bmp"});
    std::string fontPath = row.fontPath;
    QString selected;
    bool okEnabled = false;
    WhenModal([&](QWidget& dialog) {
        selected = Selected(dialog);
        okEnabled = Ok(dialog).isEnabled();
        dialog.findChild<QPushButton*>(QStringLiteral("IDCANCEL"))->click();
    });
    EXPECT_FALSE(RunFontSelection(nullptr, fontPath, {Pattern()}));
    EXPECT_EQ(selected, QString::fromUtf8(row.selected));
    EXPECT_EQ(okEnabled, *row.selected != '\0');
    EXPECT_EQ(fontPath, row.fontPath);
}

INSTANTIATE_TEST_SUITE_P(Rows, Preselection, ::testing::ValuesIn(kPreselectRows), kRowName);

TEST_F(FontFolder, EmptyOrMissingFolderListsNothingAndKeepsOkDisabled)
{
    const std::string patterns[] = {Pattern(), PathOf("missing/*.bmp")};
    for (const std::string& pattern : patterns) {
        SCOPED_TRACE(pattern);
        CSelectBitmap dialog(pattern);
        dialog.m_strCurrentName = "font.bmp";
        dialog.show();
        EXPECT_EQ(List(dialog).count(), 0);
        EXPECT_FALSE(Ok(dialog).isEnabled());
        EXPECT_EQ(dialog.FillFontList(pattern), 0);
        QTest::keyClick(&List(dialog), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());  // Enter cannot press a disabled OK
        dialog.reject();
    }
}

TEST_F(FontFolder, OkGivesThePreselectedFileInTheFontFolder)
{
    AddFonts({"font.bmp", "other.bmp"});
    std::string fontPath = "/somewhere/else/Font.bmp";
    WhenModal([](QWidget& dialog) { Ok(dialog).click(); });
    EXPECT_TRUE(RunFontSelection(nullptr, fontPath, {Pattern()}));
    EXPECT_EQ(fontPath, PathOf("font.bmp"));
}

TEST_F(FontFolder, OkGivesTheEntryTheUserSelected)
{
    AddFonts({"font.bmp", "other.bmp"});
    std::string fontPath = PathOf("font.bmp");
    WhenModal([](QWidget& dialog) {
        Select(dialog, QStringLiteral("other.bmp"));
        Ok(dialog).click();
    });
    EXPECT_TRUE(RunFontSelection(nullptr, fontPath, {Pattern()}));
    EXPECT_EQ(fontPath, PathOf("other.bmp"));
}

TEST_F(FontFolder, ClickOnTheRowThatIsCurrentButNotSelectedSelectsIt)
{
    AddFonts({"a.bmp", "b.bmp"});
    CSelectBitmap dialog(Pattern());
    dialog.show();
    QListWidget& list = List(dialog);
    // Focus alone makes the first row current without selecting it.
    list.selectionModel()->setCurrentIndex(list.model()->index(0, 0), QItemSelectionModel::NoUpdate);
    ASSERT_FALSE(Ok(dialog).isEnabled());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0)).center());
    EXPECT_TRUE(Ok(dialog).isEnabled());
    EXPECT_EQ(dialog.m_strFontPath, PathOf("a.bmp"));
    dialog.reject();
}

TEST_F(FontFolder, CancelChangesNothingEvenAfterASelection)
{
    AddFonts({"font.bmp", "other.bmp"});
    std::string fontPath = "/keep/this/font.bmp";
    WhenModal([](QWidget& dialog) {
        Select(dialog, QStringLiteral("other.bmp"));
        QTest::keyClick(&List(dialog), Qt::Key_Escape);
    });
    EXPECT_FALSE(RunFontSelection(nullptr, fontPath, {Pattern()}));
    EXPECT_EQ(fontPath, "/keep/this/font.bmp");
}

TEST_F(FontFolder, PathLongerThanTheSettingsFileKeepsIsReturnedWhole)
{
    QString deep = QString::fromStdString(folder.Path());
    for (int level = 0; level < 4; ++level)
        deep += QLatin1Char('/') + QString(80, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    WriteBmp((deep + QStringLiteral("/font.bmp")).toStdString(), CoordinateImage(16, 32));
    const std::string expected = (deep + QStringLiteral("/font.bmp")).toStdString();
    ASSERT_GT(expected.size(), 255u);
    std::string fontPath = "font.bmp";
    WhenModal([](QWidget& dialog) { Ok(dialog).click(); });
    EXPECT_TRUE(RunFontSelection(nullptr, fontPath, {(deep + QStringLiteral("/*.bmp")).toStdString()}));
    EXPECT_EQ(fontPath, expected);
}

struct TwoFolderRow {
    const char* Name;
    const char* chosen;
    bool fromUser;  // the file given back is the user's
};

class TwoFolders : public FontFolder, public ::testing::WithParamInterface<TwoFolderRow> {};

TEST_P(TwoFolders, ListOneSortedListWhereTheUserFontWins)
{
    TempDir user;
    AddFonts({"font.bmp", "Lcd.bmp"});
    for (const char* name : {"font.bmp", "mine.bmp"})
        WriteBmp(user.File(name), CoordinateImage(16, 32));
    std::string fontPath;
    QStringList entries;
    WhenModal([&](QWidget& dialog) {
        entries = Entries(dialog);
        Select(dialog, QString::fromUtf8(GetParam().chosen));
        Ok(dialog).click();
    });
    const std::string userPattern = user.File("*.bmp");
    EXPECT_TRUE(RunFontSelection(nullptr, fontPath, {Pattern(), userPattern}));
    EXPECT_EQ(entries, (QStringList{"font.bmp", "Lcd.bmp", "mine.bmp"}));
    const char* name = GetParam().chosen;
    EXPECT_EQ(fontPath, GetParam().fromUser ? user.File(name) : folder.File(name));
}

INSTANTIATE_TEST_SUITE_P(Rows, TwoFolders,
                         ::testing::Values(TwoFolderRow{"shipped_only", "Lcd.bmp", false},
                                           TwoFolderRow{"user_only", "mine.bmp", true},
                                           TwoFolderRow{"same_name", "font.bmp", true}), kRowName);

}  // namespace
