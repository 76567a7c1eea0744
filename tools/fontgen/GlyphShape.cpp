#include "tools/fontgen/GlyphShape.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

namespace {

constexpr double kBaseline = 12.0;

std::vector<double> ParseNumbers(std::string_view text)
{
    std::vector<double> numbers;
    const std::string copy(text);
    const char* cursor = copy.c_str();
    char* end = nullptr;
    for (double value = std::strtod(cursor, &end); end != cursor; value = std::strtod(cursor, &end)) {
        numbers.push_back(value);
        cursor = end;
        while (*cursor == ',' || *cursor == ' ')
            ++cursor;
    }
    return numbers;
}

void AppendArc(std::vector<DesignPoint>& points, const std::vector<double>& arc)
{
    if (arc.size() != 6)
        return;
    const double from = arc[4];
    const double to = arc[5];
    const int steps = std::max(2, static_cast<int>(std::abs(to - from) / 7.5));
    for (int i = 0; i <= steps; ++i) {
        const double degrees = from + (to - from) * i / steps;
        const double radians = degrees * std::numbers::pi / 180.0;
        points.push_back({arc[0] + arc[2] * std::cos(radians), arc[1] + arc[3] * std::sin(radians)});
    }
}

std::vector<DesignPoint> ParsePolyline(std::string_view stroke)
{
    std::vector<DesignPoint> points;
    std::size_t pos = 0;
    while (pos < stroke.size()) {
        if (stroke[pos] == ' ') {
            ++pos;
        } else if (stroke[pos] == '(') {
            const std::size_t close = stroke.find(')', pos);
            AppendArc(points, ParseNumbers(stroke.substr(pos + 1, close - pos - 1)));
            pos = close == std::string_view::npos ? stroke.size() : close + 1;
        } else {
            const std::size_t space = std::min(stroke.find(' ', pos), stroke.size());
            const std::vector<double> xy = ParseNumbers(stroke.substr(pos, space - pos));
            if (xy.size() == 2)
                points.push_back({xy[0], xy[1]});
            pos = space;
        }
    }
    return points;
}

void AddStroke(GlyphShape& shape, std::string_view stroke)
{
    if (!stroke.empty() && stroke.front() == 'R') {
        const std::vector<double> box = ParseNumbers(stroke.substr(1));
        if (box.size() == 4)
            shape.Fills.push_back({{box[0], box[1]}, {box[2], box[3]}});
        return;
    }
    const std::vector<DesignPoint> points = ParsePolyline(stroke);
    if (points.size() == 1)
        shape.Segments.push_back({points[0], points[0]});
    for (std::size_t i = 1; i < points.size(); ++i)
        shape.Segments.push_back({points[i - 1], points[i]});
}

void SlantPoint(DesignPoint& point, double factor)
{
    point.X += factor * (kBaseline - point.Y);
}

} // namespace

GlyphShape GlyphShape::Parse(std::string_view description)
{
    GlyphShape shape;
    std::size_t start = 0;
    while (start <= description.size()) {
        const std::size_t bar = std::min(description.find('|', start), description.size());
        AddStroke(shape, description.substr(start, bar - start));
        start = bar + 1;
    }
    return shape;
}

void GlyphShape::Slant(double factor)
{
    for (StrokeSegment& segment : Segments) {
        SlantPoint(segment.From, factor);
        SlantPoint(segment.To, factor);
    }
}
