#include "log/LogWriter.h"

#include <deque>
#include <iterator>
#include <vector>

#include "system/NamedThread.h"

LogWriter::LogWriter(std::shared_ptr<LogQueue> queue, OnFailure onFailure, OnWritten onWritten)
    : queue_(std::move(queue)), onFailure_(std::move(onFailure)), onWritten_(std::move(onWritten))
{
}

LogWriter::~LogWriter()
{
    Stop();
}

bool LogWriter::Start(const std::string& path)
{
    return !thread_.joinable() && StartThread(file_.Open(path));
}

bool LogWriter::StartStandardOutput(int giveUp)
{
    return !thread_.joinable() && StartThread(file_.OpenStandardOutput(giveUp));
}

bool LogWriter::StartThread(bool opened)
{
    if (!opened)
        return false;
    auto started = StartNamedThread("pelmora-log-wr", [this] { Run(); });
    if (!started)
        return file_.Abandon(started.Error());
    thread_ = std::move(started).Value();
    return true;
}

bool LogWriter::Stop()
{
    queue_->Close();
    if (thread_.joinable())
        thread_.join();
    if (file_.Interrupted())
        CountLeftBehind();
    if (file_.IsOpen())
        file_.Close();
    return !file_.Failed();
}

void LogWriter::CountLeftBehind()
{
    std::deque<LogRow> rows;
    while (queue_->WaitAndTake(rows))
        notWritten_ += rows.size();
}

void LogWriter::Run()
{
    std::deque<LogRow> rows;
    while (queue_->WaitAndTake(rows)) {
        const std::vector<LogRow> batch(std::make_move_iterator(rows.begin()),
                                        std::make_move_iterator(rows.end()));
        const uint64_t before = file_.RowsWritten();
        const bool appended = file_.Append(batch);
        if (onWritten_)
            onWritten_(std::span<const LogRow>(batch).first(file_.RowsWritten() - before));
        if (file_.Interrupted()) {
            // The queue stays open: what still comes is counted by Stop.
            notWritten_ = batch.size() - (file_.RowsWritten() - before);
            return;
        }
        if (!appended) {
            queue_->Close();
            if (onFailure_)
                onFailure_(LogFailureText(file_.Path(), file_.Failure()));
            return;
        }
        // Rows gather meanwhile and go out in one write: far fewer wake-ups than
        // one a record, and still with the system within the interval.
        queue_->WaitForClose(kBatchInterval);
    }
}
