#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

// A plot drawn straight onto the window at the first paint after its data changed, as
// most paints are; a repaint without new data (an expose) draws it into a picture that
// serves every further repaint until the data or the size change.
class CachedPlot : public QWidget {
    Q_OBJECT

public:
    explicit CachedPlot(QWidget* parent = nullptr);

    // The plot into area of any paint device, as the widget shows it.
    virtual void Render(QPainter& painter, const QRectF& area) const = 0;

protected:
    // The data changed: the next paint draws the plot again.
    void Redraw();
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawOnto(QPaintDevice& device);
    bool PictureFits() const;

    QImage picture_;      // empty until a repaint without new data asks for it
    bool fresh_ = true;   // the data or the size changed since the last paint
};
