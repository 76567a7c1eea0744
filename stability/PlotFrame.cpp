#include "stability/PlotFrame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kTargetTicks = 8;
const QColor kPanelColor(252, 252, 250);
const QColor kMajorGridColor(205, 205, 205);
const QColor kMinorGridColor(232, 232, 232);
const QColor kTextColor(40, 40, 40);

double Position(const PlotFrame::Axis& axis, double value)
{
    if (axis.scale == PlotFrame::Scale::Log)
        return (std::log10(value) - std::log10(axis.min)) /
               (std::log10(axis.max) - std::log10(axis.min));
    return (value - axis.min) / (axis.max - axis.min);
}

// 1, 2 or 5 times a power of ten, giving about kTargetTicks steps over the range.
double NiceStep(double range)
{
    const double rough = range / kTargetTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10.0 * power;
}

QString StepLabel(double value, double step)
{
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    if (std::fabs(value) < step * 1e-6)
        value = 0.0;  // no "-0.00"
    return QString::number(value, 'f', decimals);
}

}  // namespace

PlotFrame::PlotFrame(const QRectF& area, const Axis& x, const Axis& y) : area_(area), x_(x), y_(y)
{}

double PlotFrame::MapX(double x) const
{
    return area_.left() + Position(x_, x) * area_.width();
}

double PlotFrame::MapY(double y) const
{
    return area_.bottom() - Position(y_, y) * area_.height();
}

void PlotFrame::DrawGrid(QPainter& painter) const
{
    painter.fillRect(area_, kPanelColor);
    for (const bool horizontal : {true, false}) {
        const Axis& axis = horizontal ? x_ : y_;
        if (axis.scale == Scale::Log)
            DrawDecadeTicks(painter, horizontal);
        else
            DrawLinearTicks(painter, horizontal);
    }
}

void PlotFrame::DrawFrame(QPainter& painter, const QString& xTitle, const QString& yTitle) const
{
    painter.setPen(QPen(kTextColor, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area_);
    const QFontMetricsF metrics(painter.font());
    const QRectF below(area_.left(), area_.bottom() + metrics.height() * 1.9, area_.width(),
                       metrics.height());
    painter.drawText(below, Qt::AlignHCenter | Qt::AlignTop, xTitle);
    painter.save();
    painter.translate(area_.left() - metrics.height() * 4.2, area_.center().y());
    painter.rotate(-90.0);
    painter.drawText(QRectF(-area_.height() / 2, 0, area_.height(), metrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop, yTitle);
    painter.restore();
}

void PlotFrame::DrawLinearTicks(QPainter& painter, bool horizontal) const
{
    const Axis& axis = horizontal ? x_ : y_;
    const double step = NiceStep(axis.max - axis.min);
    std::vector<double> ticks;
    for (double value = std::ceil(axis.min / step) * step; value <= axis.max + step * 1e-9;
         value += step)
        ticks.push_back(value);
    DrawLines(painter, horizontal, ticks, kMajorGridColor);
    for (const double value : ticks)
        DrawTickLabel(painter, horizontal, value, StepLabel(value, step));
}

void PlotFrame::DrawDecadeTicks(QPainter& painter, bool horizontal) const
{
    const Axis& axis = horizontal ? x_ : y_;
    const int first = static_cast<int>(std::floor(std::log10(axis.min) + 1e-9));
    const int last = static_cast<int>(std::ceil(std::log10(axis.max) - 1e-9));
    const bool minorLines = last - first <= 8;
    std::vector<double> minor;
    std::vector<int> decades;
    for (int exponent = first; exponent <= last; ++exponent) {
        const double decade = std::pow(10.0, exponent);
        for (int factor = 2; minorLines && factor <= 9 && decade * factor < axis.max; ++factor)
            minor.push_back(decade * factor);
        if (decade >= axis.min * (1 - 1e-9) && decade <= axis.max * (1 + 1e-9))
            decades.push_back(exponent);
    }
    std::vector<double> major;
    for (const int exponent : decades)
        major.push_back(std::pow(10.0, exponent));
    DrawLines(painter, horizontal, minor, kMinorGridColor);
    DrawLines(painter, horizontal, major, kMajorGridColor);
    for (const int exponent : decades)
        DrawPowerLabel(painter, horizontal, std::pow(10.0, exponent), exponent);
}

// One pen for all the lines: changing it per line costs more than drawing the line.
void PlotFrame::DrawLines(QPainter& painter, bool horizontal, const std::vector<double>& values,
                          const QColor& color) const
{
    std::vector<QLineF> lines;
    for (const double value : values) {
        if (horizontal)
            lines.emplace_back(MapX(value), area_.top(), MapX(value), area_.bottom());
        else
            lines.emplace_back(area_.left(), MapY(value), area_.right(), MapY(value));
    }
    painter.setPen(QPen(color, 1.0));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void PlotFrame::DrawTickLabel(QPainter& painter, bool horizontal, double value,
                              const QString& text) const
{
    const QFontMetricsF metrics(painter.font());
    painter.setPen(kTextColor);
    if (horizontal) {
        const QRectF box(MapX(value) - 60, area_.bottom() + 4, 120, metrics.height());
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
    } else {
        const QRectF box(area_.left() - 126, MapY(value) - metrics.height() / 2, 120,
                         metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
    }
}

// "10" with the exponent raised in a smaller font.
void PlotFrame::DrawPowerLabel(QPainter& painter, bool horizontal, double value, int exponent) const
{
    const QFont base = painter.font();
    QFont small = base;
    small.setPixelSize(std::max(8, base.pixelSize() * 3 / 4));
    const QString power = QString::number(exponent);
    const double baseWidth = QFontMetricsF(base).horizontalAdvance(QStringLiteral("10"));
    const double width = baseWidth + QFontMetricsF(small).horizontalAdvance(power);
    const double ascent = QFontMetricsF(base).ascent();
    const QPointF origin = horizontal
                               ? QPointF(MapX(value) - width / 2, area_.bottom() + 8 + ascent * 1.3)
                               : QPointF(area_.left() - 8 - width, MapY(value) + ascent / 2);
    painter.setPen(kTextColor);
    painter.drawText(origin, QStringLiteral("10"));
    painter.setFont(small);
    painter.drawText(origin + QPointF(baseWidth, -ascent * 0.45), power);
    painter.setFont(base);
}

PlotFrame::Axis PlotFrame::DecadesAround(double low, double high)
{
    const double first = std::floor(std::log10(low) + 1e-9);
    const double last = std::max(first + 1.0, std::ceil(std::log10(high) - 1e-9));
    return {Scale::Log, std::pow(10.0, first), std::pow(10.0, last)};
}

PlotFrame::Axis PlotFrame::PaddedAround(double low, double high)
{
    const double room = high > low ? (high - low) * 0.06 : 1.0;
    return {Scale::Linear, low - room, high + room};
}
