#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "link/session/SessionLoop.h"

// A session's owner work on the Qt event loop of the thread that made it
// (the window thread): posts are queued calls, the alarm a precise timer.
// Posts still queued when it is destroyed are dropped.
class QtSessionLoop : public SessionLoop {
public:
    QtSessionLoop();
    ~QtSessionLoop() override;
    QtSessionLoop(const QtSessionLoop&) = delete;
    QtSessionLoop& operator=(const QtSessionLoop&) = delete;

    void Post(std::function<void()> work) override;
    void ArmAlarm(Clock::time_point due, std::function<void()> fire) override;
    void DisarmAlarm() override;

private:
    // Queued calls go to it and die with it.
    std::unique_ptr<QObject> context_;
    QTimer alarm_;
    std::function<void()> fire_;  // owner thread only
};
