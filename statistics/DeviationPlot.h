#pragma once

#include "stability/StabilitySummary.h"
#include "statistics/CachedPlot.h"

// ADEV, MDEV and HDEV against tau on log-log axes, drawn with QPainter: each point with
// its interval as an error bar, and the noise type identified at each tau of the ADEV
// written along the top.
class DeviationPlot : public CachedPlot {
    Q_OBJECT

public:
    explicit DeviationPlot(QWidget* parent = nullptr);

    // Only the curves of summary are kept.
    void SetData(const StabilitySummary& summary);
    void Render(QPainter& painter, const QRectF& area) const override;
    QRectF PanelIn(const QRectF& area, const QFontMetricsF& metrics) const override;
    QSize sizeHint() const override { return {480, 300}; }
    QSize minimumSizeHint() const override { return {360, 200}; }

private:
    std::vector<DeviationPoint> adev_;
    std::vector<DeviationPoint> mdev_;
    std::vector<DeviationPoint> hdev_;
};
