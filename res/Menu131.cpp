#include "res/Menu131.h"

#include <QAction>
#include <QCoreApplication>
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

// The stored texts are the Japanese originals; an installed translation replaces them.
QString Shown(const char* text)
{
    return QCoreApplication::translate("Menu131", text);
}

void AddEntries(QMenu& menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        switch (entry.Type) {
        case Kind::Command:
            menu.addAction(Shown(entry.Text))->setData(entry.Id);
            break;
        case Kind::Separator:
            menu.addSeparator();
            break;
        case Kind::Submenu: {
            QMenu* submenu = menu.addMenu(Shown(entry.Text));
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
        Command(ID_CONNECT, QT_TRANSLATE_NOOP("Menu131", "接続(&P)")),
        Separator(),
        Submenu(QT_TRANSLATE_NOOP("Menu131", "設定(&S)"),
                {
                    Command(ID_TOPMOST, QT_TRANSLATE_NOOP("Menu131", "常に最前面に表示(&T)")),
                    Command(ID_CHANGE_FONT, QT_TRANSLATE_NOOP("Menu131", "フォント変更(&F)")),
                    Separator(),
                    Command(ID_LMETER_SHOW, QT_TRANSLATE_NOOP("Menu131", "Lメータ表示(L)")),
                    Command(ID_LMETER_SETTINGS, QT_TRANSLATE_NOOP("Menu131", "Lメータ設定")),
                    Separator(),
                    Command(ID_STATS, QT_TRANSLATE_NOOP("Menu131", "統計(&I)")),
                }),
        Separator(),
        Command(ID_MINIMIZE, QT_TRANSLATE_NOOP("Menu131", "最小化(&N)")),
        Separator(),
        Command(ID_ABOUT, QT_TRANSLATE_NOOP("Menu131", "このソフトについて(&A)")),
        Separator(),
        Command(ID_EXIT, QT_TRANSLATE_NOOP("Menu131", "終了(&X)")),
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
