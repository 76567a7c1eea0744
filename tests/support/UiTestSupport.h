#pragma once

#include <initializer_list>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QWidget;

// The dialog's template rectangle (dialog units) in pixels for the dialog font.
QRect TemplateRect(int x, int y, int width, int height);

// Checks that control sits at its template rectangle, within a pixel.
void ExpectAtTemplatePlace(const QWidget& control, int x, int y, int width, int height);

// A control of a dialog template: its object name and rectangle in dialog units.
struct TemplateControl {
    const char* name;
    int x, y, width, height;
};

// Checks that dialog has the template's client size and that each control
// sits at its template rectangle.
void ExpectTemplateLayout(const QWidget& dialog, int width, int height,
                          std::initializer_list<TemplateControl> controls);

// An image whose every pixel tells its own coordinates, so a shifted or
// scaled copy never matches by chance. The top-left pixel is a colour no
// other pixel has.
QImage CoordinateImage(int width, int height);

// The widget as it paints itself, children included.
QImage Snapshot(QWidget& widget);
