#include "statistics/DeviationPlot.h"

#include "stability/DeviationPanel.h"
#include "stability/PlotFrame.h"

#include <QPainter>

#include <cmath>

namespace {

const QColor kTextColor(40, 40, 40);

struct Curve {
    const char* name;
    const std::vector<DeviationPoint>* points;
    QColor color;
    double shift;  // of the error bars, in pixels, so that bars at one tau stand apart
};

// A little room around the taus, so that no point sits on the frame; whole decades
// when the room alone would leave no decade to label.
PlotFrame::Axis TauAxis(double low, double high)
{
    constexpr double kRoom = 1.4;
    const double from = low / kRoom;
    const double to = high * kRoom;
    if (std::floor(std::log10(to)) < std::ceil(std::log10(from)))
        return PlotFrame::DecadesAround(low, high);
    return {PlotFrame::Scale::Log, from, to};
}

void DrawMessage(QPainter& painter, const QRectF& area, const QString& text)
{
    painter.fillRect(area, QColor(252, 252, 250));
    painter.setPen(kTextColor);
    painter.drawRect(area);
    painter.drawText(area, Qt::AlignCenter, text);
}

void DrawErrorBar(QPainter& painter, const PlotFrame& frame, const DeviationPoint& point, double x)
{
    if (!HasIntervalBar(point))
        return;
    const double top = frame.MapY(point.upper);
    const double bottom = frame.MapY(point.lower);
    painter.drawLine(QPointF(x, top), QPointF(x, bottom));
    painter.drawLine(QPointF(x - 3, top), QPointF(x + 3, top));
    painter.drawLine(QPointF(x - 3, bottom), QPointF(x + 3, bottom));
}

void DrawCurve(QPainter& painter, const PlotFrame& frame, const Curve& curve)
{
    // Each step a line of its own: a path of them all costs several times as much to stroke.
    std::vector<QPointF> points;
    painter.setPen(QPen(curve.color, 1.2));
    for (const DeviationPoint& point : *curve.points) {
        if (!IsPlottable(point))
            continue;
        points.emplace_back(frame.MapX(point.tauS), frame.MapY(point.fractional));
        DrawErrorBar(painter, frame, point, points.back().x() + curve.shift);
    }
    // A filled disc as large as the outlined one: outlining each marker costs most of the plot.
    painter.setPen(Qt::NoPen);
    painter.setBrush(curve.color);
    for (const QPointF& at : points)
        painter.drawEllipse(at, 3.6, 3.6);
    std::vector<QLineF> steps;
    for (size_t i = 1; i < points.size(); ++i)
        steps.emplace_back(points[i - 1], points[i]);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(curve.color, 1.5));
    painter.drawLines(steps.data(), static_cast<int>(steps.size()));
}

// The corner of the panel that hides the fewest points, below the row of noise types.
QRectF LegendBox(const PlotFrame& frame, const QSizeF& size, const std::vector<Curve>& curves,
                 double noiseRowHeight)
{
    const QRectF area = frame.Area().adjusted(8, 8 + noiseRowHeight, -8, -8);
    const QRectF corners[] = {QRectF(QPointF(area.right() - size.width(), area.bottom() - size.height()), size),
                              QRectF(QPointF(area.right() - size.width(), area.top()), size),
                              QRectF(QPointF(area.left(), area.bottom() - size.height()), size),
                              QRectF(area.topLeft(), size)};
    QRectF best = corners[0];
    long fewest = -1;
    for (const QRectF& corner : corners) {
        long hidden = 0;
        for (const Curve& curve : curves)
            for (const DeviationPoint& point : *curve.points)
                hidden += IsPlottable(point) &&
                          corner.adjusted(-6, -6, 6, 6).contains(frame.MapX(point.tauS), frame.MapY(point.fractional));
        if (fewest < 0 || hidden < fewest) {
            fewest = hidden;
            best = corner;
        }
    }
    return best;
}

void DrawLegend(QPainter& painter, const PlotFrame& frame, const std::vector<Curve>& curves)
{
    const QFontMetricsF metrics(painter.font());
    const double row = metrics.height() * 1.25;
    const QSizeF size(metrics.horizontalAdvance(QStringLiteral("HDEV")) + 36, row * 3 + 6);
    const QRectF box = LegendBox(frame, size, curves, metrics.height());
    painter.setPen(QPen(QColor(190, 190, 190), 1.0));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(box);
    for (size_t i = 0; i < curves.size(); ++i) {
        const double y = box.top() + 3 + row * (static_cast<double>(i) + 0.5);
        painter.setPen(QPen(curves[i].color, 1.5));
        painter.setBrush(curves[i].color);
        painter.drawLine(QPointF(box.left() + 6, y), QPointF(box.left() + 24, y));
        painter.drawEllipse(QPointF(box.left() + 15, y), 3.0, 3.0);
        painter.setPen(kTextColor);
        painter.drawText(QRectF(box.left() + 30, y - row / 2, box.width() - 30, row),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(curves[i].name));
    }
    painter.setBrush(Qt::NoBrush);
}

// The noise type at each tau of the ADEV, small, along the top of the panel.
void DrawNoiseTypes(QPainter& painter, const PlotFrame& frame, const std::vector<DeviationPoint>& adev)
{
    QFont small = painter.font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter.save();
    painter.setFont(small);
    painter.setPen(QColor(90, 90, 90));
    const QFontMetricsF metrics(small);
    for (const DeviationPoint& point : adev) {
        if (!IsPlottable(point) || !point.noise)
            continue;
        const QString name = QString::fromLatin1(analysis::NoiseName(*point.noise));
        const double x = frame.MapX(point.tauS);
        painter.drawText(QRectF(x - 30, frame.Area().top() + 2, 60, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, name);
    }
    painter.restore();
}

}  // namespace

DeviationPlot::DeviationPlot(QWidget* parent) : CachedPlot(parent) {}

void DeviationPlot::SetData(const StabilitySummary& summary)
{
    adev_ = summary.adev;
    mdev_ = summary.mdev;
    hdev_ = summary.hdev;
    Redraw();
}

QRectF DeviationPlot::PanelIn(const QRectF& whole, const QFontMetricsF& metrics) const
{
    const double unit = metrics.height();
    return whole.adjusted(unit * 5.2, unit * 0.6, -unit * 0.8, -unit * 3.4);
}

void DeviationPlot::Render(QPainter& painter, const QRectF& whole) const
{
    const QRectF area = PanelIn(whole, QFontMetricsF(painter.font()));
    const std::vector<Curve> curves = {{"ADEV", &adev_, QColor(31, 90, 160), 0.0},
                                       {"MDEV", &mdev_, QColor(214, 96, 30), -4.0},
                                       {"HDEV", &hdev_, QColor(40, 140, 60), 4.0}};
    const std::optional<DeviationExtent> extent = ExtentOf({&adev_, &mdev_, &hdev_});
    if (!extent) {
        DrawMessage(painter, area, adev_.empty() ? tr("安定度の曲線には測定値がまだ足りません")
                                                 : tr("周波数が一度も変わっていません"));
        return;
    }
    const PlotFrame frame(area, TauAxis(extent->tauLow, extent->tauHigh),
                          PlotFrame::DecadesAround(extent->low, extent->high));
    // The grid's straight lines need no smoothing, and smoothing them costs most of a paint.
    painter.setRenderHint(QPainter::Antialiasing, false);
    frame.DrawGrid(painter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipRect(area);
    for (const Curve& curve : curves)
        DrawCurve(painter, frame, curve);
    DrawNoiseTypes(painter, frame, adev_);
    DrawLegend(painter, frame, curves);
    painter.restore();
    frame.DrawFrame(painter, tr("平均化時間 τ (s)"), tr("偏差 σ(τ)"));
}
