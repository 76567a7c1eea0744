#include "app/LogSession.h"

#include <QString>

#include "app/LogTexts.h"
#include "link/window/CounterLink.h"
#include "link/sinks/RecordLog.h"
#include "log/LogWriter.h"
#include "res/MessageBox.h"

namespace {

// What the user is told when the log ends; empty when all went well.
QString LogEndText(const LogWriter& writer, uint64_t dropped)
{
    QString text;
    if (writer.Failure().cause != LogFailure::Cause::None)
        text = LogFailureShown(writer.Path(), writer.Failure());
    if (dropped != 0)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + DroppedRowsShown(dropped, writer.Path());
    return text;
}

}  // namespace

LogSession::LogSession(CounterLink& link) : link_(link)
{
    connect(this, &LogSession::WriteFailed, this, [this] { End(true); }, Qt::QueuedConnection);
}

LogSession::~LogSession()
{
    End(false);
}

void LogSession::Start(const std::string& path)
{
    End(true);
    auto queue = std::make_shared<LogQueue>();
    auto writer = std::make_unique<LogWriter>(queue, [this](const std::string&) { emit WriteFailed(); });
    if (!writer->Start(path)) {
        AfxMessageBox(LogFailureShown(writer->Path(), writer->Failure()), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    queue_ = std::move(queue);
    writer_ = std::move(writer);
    link_.SetLog(std::make_shared<RecordLog>(queue_));
}

void LogSession::End(bool tell)
{
    if (!writer_)
        return;
    link_.SetLog(nullptr);
    writer_->Stop();
    const QString text = LogEndText(*writer_, queue_->Dropped());
    writer_.reset();
    queue_.reset();
    if (tell && !text.isEmpty())
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}
