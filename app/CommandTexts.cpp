#include "app/CommandTexts.h"

#include <QCoreApplication>

#include "res/Menu131.h"

namespace {

// The menu's own texts: one translation serves the loaded menu and these labels.
std::string MenuText(const char* text)
{
    return QCoreApplication::translate("Menu131", text).toStdString();
}

std::string ConnectText(bool portOpen, int32_t portNumber)
{
    if (!portOpen)
        return MenuText("接続(&P)");
    return QCoreApplication::translate("Menu131", "切断[COM%1](&P)")
        .arg(portNumber)
        .toStdString();
}

}  // namespace

std::array<MenuLabel, 4> ContextMenuLabels(int32_t topMost, int32_t lmeterVisible, bool portOpen,
                                           int32_t portNumber, bool statsOpen)
{
    return {{
        {ID_TOPMOST, MenuText("常に最前面に表示(&T)"), topMost == 1},
        {ID_LMETER_SHOW, MenuText("Lメータ表示(L)"), lmeterVisible == 1},
        {ID_CONNECT, ConnectText(portOpen, portNumber), false},
        {ID_STATS, MenuText("統計(&I)"), statsOpen},
    }};
}

QString ShownText(const char* text)
{
    return QCoreApplication::translate("CommandTexts", text);
}

std::string AboutText()
{
    return "Pelmora Version 1.10\r\n"
           "\r\n"
           "Frequency counter read-out with L meter\r\n"
           "https://pelmora.example.org/";
}

int ListIndexFor(int64_t index, int count)
{
    return index >= 0 && index < count ? static_cast<int>(index) : -1;
}
