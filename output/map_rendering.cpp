#include "output/map_rendering.h"

#include <QPainter>
#include <cmath>

#include "app/map_view.h"
#include "base/errors.h"
#include "mapdata/map_image.h"

namespace {
// A white 24-bit picture with the map drawn into all of it around center, one picture pixel
// per map pixel (the renderer then copies pixels, never resamples).
QImage RenderAtFullSize(const TMapImage &map, QPoint center, QSize size)
{
    if (size.isEmpty())
        throw TovralError(QStringLiteral("There is no map picture to render (%1 x %2 pixels)")
                              .arg(size.width()).arg(size.height()));
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull())
        throw TovralError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                              .arg(size.width()).arg(size.height()));
    picture.fill(Qt::white);
    QPainter canvas(&picture);
    canvas.setBrush(Qt::white);
    canvas.setClipRect(picture.rect());
    map.Draw(TRenderQuality::High, center, picture.rect(), 1.0L, canvas);
    return picture;
}
} // namespace

QSize VisiblePartSize(QSize viewSize, long double scale)
{
    if (!(scale > 0))
        throw TovralError(QStringLiteral("The view has no scale yet"));
    return QSize(int(std::lrintl(viewSize.width() / scale)), int(std::lrintl(viewSize.height() / scale)));
}

QImage RenderWholeMap(const TMapImage &map)
{
    const QSize size(map.Width(), map.Height());
    return RenderAtFullSize(map, QPoint(size.width() / 2, size.height() / 2), size);
}

QImage RenderVisiblePart(const TMapImage &fullMap, QPoint center, QSize viewSize,
                         long double scale)
{
    return RenderAtFullSize(fullMap, center, VisiblePartSize(viewSize, scale));
}

QImage RenderVisiblePart(const TMapView &view)
{
    return RenderVisiblePart(view.FullMap(), view.Center(), view.ViewSize(), view.Scale());
}

QImage RenderWholeMap(const TMapView &view)
{
    return RenderWholeMap(view.LightMap());
}

TRouteDrawing VisiblePartDrawing(const TMapView &view)
{
    return TRouteDrawing::Around(MapPointOf(view.Center()),
                                 QRect(QPoint(0, 0), VisiblePartSize(view.ViewSize(), view.Scale())), 1, 1);
}

TRouteDrawing WholeMapDrawing(const TMapView &view)
{
    // The light map's middle pixel starts at the picture's middle; a full-map position lies
    // at LightRatio times itself on the light map.
    const QRect picture(0, 0, view.LightMap().Width(), view.LightMap().Height());
    const long double ratio = view.LightRatio();
    const TMapPoint middle{(picture.width() / 2) / ratio, (picture.height() / 2) / ratio};
    return TRouteDrawing::Around(middle, picture, ratio, 1);
}
