#include "res/Bitmap133.h"

#include <QPainter>
#include <QPainterPath>
#include <QVector>

#include "res/DialogUnits.h"

namespace {

// Nodes of the circuit, in pixels.
constexpr int kInputX = 44;     // inverter input, R1's left end, C1 and the coil's left end
constexpr int kBranchX = 128;   // R2 leaves the output here and meets C2 and the coil
constexpr int kFeedbackX = 150; // R1's right end joins the output here
constexpr int kFeedbackY = 26;
constexpr int kAmpY = 78;       // centre line of both inverters
constexpr int kCoilY = 138;
constexpr int kGroundY = 180;
constexpr int kMarginTop = 6;   // centres the drawing vertically

void Wire(QPainter& p, int x1, int y1, int x2, int y2)
{
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void Dot(QPainter& p, int x, int y)
{
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(x, y), 2.0, 2.0);
    p.setBrush(Qt::NoBrush);
}

void Label(QPainter& p, const QRect& box, const QString& text, Qt::Alignment align)
{
    p.drawText(box, static_cast<int>(align), text);
}

// Zig-zag of six strokes from 'from' along the unit direction (dx, dy).
void Resistor(QPainter& p, QPointF from, QPointF direction, double length)
{
    const QPointF across(-direction.y(), direction.x());
    const double step = length / 6.0;
    QPainterPath path(from);
    for (int i = 0; i < 6; ++i) {
        const double sign = (i % 2 == 0) ? 1.0 : -1.0;
        path.lineTo(from + direction * (step * (i + 0.5)) + across * (4.5 * sign));
    }
    path.lineTo(from + direction * length);
    p.drawPath(path);
}

// Triangle pointing right from x, tip bubble included; returns the bubble's right end.
int Inverter(QPainter& p, int x, int y, int width, int halfHeight)
{
    const QPointF corners[3] = {QPointF(x, y - halfHeight), QPointF(x, y + halfHeight),
                                QPointF(x + width, y)};
    p.drawPolygon(corners, 3);
    const double radius = 3.0;
    p.drawEllipse(QPointF(x + width + radius, y), radius, radius);
    return x + width + 2 * static_cast<int>(radius);
}

// Four humps between x1 and x2, rising above the wire.
void Coil(QPainter& p, int x1, int x2, int y)
{
    const double hump = (x2 - x1) / 4.0;
    QPainterPath path(QPointF(x1, y));
    for (int i = 0; i < 4; ++i)
        path.arcTo(QRectF(x1 + i * hump, y - hump / 2, hump, hump), 180.0, -180.0);
    p.drawPath(path);
}

// Plates across a vertical lead from y down to the ground symbol.
void CapacitorToGround(QPainter& p, int x, int y)
{
    const int plateTop = y + 18;
    const int plateGap = 6;
    Wire(p, x, y, x, plateTop);
    p.save();
    p.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x - 10, plateTop), QPointF(x + 10, plateTop));
    p.drawLine(QPointF(x - 10, plateTop + plateGap), QPointF(x + 10, plateTop + plateGap));
    p.restore();
    Wire(p, x, plateTop + plateGap, x, kGroundY);
    for (int i = 0; i < 3; ++i)
        Wire(p, x - 9 + 3 * i, kGroundY + 3 * i, x + 9 - 3 * i, kGroundY + 3 * i);
}

void FeedbackLoop(QPainter& p, int outputX)
{
    Wire(p, kInputX, kCoilY, kInputX, kFeedbackY);
    Wire(p, kInputX, kFeedbackY, 78, kFeedbackY);
    Resistor(p, QPointF(78, kFeedbackY), QPointF(1, 0), 36);
    Wire(p, 114, kFeedbackY, kFeedbackX, kFeedbackY);
    Wire(p, kFeedbackX, kFeedbackY, kFeedbackX, kAmpY);
    Wire(p, outputX, kAmpY, kFeedbackX, kAmpY);
}

void TankCircuit(QPainter& p)
{
    Wire(p, kBranchX, kAmpY, kBranchX, 96);
    Resistor(p, QPointF(kBranchX, 96), QPointF(0, 1), 28);
    Wire(p, kBranchX, 124, kBranchX, kCoilY);
    Wire(p, kInputX, kCoilY, 64, kCoilY);
    Coil(p, 64, 108, kCoilY);
    Wire(p, 108, kCoilY, kBranchX, kCoilY);
    CapacitorToGround(p, kInputX, kCoilY);
    CapacitorToGround(p, kBranchX, kCoilY);
}

void OutputBuffer(QPainter& p)
{
    Wire(p, kFeedbackX, kAmpY, 166, kAmpY);
    const int bufferOut = Inverter(p, 166, kAmpY, 22, 11);
    const int terminalX = 214;
    Wire(p, bufferOut, kAmpY, terminalX - 3, kAmpY);
    p.drawEllipse(QPointF(terminalX, kAmpY), 3.0, 3.0);
}

void Junctions(QPainter& p)
{
    Dot(p, kInputX, kAmpY);
    Dot(p, kInputX, kCoilY);
    Dot(p, kBranchX, kAmpY);
    Dot(p, kBranchX, kCoilY);
    Dot(p, kFeedbackX, kAmpY);
}

void Labels(QPainter& p)
{
    QFont font = DialogFont();
    font.setPixelSize(12);
    p.setFont(font);
    Label(p, QRect(78, 6, 36, 14), QStringLiteral("R1"), Qt::AlignCenter);
    Label(p, QRect(kBranchX + 9, 102, 24, 14), QStringLiteral("R2"), Qt::AlignLeft | Qt::AlignVCenter);
    Label(p, QRect(64, kCoilY + 4, 44, 14), QStringLiteral("L"), Qt::AlignCenter);
    Label(p, QRect(kInputX - 38, kCoilY + 14, 24, 14), QStringLiteral("C1"), Qt::AlignRight | Qt::AlignVCenter);
    Label(p, QRect(kBranchX + 14, kCoilY + 14, 24, 14), QStringLiteral("C2"), Qt::AlignLeft | Qt::AlignVCenter);
    Label(p, QRect(198, kAmpY - 22, 32, 14), QStringLiteral("OUT"), Qt::AlignCenter);
}

QVector<QRgb> SixteenGreys()
{
    QVector<QRgb> table;
    for (int level = 0; level < 16; ++level)
        table.append(qRgb(level * 17, level * 17, level * 17));
    return table;
}

}  // namespace

QImage Bitmap133()
{
    QImage image(kBitmap133Width, kBitmap133Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.0));
        p.translate(0.5, kMarginTop + 0.5);  // integer coordinates are pixel centres: wires stay crisp
        const int amplifierOut = Inverter(p, 72, kAmpY, 30, 15);
        Wire(p, kInputX, kAmpY, 72, kAmpY);
        FeedbackLoop(p, amplifierOut);
        TankCircuit(p);
        OutputBuffer(p);
        Junctions(p);
        p.translate(-0.5, -0.5);  // text is placed by pixel edges
        Labels(p);
    }
    return image.convertToFormat(QImage::Format_Indexed8, SixteenGreys(),
                                 Qt::ThresholdDither | Qt::AvoidDither);
}
