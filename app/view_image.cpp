#include "app/view_image.h"

#include <QPaintEvent>
#include <QPainter>

TViewImage::TViewImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TViewImage::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Outside the bitmap (before the first redraw, or while a larger size waits for its
    // redraw) the panel's white shows.
    painter.fillRect(event->rect(), Qt::white);
    if (!FBitmap.isNull())
        painter.drawImage(QPoint(0, 0), FBitmap);
}
