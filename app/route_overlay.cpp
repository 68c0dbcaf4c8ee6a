#include "app/route_overlay.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "app/form_style.h"

namespace {
// The route's look, in view pixels: an orange line on a dark blue casing (the maps draw
// federal roads magenta, state roads green, rivers blue, borders pale orange).
const QColor kRouteColour(0xFF, 0x6A, 0x00);
const QColor kCasingColour(0x1C, 0x24, 0x5C);
const QColor kOriginColour(0x00, 0xA0, 0x46);
const QColor kDestinationColour(0xE0, 0x10, 0x10);
constexpr qreal kLineWidth = 4;
constexpr qreal kCasingWidth = 7;
constexpr qreal kMarkRadius = 6;
constexpr int kNameHeight = 12;
// Room around the route's rectangle for its casing and marks, and on the right for the
// names beside the marks, view pixels.
constexpr qreal kPictureMargin = 28;
constexpr qreal kNameRoom = 320;
// How far beyond the view on each side the kept picture of the route reaches, in view lengths.
constexpr qreal kCoveredStep = 0.6;
// The largest picture of the route kept for the view, device pixels (32 MiB).
constexpr qreal kMostKeptPixels = 8 << 20;
// Points of the runs the line is drawn in.
constexpr qsizetype kRunPoints = 16;

// Side of the squares of the view's picture of the route that are painted, device pixels.
constexpr int kBlockSide = 16;

// Whether every pixel of a part of a premultiplied picture is transparent (0).
bool Transparent(const QImage &picture, const QRect &part)
{
    for (int row = part.top(); row <= part.bottom(); ++row) {
        const auto *pixels = reinterpret_cast<const quint32 *>(picture.constScanLine(row)) + part.left();
        if (std::any_of(pixels, pixels + part.width(), [](quint32 pixel) { return pixel != 0; }))
            return false;
    }
    return true;
}

QRectF BoundsOf(const QPolygonF &points)
{
    // A rectangle of width 0 still counts: a route along a meridian.
    QRectF bounds = points.boundingRect();
    return bounds.isValid() ? bounds : bounds.adjusted(0, 0, 1e-9, 1e-9);
}
} // namespace

QPointF TRouteDrawing::At(QPointF fullMapPoint) const
{
    return Offset + QPointF(double((fullMapPoint.x() - Origin.X) * Scale), double((fullMapPoint.y() - Origin.Y) * Scale));
}

TRouteDrawing TRouteDrawing::OfView(const TViewGeometry &geometry)
{
    TRouteDrawing drawing;
    drawing.Origin = geometry.Origin;
    drawing.Offset = geometry.DeviceMiddle / geometry.DevicePixelRatio + geometry.Shift;
    drawing.Scale = geometry.Scale();
    drawing.Tolerance = 1 / geometry.DevicePixelRatio;
    drawing.Area = QRectF(QPointF(0, 0), QSizeF(geometry.ViewSize));
    return drawing;
}

TRouteDrawing TRouteDrawing::Around(TMapPoint origin, const QRect &rect, long double scale, qreal lineScale)
{
    TRouteDrawing drawing;
    drawing.Origin = origin;
    drawing.Offset = QPointF(rect.left() + rect.width() / 2, rect.top() + rect.height() / 2);
    drawing.Scale = scale;
    drawing.LineScale = lineScale;
    drawing.Tolerance = std::max<qreal>(1, lineScale / 2);
    drawing.Area = rect;
    return drawing;
}

void TRouteOverlay::Show(const TShownRoute &route, const TCoordinates &coordinates)
{
    Clear();
    FShown = true;
    const auto place = [&coordinates](const TGeoPosition &position) -> std::optional<QPointF> {
        if (!coordinates.Reaches(position))
            return std::nullopt;
        const std::optional<TMapPoint> point = coordinates.MapPoint(position);
        if (!point)
            return std::nullopt;
        return QPointF(double(point->X), double(point->Y));
    };
    QPolygonF run;
    const auto endRun = [&] {
        if (run.size() >= 2)
            FPieces.push_back({run, BoundsOf(run)});
        run.clear();
    };
    for (const TGeoPosition &position : route.Route.Path.Points) {
        if (const std::optional<QPointF> point = place(position))
            run << *point;
        else
            endRun();
    }
    endRun();
    const auto mark = [&](const TRouteEnd &end, const QString &name, bool origin) {
        if (const std::optional<QPointF> point = place(end.Position))
            FMarks.push_back({*point, name, origin});
    };
    mark(route.Route.Origin, route.OriginName, true);
    mark(route.Route.Destination, route.DestinationName, false);
    for (const TPiece &piece : FPieces)
        FBounds |= piece.Bounds;
    for (const TMark &each : FMarks)
        FBounds |= BoundsOf(QPolygonF({each.Point}));
}

void TRouteOverlay::Clear()
{
    FShown = false;
    FViewPicture = {};
    FPieces.clear();
    FMarks.clear();
    FBounds = QRectF();
}

void TRouteOverlay::Paint(QPainter &painter, const TViewGeometry &geometry) const
{
    if (!FShown || !(geometry.Scale() > 0))
        return;
    if (!FViewPicture.Fits(geometry))
        DrawViewPicture(geometry);
    // Only the squares the route crosses: most of the picture is transparent.
    const qreal ratio = geometry.DevicePixelRatio;
    // At whole device pixels: a pan may move the map by a fraction of one, which the route then
    // follows to within half a device pixel.
    const QPointF offset = FViewPicture.TopLeft - ViewCorner(geometry);
    const QPointF topLeft = QPointF(std::round(offset.x()), std::round(offset.y())) / ratio + geometry.Shift;
    for (const QRect &block : FViewPicture.Blocks)
        painter.drawImage(QRectF(topLeft + QPointF(block.topLeft()) / ratio, QSizeF(block.size()) / ratio),
                          FViewPicture.Picture, block);
}

QPointF TRouteOverlay::ViewCorner(const TViewGeometry &geometry)
{
    return QPointF(double(geometry.Origin.X * geometry.DeviceScale), double(geometry.Origin.Y * geometry.DeviceScale)) -
           geometry.DeviceMiddle;
}

bool TRouteOverlay::TViewPicture::Fits(const TViewGeometry &geometry) const
{
    if (DeviceScale != geometry.DeviceScale || DevicePixelRatio != geometry.DevicePixelRatio)
        return false;
    // Drawn for all of the view the route reaches.
    const QRectF view(ViewCorner(geometry), QSizeF(geometry.ViewSize) * geometry.DevicePixelRatio);
    const QRectF needed = view & Reach;
    return needed.isEmpty() || Covered.contains(needed);
}

void TRouteOverlay::DrawViewPicture(const TViewGeometry &geometry) const
{
    const qreal ratio = geometry.DevicePixelRatio;
    const long double scale = geometry.DeviceScale;
    FViewPicture = {};
    FViewPicture.DeviceScale = scale;
    FViewPicture.DevicePixelRatio = ratio;
    const QPointF corner = ViewCorner(geometry);
    const QSizeF viewSize = QSizeF(geometry.ViewSize) * ratio;
    FViewPicture.Reach = QRectF(QPointF(double(FBounds.left() * scale), double(FBounds.top() * scale)),
                                QPointF(double(FBounds.right() * scale), double(FBounds.bottom() * scale)))
                             .adjusted(-kPictureMargin * ratio, -kPictureMargin * ratio,
                                       (kPictureMargin + kNameRoom) * ratio, kPictureMargin * ratio);
    // The view and a little more than a pan button's step (half of it) on every side, unless
    // that is too large a picture to keep; the view alone then.
    QRectF covered(corner, viewSize);
    const QSizeF step = viewSize * kCoveredStep;
    const QRectF around = covered.adjusted(-step.width(), -step.height(), step.width(), step.height());
    if (around.width() * around.height() <= kMostKeptPixels)
        covered = around;
    FViewPicture.Covered = covered;
    const QRectF drawn = covered & FViewPicture.Reach;
    if (drawn.isEmpty())
        return;
    // At whole device pixels from the view's corner.
    const QPointF from = drawn.topLeft() - corner;
    const QPoint start(int(std::floor(from.x())), int(std::floor(from.y())));
    const QSize size(int(std::ceil(drawn.right() - corner.x())) - start.x(),
                     int(std::ceil(drawn.bottom() - corner.y())) - start.y());
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return; // no memory for it: the route is not drawn rather than the view not shown
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    FViewPicture.TopLeft = corner + QPointF(start);
    TViewGeometry unshifted = geometry;
    unshifted.Shift = QPointF();
    TRouteDrawing drawing = TRouteDrawing::OfView(unshifted);
    drawing.Offset -= QPointF(start) / ratio;
    drawing.Area = QRectF(QPointF(0, 0), QSizeF(size) / ratio);
    {
        QPainter canvas(&picture);
        PaintOn(canvas, drawing);
    }
    for (int top = 0; top < picture.height(); top += kBlockSide)
        for (int left = 0; left < picture.width(); left += kBlockSide) {
            const QRect block = QRect(left, top, kBlockSide, kBlockSide) & picture.rect();
            if (!Transparent(picture, block))
                FViewPicture.Blocks.push_back(block);
        }
    FViewPicture.Picture = std::move(picture);
}

void TRouteOverlay::PaintOn(QPainter &painter, const TRouteDrawing &drawing) const
{
    if (!FShown)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The pieces that reach the drawing, each thinned to the drawing's resolution.
    const qreal margin = kCasingWidth * drawing.LineScale;
    const QRectF area = drawing.Area.adjusted(-margin, -margin, margin, margin);
    std::vector<QPolygonF> shown;
    for (const TPiece &piece : FPieces) {
        const QRectF bounds = QRectF(drawing.At(piece.Bounds.topLeft()), drawing.At(piece.Bounds.bottomRight()));
        if (!bounds.normalized().intersects(area))
            continue;
        QPolygonF line;
        line.reserve(piece.Points.size());
        for (const QPointF &point : piece.Points) {
            const QPointF at = drawing.At(point);
            if (line.isEmpty() || (at - line.last()).manhattanLength() >= drawing.Tolerance)
                line << at;
        }
        if (line.size() == 1)
            line << line.first();
        shown.push_back(std::move(line));
    }
    for (const auto &[colour, width] : {std::pair(kCasingColour, kCasingWidth), std::pair(kRouteColour, kLineWidth)}) {
        painter.setPen(QPen(colour, width * drawing.LineScale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // In short runs: a wide line is filled as its outline, and a long winding outline
        // costs far more to fill than the same line in pieces.
        for (const QPolygonF &line : shown)
            for (qsizetype first = 0; first + 1 < line.size(); first += kRunPoints - 1)
                painter.drawPolyline(line.constData() + first, int(std::min<qsizetype>(kRunPoints, line.size() - first)));
    }
    for (const TMark &mark : FMarks)
        PaintMark(painter, drawing, mark);
    painter.restore();
}

void TRouteOverlay::PaintMark(QPainter &painter, const TRouteDrawing &drawing, const TMark &mark) const
{
    const qreal scale = drawing.LineScale;
    const QPointF at = drawing.At(mark.Point);
    painter.setPen(QPen(Qt::white, 2 * scale));
    painter.setBrush(mark.Origin ? kOriginColour : kDestinationColour);
    painter.drawEllipse(at, kMarkRadius * scale, kMarkRadius * scale);
    // The name above and right of the mark, off a line that leaves it sideways; dark on a
    // white halo so that it reads over any map.
    const QFont font = FormFont(std::max(1, int(std::lround(kNameHeight * scale))), true);
    QPainterPath name;
    name.addText(at + QPointF((kMarkRadius + 2) * scale, -(kMarkRadius + 3) * scale), font, mark.Name);
    painter.strokePath(name, QPen(QColor(255, 255, 255, 230), 3 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(name, kCasingColour);
}
