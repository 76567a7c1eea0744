#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include "display/GlyphMetrics.h"

class QPainter;
struct ReadoutState;

// What the window shows: its own copy of the back buffer and the metrics,
// refreshed under the readout lock at whole moments, so every paint shows
// one compose and never half of the next. Window thread only.
class ShownPicture {
public:
    // Whether the copy has the readout's size and metrics, so that parts of
    // it may be refreshed.
    bool Matches(const ReadoutState& state) const;

    // The whole back buffer and the metrics; the readout's dirty area is
    // included and cleared.
    void TakeAll(ReadoutState& state);

    // The readout's dirty cells into the copy, then clears them. Returns the
    // window pixels to repaint: the changed cells only, empty when nothing
    // changed, the whole window when the copy no longer matched and was taken whole.
    QRegion TakeChanges(ReadoutState& state);

    // The copy onto the window, inside area (window pixels).
    void Paint(QPainter& painter, const QRegion& area) const;

private:
    void CopyArea(const QImage& back, const QRect& area);

    QImage back_;
    GlyphMetrics metrics_;
};
