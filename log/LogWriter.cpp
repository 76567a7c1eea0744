#include "log/LogWriter.h"

#include <deque>
#include <iterator>
#include <vector>

LogWriter::LogWriter(std::shared_ptr<LogQueue> queue, OnFailure onFailure)
    : queue_(std::move(queue)), onFailure_(std::move(onFailure))
{
}

LogWriter::~LogWriter()
{
    Stop();
}

bool LogWriter::Start(const std::string& path)
{
    if (thread_.joinable() || !file_.Open(path))
        return false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

bool LogWriter::Stop()
{
    queue_->Close();
    if (thread_.joinable())
        thread_.join();
    if (file_.IsOpen())
        file_.Close();
    return !file_.Failed();
}

void LogWriter::Run()
{
    std::deque<LogRow> rows;
    while (queue_->WaitAndTake(rows)) {
        const std::vector<LogRow> batch(std::make_move_iterator(rows.begin()),
                                        std::make_move_iterator(rows.end()));
        if (!file_.Append(batch)) {
            queue_->Close();
            if (onFailure_)
                onFailure_(file_.Error());
            return;
        }
        // Rows gather meanwhile and go out in one write: far fewer wake-ups than
        // one a record, and still with the system within the interval.
        queue_->WaitForClose(kBatchInterval);
    }
}
