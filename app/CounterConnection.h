#pragma once

#include <memory>
#include <string>

#include <QObject>

struct AppSettings;
class CounterLink;
class QWidget;
class Readout;
struct OpenFailure;

// The counter's connection as the window's menu runs it: the port dialog,
// the connect and its failures, the question before a disconnect. Owns the
// link (and through it the session). Window thread only.
class CounterConnection : public QObject {
    Q_OBJECT
public:
    // settings: the port and speed offered and chosen; parent: of the port dialog.
    CounterConnection(QWidget& parent, Readout& readout, AppSettings& settings, std::string iniPath);
    ~CounterConnection() override;

    // Disconnected: the port dialog, then the connect. Connected: asks, then
    // disconnects. True when it disconnected: the read-out then holds its
    // starting text, composed, for the window to show.
    bool ConnectOrDisconnect();
    // Stops the watchdog and disconnects without a question (the window's end).
    void End();

    CounterLink& Link() { return *link_; }
    const CounterLink& Link() const { return *link_; }

private:
    void Connect();
    void Disconnect();
    void ShowGaveUp(const OpenFailure& why);

    QWidget& parent_;
    Readout& readout_;
    AppSettings& settings_;
    std::unique_ptr<CounterLink> link_;
};
