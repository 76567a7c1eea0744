#include "stability/DeviationPanel.h"

#include "analysis/OctaveDeviations.h"
#include "stability/PlotFrame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

const QColor kTextColor(40, 40, 40);
const QColor kOpenFill(252, 252, 250);
const QColor kNoteColor(110, 110, 110);
constexpr double kBarSpacing = 4.0;  // pixels between the bars of curves sharing a tau
constexpr double kCapHalfWidth = 3.0;

using Curve = DeviationPanel::Curve;
using Marker = DeviationPanel::Marker;

void DrawMarker(QPainter& painter, const QPointF& at, Marker marker, const QColor& color, bool open)
{
    painter.setPen(QPen(color, open ? 1.6 : 2.0));
    painter.setBrush(open ? kOpenFill : color);
    switch (marker) {
    case Marker::Circle:
        painter.drawEllipse(at, 4.0, 4.0);
        break;
    case Marker::Square:
        painter.drawRect(QRectF(at.x() - 3.5, at.y() - 3.5, 7.0, 7.0));
        break;
    case Marker::Diamond:
        painter.drawPolygon(QPolygonF({at + QPointF(0, -5), at + QPointF(5, 0), at + QPointF(0, 5),
                                       at + QPointF(-5, 0)}));
        break;
    }
    painter.setBrush(Qt::NoBrush);
}

double FirstTau(const Curve& curve)
{
    for (const DeviationPoint& point : *curve.points) {
        if (IsPlottable(point))
            return point.tauS;
    }
    return 0.0;
}

// Curves that start at the same tau (one gate's ADEV, MDEV, HDEV) have their bars
// spread around the true tau by kBarSpacing, in the order the curves come.
std::vector<double> BarOffsets(const std::vector<Curve>& curves)
{
    std::vector<double> offsets(curves.size(), 0.0);
    for (size_t i = 0; i < curves.size(); ++i) {
        const double tau = FirstTau(curves[i]);
        size_t before = 0, together = 0;
        for (size_t j = 0; j < curves.size(); ++j) {
            if (FirstTau(curves[j]) == tau) {
                before += j < i ? 1 : 0;
                ++together;
            }
        }
        offsets[i] = (static_cast<double>(before) - static_cast<double>(together - 1) / 2.0) *
                     kBarSpacing;
    }
    return offsets;
}

PlotFrame Frame(const QRectF& area, const std::vector<Curve>& curves, bool& any)
{
    std::vector<const std::vector<DeviationPoint>*> points;
    for (const Curve& curve : curves)
        points.push_back(curve.points);
    const std::optional<DeviationExtent> extent = ExtentOf(points);
    any = extent.has_value();
    if (!any)
        return PlotFrame(area, {}, {});
    return PlotFrame(area, PlotFrame::DecadesAround(extent->tauLow, extent->tauHigh),
                     PlotFrame::DecadesAround(extent->low, extent->high));
}

void DrawBars(QPainter& painter, const PlotFrame& frame, const Curve& curve, double offset,
              std::vector<QPointF>& drawn)
{
    painter.setPen(QPen(curve.color, 1.2));
    for (const DeviationPoint& point : *curve.points) {
        if (!HasIntervalBar(point))
            continue;
        const double x = frame.MapX(point.tauS) + offset;
        const double top = frame.MapY(point.upper);
        const double bottom = frame.MapY(point.lower);
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
        painter.drawLine(QPointF(x - kCapHalfWidth, top), QPointF(x + kCapHalfWidth, top));
        painter.drawLine(QPointF(x - kCapHalfWidth, bottom), QPointF(x + kCapHalfWidth, bottom));
        drawn.push_back(QPointF(x, top));
        drawn.push_back(QPointF(x, bottom));
    }
}

// Draws one curve with its bars and adds points along it (every few pixels) to drawn.
void DrawCurve(QPainter& painter, const PlotFrame& frame, const Curve& curve, double barOffset,
               std::vector<QPointF>& drawn)
{
    QPolygonF line;
    std::vector<bool> open;
    for (const DeviationPoint& point : *curve.points) {
        if (!IsPlottable(point))
            continue;
        line << QPointF(frame.MapX(point.tauS), frame.MapY(point.fractional));
        open.push_back(point.stride > 1);
    }
    painter.setPen(QPen(curve.color, 2.0, curve.line));
    painter.drawPolyline(line);
    DrawBars(painter, frame, curve, barOffset, drawn);
    for (qsizetype i = 0; i < line.size(); ++i)
        DrawMarker(painter, line[i], curve.marker, curve.color, open[static_cast<size_t>(i)]);
    for (qsizetype i = 1; i < line.size(); ++i) {
        for (double share = 0.0; share < 1.0; share += 0.05)
            drawn.push_back(line[i - 1] + (line[i] - line[i - 1]) * share);
    }
    if (!line.isEmpty())
        drawn.push_back(line.back());
}

// The corner box of the panel that hides the fewest drawn points.
QRectF LegendBox(const PlotFrame& frame, const QSizeF& size, const std::vector<QPointF>& points)
{
    const QRectF area = frame.Area().adjusted(12, 12, -12, -12);
    const QRectF corners[4] = {
        QRectF(QPointF(area.right() - size.width(), area.top()), size),
        QRectF(QPointF(area.right() - size.width(), area.bottom() - size.height()), size),
        QRectF(QPointF(area.left(), area.bottom() - size.height()), size),
        QRectF(area.topLeft(), size)};
    const QRectF* best = &corners[0];
    long fewest = -1;
    for (const QRectF& corner : corners) {
        const QRectF near = corner.adjusted(-8, -8, 8, 8);
        const long hidden = std::count_if(points.begin(), points.end(),
                                          [&](const QPointF& p) { return near.contains(p); });
        if (fewest < 0 || hidden < fewest) {
            fewest = hidden;
            best = &corner;
        }
    }
    return *best;
}

bool AnyPoint(const std::vector<Curve>& curves, bool (*test)(const DeviationPoint&))
{
    return std::any_of(curves.begin(), curves.end(), [test](const Curve& curve) {
        return std::any_of(curve.points->begin(), curve.points->end(), test);
    });
}

bool Strided(const DeviationPoint& point)
{
    return IsPlottable(point) && point.stride > 1;
}

QString StrideNote()
{
    using analysis::OctaveDeviations;
    return QStringLiteral("open: τ > %1 τ₀, strided terms")
        .arg(1 << (OctaveDeviations::kExactOctaves - 1));
}

QString BarNote(double confidence)
{
    return QStringLiteral("bars: %1 % interval").arg(confidence * 100.0, 0, 'f', 1);
}

// A row of the legend below the curves: a grey sample and what it means.
struct Note {
    QString text;
    bool bar;  // an error bar; else an open marker
};

void DrawNote(QPainter& painter, const QPointF& sample, const QRectF& text, const Note& note)
{
    if (note.bar) {
        painter.setPen(QPen(kNoteColor, 1.2));
        painter.drawLine(sample + QPointF(0, -7), sample + QPointF(0, 7));
        for (const double dy : {-7.0, 7.0})
            painter.drawLine(sample + QPointF(-kCapHalfWidth, dy), sample + QPointF(kCapHalfWidth, dy));
    } else {
        DrawMarker(painter, sample, Marker::Circle, kNoteColor, true);
    }
    painter.setPen(kNoteColor);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, note.text);
}

void DrawLegend(QPainter& painter, const PlotFrame& frame, const std::vector<Curve>& curves,
                const std::vector<Note>& notes, const std::vector<QPointF>& points)
{
    const QFontMetricsF metrics(painter.font());
    double nameWidth = 0.0;
    for (const Curve& curve : curves)
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(curve.name));
    for (const Note& note : notes)
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(note.text));
    const double width = 56 + nameWidth;
    const double rowHeight = metrics.height() * 1.4;
    const size_t rows = curves.size() + notes.size();
    const QRectF box = LegendBox(frame, QSizeF(width, rowHeight * static_cast<double>(rows) + 8),
                                 points);
    painter.setPen(QPen(QColor(190, 190, 190), 1.0));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(box);
    for (size_t row = 0; row < rows; ++row) {
        const double y = box.top() + 4 + rowHeight * (static_cast<double>(row) + 0.5);
        const QPointF sample(box.left() + 26, y);
        const QRectF text(box.left() + 50, y - rowHeight / 2, width - 50, rowHeight);
        if (row >= curves.size()) {
            DrawNote(painter, sample, text, notes[row - curves.size()]);
            continue;
        }
        const Curve& curve = curves[row];
        painter.setPen(QPen(curve.color, 2.0, curve.line));
        painter.drawLine(QPointF(box.left() + 10, y), QPointF(box.left() + 42, y));
        DrawMarker(painter, sample, curve.marker, curve.color, false);
        painter.setPen(kTextColor);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, curve.name);
    }
    painter.setBrush(Qt::NoBrush);
}

}  // namespace

bool IsPlottable(const DeviationPoint& point)
{
    return point.tauS > 0.0 && point.fractional > 0.0 && std::isfinite(point.fractional);
}

bool HasIntervalBar(const DeviationPoint& point)
{
    return IsPlottable(point) && point.lower > 0.0 && std::isfinite(point.upper) &&
           point.upper > point.lower;
}

std::optional<DeviationExtent> ExtentOf(const std::vector<const std::vector<DeviationPoint>*>& curves)
{
    DeviationExtent e{INFINITY, 0.0, INFINITY, 0.0};
    for (const std::vector<DeviationPoint>* points : curves) {
        for (const DeviationPoint& point : *points) {
            if (!IsPlottable(point))
                continue;
            e.tauLow = std::min(e.tauLow, point.tauS);
            e.tauHigh = std::max(e.tauHigh, point.tauS);
            e.low = std::min(e.low, HasIntervalBar(point) ? point.lower : point.fractional);
            e.high = std::max(e.high, HasIntervalBar(point) ? point.upper : point.fractional);
        }
    }
    if (!(e.high > 0.0))
        return std::nullopt;
    return e;
}

DeviationPanel::DeviationPanel(std::vector<Curve> curves, double confidence)
    : curves_(std::move(curves)), confidence_(confidence)
{}

bool DeviationPanel::Draw(QPainter& painter, const QRectF& area) const
{
    bool any = false;
    const PlotFrame frame = Frame(area, curves_, any);
    if (!any)
        return false;
    frame.DrawGrid(painter);
    const std::vector<double> offsets = BarOffsets(curves_);
    std::vector<QPointF> drawn;
    for (size_t i = 0; i < curves_.size(); ++i)
        DrawCurve(painter, frame, curves_[i], offsets[i], drawn);
    std::vector<Note> notes;
    if (AnyPoint(curves_, HasIntervalBar))
        notes.push_back({BarNote(confidence_), true});
    if (AnyPoint(curves_, Strided))
        notes.push_back({StrideNote(), false});
    DrawLegend(painter, frame, curves_, notes, drawn);
    frame.DrawFrame(painter, QStringLiteral("Averaging time τ (s)"),
                    QStringLiteral("Fractional deviation σ(τ)"));
    return true;
}
