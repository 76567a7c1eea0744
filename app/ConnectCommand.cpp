// Connecting and disconnecting the counter, and the no-data watchdog's handler.
#include "app/CommandTexts.h"
#include "app/CounterDisplayDlg.h"
#include "display/Composer.h"
#include "link/AdapterInfo.h"
#include "link/BaudRateTable.h"
#include "link/CounterLink.h"
#include "link/OpenFailureText.h"
#include "link/PortDlg.h"
#include "link/RecordDisplay.h"
#include "link/StableName.h"
#include "res/MessageBox.h"

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

void CCounterDisplayDlg::OnConnect()
{
    if (!link_->IsOpen()) {
        const AdapterLookup adapters(kSerialByIdFolder);
        CPortDlg dialog(this, [this, &adapters](int portNumber) {
            return AdapterTooltip(adapters.Find(link_->DevicePath(portNumber)));
        });
        dialog.m_nPortIndex = ListIndexFor(int64_t{settings_.PortNumber} - 1, kPortListCount);
        dialog.m_nBaudIndex = ListIndexFor(settings_.BaudIndex, kBaudListCount);
        if (dialog.DoModal() != IDOK)
            return;
        settings_.PortNumber = dialog.m_nPortIndex + 1;
        settings_.BaudIndex = dialog.m_nBaudIndex;
        link_->SetGaveUpHandler([](const OpenFailure& why) { ShowPortOpenFailed(DescribeOpenFailure(why)); });
        // A missing speed is refused like a missing port; Connect never reads the table outside it.
        if (!link_->Connect(settings_.PortNumber, settings_.BaudIndex))
            ShowPortOpenFailed(DescribeOpenFailure(link_->LastConnectFailure()));
        return;
    }
    if (AfxMessageBox(ShownText(kClosePortQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    link_->Disconnect();
    readout_.With([](ReadoutState& state) { ResetReadoutText(state.Text); });
    link_->KillNoDataTimer();
    readout_.With([](ReadoutState& state) { ComposeReadout(state); });
    update();
    UpdateAccessibleReading();
}

void CCounterDisplayDlg::OnTimer()
{
    link_->KillNoDataTimer();
    const bool compose = link_->StopRequested().load() == 0;
    const bool composed =
        readout_.With([compose](ReadoutState& state) { return ShowNoData(state, compose); });
    if (composed) {
        update();
        UpdateAccessibleReading();
    }
}
