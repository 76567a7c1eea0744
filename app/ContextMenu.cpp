#include "app/ContextMenu.h"

#include <QAction>
#include <QMenu>

#include "res/Menu131.h"

ContextMenu::ContextMenu(QWidget* parent, std::span<const MenuLabel> labels)
    : menu_(LoadMenu131(parent))
{
    for (const MenuLabel& label : labels)
        ModifyMenuByCommand(*menu_, label.Id, label.Text.c_str(), label.Checked);
    ConnectCommands(*menu_);
}

ContextMenu::~ContextMenu() = default;

void ContextMenu::Exec(const QPoint& at)
{
    menu_->exec(at);
}

void ContextMenu::ConnectCommands(const QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        if (const QMenu* submenu = action->menu())
            ConnectCommands(*submenu);
        else if (!action->isSeparator())
            connect(action, &QAction::triggered, this,
                    [this, id = action->data().toInt()] { emit Chosen(id); });
    }
}
