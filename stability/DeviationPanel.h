#pragma once

#include "stability/StabilitySummary.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QPainter;

// A point the log-log axes can show, and one that also has an interval to draw as a bar.
bool IsPlottable(const DeviationPoint& point);
bool HasIntervalBar(const DeviationPoint& point);

// The tau and deviation ranges of the plottable points, their bars included; none when
// no point has a positive deviation.
struct DeviationExtent {
    double tauLow;
    double tauHigh;
    double low;
    double high;
};
std::optional<DeviationExtent> ExtentOf(const std::vector<const std::vector<DeviationPoint>*>& curves);

// The lower panel of the stability plot: deviation curves against tau on log-log
// axes. Each point carries its interval as an error bar (the bars of curves that share
// their taus set a few pixels apart so that they do not hide each other); a point whose
// terms were taken at a stride has an open marker. The legend sits in the corner that
// hides the fewest points.
class DeviationPanel {
public:
    enum class Marker { Circle, Square, Diamond };
    struct Curve {
        const std::vector<DeviationPoint>* points;
        QColor color;
        Marker marker;
        Qt::PenStyle line;
        QString name;
    };

    // confidence: the probability the intervals were computed at, for the legend.
    DeviationPanel(std::vector<Curve> curves, double confidence);

    // False, drawing nothing, when no point has a positive deviation.
    bool Draw(QPainter& painter, const QRectF& area) const;

private:
    std::vector<Curve> curves_;
    double confidence_;
};
