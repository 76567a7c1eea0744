#include "app/CounterDisplayDlg.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include "app/CommandTexts.h"
#include "app/ContextMenu.h"
#include "app/CounterConnection.h"
#include "app/LogSession.h"
#include "app/ReadoutPresenter.h"
#include "display/Composer.h"
#include "display/SelectBitmap.h"
#include "link/window/CounterLink.h"
#include "link/window/RecordPresenter.h"
#include "lmeter/LMeterDlg.h"
#include "res/Icon128.h"
#include "res/Menu131.h"
#include "res/MessageBox.h"
#include "settings/ProgramFolders.h"
#include "statistics/StatsWindow.h"

CCounterDisplayDlg::CCounterDisplayDlg(std::string iniPath, std::string defaultFontPath,
                                       std::string userFontFolder, bool tellUnsaved)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      iniPath_(std::move(iniPath)),
      defaultFontPath_(std::move(defaultFontPath)),
      userFontFolder_(std::move(userFontFolder)),
      tellUnsaved_(tellUnsaved),
      connection_(std::make_unique<CounterConnection>(*this, readout_, settings_, iniPath_)),
      log_(std::make_unique<LogSession>(Link())),
      presenter_(std::make_unique<ReadoutPresenter>(*this, readout_, Link()))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(QString::fromUtf8(kWindowTitle));
    // Direct: the link signals on this thread, and a lost hand-off would stay closed.
    connect(&Link(), &CounterLink::RecordsWaiting, presenter_.get(), &ReadoutPresenter::PaintWhenDue);
    connect(&Link(), &CounterLink::NoDataTimerFired, this, &CCounterDisplayDlg::OnTimer);
}

CCounterDisplayDlg::~CCounterDisplayDlg()
{
    log_.reset();
    stats_.reset();  // closes its tap before the link goes
    presenter_.reset();
    connection_.reset();
}

CounterLink& CCounterDisplayDlg::Link()
{
    return connection_->Link();
}

bool CCounterDisplayDlg::IsLogging() const
{
    return log_->IsLogging();
}

void CCounterDisplayDlg::StartLogging(const std::string& path)
{
    log_->Start(path);
}

DialogResult CCounterDisplayDlg::DoModal()
{
    if (!Start())
        return result_;
    loop_.exec();
    return result_;
}

bool CCounterDisplayDlg::Start()
{
    OnInitDialog();
    if (ended_)
        return false;
    CentreOnScreen();
    show();
    if (openStatsAtStart_ || settings_.Stats.Open == 1)
        OpenStats();
    return true;
}

bool CCounterDisplayDlg::OnInitDialog()
{
    setWindowIcon(Icon128());
    LoadSettings(settings_, iniPath_, defaultFontPath_);
    readout_.With([this](ReadoutState& state) {
        ResetReadoutText(state.Text);
        state.C1 = settings_.C1;
        state.C2 = settings_.C2;
    });
    LoadFontAndResize();
    presenter_->UpdateAccessibleReading();
    // X11 has no system menu to edit: the window manager offers what it offers.
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    SetStaysOnTop(settings_.TopMost == 1);
    return true;
}

void CCounterDisplayDlg::EndDialog(DialogResult result)
{
    ended_ = true;
    result_ = result;
    hide();
    loop_.exit();
}

void CCounterDisplayDlg::OnCommand(int id)
{
    switch (id) {
    case ID_CONNECT:
        return OnConnect();
    case ID_EXIT:
        return OnExit();
    case ID_TOPMOST:
        return OnTopMost();
    case ID_MINIMIZE:
        return OnMinimize();
    case ID_CHANGE_FONT:
        return OnChangeFont();
    case ID_ABOUT:
        return OnAbout();
    case ID_LMETER_SHOW:
        return OnLMeterShow();
    case ID_LMETER_SETTINGS:
        return OnLMeterSettings();
    case ID_STATS:
        return OnStats();
    default:
        return;
    }
}

void CCounterDisplayDlg::OnRButtonDown()
{
    const QPoint at = QCursor::pos();
    const int32_t lmeterVisible =
        readout_.With([](ReadoutState& state) { return state.LMeterVisible; });
    ContextMenu menu(this, ContextMenuLabels(settings_.TopMost, lmeterVisible, Link().IsOpen(),
                                             settings_.PortNumber, IsStatsOpen()));
    // Queued, as a posted message would be: the menu is gone before the command runs.
    connect(&menu, &ContextMenu::Chosen, this, &CCounterDisplayDlg::OnCommand, Qt::QueuedConnection);
    menu.Exec(at);
}

void CCounterDisplayDlg::OnConnect()
{
    if (connection_->ConnectOrDisconnect())
        ShowComposed();
}

void CCounterDisplayDlg::OnTimer()
{
    Link().KillNoDataTimer();
    const bool compose = Link().StopRequested().load() == 0;
    const bool composed =
        readout_.With([compose](ReadoutState& state) { return ShowNoData(state, compose); });
    if (composed)
        ShowComposed();
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
    ShowComposed();
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
        stats_ = std::make_unique<StatsWindow>(Link().Readings(), settings_.Stats);
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

void CCounterDisplayDlg::OnExit()
{
    if (ExitSequence())
        EndDialog(IDOK);
}

void CCounterDisplayDlg::OnMinimize()
{
    showMinimized();
}

void CCounterDisplayDlg::OnEndSignal()
{
    if (ended_)
        return;
    EndSession(false);
    EndDialog(IDCANCEL);
    // An open dialog or message box would hold the end until someone answers it.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible())
            dialog->reject();
}

bool CCounterDisplayDlg::ExitSequence()
{
    // ended_: a signal ended the window while the question was open.
    if (AfxMessageBox(ShownText(kExitQuestion), MB_YESNO | MB_ICONQUESTION) == IDNO || ended_)
        return false;
    EndSession(true);
    readout_.With([this](ReadoutState& state) {
        settings_.C1 = state.C1;
        settings_.C2 = state.C2;
    });
    SaveAtExit();
    return true;
}

void CCounterDisplayDlg::EndSession(bool tellLogEnd)
{
    hide();  // gone from the screen before the slower steps
    if (stats_) {
        stats_->KeepGeometry();
        stats_->hide();
    }
    connection_->End();
    log_->End(tellLogEnd);
}

void CCounterDisplayDlg::SaveAtExit()
{
    std::string reason;
    if (!iniPath_.empty() && SaveSettings(settings_, iniPath_, &reason))
        return;
    if (!tellUnsaved_)
        return;
    const QString path = QString::fromStdString(iniPath_.empty() ? kHomeSettingsFile : iniPath_);
    const QString why = iniPath_.empty() ? ShownText(kNoHomeFolder) : QString::fromStdString(reason);
    AfxMessageBox(ShownText(kSettingsNotSaved).arg(path, why), MB_OK | MB_ICONEXCLAMATION);
}

void CCounterDisplayDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (!ended_ && ExitSequence())
        EndDialog(IDCANCEL);
}

void CCounterDisplayDlg::SetStaysOnTop(bool onTop)
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const QPoint at = pos();
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);  // hides the window
    if (visible) {
        move(at);
        show();
    }
}

void CCounterDisplayDlg::CentreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void CCounterDisplayDlg::ResizeWindow(PixelSize size)
{
    // Qt has no window of zero extent; a degenerate font still gets one pixel.
    setFixedSize(std::max(1, size.Width), std::max(1, size.Height));
    update();
}

void CCounterDisplayDlg::LoadFontAndResize()
{
    const FontLoadResult load = LoadFont(readout_, settings_.FontPath, defaultFontPath_);
    if (load.Loaded) {
        ResizeWindow(load.WindowSize);
        return;
    }
    AfxMessageBox(QString::fromStdString(CantOpenFontText(load.FailedPath)), MB_OK);
    EndDialog(IDOK);
}

void CCounterDisplayDlg::ShowComposed()
{
    update();
    presenter_->UpdateAccessibleReading();
}

void CCounterDisplayDlg::paintEvent(QPaintEvent* event)
{
    presenter_->Paint(event);
}

void CCounterDisplayDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->globalPosition().toPoint());
    else if (event->button() == Qt::RightButton)
        OnRButtonDown();
    event->accept();
}

void CCounterDisplayDlg::OnLButtonDown(const QPoint& globalPos)
{
    QWindow* window = windowHandle();
    if (!forceManualMove_ && window && window->startSystemMove())
        return;
    manualMove_ = true;
    moveStartCursor_ = globalPos;
    moveStartWindow_ = pos();
}

void CCounterDisplayDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (manualMove_ && event->buttons().testFlag(Qt::LeftButton))
        move(moveStartWindow_ + (event->globalPosition().toPoint() - moveStartCursor_));
}

void CCounterDisplayDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        manualMove_ = false;
}

void CCounterDisplayDlg::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const bool zoomed =
        readout_.With([delta](ReadoutState& state) { return ZoomByWheel(state.Metrics, delta); });
    if (!zoomed)
        return;
    ResizeWindow(readout_.With([](ReadoutState& state) { return WindowSize(state.Metrics); }));
}

void CCounterDisplayDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // neither may end the window
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
