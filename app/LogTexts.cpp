#include "app/LogTexts.h"

#include <QCoreApplication>

namespace {

QString CauseShown(const LogFailure& failure)
{
    switch (failure.cause) {
    case LogFailure::Cause::NotRegularFile:
        return QCoreApplication::translate("LogTexts", "通常のファイルではありません");
    case LogFailure::Cause::OutOfMemory:
        return QCoreApplication::translate("LogTexts", "メモリが足りません");
    case LogFailure::Cause::RemovedOrRenamed:
        return QCoreApplication::translate("LogTexts", "削除されたか名前が変更されました");
    default:
        return qt_error_string(failure.systemError.Code);
    }
}

}  // namespace

QString LogFailureShown(const std::string& path, const LogFailure& failure)
{
    QString text = failure.started
                       ? QCoreApplication::translate("LogTexts", "ログの記録を停止しました: %1: %2")
                       : QCoreApplication::translate("LogTexts", "ログの記録を開始できません: %1: %2");
    text = text.arg(QString::fromStdString(path), CauseShown(failure));
    if (failure.lastRowCutShort)
        text += QCoreApplication::translate("LogTexts", "（最後の行は途中で切れています）");
    return text;
}

QString DroppedRowsShown(uint64_t dropped, const std::string& path)
{
    return QCoreApplication::translate(
               "LogTexts", "%1 件の読み取り値を %2 に記録できませんでした: ディスクの書き込みが追いつきませんでした。")
        .arg(dropped)
        .arg(QString::fromStdString(path));
}
