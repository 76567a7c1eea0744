#include "statistics/CachedPlot.h"

#include <QPainter>

CachedPlot::CachedPlot(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the picture covers the whole widget
}

void CachedPlot::Redraw()
{
    stale_ = true;
    update();
}

bool CachedPlot::Fits() const
{
    return picture_.devicePixelRatio() == devicePixelRatioF() &&
           picture_.size() == (QSizeF(size()) * devicePixelRatioF()).toSize();
}

void CachedPlot::paintEvent(QPaintEvent*)
{
    if (!Fits()) {
        const qreal ratio = devicePixelRatioF();
        picture_ = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
        stale_ = true;
    }
    if (stale_) {
        picture_.fill(palette().window().color());
        QPainter painter(&picture_);
        painter.setFont(font());
        Render(painter, rect());
        stale_ = false;
    }
    QPainter(this).drawImage(0, 0, picture_);
}
