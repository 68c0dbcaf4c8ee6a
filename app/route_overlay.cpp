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

// Side of the squares the view's picture of the route is kept in, device pixels.
constexpr int kTileSide = 256;
// The most pixels the squares keep (16 MiB): beyond it those of other scales go, then those
// out of the view. The scales kept: one for each zoom entry.
constexpr qsizetype kMostKeptPixels = qsizetype(1) << 22;
constexpr size_t kMostScales = 7;

// The square of kTileSide pixels that holds a device pixel's coordinate.
int TileOf(int pixel)
{
    return pixel >= 0 ? pixel / kTileSide : -((-pixel - 1) / kTileSide) - 1;
}

// Each channel of a 32-bit pixel times factor / 255, rounded.
quint32 ChannelsTimes(quint32 pixel, quint32 factor)
{
    quint32 redBlue = (pixel & 0xFF00FF) * factor;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xFF00FF) + 0x800080) >> 8) & 0xFF00FF;
    quint32 alphaGreen = ((pixel >> 8) & 0xFF00FF) * factor;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xFF00FF) + 0x800080) & 0xFF00FF00;
    return alphaGreen | redBlue;
}

// Premultiplied pixels laid over opaque ones (Format_RGB32), which stay opaque. Without a
// branch for opaque or clear pixels: those take factor 0 or 255, which ChannelsTimes meets
// exactly, and the loop runs on without mispredictions at every edge of the line.
void BlendOver(quint32 *target, const quint32 *source, int count)
{
    for (int pixel = 0; pixel < count; ++pixel)
        target[pixel] = 0xFF000000 | (source[pixel] + ChannelsTimes(target[pixel], 0xFF - (source[pixel] >> 24)));
}

// How far a point of a route may lie from the line drawn in its place, in the drawing's
// tolerances: a quarter of one, less than a device pixel, which no eye sees on a line as wide
// as the route's.
constexpr qreal kDeviation = 0.25;

// The square of the distance of a point from the segment from a to b.
qreal SquaredDistanceFromSegment(QPointF point, QPointF a, QPointF b)
{
    const QPointF segment = b - a;
    const qreal length = QPointF::dotProduct(segment, segment);
    const qreal along = length > 0 ? std::clamp(QPointF::dotProduct(point - a, segment) / length, 0.0, 1.0) : 0.0;
    const QPointF off = point - (a + along * segment);
    return QPointF::dotProduct(off, off);
}

// The points of a line that a drawing needs (Douglas-Peucker): each point left out lies within
// deviation of the segment drawn in its place. A wide line costs its stroker an arc at every
// join, so that a line as dense as its points, one or two pixels apart, would cost many times
// what the same line with the points it needs costs.
QPolygonF Simplified(const QPolygonF &line, qreal deviation)
{
    if (line.size() <= 2)
        return line;
    std::vector<char> kept(size_t(line.size()), 0);
    kept.front() = kept.back() = 1;
    std::vector<std::pair<qsizetype, qsizetype>> stretches{{0, line.size() - 1}};
    while (!stretches.empty()) {
        const auto [first, last] = stretches.back();
        stretches.pop_back();
        qreal farthest = 0; // squared
        qsizetype at = -1;
        for (qsizetype point = first + 1; point < last; ++point)
            if (const qreal distance = SquaredDistanceFromSegment(line[point], line[first], line[last]);
                distance > farthest) {
                farthest = distance;
                at = point;
            }
        if (farthest > deviation * deviation) {
            kept[size_t(at)] = 1;
            stretches.push_back({first, at});
            stretches.push_back({at, last});
        }
    }
    QPolygonF simplified;
    for (qsizetype point = 0; point < line.size(); ++point)
        if (kept[size_t(point)])
            simplified << line[point];
    return simplified;
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
    ++FShowings;
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
    FScales.clear();
    FPieces.clear();
    FMarks.clear();
    FBounds = QRectF();
}

void TRouteOverlay::DrawInto(QImage &pixels, const QRect &rect, QPoint viewOrigin,
                             const TViewGeometry &geometry) const
{
    if (!FShown || !(geometry.Scale() > 0))
        return;
    TViewTiles &tiles = KeepTilesFor(geometry);
    // A stored pixel plus toMap is a pixel of the map's device pixels.
    const QPoint corner = ViewCorner(geometry);
    const QPoint toMap = corner - viewOrigin;
    const QRect onMap = rect.translated(toMap);
    uchar *const rows = pixels.bits();
    const qsizetype rowBytes = pixels.bytesPerLine();
    for (int row = TileOf(onMap.top()); row <= TileOf(onMap.bottom()); ++row)
        for (int column = TileOf(onMap.left()); column <= TileOf(onMap.right()); ++column) {
            const TTile &tile = Tile(tiles, column, row);
            const QPoint tileCorner(column * kTileSide, row * kTileSide);
            // The stretches are in row order: from the rect's first row in the square to its last.
            const auto first = std::partition_point(
                tile.Covered.begin(), tile.Covered.end(),
                [&](const TCovered &covered) { return tileCorner.y() + covered.Row < onMap.top(); });
            for (auto covered = first; covered != tile.Covered.end(); ++covered) {
                const int y = tileCorner.y() + covered->Row;
                if (y > onMap.bottom())
                    break;
                const int left = std::max(tileCorner.x() + covered->Left, onMap.left());
                const int right = std::min(tileCorner.x() + covered->Left + covered->Width - 1, onMap.right());
                if (left > right)
                    continue;
                BlendOver(reinterpret_cast<quint32 *>(rows + (y - toMap.y()) * rowBytes) + (left - toMap.x()),
                          tile.Pixels.data() + covered->First + (left - tileCorner.x() - covered->Left),
                          right - left + 1);
            }
        }
    const QRect view(corner, (QSizeF(geometry.ViewSize) * geometry.DevicePixelRatio).toSize());
    const QRect shownTiles(QPoint(TileOf(view.left()), TileOf(view.top())),
                           QPoint(TileOf(view.right()), TileOf(view.bottom())));
    LimitTiles(tiles, shownTiles);
}

QPoint TRouteOverlay::ViewCorner(const TViewGeometry &geometry)
{
    const QPointF corner = QPointF(double(geometry.Origin.X * geometry.DeviceScale),
                                   double(geometry.Origin.Y * geometry.DeviceScale)) -
                           geometry.DeviceMiddle;
    return QPoint(int(std::round(corner.x())), int(std::round(corner.y())));
}

TRouteOverlay::TViewTiles &TRouteOverlay::KeepTilesFor(const TViewGeometry &geometry) const
{
    const auto same = std::find_if(FScales.begin(), FScales.end(), [&geometry](const TViewTiles &tiles) {
        return tiles.DeviceScale == geometry.DeviceScale && tiles.DevicePixelRatio == geometry.DevicePixelRatio;
    });
    if (same != FScales.end()) {
        std::rotate(FScales.begin(), same, same + 1);
        return FScales.front();
    }
    if (FScales.size() >= kMostScales)
        FScales.pop_back();
    TViewTiles tiles;
    tiles.DeviceScale = geometry.DeviceScale;
    tiles.DevicePixelRatio = geometry.DevicePixelRatio;
    TRouteDrawing &drawing = tiles.Drawing;
    drawing.Scale = geometry.DeviceScale;
    drawing.LineScale = geometry.DevicePixelRatio;
    drawing.Tolerance = 1;
    drawing.Area = QRectF(QPointF(double(FBounds.left() * drawing.Scale), double(FBounds.top() * drawing.Scale)),
                          QPointF(double(FBounds.right() * drawing.Scale), double(FBounds.bottom() * drawing.Scale)));
    tiles.Runs = Runs(drawing);
    FScales.insert(FScales.begin(), std::move(tiles));
    return FScales.front();
}

TRouteOverlay::TTile TRouteOverlay::DrawTile(const TViewTiles &tiles, int column, int row) const
{
    TRouteDrawing drawing = tiles.Drawing;
    drawing.Area = QRectF(column * kTileSide, row * kTileSide, kTileSide, kTileSide);
    const qreal margin = kCasingWidth * drawing.LineScale;
    const QRectF reached = drawing.Area.adjusted(-margin, -margin, margin, margin);
    const bool crossed =
        std::any_of(tiles.Runs.begin(), tiles.Runs.end(),
                    [&reached](const TRun &run) { return run.Bounds.intersects(reached); }) ||
        std::any_of(FMarks.begin(), FMarks.end(), [&](const TMark &mark) {
            return MarkReach(drawing.At(mark.Point), drawing.LineScale).intersects(drawing.Area);
        });
    if (!crossed)
        return {};
    QImage picture(kTileSide, kTileSide, QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return {}; // no memory for it: the route is not drawn there rather than the view not shown
    picture.fill(Qt::transparent);
    {
        QPainter canvas(&picture);
        canvas.translate(-drawing.Area.topLeft());
        PaintRuns(canvas, tiles.Runs, drawing);
    }
    TTile tile;
    for (int row = 0; row < kTileSide; ++row) {
        const auto *pixels = reinterpret_cast<const quint32 *>(picture.constScanLine(row));
        for (int left = 0; left < kTileSide;) {
            if (pixels[left] == 0) {
                ++left;
                continue;
            }
            int right = left;
            while (right < kTileSide && pixels[right] != 0)
                ++right;
            tile.Covered.push_back({row, left, right - left, qsizetype(tile.Pixels.size())});
            tile.Pixels.insert(tile.Pixels.end(), pixels + left, pixels + right);
            left = right;
        }
    }
    return tile;
}

const TRouteOverlay::TTile &TRouteOverlay::Tile(TViewTiles &tiles, int column, int row) const
{
    auto found = tiles.Tiles.find({column, row});
    if (found == tiles.Tiles.end()) {
        found = tiles.Tiles.emplace(std::pair(column, row), DrawTile(tiles, column, row)).first;
        tiles.KeptPixels += qsizetype(found->second.Pixels.size());
    }
    return found->second;
}

void TRouteOverlay::LimitTiles(TViewTiles &tiles, const QRect &shownTiles) const
{
    const auto kept = [this] {
        qsizetype pixels = 0;
        for (const TViewTiles &each : FScales)
            pixels += each.KeptPixels;
        return pixels;
    };
    if (kept() <= kMostKeptPixels)
        return;
    std::erase_if(FScales, [&tiles](const TViewTiles &each) { return &each != &tiles; });
    if (kept() <= kMostKeptPixels)
        return;
    std::erase_if(FScales.front().Tiles, [&](const auto &entry) {
        if (shownTiles.contains(QPoint(entry.first.first, entry.first.second)))
            return false;
        FScales.front().KeptPixels -= qsizetype(entry.second.Pixels.size());
        return true;
    });
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
        line = Simplified(line, kDeviation * drawing.Tolerance);
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
