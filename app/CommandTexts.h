#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QString>

// One item of the context menu as set before each showing.
struct MenuLabel {
    int Id = 0;
    std::string Text;  // UTF-8
    bool Checked = false;
};

// The labels of items 1005, 1015, 1003 and the statistics window's, in that
// order, for the state at the moment of the right-button press.
std::array<MenuLabel, 4> ContextMenuLabels(int32_t topMost, int32_t lmeterVisible, bool portOpen,
                                           int32_t portNumber, bool statsOpen = false);

// The about box: version line, an empty line, credit line, web address, CR LF
// between the lines.
std::string AboutText();

// The port dialog's list index for a stored setting: index when it lies in
// 0 to count - 1, else -1 (no selection). Never overflows.
int ListIndexFor(int64_t index, int count);

// One of the questions below as the user sees it: translated when a
// translation is installed, else the Japanese text itself.
QString ShownText(const char* text);

inline constexpr char kExitQuestion[] = QT_TRANSLATE_NOOP("CommandTexts", "終了しますか？");
inline constexpr char kClosePortQuestion[] = QT_TRANSLATE_NOOP("CommandTexts", "ポートを閉じますか？");
inline constexpr char kSettingsNotSaved[] = QT_TRANSLATE_NOOP("CommandTexts", "設定を保存できませんでした: %1: %2");
inline constexpr char kNoHomeFolder[] =
    QT_TRANSLATE_NOOP("CommandTexts", "ホームフォルダがありません（HOME が未設定で、ユーザーのパスワードエントリもありません）");
inline constexpr char kPortOpenFailed[] = "A port does not open.";
inline constexpr char kWindowTitle[] = "Pelmora";
