#include "app/CounterConnection.h"

#include "app/CommandTexts.h"
#include "display/Composer.h"
#include "display/Readout.h"
#include "link/dialog/AdapterInfo.h"
#include "link/port/BaudRateTable.h"
#include "link/window/CounterLink.h"
#include "link/port/OpenFailureText.h"
#include "link/dialog/PortDlg.h"
#include "link/replug/StableName.h"
#include "res/MessageBox.h"
#include "settings/AppSettings.h"

namespace {

// The fixed first line stays as it was; the reason follows on a line of its own.
void ShowPortOpenFailed(const std::string& reason)
{
    QString text = QString::fromUtf8(kPortOpenFailed);
    if (!reason.empty())
        text += u'\n' + QString::fromStdString(reason);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

CounterConnection::CounterConnection(QWidget& parent, Readout& readout, AppSettings& settings,
                                     std::string iniPath)
    : parent_(parent), readout_(readout), settings_(settings),
      link_(std::make_unique<CounterLink>(readout, std::move(iniPath)))
{
}

CounterConnection::~CounterConnection() = default;

bool CounterConnection::ConnectOrDisconnect()
{
    if (!link_->IsOpen()) {
        Connect();
        return false;
    }
    if (AfxMessageBox(ShownText(kClosePortQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    Disconnect();
    return true;
}

void CounterConnection::End()
{
    if (!link_->IsOpen())
        return;
    link_->KillNoDataTimer();
    link_->Disconnect();
}

void CounterConnection::Connect()
{
    const AdapterLookup adapters(kSerialByIdFolder);
    CPortDlg dialog(&parent_, [this, &adapters](int portNumber) {
        return AdapterTooltip(adapters.Find(link_->DevicePath(portNumber)));
    });
    dialog.m_nPortIndex = ListIndexFor(int64_t{settings_.PortNumber} - 1, kPortListCount);
    dialog.m_nBaudIndex = ListIndexFor(settings_.BaudIndex, kBaudListCount);
    if (dialog.DoModal() != IDOK)
        return;
    settings_.PortNumber = dialog.m_nPortIndex + 1;
    settings_.BaudIndex = dialog.m_nBaudIndex;
    // From the first connect the user chose on, a connection given up on is reported.
    connect(link_.get(), &CounterLink::GaveUp, this, &CounterConnection::ShowGaveUp,
            Qt::UniqueConnection);
    // A missing speed is refused like a missing port; Connect never reads the table outside it.
    if (!link_->Connect(settings_.PortNumber, settings_.BaudIndex))
        ShowPortOpenFailed(DescribeOpenFailure(link_->LastConnectFailure()));
}

void CounterConnection::Disconnect()
{
    link_->Disconnect();
    readout_.With([](ReadoutState& state) { ResetReadoutText(state.Text); });
    link_->KillNoDataTimer();
    readout_.With([](ReadoutState& state) { ComposeReadout(state); });
}

void CounterConnection::ShowGaveUp(const OpenFailure& why)
{
    ShowPortOpenFailed(DescribeOpenFailure(why));
}
