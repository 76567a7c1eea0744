#pragma once

#include <chrono>
#include <string>

#include <QObject>
#include <QTimer>

#include "app/PaintPacer.h"
#include "app/ShownPicture.h"

class CounterLink;
class QPaintEvent;
class QWidget;
class Readout;

// What the read-out window shows and tells: its paints, paced to the frame,
// of the records the link hands over (the hand-off: link/RecordPresenter.h),
// and the reading it tells assistive technology. Window thread only.
class ReadoutPresenter : public QObject {
    Q_OBJECT
public:
    ReadoutPresenter(QWidget& window, Readout& readout, CounterLink& link);

    // The window's paint event: the picture as last taken, refreshed first
    // when the whole window is painted.
    void Paint(QPaintEvent* event);
    // Tells assistive technology what the read-out now shows.
    void UpdateAccessibleReading();

public slots:
    // Records changed the read-out: paints now or at the next frame.
    void PaintWhenDue();

private:
    // The paint slot: takes the records, composes their lines, takes the
    // changes and repaints where they are.
    void PresentChanges();
    void PresentPacedChanges();
    // The next look at the records, told to the link so that they are read just before.
    void StartPaceTimer(std::chrono::milliseconds delay);
    // Composes, takes the changes and repaints where they are; returns whether anything changed.
    bool ShowChanges();

    QWidget& window_;
    Readout& readout_;
    CounterLink& link_;
    ShownPicture shown_;
    std::string accessibleReading_;  // the reading last told to assistive technology
    PaintPacer pacer_;
    QTimer paceTimer_;
};
