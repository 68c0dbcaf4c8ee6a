#include "app/map_view.h"

#include <QPainter>
#include <QtGlobal>
#include <QtMath>

#include "app/view_bitmap.h"
#include "app/view_math.h"
#include "base/errors.h"

namespace {
// Device pixels by which a pan step may exceed a quarter of the view: its rounding to a
// full-map pixel, at the largest zoom and device ratio.
constexpr int kStepRoundingMargin = 8;
} // namespace

void TMapView::Load(const QString &lightMapPath, const QString &fullMapPath,
                    const QString &pointsPath)
{
    StopPreparing();
    FLightMap.LoadFromFile(lightMapPath);
    FFullMap.LoadFromFile(fullMapPath);
    if (FFullMap.Width() == 0)
        throw TovralError(QStringLiteral("The full map %1 has width 0").arg(fullMapPath));
    FLightRatio = (long double)FLightMap.Width() / FFullMap.Width();
    FGroundScale.reset();
    FCoordinates.LoadFromFile(pointsPath);
}

QSize TMapView::FullMapSize() const
{
    return QSize(FFullMap.Width(), FFullMap.Height());
}

bool TMapView::Shown() const
{
    return FFullMap.Width() > 0 && FFullMap.Height() > 0 && FScale > 0;
}

void TMapView::Resize(QSize viewSize, qreal devicePixelRatio)
{
    FViewSize = viewSize;
    FDevicePixelRatio = devicePixelRatio;
}

void TMapView::ZoomTo(int zoomIndex)
{
    FZoomIndex = zoomIndex;
    FScale = ZoomScale(zoomIndex, FViewSize, FullMapSize());
    FCenter = RecentredView(FCenter, FViewSize, FullMapSize(), FScale, zoomIndex);
}

void TMapView::CentreOn(QPoint center)
{
    FCenter = center;
}

bool TMapView::Pan(int directionX, int directionY)
{
    const QSize fullSize = FullMapSize();
    bool moved = false;
    if (directionX != 0 && AxisMovable(FViewSize.width(), fullSize.width(), FScale, FZoomIndex)) {
        FCenter.setX(PanCoordinate(FCenter.x(), directionX, PanStep(FViewSize.width(), FScale),
                                   fullSize.width()));
        moved = true;
    }
    if (directionY != 0 && AxisMovable(FViewSize.height(), fullSize.height(), FScale, FZoomIndex)) {
        FCenter.setY(PanCoordinate(FCenter.y(), directionY, PanStep(FViewSize.height(), FScale),
                                   fullSize.height()));
        moved = true;
    }
    return moved;
}

int TMapView::SteppedZoomIndex(int notches) const
{
    const long double fit = FitScale(FViewSize, FullMapSize());
    int zoom = FZoomIndex;
    for (int step = 0; step < qAbs(notches); ++step)
        zoom = notches > 0 ? ZoomInIndex(zoom, fit) : ZoomOutIndex(zoom, fit);
    return zoom;
}

void TMapView::KeepPointForZoom(int zoomIndex, QPoint viewPoint)
{
    const long double scale = ZoomScale(zoomIndex, FViewSize, FullMapSize());
    FCenter = CentreKeepingViewPoint(FCenter, viewPoint, FViewSize, FScale, scale, FullMapSize());
}

QPoint TMapView::DraggedCentre(QPoint startCenter, QPoint drag) const
{
    return ::DraggedCentre(startCenter, drag, FViewSize, FScale, FZoomIndex, FullMapSize());
}

QPoint TMapView::PictureShift(QPoint startCenter, QPoint center) const
{
    return ::PictureShift(startCenter, center, FScale);
}

TMapChoice TMapView::DeviceMapChoice() const
{
    return ChooseMap(FCenter, FScale, FullMapSize(), QSize(FLightMap.Width(), FLightMap.Height()),
                     FLightRatio, FDevicePixelRatio);
}

QSize TMapView::DevicePixelSize() const
{
    return QSize(qCeil(FViewSize.width() * FDevicePixelRatio), qCeil(FViewSize.height() * FDevicePixelRatio));
}

void TMapView::Render(TViewBitmap &bitmap, TRenderQuality quality, const TBitmapLayer *layer) const
{
    const TMapChoice choice = DeviceMapChoice();
    const TMapImage &map = choice.UseLightMap ? FLightMap : FFullMap;
    bitmap.Resize(DevicePixelSize(), FDevicePixelRatio);
    if (bitmap.IsNull())
        return;
    const QRect view(QPoint(0, 0), bitmap.Pixels().size());
    const TShownDrawing next{map.ContentId(), quality, choice.Center, choice.Scale, layer ? layer->ContentId() : 0};
    QRegion toDraw(view);
    if (const std::optional<TShownDrawing> &last = bitmap.Shown();
        last && last->Map == next.Map && last->Quality == next.Quality && last->Scale == next.Scale &&
        last->Layer == next.Layer) {
        if (const auto repeated = map.RepeatedDrawing(quality, last->Center, next.Center, view, next.Scale)) {
            bitmap.Scroll(repeated->Shift);
            toDraw = repeated->Changed;
        }
    }
    bitmap.Draw(toDraw, [&](QPainter &canvas, QPoint viewOrigin) {
        canvas.setBrush(Qt::white);
        map.Draw(quality, choice.Center, QRect(viewOrigin, view.size()), choice.Scale, canvas);
    });
    if (next.Layer != 0) {
        const TViewGeometry geometry = Geometry();
        bitmap.Compose(toDraw, [&](QImage &pixels, const QRect &rect, QPoint viewOrigin) {
            layer->DrawInto(pixels, rect, viewOrigin, geometry);
        });
    }
    bitmap.SetShown(next);
}

void TMapView::PrepareSurroundings(TRenderQuality quality)
{
    StopPreparing();
    if (!Shown() || WholeMapFits())
        return;
    const TMapChoice choice = DeviceMapChoice();
    // A pan step is a quarter of the view, rounded to full-map pixels: the region a quarter
    // and a few pixels wider on every side holds the view after any one step (the map is
    // chosen by the scale alone, which a step keeps).
    const QSize size = DevicePixelSize();
    const int marginX = size.width() / 4 + kStepRoundingMargin;
    const int marginY = size.height() / 4 + kStepRoundingMargin;
    const QRect surroundings = QRect(QPoint(0, 0), size).adjusted(-marginX, -marginY, marginX, marginY);
    const TMapImage &map = choice.UseLightMap ? FLightMap : FFullMap;
    FPreparing = map.PrepareRegion(quality, choice.Center, surroundings, choice.Scale);
}

TViewGeometry TMapView::Geometry() const
{
    const TMapChoice choice = DeviceMapChoice();
    const QSize device = DevicePixelSize();
    // The chosen map's centre pixel starts at the bitmap's middle (RenderRegion); a light-map
    // pixel spans 1 / FLightRatio full-map pixels.
    const long double toFull = choice.UseLightMap ? 1 / FLightRatio : 1;
    TViewGeometry geometry;
    geometry.ViewSize = FViewSize;
    geometry.DevicePixelRatio = FDevicePixelRatio;
    geometry.Origin = {choice.Center.x() * toFull, choice.Center.y() * toFull};
    geometry.DeviceMiddle = QPointF(device.width() / 2, device.height() / 2);
    geometry.DeviceScale = choice.Scale / toFull;
    return geometry;
}

std::optional<TKmPerPixel> TMapView::GroundScaleAtCentre() const
{
    if (FGroundScale && FGroundScale->Centre == FCenter)
        return FGroundScale->KmPerPixel;
    std::optional<TNearbyPosition> nearby;
    if (FGroundScale && FGroundScale->Found)
        nearby = TNearbyPosition{MapPointOf(FGroundScale->Centre), *FGroundScale->Found};
    const std::optional<TPixelPosition> found = FCoordinates.PixelPosition(MapPointOf(FCenter), nearby);
    FGroundScale = TGroundScale{FCenter, found, found ? std::optional<TKmPerPixel>(KmPerPixel(*found)) : std::nullopt};
    return FGroundScale->KmPerPixel;
}

bool TMapView::WholeMapFits() const
{
    const QSize fullSize = FullMapSize();
    return !AxisMovable(FViewSize.width(), fullSize.width(), FScale, FZoomIndex) &&
           !AxisMovable(FViewSize.height(), fullSize.height(), FScale, FZoomIndex);
}

void TMapView::OnEachPiece(const std::function<void()> &callback)
{
    FFullMap.ProcessMessages = callback;
    FLightMap.ProcessMessages = callback;
}
