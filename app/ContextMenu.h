#pragma once

#include <memory>
#include <span>

#include <QObject>

#include "app/CommandTexts.h"

class QMenu;
class QPoint;
class QWidget;

// The read-out's right-click menu (menu 131) with the labels of the moment.
class ContextMenu : public QObject {
    Q_OBJECT
public:
    ContextMenu(QWidget* parent, std::span<const MenuLabel> labels);
    ~ContextMenu() override;

    // Shows the menu at at and returns when it has closed.
    void Exec(const QPoint& at);

signals:
    // A command's action was triggered; id is its command id.
    void Chosen(int id);

private:
    void ConnectCommands(const QMenu& menu);

    std::unique_ptr<QMenu> menu_;
};
