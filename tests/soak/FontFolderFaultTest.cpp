#include <gtest/gtest.h>

#include <filesystem>

#include <QListWidget>
#include <QPushButton>

#include "display/FontLoader.h"
#include "display/SelectBitmap.h"
#include "res/Menu131.h"
#include "tests/app/AppTestSupport.h"
#include "tests/soak/SoakSupport.h"
#include "tests/support/Modal.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBmp.h"

namespace {

namespace fs = std::filesystem;

// A font folder of the test's own; its font.bmp is the program's default font.
class FontFolder {
public:
    FontFolder() { fs::permissions(root_.Path(), fs::perms(0755)); }
    std::string Folder() const { return root_.File("font"); }
    std::string File(const std::string& name) const { return Folder() + "/" + name; }
    std::string DefaultFont() const { return File("font.bmp"); }
    void AddRealFont(const std::string& name) const
    {
        fs::create_directories(Folder());
        fs::copy_file(DefaultFontPath(), File(name), fs::copy_options::overwrite_existing);
    }

private:
    TempDir root_;
};

void WriteJunk(const FontFolder& fonts, const std::string& name, std::string_view bytes)
{
    fs::create_directories(fonts.Folder());
    WriteWholeFile(fonts.File(name), bytes);
}

void WritePngNamedBmp(const FontFolder& fonts, const std::string& name)
{
    fs::create_directories(fonts.Folder());
    QImage image(144, 384, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(QString::fromStdString(fonts.File(name)), "PNG"));
}

void MakeUnreadable(const FontFolder& fonts, const std::string& name)
{
    fonts.AddRealFont(name);
    fs::permissions(fonts.File(name), fs::perms::none);
}

// --- Start-up -----------------------------------------------------------

enum class AtStart { FailsWithMessage, FallsBackToDefault, StartsWithoutGlyphs };

struct StartRow {
    const char* Name;
    void (*Prepare)(const FontFolder& fonts);
    bool AsOrdinaryUser;
    const char* ConfiguredFont;  // file name in the folder named by the settings; null for none
    AtStart Outcome;
};

const StartRow kStartRows[] = {
    {"EmptyFolder", [](const FontFolder& f) { fs::create_directories(f.Folder()); }, false,
     nullptr, AtStart::FailsWithMessage},
    {"MissingFolder", [](const FontFolder&) {}, false, nullptr, AtStart::FailsWithMessage},
    {"PngNamedBmp", [](const FontFolder& f) { WritePngNamedBmp(f, "font.bmp"); }, false, nullptr,
     AtStart::FailsWithMessage},
    {"TextNamedBmp", [](const FontFolder& f) { WriteJunk(f, "font.bmp", "not a bitmap\n"); },
     false, nullptr, AtStart::FailsWithMessage},
    {"ZeroByteFont", [](const FontFolder& f) { WriteJunk(f, "font.bmp", ""); }, false, nullptr,
     AtStart::FailsWithMessage},
    {"HeaderClaimingAHugeImage",
     [](const FontFolder& f) { WriteJunk(f, "font.bmp", BmpHeader(1 << 30, 1 << 30)); }, false,
     nullptr, AtStart::FailsWithMessage},
    {"UnreadableFont", [](const FontFolder& f) { MakeUnreadable(f, "font.bmp"); }, true, nullptr,
     AtStart::FailsWithMessage},
    {"HeaderWithoutPixels",
     [](const FontFolder& f) { WriteJunk(f, "font.bmp", BmpHeader(144, 384)); }, false, nullptr,
     AtStart::StartsWithoutGlyphs},
    {"ConfiguredFontEmptyDefaultGood",
     [](const FontFolder& f) {
         f.AddRealFont("font.bmp");
         WriteJunk(f, "mine.bmp", "");
     },
     false, "mine.bmp", AtStart::FallsBackToDefault},
};

class FontStartTest : public testing::TestWithParam<StartRow> {};

bool AllBlack(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                return false;
    return !image.isNull();
}

QSize ReadoutSizeFor(const std::string& fontPath)
{
    const auto cells = ProbeFontCells(fontPath);
    return cells ? QSize(cells->Width * 24, cells->Height * 3) : QSize();
}

TEST_P(FontStartTest, StartUpFollowsTheFontFolder)
{
    const StartRow& row = GetParam();
    MessageBoxRecorder boxes;
    FontFolder fonts;
    row.Prepare(fonts);
    const std::string ini =
        row.ConfiguredFont ? "[Font]\nFont=" + fonts.File(row.ConfiguredFont) + "\n" : "";
    WindowUnderTest window(ini, fonts.DefaultFont());
    bool started = false;
    if (!RunAsUser(row.AsOrdinaryUser, [&] { started = window.Start(); }))
        GTEST_SKIP() << "file permissions cannot be checked without an ordinary user";
    if (row.Outcome == AtStart::FailsWithMessage) {
        EXPECT_FALSE(started);
        EXPECT_TRUE(window->HasEnded());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(boxes.Texts(), std::vector<QString>{QString::fromStdString(
                                     "Can't Open font [" + fonts.DefaultFont() + "]")});
        EXPECT_EQ(window.ReadIni(), ini) << "settings written on the failure path";
        return;
    }
    ASSERT_TRUE(started);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(window->Settings().FontPath, fonts.DefaultFont());
    EXPECT_EQ(window->size(), QSize(18 * 24, 24 * 3));
    if (row.Outcome == AtStart::StartsWithoutGlyphs)
        EXPECT_TRUE(AllBlack(FrequencyDigitArea(window.Window(), 0)));
    else
        EXPECT_EQ(window->size(), ReadoutSizeFor(DefaultFontPath()));
}

INSTANTIATE_TEST_SUITE_P(Folders, FontStartTest, testing::ValuesIn(kStartRows), kRowName);

// --- The font dialog on a running window ------------------------------------

enum class AfterChoice { Unchanged, FallsBackToDefault, EndsWithMessage };

struct DialogRow {
    const char* Name;
    void (*Change)(const FontFolder& fonts);  // applied after the window started
    bool AsOrdinaryUser;
    QStringList Listed;
    const char* Choose;  // null: Cancel
    AfterChoice Outcome;
};

void AddJunkBesideTheFont(const FontFolder& f)
{
    WritePngNamedBmp(f, "junk.bmp");
    WriteJunk(f, "notes.bmp", "not a bitmap\n");
    WriteJunk(f, "zero.bmp", "");
    WriteJunk(f, "huge.bmp", BmpHeader(1 << 30, 1 << 30));
}

const DialogRow kDialogRows[] = {
    {"EmptiedFolder", [](const FontFolder& f) { fs::remove(f.DefaultFont()); }, false, {},
     nullptr, AfterChoice::Unchanged},
    {"RemovedFolder", [](const FontFolder& f) { fs::remove_all(f.Folder()); }, false, {}, nullptr,
     AfterChoice::Unchanged},
    {"JunkNamedBmpChosen", AddJunkBesideTheFont, false,
     {"font.bmp", "huge.bmp", "junk.bmp", "notes.bmp", "zero.bmp"}, "zero.bmp",
     AfterChoice::FallsBackToDefault},
    {"HugeHeaderChosen", AddJunkBesideTheFont, false,
     {"font.bmp", "huge.bmp", "junk.bmp", "notes.bmp", "zero.bmp"}, "huge.bmp",
     AfterChoice::FallsBackToDefault},
    {"UnreadableChosen", [](const FontFolder& f) { MakeUnreadable(f, "locked.bmp"); }, true,
     {"font.bmp", "locked.bmp"}, "locked.bmp", AfterChoice::FallsBackToDefault},
    {"FontItselfEmptied", [](const FontFolder& f) { WriteJunk(f, "font.bmp", ""); }, false,
     {"font.bmp"}, "font.bmp", AfterChoice::EndsWithMessage},
};

// What the dialog showed while the test walked through it.
struct DialogSeen {
    bool Opened = false;
    QStringList Listed;
    QString Preselected;
    bool OkAtOpen = false;
    int OkDisabledAfterSelect = 0;
};

void WalkThrough(CSelectBitmap& dialog, const char* choose, DialogSeen& seen)
{
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("list1008"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("IDOK"));
    seen.Opened = true;
    seen.OkAtOpen = ok->isEnabled();
    if (!list->selectedItems().isEmpty())
        seen.Preselected = list->selectedItems().front()->text();
    for (int row = 0; row < list->count(); ++row) {
        seen.Listed << list->item(row)->text();
        list->setCurrentRow(row);
        dialog.grab();  // paints the preview of whatever was selected
        seen.OkDisabledAfterSelect += ok->isEnabled() ? 0 : 1;
    }
    const auto chosen = list->findItems(QString::fromUtf8(choose ? choose : ""), Qt::MatchExactly);
    if (choose && chosen.size() == 1) {
        list->setCurrentItem(chosen.front());
        ok->click();
    } else {
        dialog.reject();
    }
}

class FontDialogTest : public testing::TestWithParam<DialogRow> {};

TEST_P(FontDialogTest, ListOkAndTheReloadFollowTheFolder)
{
    const DialogRow& row = GetParam();
    MessageBoxRecorder boxes;
    FontFolder fonts;
    fonts.AddRealFont("font.bmp");
    WindowUnderTest window({}, fonts.DefaultFont());
    ASSERT_TRUE(window.Start());
    const QSize sizeBefore = window->size();
    row.Change(fonts);
    DialogSeen seen;
    const bool walked = RunAsUser(row.AsOrdinaryUser, [&] {
        WhenModal<CSelectBitmap>([&](CSelectBitmap& dialog) { WalkThrough(dialog, row.Choose, seen); });
        window->OnCommand(ID_CHANGE_FONT);
    });
    if (!walked)
        GTEST_SKIP() << "file permissions cannot be checked without an ordinary user";
    ASSERT_TRUE(seen.Opened);
    EXPECT_EQ(seen.Listed, row.Listed);
    EXPECT_EQ(seen.OkAtOpen, row.Listed.contains(QStringLiteral("font.bmp")));
    EXPECT_EQ(seen.Preselected, seen.OkAtOpen ? QStringLiteral("font.bmp") : QString());
    EXPECT_EQ(seen.OkDisabledAfterSelect, 0) << "a selection leaves OK disabled";
    EXPECT_EQ(window->Settings().FontPath, fonts.DefaultFont());
    if (row.Outcome == AfterChoice::EndsWithMessage) {
        EXPECT_TRUE(window->HasEnded());
        EXPECT_EQ(boxes.Texts(), std::vector<QString>{QString::fromStdString(
                                     "Can't Open font [" + fonts.DefaultFont() + "]")});
        EXPECT_EQ(window.ReadIni(), "") << "settings written on the failure path";
        return;
    }
    EXPECT_FALSE(window->HasEnded());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(window->size(), sizeBefore);
}

INSTANTIATE_TEST_SUITE_P(Folders, FontDialogTest, testing::ValuesIn(kDialogRows), kRowName);

}  // namespace
