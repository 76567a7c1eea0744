#pragma once

#include <memory>
#include <string>

#include <QObject>

class CounterLink;
class LogQueue;
class LogWriter;

// The CSV log of the window's session: every accepted record from its start
// to its end, and what the user is told when it ends. Window thread only.
class LogSession : public QObject {
    Q_OBJECT
public:
    explicit LogSession(CounterLink& link);
    ~LogSession() override;  // ends the log without a report

    // Logs every accepted record into the CSV file at path from now on; a file
    // that cannot be opened is reported and nothing is logged.
    void Start(const std::string& path);
    // Ends the log and, when tell is set, reports a write error or dropped rows.
    void End(bool tell);
    bool IsLogging() const { return writer_ != nullptr; }

signals:
    // The writer's thread: a write failed. The log ends on the window thread.
    void WriteFailed();

private:
    CounterLink& link_;
    std::shared_ptr<LogQueue> queue_;
    std::unique_ptr<LogWriter> writer_;
};
