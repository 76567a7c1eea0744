#include "link/port/OpenFailureText.h"

#include <cerrno>

#include <QCoreApplication>

namespace {

// The texts are written in Japanese and shown through the program's translation.
class FailureTexts {
    Q_DECLARE_TR_FUNCTIONS(OpenFailureText)
};

// A translated text with its %1, %2, ... filled in one pass, so that a path
// holding "%2" stays as it is.
template <class... Values>
std::string Filled(const QString& text, const Values&... values)
{
    if constexpr (sizeof...(values) == 0)
        return text.toStdString();
    else
        return text.arg(QString::fromStdString(values)...).toStdString();
}

// Joining "tty" would open every user's terminal, and root's group is no group to join.
bool GroupIsJoinable(const DeviceFacts& device)
{
    const unsigned groupReadWrite = 0060;
    return device.Known && (device.Permissions & groupReadWrite) == groupReadWrite &&
           device.GroupId != 0 && device.Group != "tty";
}

std::string SettingsFileName(const OpenFailure& failure)
{
    return failure.IniPath.empty() ? Filled(FailureTexts::tr("設定ファイル")) : failure.IniPath;
}

std::string ComKey(const OpenFailure& failure)
{
    return "COM" + std::to_string(failure.PortNumber);
}

std::string PermissionText(const std::string& device, const DeviceFacts& facts)
{
    if (GroupIsJoinable(facts))
        return Filled(FailureTexts::tr("%1: アクセスが拒否されました。グループ %2 のメンバーが使えます。"
                                       "\"sudo usermod -aG %2 $USER\" でグループに加わり、"
                                       "ログアウトしてからログインし直してください。"),
                      device, facts.Group);
    if (!facts.Known)
        return Filled(FailureTexts::tr("%1: アクセスが拒否されました。"), device);
    return Filled(FailureTexts::tr("%1: アクセスが拒否されました (所有者 %2、グループ %3、モード %4)。"), device,
                  facts.Owner, facts.Group, ModeText(facts));
}

std::string MissingText(const OpenFailure& failure)
{
    if (failure.PortNumber == 0)
        return Filled(FailureTexts::tr("%1 がありません。カウンタはつながっていますか？"), failure.Device);
    if (!failure.Mapping.empty())
        return Filled(FailureTexts::tr("%1 がありません。カウンタはつながっていますか？ "
                                       "%3 の [Port] の行 %2=%4 が %2 をこれに割り当てています。"),
                      failure.Device, ComKey(failure), SettingsFileName(failure), failure.Mapping);
    return Filled(FailureTexts::tr("%1 がありません。カウンタはつながっていますか？ "
                                   "%3 の [Port] に %2=<デバイス> の行を書くと、%2 をどのデバイスにも割り当てられます。"),
                  failure.Device, ComKey(failure), SettingsFileName(failure));
}

std::string HeldText(const OpenFailure& failure)
{
    if (!failure.HolderPid || *failure.HolderPid <= 0)
        return Filled(FailureTexts::tr("%1 は別のプログラムが使っています。"
                                       "そのプログラムを閉じてから、接続し直してください。"),
                      failure.Device);
    const std::string pid = std::to_string(*failure.HolderPid);
    if (failure.HolderName.empty())
        return Filled(FailureTexts::tr("%1 は別のプログラム (PID %2) が使っています。"
                                       "そのプログラムを閉じてから、接続し直してください。"),
                      failure.Device, pid);
    return Filled(FailureTexts::tr("%1 は %2 (PID %3) が使っています。"
                                   "そのプログラムを閉じてから、接続し直してください。"),
                  failure.Device, failure.HolderName, pid);
}

std::string LockFileText(const OpenFailure& failure)
{
    if (failure.Why == OpenRefusal::LockNotAFile)
        return Filled(FailureTexts::tr("%1 をロックできません。%2 はロックファイルではなく、フォルダか特殊なファイルです。"
                                       "これを削除してから、接続し直してください。"),
                      failure.Device, failure.LockPath);
    return Filled(FailureTexts::tr("%1 は使われていませんが、終了したプログラムが残したロックファイル %2 は "
                                   "%3 のもので、削除できません。\"sudo rm %2\" で削除してから、接続し直してください。"),
                  failure.Device, failure.LockPath, failure.LockOwner);
}

std::string OtherText(const OpenFailure& failure)
{
    if (failure.Error == 0)
        return Filled(FailureTexts::tr("%1 を開けませんでした。"), failure.Device);
    return Filled(FailureTexts::tr("%1 を開けませんでした (%2)。"), failure.Device,
                  SysError{failure.Error}.Text());
}

}  // namespace

OpenRefusal RefusalForError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return OpenRefusal::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenRefusal::NoSuchDevice;
    case EBUSY:
        return OpenRefusal::HeldByAnother;
    case ENOTTY:
        return OpenRefusal::NotATerminal;
    default:
        return OpenRefusal::Other;
    }
}

OpenFailure RefusedBy(const SysError& error, const std::string& device)
{
    OpenFailure failure;
    failure.Why = RefusalForError(error.Code);
    failure.Error = error.Code;
    failure.Device = device;
    return failure;
}

std::string ModeText(const DeviceFacts& device)
{
    std::string text(1, device.Type);
    const char letters[] = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text += (device.Permissions >> bit) & 1u ? letters[(8 - bit) % 3] : '-';
    return text;
}

std::string OpenFailureText(const OpenFailure& failure, const DeviceFacts& device)
{
    switch (failure.Why) {
    case OpenRefusal::None:
        return {};
    case OpenRefusal::NoPortSelected:
        return Filled(FailureTexts::tr("ポート番号が選ばれていません。シリアルポートの条件で選んでください。"));
    case OpenRefusal::NoSpeedSelected:
        return Filled(FailureTexts::tr("通信速度が選ばれていません。シリアルポートの条件で選んでください。"));
    case OpenRefusal::NoDeviceMapped:
        return Filled(FailureTexts::tr("%1 にはデバイスがありません。%2 の [Port] に %1=<デバイス> の行を加えてください。"),
                      ComKey(failure), SettingsFileName(failure));
    case OpenRefusal::PermissionDenied:
        return PermissionText(failure.Device, device);
    case OpenRefusal::NoSuchDevice:
        return MissingText(failure);
    case OpenRefusal::HeldByAnother:
        return HeldText(failure);
    case OpenRefusal::ExclusiveMarkLeft:
        return Filled(FailureTexts::tr("%1 には排他使用の印が付いていますが、ロックで持ち主を示すものはなく、"
                                       "あなたのプログラムはどれも開いていません。ほかのユーザーのプログラムが使っているのでなければ、"
                                       "終了したプログラムが印を残しました。アダプタを抜き差しする"
                                       " (擬似端末なら、その反対側を開いているプログラムを終了する) か、"
                                       "一度 root で Pelmora から開くと印は消えます。"),
                      failure.Device);
    case OpenRefusal::LockNotAFile:
    case OpenRefusal::StaleLockStays:
        return LockFileText(failure);
    case OpenRefusal::NotATerminal:
        if (failure.PortNumber == 0)
            return Filled(FailureTexts::tr("%1 はシリアルポートではありません。"), failure.Device);
        return Filled(FailureTexts::tr("%1 はシリアルポートではありません。"
                                       "%3 の [Port] の %2= にカウンタのデバイスを書いてください。"),
                      failure.Device, ComKey(failure), SettingsFileName(failure));
    case OpenRefusal::Other:
        break;
    }
    return OtherText(failure);
}

std::string DescribeOpenFailure(const OpenFailure& failure)
{
    const bool examine = failure.Why == OpenRefusal::PermissionDenied;
    return OpenFailureText(failure, examine ? ReadDeviceFacts(failure.Device) : DeviceFacts{});
}
