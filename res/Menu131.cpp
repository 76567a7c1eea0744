#include "res/Menu131.h"

#include <QAction>
#include <QMenu>

#include "res/DialogUnits.h"

namespace {

using Kind = MenuEntry::Kind;

MenuEntry Command(int id, const char* text)
{
    return {Kind::Command, id, text, {}};
}

MenuEntry Separator()
{
    return {Kind::Separator, 0, "", {}};
}

MenuEntry Submenu(const char* text, std::vector<MenuEntry> items)
{
    return {Kind::Submenu, 0, text, std::move(items)};
}

void AddEntries(QMenu& menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        switch (entry.Type) {
        case Kind::Command:
            menu.addAction(QString::fromUtf8(entry.Text))->setData(entry.Id);
            break;
        case Kind::Separator:
            menu.addSeparator();
            break;
        case Kind::Submenu: {
            QMenu* submenu = menu.addMenu(QString::fromUtf8(entry.Text));
            submenu->setFont(menu.font());
            AddEntries(*submenu, entry.Items);
            break;
        }
        }
    }
}

QAction* FindCommand(const QMenu& menu, int id)
{
    for (QAction* action : menu.actions()) {
        if (QMenu* submenu = action->menu()) {
            if (QAction* found = FindCommand(*submenu, id))
                return found;
        } else if (!action->isSeparator() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

}  // namespace

const std::vector<MenuEntry>& Menu131()
{
    static const std::vector<MenuEntry> entries = {
        Command(ID_CONNECT, "接続(&P)"),
        Separator(),
        Submenu("設定(&S)",
                {
                    Command(ID_TOPMOST, "常に最前面に表示(&T)"),
                    Command(ID_CHANGE_FONT, "フォント変更(&F)"),
                    Separator(),
                    Command(ID_LMETER_SHOW, "Lメータ表示(L)"),
                    Command(ID_LMETER_SETTINGS, "Lメータ設定"),
                }),
        Separator(),
        Command(ID_MINIMIZE, "最小化(&N)"),
        Separator(),
        Command(ID_ABOUT, "このソフトについて(&A)"),
        Separator(),
        Command(ID_EXIT, "終了(&X)"),
    };
    return entries;
}

QMenu* LoadMenu131(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    // The dialogs' Japanese gothic: one font file serves menu and dialogs alike.
    menu->setFont(DialogFont());
    AddEntries(*menu, Menu131());
    return menu;
}

bool ModifyMenuByCommand(QMenu& menu, int id, const char* text, bool checked)
{
    QAction* action = FindCommand(menu, id);
    if (!action)
        return false;
    action->setText(QString::fromUtf8(text));
    action->setCheckable(checked);
    action->setChecked(checked);
    return true;
}
