#include "app/CounterDisplayDlg.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include "app/CommandTexts.h"
#include "display/Composer.h"
#include "link/CounterLink.h"
#include "log/LogWriter.h"
#include "res/Icon128.h"
#include "res/Menu131.h"
#include "res/MessageBox.h"
#include "settings/ProgramFolders.h"
#include "statistics/StatsWindow.h"

namespace {

double PrimaryRefreshRate()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->refreshRate() : 0.0;
}

}  // namespace

CCounterDisplayDlg::CCounterDisplayDlg(std::string iniPath, std::string defaultFontPath,
                                       std::string userFontFolder, bool tellUnsaved)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      iniPath_(std::move(iniPath)),
      defaultFontPath_(std::move(defaultFontPath)),
      userFontFolder_(std::move(userFontFolder)),
      tellUnsaved_(tellUnsaved),
      pacer_(FrameIntervalFor(PrimaryRefreshRate()))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(QString::fromUtf8(kWindowTitle));
    paceTimer_.setSingleShot(true);
    // A coarse timer may fire 5 % late, which a record waiting for its frame would feel.
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, [this] { PresentPacedChanges(); });
    // The link calls back on this thread; a lost call would leave its hand-off closed.
    link_ = std::make_unique<CounterLink>(readout_, iniPath_, [this] { PaintWhenDue(); },
                                          [this] { OnTimer(); });
}

CCounterDisplayDlg::~CCounterDisplayDlg()
{
    EndLogging(false);
    stats_.reset();  // closes its tap before the link goes
    link_.reset();
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
    UpdateAccessibleReading();
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
    if (link_->IsOpen()) {
        link_->KillNoDataTimer();
        link_->Disconnect();
    }
    EndLogging(tellLogEnd);
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

void CCounterDisplayDlg::PaintWhenDue()
{
    const auto delay = pacer_.DelayBeforePaint(PaintPacer::Clock::now());
    if (delay.count() == 0)
        PresentChanges();
    else if (!paceTimer_.isActive())
        StartPaceTimer(delay);
}

// Records come faster than frames: while each frame finds something new to
// show, the window looks again at the next one by itself and records wake
// nobody. A frame with nothing new hands the waking back to them.
void CCounterDisplayDlg::PresentPacedChanges()
{
    if (link_->HoldRecords() && ShowChanges())
        StartPaceTimer(pacer_.FrameInterval());
    else
        PresentChanges();
}

void CCounterDisplayDlg::StartPaceTimer(std::chrono::milliseconds delay)
{
    paceTimer_.start(delay);
    link_->LookAt(PaintPacer::Clock::now() + delay, pacer_.FrameInterval());
}

void CCounterDisplayDlg::PresentChanges()
{
    link_->TakeRecords();
    ShowChanges();
}

bool CCounterDisplayDlg::ShowChanges()
{
    // Records only write their lines: the one compose per frame draws the latest.
    const QRegion changed = readout_.With([this](ReadoutState& state) {
        ComposeReadout(state);
        return shown_.TakeChanges(state);
    });
    // Paced already: painting now spares the event loop a queued update's pass.
    if (!changed.isEmpty())
        repaint(changed);
    UpdateAccessibleReading();
    return !changed.isEmpty();
}

// A paint of the whole window shows the latest compose; a partial one (the
// changed cells, or an uncovered part) shows the copy as last taken, so the
// window never mixes two composes.
void CCounterDisplayDlg::paintEvent(QPaintEvent* event)
{
    pacer_.Painted(PaintPacer::Clock::now());
    const bool whole = QRegion(rect()).subtracted(event->region()).isEmpty();
    readout_.With([this, whole](ReadoutState& state) {
        if (whole || !shown_.Matches(state))
            shown_.TakeAll(state);
    });
    QPainter painter(this);
    shown_.Paint(painter, event->region());
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
