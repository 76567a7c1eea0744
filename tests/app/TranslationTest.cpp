#include <fstream>
#include <set>

#include <QMenu>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include "app/CommandTexts.h"
#include "app/LogTexts.h"
#include "app/ShareTexts.h"
#include "app/Translation.h"
#include "link/dialog/PortDlg.h"
#include "res/Menu131.h"
#include "statistics/StatsWindow.h"
#include "tests/support/RowName.h"

namespace {

struct TextRow {
    const char* Name;
    QString (*Shown)();
    const char* Japanese;
    const char* English;
};

class TranslationTest : public testing::TestWithParam<TextRow> {};

TEST_P(TranslationTest, JapaneseByDefaultEnglishWithTheTranslation)
{
    EXPECT_EQ(GetParam().Shown(), QString::fromUtf8(GetParam().Japanese));
    const auto english = InstallTranslation("en");
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(GetParam().Shown(), QString::fromUtf8(GetParam().English));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TranslationTest,
    testing::Values(
        TextRow{"PortDialog", [] { return CPortDlg(nullptr).windowTitle(); }, "シリアルポートの条件",
                "Serial port settings"},
        TextRow{"Disconnect", [] { return QString::fromStdString(ContextMenuLabels(0, 0, true, 3)[2].Text); },
                "切断[COM3](&P)", "&Disconnect [COM3]"},
        TextRow{"ExitQuestion", [] { return ShownText(kExitQuestion); }, "終了しますか？",
                "Do you want to exit?"},
        TextRow{"LogRemoved", [] { return LogFailureShown("/r.csv", {LogFailure::Cause::RemovedOrRenamed, 0, true}); },
                "ログの記録を停止しました: /r.csv: 削除されたか名前が変更されました",
                "Logging stopped: /r.csv: removed or renamed"},
        TextRow{"LogCouldNotStart", [] { return LogFailureShown("/d", {LogFailure::Cause::NotRegularFile}); },
                "ログの記録を開始できません: /d: 通常のファイルではありません",
                "Logging could not start: /d: not a regular file"},
        TextRow{"NoHomeFolder", [] { return ShownText(kSettingsNotSaved).arg("~/p.ini", ShownText(kNoHomeFolder)); },
                "設定を保存できませんでした: ~/p.ini: ホームフォルダがありません（HOME が未設定で、ユーザーのパスワードエントリもありません）",
                "The settings were not saved: ~/p.ini: no home folder (HOME is not set and the user has no password entry)"},
        TextRow{"TcpRefused", [] { return ShareNoticeText(ShareNotice::TcpRefused, "127.0.0.1:80: bind: denied"); },
                "読み取り値をTCPで共有できません: 127.0.0.1:80: bind: denied",
                "The readings are not served on TCP: 127.0.0.1:80: bind: denied"},
        TextRow{"StatsItem", [] { return QString::fromStdString(ContextMenuLabels(0, 0, false, 1, true)[3].Text); },
                "統計(&I)", "Stat&istics"},
        TextRow{"StatsWindow",
                [] {
                    ReadingTap tap;
                    StatsSettings settings;
                    return StatsWindow(tap, settings).windowTitle();
                },
                "統計", "Statistics"}), kRowName);

// Every item of a level has a mnemonic, and no two share a letter.
void ExpectOwnMnemonics(const QMenu& menu)
{
    std::set<QChar> letters;
    for (const QAction* action : menu.actions()) {
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        EXPECT_TRUE(action->isSeparator() ||
                    (amp >= 0 && letters.insert(action->text().at(amp + 1).toLower()).second))
            << action->text().toStdString();
        if (action->menu())
            ExpectOwnMnemonics(*action->menu());
    }
}

TEST(TranslatedMenuTest, MnemonicsOfTheirOwnOnEachLevel)
{
    const auto english = InstallTranslation("en");
    ASSERT_NE(english, nullptr);
    ExpectOwnMnemonics(*std::unique_ptr<QMenu>(LoadMenu131(nullptr)));
}

TEST(ChosenLanguageTest, CommandLineThenSettingsThenJapanese)
{
    QTemporaryDir folder;
    const std::string ini = folder.filePath("Pelmora.ini").toStdString();
    EXPECT_EQ(ChosenLanguage("", ini), "ja");
    std::ofstream(ini) << "[window]\nlanguage = en\n";
    EXPECT_EQ(ChosenLanguage("", ini), "en");
    EXPECT_EQ(ChosenLanguage("ja", ini), "ja");
}

}  // namespace
