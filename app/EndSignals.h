#pragma once

#include <QObject>

#include "system/EndSignalPipe.h"

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the window's thread, so the
// program can end in order instead of dying at once: a notifier reads the numbers
// that system/EndSignalPipe.h writes.
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

    EndSignalPipe pipe_;
    QSocketNotifier* notifier_ = nullptr;
    int first_ = 0;
};
