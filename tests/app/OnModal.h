#pragma once

#include <functional>

#include <QApplication>
#include <QTimer>

// Runs act on the next modal dialog of type Dialog once it is open; act must
// end the dialog.
template <class Dialog>
void OnModal(std::function<void(Dialog&)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start();
}
