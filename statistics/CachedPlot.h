#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

// A plot drawn into a picture only when its data or its size changed; any other repaint
// (an expose, a neighbour's update) copies the picture.
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

private:
    bool Fits() const;

    QImage picture_;
    bool stale_ = true;
};
