#include "app/view_bitmap.h"

#include <QPainter>
#include <QTransform>
#include <cstring>

std::vector<TViewBitmap::TPart> TViewBitmap::Parts() const
{
    const int width = FPixels.width();
    const int height = FPixels.height();
    const int x = FOrigin.x();
    const int y = FOrigin.y();
    std::vector<TPart> parts;
    for (const TPart &part : {TPart{QRect(x, y, width - x, height - y), QPoint(0, 0)},
                              TPart{QRect(0, y, x, height - y), QPoint(width - x, 0)},
                              TPart{QRect(x, 0, width - x, y), QPoint(0, height - y)},
                              TPart{QRect(0, 0, x, y), QPoint(width - x, height - y)}})
        if (!part.Stored.isEmpty())
            parts.push_back(part);
    return parts;
}

QImage TViewBitmap::StoredPart(const QRect &rect) const
{
    return QImage(FPixels.constScanLine(rect.y()) + qsizetype(rect.x()) * 4, rect.width(), rect.height(),
                  FPixels.bytesPerLine(), FPixels.format());
}

QImage TViewBitmap::Picture() const
{
    if (FOrigin.isNull())
        return FPixels;
    QImage picture(FPixels.size(), FPixels.format());
    if (picture.isNull())
        return picture;
    picture.setDevicePixelRatio(FPixels.devicePixelRatio());
    for (const TPart &part : Parts())
        for (int row = 0; row < part.Stored.height(); ++row)
            std::memcpy(picture.scanLine(part.InView.y() + row) + qsizetype(part.InView.x()) * 4,
                        FPixels.constScanLine(part.Stored.y() + row) + qsizetype(part.Stored.x()) * 4,
                        size_t(part.Stored.width()) * 4);
    return picture;
}

void TViewBitmap::Paint(QPainter &painter, QPointF topLeft) const
{
    if (FPixels.isNull())
        return;
    // In the device's own pixels the parts are placed at whole pixels and copied as they are,
    // at any ratio.
    const qreal ratio = FPixels.devicePixelRatio();
    const QTransform logical = painter.worldTransform();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio) * logical);
    for (const TPart &part : Parts())
        painter.drawImage(topLeft * ratio + QPointF(part.InView), StoredPart(part.Stored));
    painter.setWorldTransform(logical);
}

void TViewBitmap::Resize(QSize size, qreal ratio)
{
    if (FPixels.size() != size || FPixels.format() != QImage::Format_RGB32) {
        FPixels = QImage(size, QImage::Format_RGB32);
        FOrigin = QPoint(0, 0);
        FShown.reset();
    }
    FPixels.setDevicePixelRatio(ratio);
}

void TViewBitmap::Scroll(QPoint shift)
{
    const auto wrap = [](int value, int size) { return size > 0 ? ((value % size) + size) % size : 0; };
    FOrigin = QPoint(wrap(FOrigin.x() + shift.x(), FPixels.width()), wrap(FOrigin.y() + shift.y(), FPixels.height()));
}

QImage TViewBitmap::DevicePixels()
{
    // Without the ratio, so that a painter on them works in device pixels, not view pixels.
    return QImage(FPixels.bits(), FPixels.width(), FPixels.height(), FPixels.bytesPerLine(), FPixels.format());
}

void TViewBitmap::Draw(const QRegion &area, const std::function<void(QPainter &, QPoint)> &draw)
{
    FShown.reset();
    if (FPixels.isNull())
        return;
    // Where nothing is kept the picture starts again at the origin, in one part.
    if (QRegion(FPixels.rect()).subtracted(area).isEmpty())
        FOrigin = QPoint(0, 0);
    QImage devicePixels = DevicePixels();
    for (const TPart &part : Parts()) {
        const QPoint viewOrigin = part.Stored.topLeft() - part.InView;
        const QRegion clip = area.translated(viewOrigin) & part.Stored;
        if (clip.isEmpty())
            continue;
        QPainter canvas(&devicePixels);
        canvas.setClipRegion(clip);
        draw(canvas, viewOrigin);
    }
}

void TViewBitmap::Compose(const QRegion &area,
                          const std::function<void(QImage &pixels, const QRect &rect, QPoint viewOrigin)> &compose)
{
    if (FPixels.isNull())
        return;
    QImage devicePixels = DevicePixels();
    for (const TPart &part : Parts()) {
        const QPoint viewOrigin = part.Stored.topLeft() - part.InView;
        for (const QRect &rect : area.translated(viewOrigin) & part.Stored)
            compose(devicePixels, rect, viewOrigin);
    }
}
