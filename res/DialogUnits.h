#pragma once

#include <QFont>
#include <QRect>
#include <Qt>

class QWidget;

// Dialog layouts are given in dialog units, as the dialog templates have them:
// a horizontal unit is a quarter of the dialog font's average character width,
// a vertical unit an eighth of its height.
struct DialogBaseUnits {
    int X = 0;  // average character width in pixels
    int Y = 0;  // character height in pixels
};

// "ＭＳ Ｐゴシック" 9 pt, falling back to an installed Japanese gothic.
QFont DialogFont();

DialogBaseUnits MeasureBaseUnits(const QFont& font);

// A template rectangle (x, y, width, height in dialog units) in pixels.
QRect DialogRect(const DialogBaseUnits& units, int x, int y, int width, int height);

// Every dialog's frame: caption, system menu and close box, no resizing.
inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
    Qt::MSWindowsFixedSizeDialogHint;

// A dialog laid out from its template: the dialog font, the template's fixed
// size, and each control at its template rectangle.
class DialogTemplate {
public:
    DialogTemplate(QWidget& dialog, int width, int height);
    const DialogBaseUnits& Units() const { return units_; }
    void Place(QWidget* control, const char* name, int x, int y, int width, int height) const;

private:
    DialogBaseUnits units_;
};
