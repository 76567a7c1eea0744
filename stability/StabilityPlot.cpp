#include "stability/StabilityPlot.h"

#include "stability/DeviationPanel.h"
#include "stability/PlotFrame.h"
#include "stability/RunTimeline.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QSaveFile>
#include <QPolygonF>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <vector>

namespace {

const QColor kBackground(255, 255, 255);
const QColor kFrequencyColor(31, 90, 160);
const QColor kAdevColor(31, 90, 160);
const QColor kMdevColor(214, 96, 30);
const QColor kHdevColor(40, 140, 60);
const QColor kRestartColor(150, 150, 150);
const QColor kBreakColor(200, 50, 50);
const QColor kTextColor(40, 40, 40);
const QColor kGateColors[] = {QColor(31, 90, 160), QColor(214, 96, 30), QColor(40, 140, 60),
                              QColor(150, 60, 160), QColor(120, 100, 40), QColor(20, 140, 150)};

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

Timeline TimelineOf(std::span<const FrequencySample> samples, const StabilitySummary& s)
{
    Timeline line;
    line.x = RunTimeline(samples, s);
    for (const SegmentStart& start : s.segmentStarts) {
        if (start.reason == SegmentBreak::Restart && start.index < line.x.size())
            line.restarts.push_back(line.x[start.index]);
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

QString Tau0Text(double tau0S)
{
    return std::isfinite(tau0S) ? QString::number(tau0S, 'g', 4) + " s" : QStringLiteral("-");
}

// As gate_s is written: "1.0 s", "0.25 s".
QString GateText(const std::optional<uint32_t>& gateMs)
{
    if (!gateMs)
        return QStringLiteral("unknown");
    QString text = QString::number(*gateMs / 1000.0, 'g', 7);
    return (text.contains('.') ? text : text + ".0") + " s";
}

// With several gate times, each one's tau0 and gate.
QString Tau0Facts(const StabilitySummary& s)
{
    if (s.byGate.size() <= 1)
        return Tau0Text(s.tau0S);
    QStringList parts;
    for (const GateDeviations& gate : s.byGate)
        parts << Tau0Text(gate.tau0S) + " (gate " + GateText(gate.gateMs) + ")";
    return parts.join(QStringLiteral(", "));
}

// The title, and the facts of the run beside it or, when both do not fit on one
// line, below it.
struct Header {
    QString title;
    QString facts;
    bool stacked = false;
};

QFont TitleFont(const QFont& font)
{
    QFont title = font;
    title.setBold(true);
    title.setPixelSize(font.pixelSize() * 5 / 4);
    return title;
}

Header HeaderOf(const StabilitySummary& s, const QFont& font, double width)
{
    Header header;
    header.title = QStringLiteral("Frequency stability");
    if (std::isfinite(s.driftRemovedHzPerS))
        header.title += QStringLiteral(", drift of %1%2 Hz/s removed")
                            .arg(s.driftRemovedHzPerS >= 0.0 ? "+" : "")
                            .arg(s.driftRemovedHzPerS, 0, 'e', 3);
    header.facts = Plural(s.count, "reading") + QStringLiteral("  ·  mean ") +
                   QString::number(s.meanHz, 'f', 3) + QStringLiteral(" Hz  ·  τ₀ ") +
                   Tau0Facts(s) + QStringLiteral("  ·  ") + Plural(s.segments, "segment");
    const double needed = QFontMetricsF(TitleFont(font)).horizontalAdvance(header.title) +
                          QFontMetricsF(font).horizontalAdvance(header.facts) +
                          font.pixelSize() * 2.0;
    header.stacked = needed > width;
    return header;
}

void DrawHeader(QPainter& painter, const QRectF& area, const Header& header)
{
    const QRectF titleArea = header.stacked ? area.adjusted(0, 0, 0, -area.height() * 0.45) : area;
    const QRectF factsArea = header.stacked ? area.adjusted(0, area.height() * 0.5, 0, 0) : area;
    painter.save();
    painter.setPen(kTextColor);
    painter.setFont(TitleFont(painter.font()));
    painter.drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter, header.title);
    painter.restore();
    painter.setPen(kTextColor);
    painter.drawText(factsArea, (header.stacked ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                     header.facts);
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
        const size_t begin = s.segmentStarts[k].index;
        const size_t end =
            k + 1 < s.segmentStarts.size() ? s.segmentStarts[k + 1].index : samples.size();
        if (begin >= std::min(end, samples.size()))
            continue;
        const size_t count = std::min(end, samples.size()) - begin;
        const SegmentBreak reason = s.segmentStarts[k].reason;
        if (reason == SegmentBreak::Gap || reason == SegmentBreak::GateChange) {
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
    const Timeline line = TimelineOf(samples, s);
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

// ADEV, MDEV and HDEV of a single gate time; with several, ADEV and MDEV (dashed) in a
// colour per gate, where a third curve each would crowd the panel.
std::vector<DeviationPanel::Curve> CurvesOf(const StabilitySummary& s)
{
    using Marker = DeviationPanel::Marker;
    if (s.byGate.size() <= 1)
        return {{&s.adev, kAdevColor, Marker::Circle, Qt::SolidLine,
                 QStringLiteral("ADEV (overlapping Allan)")},
                {&s.mdev, kMdevColor, Marker::Square, Qt::SolidLine,
                 QStringLiteral("MDEV (modified Allan)")},
                {&s.hdev, kHdevColor, Marker::Diamond, Qt::SolidLine,
                 QStringLiteral("HDEV (overlapping Hadamard)")}};
    std::vector<DeviationPanel::Curve> curves;
    for (size_t i = 0; i < s.byGate.size(); ++i) {
        const GateDeviations& gate = s.byGate[i];
        const QColor color = kGateColors[i % std::size(kGateColors)];
        const QString label = QStringLiteral(", gate ") + GateText(gate.gateMs);
        curves.push_back({&gate.adev, color, Marker::Circle, Qt::SolidLine, "ADEV" + label});
        curves.push_back({&gate.mdev, color, Marker::Square, Qt::DashLine, "MDEV" + label});
    }
    return curves;
}

void DrawDeviationPanel(QPainter& painter, const QRectF& area, const StabilitySummary& s)
{
    if (DeviationPanel(CurvesOf(s), s.confidence).Draw(painter, area))
        return;
    painter.fillRect(area, QColor(252, 252, 250));
    painter.setPen(kTextColor);
    painter.drawRect(area);
    painter.drawText(area, Qt::AlignCenter,
                     s.adev.empty()
                         ? QStringLiteral("Too few readings for a stability curve")
                         : QStringLiteral("The frequency never changed: every deviation is 0"));
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
    const Header header = HeaderOf(summary, font, right - left);
    const double headerHeight = unit * (header.stacked ? 4.5 : 3.0);
    const double panelHeight = (size_.height() - headerHeight - unit * 8.5) / 2.0;
    DrawHeader(painter, QRectF(left, 0, right - left, headerHeight), header);
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
