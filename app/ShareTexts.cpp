#include "app/ShareTexts.h"

#include <QCoreApplication>

QString ShareNoticeText(ShareNotice notice, const std::string& detail)
{
    const QString where = QString::fromStdString(detail);
    switch (notice) {
    case ShareNotice::Clash:
        return QCoreApplication::translate("ShareTexts", "読み取り値を共有できません。別のプログラムが共有しています: %1")
            .arg(where);
    case ShareNotice::TcpRefused:
        return QCoreApplication::translate("ShareTexts", "読み取り値をTCPで共有できません: %1").arg(where);
    case ShareNotice::FolderRefused:
    case ShareNotice::SocketFailed:
        break;
    }
    return QCoreApplication::translate("ShareTexts", "読み取り値を共有できません: %1").arg(where);
}
