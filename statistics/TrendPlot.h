#pragma once

#include "statistics/CachedPlot.h"
#include "statistics/TrendTier.h"

#include <vector>

// The offset from the nominal against time, drawn with QPainter: each point's mean as
// a line that breaks at gaps, the mean of all readings as a dashed line inside its ±σ
// band; autoscaled, in ppb or ppm as the offsets call for.
class TrendPlot : public CachedPlot {
    Q_OBJECT

public:
    struct Data {
        std::vector<TrendPoint> points;
        int minutes = 0;  // the span shown: the last minutes, 0 for the whole run
        double nominalHz = 0.0;
        double meanHz = 0.0;    // of all readings since the start; NaN when none
        double stddevHz = 0.0;  // NaN when fewer than two
    };

    explicit TrendPlot(QWidget* parent = nullptr);

    void SetData(Data data);
    void Render(QPainter& painter, const QRectF& area) const override;
    QSize sizeHint() const override { return {480, 240}; }
    QSize minimumSizeHint() const override { return {360, 180}; }

private:
    Data data_;
};
