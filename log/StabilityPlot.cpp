#include "log/StabilityPlot.h"

#include "log/PlotFrame.h"

#include <QFont>
#include <QPainter>
#include <QSaveFile>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor kBackground(255, 255, 255);
const QColor kFrequencyColor(31, 90, 160);
const QColor kAdevColor(31, 90, 160);
const QColor kMdevColor(214, 96, 30);
const QColor kRestartColor(150, 150, 150);
const QColor kBreakColor(200, 50, 50);
const QColor kTextColor(40, 40, 40);

struct Unit {
    double perSecond = 1.0;  // divide seconds by this
    QString name;
};

Unit TimeUnitFor(double extentS)
{
    if (extentS >= 3 * 86400.0)
        return {86400.0, QStringLiteral("d")};
    if (extentS >= 3 * 3600.0)
        return {3600.0, QStringLiteral("h")};
    if (extentS >= 300.0)
        return {60.0, QStringLiteral("min")};
    return {1.0, QStringLiteral("s")};
}

struct OffsetScale {
    double factor = 1.0;  // Hz offset times factor gives the plotted value
    QString unit;
};

// ppm once the readings stray by a part per million or more of the mean.
OffsetScale OffsetScaleFor(std::span<const FrequencySample> samples, double meanHz)
{
    double largest = 0.0;
    for (const FrequencySample& sample : samples)
        largest = std::max(largest, std::fabs(sample.frequencyHz - meanHz));
    if (meanHz > 0.0 && largest >= meanHz * 1e-6)
        return {1e6 / meanHz, QStringLiteral("ppm")};
    return {1.0, QStringLiteral("Hz")};
}

// Where each reading stands on one time axis: t_s within a run, each new run placed
// after the previous one; in the unit that suits the whole length.
struct Timeline {
    std::vector<double> x;
    std::vector<double> restarts;  // where each new run begins
    Unit unit;
};

Timeline TimelineOf(std::span<const FrequencySample> samples, double tau0S)
{
    Timeline line;
    line.x.resize(samples.size());
    const double spacing = std::isfinite(tau0S) ? tau0S : 1.0;
    double offset = samples.empty() ? 0.0 : -samples.front().tS;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (i > 0 && StepMicroseconds(samples[i - 1], samples[i]) <= 0) {
            offset = line.x[i - 1] + spacing - samples[i].tS;
            line.restarts.push_back(offset + samples[i].tS);
        }
        line.x[i] = samples[i].tS + offset;
    }
    line.unit = TimeUnitFor(line.x.empty() ? 0.0 : line.x.back());
    for (double& x : line.x)
        x /= line.unit.perSecond;
    for (double& x : line.restarts)
        x /= line.unit.perSecond;
    return line;
}

QString Grouped(uint64_t count)
{
    QString digits = QString::number(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0x2009));  // thin space
    return digits;
}

QString Plural(uint64_t count, const char* noun)
{
    return Grouped(count) + " " + noun + (count == 1 ? "" : "s");
}

void DrawHeader(QPainter& painter, const QRectF& area, const StabilitySummary& s)
{
    QFont title = painter.font();
    title.setBold(true);
    title.setPixelSize(painter.font().pixelSize() * 5 / 4);
    painter.save();
    painter.setPen(kTextColor);
    painter.setFont(title);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Frequency stability"));
    painter.restore();
    const QString tau0 = std::isfinite(s.tau0S) ? QString::number(s.tau0S, 'g', 4) + " s" : "-";
    const QString facts = Plural(s.count, "reading") + QStringLiteral("  ·  mean ") +
                          QString::number(s.meanHz, 'f', 3) + QStringLiteral(" Hz  ·  τ₀ ") + tau0 +
                          QStringLiteral("  ·  ") + Plural(s.segments, "segment");
    painter.setPen(kTextColor);
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter, facts);
}

// One segment as the minimum-maximum band of each pixel column it touches.
QPolygonF SegmentBand(const PlotFrame& frame, std::span<const double> x,
                      std::span<const FrequencySample> samples, double meanHz,
                      const OffsetScale& scale)
{
    QPolygonF band;
    double column = -1.0;
    double first = 0.0, low = 0.0, high = 0.0, last = 0.0;
    auto flush = [&] {
        if (column >= 0.0)
            band << QPointF(column, first) << QPointF(column, low) << QPointF(column, high)
                 << QPointF(column, last);
    };
    for (size_t i = 0; i < samples.size(); ++i) {
        const double px = std::floor(frame.MapX(x[i])) + 0.5;
        const double py = frame.MapY((samples[i].frequencyHz - meanHz) * scale.factor);
        if (px != column) {
            flush();
            column = px;
            first = low = high = py;
        }
        low = std::min(low, py);
        high = std::max(high, py);
        last = py;
    }
    flush();
    return band;
}

// Each segment its own band; a short mark at both edges where one follows a gap or a
// gate change, and a dashed line where a new run begins.
void DrawSegments(QPainter& painter, const PlotFrame& frame, const Timeline& line,
                  std::span<const FrequencySample> samples, const StabilitySummary& s,
                  const OffsetScale& scale)
{
    const QRectF& area = frame.Area();
    painter.setPen(QPen(kRestartColor, 1.0, Qt::DashLine));
    for (const double at : line.restarts)
        painter.drawLine(QPointF(frame.MapX(at), area.top()),
                         QPointF(frame.MapX(at), area.bottom()));
    for (size_t k = 0; k < s.segmentStarts.size(); ++k) {
        const size_t begin = s.segmentStarts[k];
        const size_t end = k + 1 < s.segmentStarts.size() ? s.segmentStarts[k + 1] : samples.size();
        if (begin >= std::min(end, samples.size()))
            continue;
        const size_t count = std::min(end, samples.size()) - begin;
        if (begin > 0 && StepMicroseconds(samples[begin - 1], samples[begin]) > 0) {
            const double at = frame.MapX(line.x[begin]);
            painter.setPen(QPen(kBreakColor, 2.0));
            painter.drawLine(QPointF(at, area.top()), QPointF(at, area.top() + 8));
            painter.drawLine(QPointF(at, area.bottom() - 8), QPointF(at, area.bottom()));
        }
        const QPolygonF band = SegmentBand(frame, std::span(line.x).subspan(begin, count),
                                           samples.subspan(begin, count), s.meanHz, scale);
        painter.setPen(QPen(kFrequencyColor, 1.3));
        if (band.size() > 4)
            painter.drawPolyline(band);
        else
            painter.drawEllipse(band.front(), 1.5, 1.5);
    }
}

void DrawFrequencyPanel(QPainter& painter, const QRectF& area,
                        std::span<const FrequencySample> samples, const StabilitySummary& s)
{
    const Timeline line = TimelineOf(samples, s.tau0S);
    const OffsetScale scale = OffsetScaleFor(samples, s.meanHz);
    const double spacing = (std::isfinite(s.tau0S) ? s.tau0S : 1.0) / line.unit.perSecond;
    const PlotFrame frame(area, {PlotFrame::Scale::Linear, 0.0, std::max(line.x.back(), spacing)},
                          PlotFrame::PaddedAround((s.minHz - s.meanHz) * scale.factor,
                                                  (s.maxHz - s.meanHz) * scale.factor));
    frame.DrawGrid(painter);
    DrawSegments(painter, frame, line, samples, s, scale);
    frame.DrawFrame(painter, QStringLiteral("Time (%1)").arg(line.unit.name),
                    QStringLiteral("Offset from mean (%1)").arg(scale.unit));
}

bool Plottable(const DeviationPoint& point)
{
    return point.tauS > 0.0 && point.fractional > 0.0 && std::isfinite(point.fractional);
}

void DrawMarker(QPainter& painter, const QPointF& at, bool square)
{
    if (square)
        painter.drawRect(QRectF(at.x() - 3.5, at.y() - 3.5, 7.0, 7.0));
    else
        painter.drawEllipse(at, 4.0, 4.0);
}

// Draws one curve and adds points along it (every few pixels) to drawn.
void DrawCurve(QPainter& painter, const PlotFrame& frame, const std::vector<DeviationPoint>& points,
               const QColor& color, bool square, std::vector<QPointF>& drawn)
{
    QPolygonF line;
    for (const DeviationPoint& point : points) {
        if (Plottable(point))
            line << QPointF(frame.MapX(point.tauS), frame.MapY(point.fractional));
    }
    painter.setPen(QPen(color, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
    painter.setBrush(color);
    for (const QPointF& at : line)
        DrawMarker(painter, at, square);
    painter.setBrush(Qt::NoBrush);
    for (qsizetype i = 1; i < line.size(); ++i) {
        for (double share = 0.0; share < 1.0; share += 0.05)
            drawn.push_back(line[i - 1] + (line[i] - line[i - 1]) * share);
    }
    if (!line.isEmpty())
        drawn.push_back(line.back());
}

// The corner box of the panel that hides the fewest curve points.
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

void DrawLegend(QPainter& painter, const PlotFrame& frame, const std::vector<QPointF>& points)
{
    const QFontMetricsF metrics(painter.font());
    const QString names[2] = {QStringLiteral("ADEV (overlapping Allan)"),
                              QStringLiteral("MDEV (modified Allan)")};
    const double width =
        56 + std::max(metrics.horizontalAdvance(names[0]), metrics.horizontalAdvance(names[1]));
    const double rowHeight = metrics.height() * 1.4;
    const QRectF box = LegendBox(frame, QSizeF(width, rowHeight * 2 + 8), points);
    painter.setPen(QPen(QColor(190, 190, 190), 1.0));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(box);
    for (int row = 0; row < 2; ++row) {
        const QColor color = row == 0 ? kAdevColor : kMdevColor;
        const double y = box.top() + 4 + rowHeight * (row + 0.5);
        painter.setPen(QPen(color, 2.0));
        painter.drawLine(QPointF(box.left() + 10, y), QPointF(box.left() + 42, y));
        painter.setBrush(color);
        DrawMarker(painter, QPointF(box.left() + 26, y), row == 1);
        painter.setPen(kTextColor);
        painter.drawText(QRectF(box.left() + 50, y - rowHeight / 2, width - 50, rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, names[row]);
    }
    painter.setBrush(Qt::NoBrush);
}

void DrawDeviationPanel(QPainter& painter, const QRectF& area, const StabilitySummary& s)
{
    double tauLow = INFINITY, tauHigh = 0.0, low = INFINITY, high = 0.0;
    for (const auto* curve : {&s.adev, &s.mdev}) {
        for (const DeviationPoint& point : *curve) {
            if (!Plottable(point))
                continue;
            tauLow = std::min(tauLow, point.tauS);
            tauHigh = std::max(tauHigh, point.tauS);
            low = std::min(low, point.fractional);
            high = std::max(high, point.fractional);
        }
    }
    if (high <= 0.0) {
        painter.fillRect(area, QColor(252, 252, 250));
        painter.setPen(kTextColor);
        painter.drawRect(area);
        painter.drawText(area, Qt::AlignCenter,
                         s.adev.empty()
                             ? QStringLiteral("Too few readings for a stability curve")
                             : QStringLiteral("The frequency never changed: every deviation is 0"));
        return;
    }
    const PlotFrame frame(area, PlotFrame::DecadesAround(tauLow, tauHigh),
                          PlotFrame::DecadesAround(low, high));
    frame.DrawGrid(painter);
    std::vector<QPointF> drawn;
    DrawCurve(painter, frame, s.adev, kAdevColor, false, drawn);
    DrawCurve(painter, frame, s.mdev, kMdevColor, true, drawn);
    DrawLegend(painter, frame, drawn);
    frame.DrawFrame(painter, QStringLiteral("Averaging time τ (s)"),
                    QStringLiteral("Fractional deviation σ(τ)"));
}

}  // namespace

StabilityPlot::StabilityPlot(QSize size) : size_(size)
{}

QImage StabilityPlot::Render(std::span<const FrequencySample> samples,
                             const StabilitySummary& summary) const
{
    QImage image(size_, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(11, size_.width() / 84));
    painter.setFont(font);
    const double unit = font.pixelSize();
    const double left = unit * 7.5;
    const double right = size_.width() - unit * 2.0;
    const double headerHeight = unit * 3.0;
    const double panelHeight = (size_.height() - headerHeight - unit * 8.5) / 2.0;
    DrawHeader(painter, QRectF(left, 0, right - left, headerHeight), summary);
    const QRectF top(left, headerHeight, right - left, panelHeight);
    const QRectF bottom(left, top.bottom() + unit * 4.5, right - left, panelHeight);
    if (samples.empty()) {
        painter.drawText(top, Qt::AlignCenter, QStringLiteral("No readings"));
        return image;
    }
    DrawFrequencyPanel(painter, top, samples, summary);
    DrawDeviationPanel(painter, bottom, summary);
    return image;
}

bool StabilityPlot::SavePng(const std::string& path, std::span<const FrequencySample> samples,
                            const StabilitySummary& summary, std::string& error) const
{
    // Written whole or not at all; the reason comes from the file, not the encoder.
    QSaveFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly) && Render(samples, summary).save(&file, "PNG") && file.commit())
        return true;
    error = "Cannot write " + path + ": " + file.errorString().toStdString();
    return false;
}
