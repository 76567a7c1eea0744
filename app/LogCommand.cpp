#include "app/CounterDisplayDlg.h"

#include <QMetaObject>
#include <QString>

#include "app/LogTexts.h"
#include "link/CounterLink.h"
#include "log/LogWriter.h"
#include "link/RecordLog.h"
#include "res/MessageBox.h"

namespace {

// What the user is told when the log ends; empty when all went well.
QString LogEndText(const LogWriter& writer, uint64_t dropped)
{
    QString text;
    if (!writer.Error().empty())
        text = LogFailureShown(writer.Path(), writer.Failure());
    if (dropped != 0)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + DroppedRowsShown(dropped, writer.Path());
    return text;
}

}  // namespace

void CCounterDisplayDlg::StartLogging(const std::string& path)
{
    EndLogging(true);
    auto queue = std::make_shared<LogQueue>();
    // The writer's thread reports here; the window ends the log on its own thread.
    auto writer = std::make_unique<LogWriter>(queue, [this](const std::string&) {
        QMetaObject::invokeMethod(this, [this] { EndLogging(true); }, Qt::QueuedConnection);
    });
    if (!writer->Start(path)) {
        AfxMessageBox(LogFailureShown(writer->Path(), writer->Failure()), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    logQueue_ = std::move(queue);
    logWriter_ = std::move(writer);
    link_->SetLog(std::make_shared<RecordLog>(logQueue_));
}

void CCounterDisplayDlg::EndLogging(bool tell)
{
    if (!logWriter_)
        return;
    link_->SetLog(nullptr);
    logWriter_->Stop();
    const QString text = LogEndText(*logWriter_, logQueue_->Dropped());
    logWriter_.reset();
    logQueue_.reset();
    if (tell && !text.isEmpty())
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}
