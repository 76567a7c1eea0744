#pragma once

#include <QRectF>
#include <QString>

#include <vector>

class QColor;
class QPainter;

// One panel of a plot: a pixel rectangle with an x and a y range, each linear or
// logarithmic, that maps data to pixels and draws its own grid, tick labels and axis
// titles. Linear axes get ticks at 1, 2 or 5 times a power of ten; logarithmic ones a
// labelled line at every decade (10 with a raised exponent) and faint ones at 2..9.
class PlotFrame {
public:
    enum class Scale { Linear, Log };
    struct Axis {
        Scale scale = Scale::Linear;
        double min = 0.0;  // for Log both ends must be positive
        double max = 1.0;
    };

    PlotFrame(const QRectF& area, const Axis& x, const Axis& y);

    const QRectF& Area() const { return area_; }
    double MapX(double x) const;
    double MapY(double y) const;

    // Background, grid and tick labels; call before drawing the data.
    void DrawGrid(QPainter& painter) const;
    // Frame around the area and the two axis titles; call after drawing the data.
    void DrawFrame(QPainter& painter, const QString& xTitle, const QString& yTitle) const;

    // A range widened to whole decades around [low, high] (both positive).
    static Axis DecadesAround(double low, double high);
    // A range with a little room around [low, high], never empty.
    static Axis PaddedAround(double low, double high);

private:
    void DrawLinearTicks(QPainter& painter, bool horizontal) const;
    void DrawDecadeTicks(QPainter& painter, bool horizontal) const;
    void DrawLines(QPainter& painter, bool horizontal, const std::vector<double>& values,
                   const QColor& color) const;
    void DrawTickLabel(QPainter& painter, bool horizontal, double value, const QString& text) const;
    void DrawPowerLabel(QPainter& painter, bool horizontal, double value, int exponent) const;

    QRectF area_;
    Axis x_;
    Axis y_;
};
