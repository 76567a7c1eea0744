#pragma once

#include <vector>

class QMenu;
class QWidget;

// Command ids of the context menu.
enum MenuCommand : int {
    ID_CONNECT = 1003,
    ID_EXIT = 1004,
    ID_TOPMOST = 1005,
    ID_MINIMIZE = 1006,
    ID_CHANGE_FONT = 1007,
    ID_ABOUT = 1014,
    ID_LMETER_SHOW = 1015,
    ID_LMETER_SETTINGS = 1018,
    ID_STATS = 1020,
};

// One entry of menu 131 as stored: a command, a separator or a submenu.
struct MenuEntry {
    enum class Kind { Command, Separator, Submenu };
    Kind Type = Kind::Separator;
    int Id = 0;
    const char* Text = "";  // UTF-8, with "&" before the mnemonic
    std::vector<MenuEntry> Items;  // the submenu's entries
};

// The popup of menu 131, top to bottom.
const std::vector<MenuEntry>& Menu131();

// A new menu built from Menu131(); each command's action carries its id as data.
// The caller owns the result.
QMenu* LoadMenu131(QWidget* parent);

// Sets the text and check mark of the action with command id anywhere in menu
// or its submenus. Returns false when no action has that id.
bool ModifyMenuByCommand(QMenu& menu, int id, const char* text, bool checked);
