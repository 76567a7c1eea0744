#include "app/CommandTexts.h"

#include "res/Menu131.h"

std::array<MenuLabel, 3> ContextMenuLabels(int32_t topMost, int32_t lmeterVisible, bool portOpen,
                                           int32_t portNumber)
{
    const std::string connect =
        portOpen ? "切断[COM" + std::to_string(portNumber) + "](&P)" : std::string("接続(&P)");
    return {{
        {ID_TOPMOST, "常に最前面に表示(&T)", topMost == 1},
        {ID_LMETER_SHOW, "Lメータ表示(L)", lmeterVisible == 1},
        {ID_CONNECT, connect, false},
    }};
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
