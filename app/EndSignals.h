#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the window's thread, so the
// program can end in order instead of dying at once. The handler only writes the
// signal's number into a socket pair (async-signal-safe); a notifier reads it there.
// One instance at a time; it restores the previous handlers when it goes.
class EndSignals : public QObject {
    Q_OBJECT

public:
    EndSignals();
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // The first signal that arrived; 0 before any.
    int First() const { return first_; }

signals:
    void Received(int signalNumber);

private:
    void Read();

    int readEnd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    int first_ = 0;
};
