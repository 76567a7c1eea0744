#include "statistics/CachedGroupBox.h"

#include <QPainter>
#include <QStyleOptionGroupBox>

CachedGroupBox::CachedGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void CachedGroupBox::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (frame_.isNull() || frame_.devicePixelRatio() != ratio) {
        frame_ = QPixmap((QSizeF(size()) * ratio).toSize());
        frame_.setDevicePixelRatio(ratio);
        frame_.fill(Qt::transparent);
        QPainter painter(&frame_);
        painter.setFont(font());
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
    }
    QPainter(this).drawPixmap(0, 0, frame_);
}

void CachedGroupBox::resizeEvent(QResizeEvent* event)
{
    frame_ = {};
    QGroupBox::resizeEvent(event);
}

// A new palette, font, style or state draws the frame again.
void CachedGroupBox::changeEvent(QEvent* event)
{
    frame_ = {};
    QGroupBox::changeEvent(event);
}
