#include "statistics/TrendPlot.h"

#include "stability/PlotFrame.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QColor kLineColor(31, 90, 160);
const QColor kMeanColor(214, 96, 30);
const QColor kBandColor(214, 96, 30, 40);
const QColor kTextColor(40, 40, 40);

struct Scale {
    double perHz;  // plotted value of one hertz of offset
    QString unit;
};

// ppb while every offset shown stays below a part per million, else ppm.
Scale ScaleFor(double largestHz, double nominalHz)
{
    if (std::fabs(largestHz) < nominalHz * 1e-6)
        return {1e9 / nominalHz, QStringLiteral("ppb")};
    return {1e6 / nominalHz, QStringLiteral("ppm")};
}

struct TimeAxis {
    double perSecond;
    QString unit;
    double from;  // seconds, relative to the end for a span, from the first point for the whole run
    double to;
};

TimeAxis TimeAxisFor(const TrendPlot::Data& data)
{
    // A span longer than the readings cover shows what they cover, 10 s at least.
    constexpr double kShortest = 10.0;
    const double covered = std::max(data.points.back().tS - data.points.front().tS, kShortest);
    const double length = data.minutes > 0 ? std::min(data.minutes * 60.0, covered) : covered;
    const double perSecond = length > 7200.0 ? 3600.0 : length > 120.0 ? 60.0 : 1.0;
    const QString unit = perSecond == 3600.0 ? QStringLiteral("h")
                         : perSecond == 60.0 ? QStringLiteral("min")
                                             : QStringLiteral("s");
    if (data.minutes > 0)
        return {perSecond, unit, -length, 0.0};
    return {perSecond, unit, 0.0, length};
}

double TimeOf(const TrendPlot::Data& data, const TrendPoint& point)
{
    return data.minutes > 0 ? point.tS - data.points.back().tS : point.tS - data.points.front().tS;
}

void DrawMessage(QPainter& painter, const QRectF& area, const QString& text)
{
    painter.fillRect(area, QColor(252, 252, 250));
    painter.setPen(kTextColor);
    painter.drawRect(area);
    painter.drawText(area, Qt::AlignCenter, text);
}

}  // namespace

TrendPlot::TrendPlot(QWidget* parent) : CachedPlot(parent) {}

void TrendPlot::SetData(Data data)
{
    data_ = std::move(data);
    Redraw();
}

QRectF TrendPlot::PanelIn(const QRectF& whole, const QFontMetricsF& metrics) const
{
    const double unit = metrics.height();
    return whole.adjusted(unit * 5.2, unit * 0.6, -unit * 0.8, -unit * 3.2);
}

void TrendPlot::Render(QPainter& painter, const QRectF& whole) const
{
    const QRectF area = PanelIn(whole, QFontMetricsF(painter.font()));
    if (data_.points.empty() || !(data_.nominalHz > 0.0)) {
        DrawMessage(painter, area, tr("測定値がありません"));
        return;
    }
    const bool band = std::isfinite(data_.stddevHz) && std::isfinite(data_.meanHz);
    double low = data_.points.front().meanHz;
    double high = low;
    for (const TrendPoint& point : data_.points) {
        low = std::min(low, point.meanHz);
        high = std::max(high, point.meanHz);
    }
    if (band) {
        low = std::min(low, data_.meanHz - data_.stddevHz);
        high = std::max(high, data_.meanHz + data_.stddevHz);
    }
    low -= data_.nominalHz;
    high -= data_.nominalHz;
    const Scale scale = ScaleFor(std::max(std::fabs(low), std::fabs(high)), data_.nominalHz);
    const TimeAxis time = TimeAxisFor(data_);
    const PlotFrame frame(area, {PlotFrame::Scale::Linear, time.from / time.perSecond, time.to / time.perSecond},
                          PlotFrame::PaddedAround(low * scale.perHz, high * scale.perHz));
    // The grid's straight lines need no smoothing, and smoothing them costs most of a paint.
    painter.setRenderHint(QPainter::Antialiasing, false);
    frame.DrawGrid(painter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipRect(area);
    const auto x = [&](const TrendPoint& p) { return frame.MapX(TimeOf(data_, p) / time.perSecond); };
    const auto y = [&](double hz) { return frame.MapY((hz - data_.nominalHz) * scale.perHz); };
    if (band) {
        const double top = y(data_.meanHz + data_.stddevHz);
        painter.fillRect(QRectF(area.left(), top, area.width(), y(data_.meanHz - data_.stddevHz) - top),
                         kBandColor);
        painter.setPen(QPen(kMeanColor, 1.5, Qt::DashLine));
        painter.drawLine(QPointF(area.left(), y(data_.meanHz)), QPointF(area.right(), y(data_.meanHz)));
    }
    // Each step a line of its own: a path of them all costs several times as much to stroke.
    std::vector<QLineF> steps;
    for (size_t i = 1; i < data_.points.size(); ++i) {
        if (!data_.points[i].breakBefore)
            steps.emplace_back(x(data_.points[i - 1]), y(data_.points[i - 1].meanHz), x(data_.points[i]),
                               y(data_.points[i].meanHz));
    }
    painter.setPen(QPen(kLineColor, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawLines(steps.data(), static_cast<int>(steps.size()));
    if (data_.points.size() == 1 || data_.points.back().breakBefore)
        painter.drawEllipse(QPointF(x(data_.points.back()), y(data_.points.back().meanHz)), 2.0, 2.0);
    painter.restore();
    frame.DrawFrame(painter, tr("時間 (%1)").arg(time.unit),
                    tr("公称値からの偏差 (%1)").arg(scale.unit));
}
