#include "app/ReadoutPresenter.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>

#include "app/ReadingText.h"
#include "display/Composer.h"
#include "display/Readout.h"
#include "link/window/CounterLink.h"

namespace {

double PrimaryRefreshRate()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->refreshRate() : 0.0;
}

}  // namespace

ReadoutPresenter::ReadoutPresenter(QWidget& window, Readout& readout, CounterLink& link)
    : window_(window), readout_(readout), link_(link),
      pacer_(FrameIntervalFor(PrimaryRefreshRate()))
{
    paceTimer_.setSingleShot(true);
    // A coarse timer may fire 5 % late, which a record waiting for its frame would feel.
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, [this] { PresentPacedChanges(); });
}

void ReadoutPresenter::PaintWhenDue()
{
    const auto delay = pacer_.DelayBeforePaint(PaintPacer::Clock::now());
    if (delay.count() == 0)
        PresentChanges();
    else if (!paceTimer_.isActive())
        StartPaceTimer(delay);
}

void ReadoutPresenter::PresentPacedChanges()
{
    if (link_.HoldRecords() && ShowChanges())
        StartPaceTimer(pacer_.FrameInterval());
    else
        PresentChanges();
}

void ReadoutPresenter::StartPaceTimer(std::chrono::milliseconds delay)
{
    paceTimer_.start(delay);
    link_.LookAt(PaintPacer::Clock::now() + delay, pacer_.FrameInterval());
}

void ReadoutPresenter::PresentChanges()
{
    link_.TakeRecords();
    ShowChanges();
}

bool ReadoutPresenter::ShowChanges()
{
    // Records only write their lines: the one compose per frame draws the latest.
    const QRegion changed = readout_.With([this](ReadoutState& state) {
        ComposeReadout(state);
        return shown_.TakeChanges(state);
    });
    // Paced already: painting now spares the event loop a queued update's pass.
    if (!changed.isEmpty())
        window_.repaint(changed);
    UpdateAccessibleReading();
    return !changed.isEmpty();
}

// A paint of the whole window shows the latest compose; a partial one (the
// changed cells, or an uncovered part) shows the copy as last taken, so the
// window never mixes two composes.
void ReadoutPresenter::Paint(QPaintEvent* event)
{
    pacer_.Painted(PaintPacer::Clock::now());
    const bool whole = QRegion(window_.rect()).subtracted(event->region()).isEmpty();
    readout_.With([this, whole](ReadoutState& state) {
        if (whole || !shown_.Matches(state))
            shown_.TakeAll(state);
    });
    QPainter painter(&window_);
    shown_.Paint(painter, event->region());
}

void ReadoutPresenter::UpdateAccessibleReading()
{
    std::string reading = readout_.With([](ReadoutState& state) {
        return ReadingText(state.Text, state.LMeterVisible != 0);
    });
    // Qt sends DescriptionChanged on every set: an unchanged reading must not be announced again.
    if (reading == accessibleReading_)
        return;
    accessibleReading_ = std::move(reading);
    window_.setAccessibleDescription(QString::fromStdString(accessibleReading_));
}
