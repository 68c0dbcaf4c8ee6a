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
// Room beside a mark for its name, view pixels: to the right of it and above it.
constexpr qreal kNameRoom = 320;
constexpr qreal kNameAbove = 28;
// Points of the runs the line is drawn in.
constexpr qsizetype kRunPoints = 16;

// Side of the squares the screen's picture of the route is kept in, device pixels, and of the
// blocks inside them that are painted when not wholly transparent.
constexpr int kTileSide = 256;
constexpr int kBlockSide = 16;
// The most squares with a picture kept (256 KiB each): beyond it those out of the view go.
constexpr int kMostKeptPictures = 128;

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
    FViewTiles = {};
    FPieces.clear();
    FMarks.clear();
    FBounds = QRectF();
}

void TRouteOverlay::Paint(QPainter &painter, const TViewGeometry &geometry) const
{
    if (!FShown || !(geometry.Scale() > 0))
        return;
    KeepTilesFor(geometry);
    const qreal ratio = geometry.DevicePixelRatio;
    const QPointF corner = ViewCorner(geometry);
    const QRectF view(corner, QSizeF(geometry.ViewSize) * ratio);
    const QRect shownTiles(QPoint(int(std::floor(view.left() / kTileSide)), int(std::floor(view.top() / kTileSide))),
                           QPoint(int(std::floor(view.right() / kTileSide)), int(std::floor(view.bottom() / kTileSide))));
    // At whole device pixels: a pan may move the map by a fraction of one, which the route then
    // follows to within half a device pixel.
    const QPointF rounded(std::round(corner.x()), std::round(corner.y()));
    for (int row = shownTiles.top(); row <= shownTiles.bottom(); ++row)
        for (int column = shownTiles.left(); column <= shownTiles.right(); ++column) {
            auto found = FViewTiles.Tiles.find({column, row});
            if (found == FViewTiles.Tiles.end()) {
                found = FViewTiles.Tiles.emplace(std::pair(column, row), DrawTile(column, row)).first;
                FViewTiles.Pictures += found->second.Picture.isNull() ? 0 : 1;
            }
            const TTile &tile = found->second;
            const QPointF topLeft = (QPointF(column * kTileSide, row * kTileSide) - rounded) / ratio + geometry.Shift;
            for (const QRect &span : tile.Spans)
                painter.drawImage(QRectF(topLeft + QPointF(span.topLeft()) / ratio, QSizeF(span.size()) / ratio),
                                  tile.Picture, span);
        }
    LimitTiles(shownTiles);
}

QPointF TRouteOverlay::ViewCorner(const TViewGeometry &geometry)
{
    return QPointF(double(geometry.Origin.X * geometry.DeviceScale), double(geometry.Origin.Y * geometry.DeviceScale)) -
           geometry.DeviceMiddle;
}

void TRouteOverlay::KeepTilesFor(const TViewGeometry &geometry) const
{
    if (FViewTiles.DeviceScale == geometry.DeviceScale && FViewTiles.DevicePixelRatio == geometry.DevicePixelRatio)
        return;
    FViewTiles = {};
    FViewTiles.DeviceScale = geometry.DeviceScale;
    FViewTiles.DevicePixelRatio = geometry.DevicePixelRatio;
    TRouteDrawing &drawing = FViewTiles.Drawing;
    drawing.Scale = geometry.DeviceScale;
    drawing.LineScale = geometry.DevicePixelRatio;
    drawing.Tolerance = 1;
    drawing.Area = QRectF(QPointF(double(FBounds.left() * drawing.Scale), double(FBounds.top() * drawing.Scale)),
                          QPointF(double(FBounds.right() * drawing.Scale), double(FBounds.bottom() * drawing.Scale)));
    FViewTiles.Runs = Runs(drawing);
}

TRouteOverlay::TTile TRouteOverlay::DrawTile(int column, int row) const
{
    TRouteDrawing drawing = FViewTiles.Drawing;
    drawing.Area = QRectF(column * kTileSide, row * kTileSide, kTileSide, kTileSide);
    const qreal margin = kCasingWidth * drawing.LineScale;
    const QRectF reached = drawing.Area.adjusted(-margin, -margin, margin, margin);
    const bool crossed =
        std::any_of(FViewTiles.Runs.begin(), FViewTiles.Runs.end(),
                    [&reached](const TRun &run) { return run.Bounds.intersects(reached); }) ||
        std::any_of(FMarks.begin(), FMarks.end(), [&](const TMark &mark) {
            return MarkReach(drawing.At(mark.Point), drawing.LineScale).intersects(drawing.Area);
        });
    if (!crossed)
        return {};
    TTile tile;
    tile.Picture = QImage(kTileSide, kTileSide, QImage::Format_ARGB32_Premultiplied);
    if (tile.Picture.isNull())
        return {}; // no memory for it: the route is not drawn there rather than the view not shown
    tile.Picture.fill(Qt::transparent);
    {
        QPainter canvas(&tile.Picture);
        canvas.translate(-drawing.Area.topLeft());
        PaintRuns(canvas, FViewTiles.Runs, drawing);
    }
    for (int top = 0; top < kTileSide; top += kBlockSide) {
        QRect span;
        for (int left = 0; left < kTileSide; left += kBlockSide) {
            const QRect block(left, top, kBlockSide, kBlockSide);
            if (Transparent(tile.Picture, block)) {
                if (!span.isNull())
                    tile.Spans.push_back(std::exchange(span, QRect()));
            } else {
                span = span.isNull() ? block : span.united(block);
            }
        }
        if (!span.isNull())
            tile.Spans.push_back(span);
    }
    return tile;
}

void TRouteOverlay::LimitTiles(const QRect &shownTiles) const
{
    if (FViewTiles.Pictures <= kMostKeptPictures)
        return;
    std::erase_if(FViewTiles.Tiles, [&shownTiles](const auto &entry) {
        return !shownTiles.contains(QPoint(entry.first.first, entry.first.second));
    });
    FViewTiles.Pictures = int(std::count_if(FViewTiles.Tiles.begin(), FViewTiles.Tiles.end(),
                                            [](const auto &entry) { return !entry.second.Picture.isNull(); }));
}

std::vector<TRouteOverlay::TRun> TRouteOverlay::Runs(const TRouteDrawing &drawing) const
{
    const qreal margin = kCasingWidth * drawing.LineScale;
    const QRectF area = drawing.Area.adjusted(-margin, -margin, margin, margin);
    std::vector<TRun> runs;
    for (const TPiece &piece : FPieces) {
        const QRectF bounds = QRectF(drawing.At(piece.Bounds.topLeft()), drawing.At(piece.Bounds.bottomRight()));
        if (!bounds.normalized().intersects(area))
            continue;
        // The piece at the drawing's resolution.
        QPolygonF line;
        line.reserve(piece.Points.size());
        for (const QPointF &point : piece.Points) {
            const QPointF at = drawing.At(point);
            if (line.isEmpty() || (at - line.last()).manhattanLength() >= drawing.Tolerance)
                line << at;
        }
        if (line.size() == 1)
            line << line.first();
        // In short runs, each sharing its last point with the next: a wide line is filled as
        // its outline, and a long winding outline costs far more to fill than the same line in
        // pieces.
        for (qsizetype first = 0; first + 1 < line.size(); first += kRunPoints - 1) {
            const QPolygonF points = line.mid(first, std::min<qsizetype>(kRunPoints, line.size() - first));
            runs.push_back({points, BoundsOf(points)});
        }
    }
    return runs;
}

void TRouteOverlay::PaintOn(QPainter &painter, const TRouteDrawing &drawing) const
{
    if (FShown)
        PaintRuns(painter, Runs(drawing), drawing);
}

void TRouteOverlay::PaintRuns(QPainter &painter, const std::vector<TRun> &runs, const TRouteDrawing &drawing) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal margin = kCasingWidth * drawing.LineScale;
    const QRectF area = drawing.Area.adjusted(-margin, -margin, margin, margin);
    for (const auto &[colour, width] : {std::pair(kCasingColour, kCasingWidth), std::pair(kRouteColour, kLineWidth)}) {
        painter.setPen(QPen(colour, width * drawing.LineScale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const TRun &run : runs)
            if (run.Bounds.intersects(area))
                painter.drawPolyline(run.Points);
    }
    for (const TMark &mark : FMarks)
        if (MarkReach(drawing.At(mark.Point), drawing.LineScale).intersects(drawing.Area))
            PaintMark(painter, drawing, mark);
    painter.restore();
}

QRectF TRouteOverlay::MarkReach(QPointF at, qreal lineScale)
{
    const qreal around = (kMarkRadius + 2) * lineScale;
    return QRectF(at - QPointF(around, kNameAbove * lineScale), at + QPointF(kNameRoom * lineScale, around));
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
