// The context menu and the commands that belong to it: always on top, about,
// the L-meter and font entries, and the statistics window.
#include <memory>

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "app/CommandTexts.h"
#include "app/CounterDisplayDlg.h"
#include "display/Composer.h"
#include "display/SelectBitmap.h"
#include "link/CounterLink.h"
#include "lmeter/LMeterDlg.h"
#include "res/Menu131.h"
#include "res/MessageBox.h"
#include "settings/ProgramFolders.h"
#include "statistics/StatsWindow.h"

void CCounterDisplayDlg::OnRButtonDown()
{
    const QPoint at = QCursor::pos();
    std::unique_ptr<QMenu> menu(LoadMenu131(this));
    const int32_t lmeterVisible =
        readout_.With([](ReadoutState& state) { return state.LMeterVisible; });
    for (const MenuLabel& label : ContextMenuLabels(settings_.TopMost, lmeterVisible,
                                                    link_->IsOpen(), settings_.PortNumber,
                                                    IsStatsOpen()))
        ModifyMenuByCommand(*menu, label.Id, label.Text.c_str(), label.Checked);
    const QAction* chosen = menu->exec(at);
    const int id = chosen ? chosen->data().toInt() : 0;
    menu.reset();
    // The choice arrives as a command after this handler, as a posted message would.
    if (id != 0)
        QMetaObject::invokeMethod(this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

void CCounterDisplayDlg::OnTopMost()
{
    const bool onTop = settings_.TopMost != 1;
    SetStaysOnTop(onTop);
    settings_.TopMost = onTop ? 1 : 0;
}

void CCounterDisplayDlg::OnAbout()
{
    AfxMessageBox(QString::fromStdString(AboutText()), MB_ICONINFORMATION);
}

void CCounterDisplayDlg::OnLMeterShow()
{
    const PixelSize size = readout_.With([](ReadoutState& state) {
        const bool hide = state.LMeterVisible == 1;
        state.LMeterVisible = hide ? 0 : 1;
        state.Metrics.Rows = static_cast<uint16_t>(state.Metrics.Rows + (hide ? -1 : 1));
        return WindowSize(state.Metrics);
    });
    ResizeWindow(size);
    readout_.With([](ReadoutState& state) { ComposeReadout(state); });
    update();
    UpdateAccessibleReading();
}

void CCounterDisplayDlg::OnLMeterSettings()
{
    OnLMeterSettingsDialog(this, readout_);
}

void CCounterDisplayDlg::OnStats()
{
    if (IsStatsOpen())
        stats_->close();
    else
        OpenStats();
}

void CCounterDisplayDlg::OpenStats()
{
    if (!stats_)
        stats_ = std::make_unique<StatsWindow>(link_->Readings(), settings_.Stats);
    if (!stats_->isVisible())
        stats_->Open(frameGeometry());
}

bool CCounterDisplayDlg::IsStatsOpen() const
{
    return stats_ && stats_->isVisible();
}

void CCounterDisplayDlg::OnChangeFont()
{
    // The fonts offered are those beside the default font, then the user's own.
    if (!RunFontSelection(this, settings_.FontPath, FontPatterns(defaultFontPath_, userFontFolder_)))
        return;
    LoadFontAndResize();
    update();
}
