#include "statistics/CachedPlot.h"

#include <QPainter>

CachedPlot::CachedPlot(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // every paint covers the whole widget
}

void CachedPlot::Redraw()
{
    fresh_ = true;
    picture_ = {};
    update();
}

void CachedPlot::resizeEvent(QResizeEvent* event)
{
    fresh_ = true;
    picture_ = {};
    QWidget::resizeEvent(event);
}

bool CachedPlot::PictureFits() const
{
    return !picture_.isNull() && picture_.devicePixelRatio() == devicePixelRatioF();
}

void CachedPlot::paintEvent(QPaintEvent*)
{
    if (fresh_) {  // a picture would cost a copy of the whole plot more
        fresh_ = false;
        DrawOnto(*this);
        return;
    }
    if (!PictureFits()) {
        const qreal ratio = devicePixelRatioF();
        picture_ = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
        DrawOnto(picture_);
    }
    QPainter(this).drawImage(0, 0, picture_);
}

void CachedPlot::DrawOnto(QPaintDevice& device)
{
    QPainter painter(&device);
    painter.setFont(font());
    painter.fillRect(rect(), palette().window());
    Render(painter, rect());
}
