#include <fstream>
#include <set>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include "app/CommandTexts.h"
#include "app/Translation.h"
#include "display/SelectBitmap.h"
#include "link/PortDlg.h"
#include "lmeter/LMeterDlg.h"
#include "res/Menu131.h"

namespace {

QString SettingsMenuText()
{
    std::unique_ptr<QMenu> menu(LoadMenu131(nullptr));
    return menu->actions().at(2)->text();
}

struct TextRow {
    const char* Name;
    QString (*Shown)();
    const char* Japanese;
    const char* English;
};

class TranslationTest : public testing::TestWithParam<TextRow> {};

TEST_P(TranslationTest, JapaneseByDefaultEnglishWithTheTranslation)
{
    const TextRow& row = GetParam();
    EXPECT_EQ(row.Shown(), QString::fromUtf8(row.Japanese));
    const auto english = InstallTranslation("en");
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(row.Shown(), QString::fromUtf8(row.English));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TranslationTest,
    testing::Values(
        TextRow{"PortDialog", [] { return CPortDlg(nullptr).windowTitle(); },
                "シリアルポートの条件", "Serial port settings"},
        TextRow{"FontDialog", [] { return CSelectBitmap(std::string("*.bmp")).windowTitle(); },
                "フォントの選択", "Select font"},
        TextRow{"LMeterDialog", [] { return CLMeterDlg(nullptr).windowTitle(); },
                "Lメータ設定", "L meter settings"},
        TextRow{"SettingsMenu", SettingsMenuText, "設定(&S)", "&Settings"},
        TextRow{"DisconnectLabel",
                [] { return QString::fromStdString(ContextMenuLabels(0, 0, true, 3)[2].Text); },
                "切断[COM3](&P)", "&Disconnect [COM3]"},
        TextRow{"ExitQuestion", [] { return ShownText(kExitQuestion); }, "終了しますか？",
                "Do you want to exit?"}),
    [](const auto& info) { return std::string(info.param.Name); });

void ExpectOwnMnemonics(const QMenu& menu)
{
    std::set<QChar> letters;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << action->text().toStdString();
        EXPECT_TRUE(letters.insert(action->text().at(amp + 1).toLower()).second)
            << action->text().toStdString();
        if (action->menu())
            ExpectOwnMnemonics(*action->menu());
    }
}

TEST(TranslatedMenuTest, EveryItemHasAMnemonicOfItsOwnOnItsLevel)
{
    const auto english = InstallTranslation("en");
    ASSERT_NE(english, nullptr);
    std::unique_ptr<QMenu> menu(LoadMenu131(nullptr));
    ExpectOwnMnemonics(*menu);
}

struct LanguageRow {
    const char* Name;
    const char* CommandLine;
    const char* Ini;  // nullptr: no settings file
    const char* Chosen;
};

class ChosenLanguageTest : public testing::TestWithParam<LanguageRow> {};

TEST_P(ChosenLanguageTest, CommandLineThenSettingsThenJapanese)
{
    const LanguageRow& row = GetParam();
    QTemporaryDir folder;
    const std::string ini = folder.filePath(QStringLiteral("Pelmora.ini")).toStdString();
    if (row.Ini)
        std::ofstream(ini) << row.Ini;
    EXPECT_EQ(ChosenLanguage(row.CommandLine, ini), row.Chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ChosenLanguageTest,
    testing::Values(LanguageRow{"Nothing", "", nullptr, "ja"},
                    LanguageRow{"Settings", "", "[window]\nlanguage = en\n", "en"},
                    LanguageRow{"OtherSection", "", "[Font]\nLanguage=en\n", "ja"},
                    LanguageRow{"CommandLineWins", "ja", "[Window]\nLanguage=en\n", "ja"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
