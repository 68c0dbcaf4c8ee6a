#include "mapdata/map_image.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <exception>

#include "base/errors.h"
#include "imaging/resample.h"
#include "mapdata/binary_reader.h"
#include "mapdata/data_file.h"
#include "mapdata/jpeg_codec.h"
#include "mapdata/render_pool.h"

// One piece of a rendering: the part of a tile it shows, where it lands on the canvas and
// whether it is resampled.
struct TRenderPiece {
    size_t Tile;
    QRect Source; // picture pixels, inside the tile
    QRect Target;
    bool Resample;
};

// A piece ready to paint: its resampled picture when it has one (then, when it came from the
// cache, nothing else), the decoded tile it shows and that part of it (sharing the tile's
// pixels); or the error that kept it from being made.
struct TPreparedPiece {
    TDecodedTile Tile;
    QImage Part;
    QImage Scaled;
    std::exception_ptr Error; // why the piece could not be made
};

namespace {

// Sides beyond this are no map picture but a damaged header; the limit also keeps every
// coordinate the renderer derives from them far inside the int range.
constexpr int32_t kMaxPictureSide = 1 << 20;
// Scales beyond this (map pixels blown up a million times) are refused rather than computed.
constexpr long double kMaxScale = 1.0e6L;
// The high-quality path resamples a whole piece; a scaled piece larger than this (only at
// scales far above any zoom level) is drawn by the plain stretch instead.
constexpr long long kMaxResampledPixels = 16ll * 1024 * 1024;

// Nearest integer, halves to even (the default rounding mode), for values that may be far
// outside the int range.
long long RoundHalfEven(long double value)
{
    constexpr long double kLimit = 4.0e18L;
    return std::llrint(std::clamp(value, -kLimit, kLimit));
}

// Nearest integer, halves upwards: the exclusive end of a source region. A view that reaches
// half-way into a column or row includes it; with halves to even, a picture of odd width
// drawn whole at scale 1 around its middle would lose its last column.
long long RoundHalfUp(long double value)
{
    return RoundHalfEven(std::floor(value + 0.5L));
}

// Reads a .map file's parts from a device, never trusting a size before the device has
// shown that it holds that many bytes.
class TMapFileReader {
public:
    TMapFileReader(QIODevice &device, const QString &name) : FReader(device), FName(name) {}

    [[noreturn]] void Refuse(const QString &reason) const
    {
        throw TovralError(QStringLiteral("Invalid map file %1: %2").arg(FName, reason));
    }

    int32_t ReadInt32(const char *what)
    {
        return LittleEndianInt32(ReadBytes(4, what).constData());
    }

    QByteArray ReadBytes(qint64 count, const char *what)
    {
        const qint64 available = FReader.BytesLeft();
        if (available >= 0 && count > available)
            Refuse(QStringLiteral("the file ends inside its %1 (%2 bytes needed, %3 left)")
                       .arg(QLatin1String(what)).arg(count).arg(available));
        QByteArray bytes = FReader.Read(count);
        if (bytes.size() < count)
            Refuse(QStringLiteral("the file ends inside its %1 (%2 bytes needed, %3 read)")
                       .arg(QLatin1String(what)).arg(count).arg(bytes.size()));
        return bytes;
    }

private:
    TBinaryReader FReader;
    QString FName;
};

// Refuses a tile whose rectangle is empty, leaves the picture or is larger than a tile may
// be, or whose entry (length and JPEG stream) leaves the data blob. Returns the stream's length.
int32_t CheckTile(const TMapFileReader &reader, const TMapTile &tile, int index, int32_t width,
                  int32_t height, const QByteArray &blob)
{
    if (tile.Left < 0 || tile.Top < 0 || tile.Left >= tile.Right || tile.Top >= tile.Bottom
        || tile.Right > width || tile.Bottom > height)
        reader.Refuse(QStringLiteral("tile %1 covers (%2, %3)-(%4, %5), which is empty or outside "
                                     "the %6 x %7 picture")
                          .arg(index).arg(tile.Left).arg(tile.Top).arg(tile.Right).arg(tile.Bottom)
                          .arg(width).arg(height));
    if (tile.Right - tile.Left > kMaxTileSide || tile.Bottom - tile.Top > kMaxTileSide)
        reader.Refuse(QStringLiteral("tile %1 is %2 x %3 pixels, beyond the limit of %4 pixels a side")
                          .arg(index).arg(tile.Right - tile.Left).arg(tile.Bottom - tile.Top).arg(kMaxTileSide));
    if (tile.Offset < 0 || qint64(tile.Offset) + 4 > blob.size())
        reader.Refuse(QStringLiteral("tile %1 starts at byte %2, outside the %3-byte data block")
                          .arg(index).arg(tile.Offset).arg(blob.size()));
    const int32_t length = LittleEndianInt32(blob.constData() + tile.Offset);
    if (length <= 0 || qint64(tile.Offset) + 4 + length > blob.size())
        reader.Refuse(QStringLiteral("tile %1 holds %2 bytes at byte %3, outside the %4-byte data block")
                          .arg(index).arg(length).arg(tile.Offset).arg(blob.size()));
    return length;
}

// Where RenderRegion draws: the source region [X0, X1) x [Y0, Y1) in picture pixels and the
// canvas position (Dx, Dy) of its top-left pixel.
struct TRegionPlacement {
    int X0, Y0, X1, Y1;
    long long Dx, Dy;
};

TRegionPlacement PlaceRegion(QPoint center, const QRect &destRect, long double scale,
                             int32_t width, int32_t height)
{
    const long long cx = std::clamp(center.x(), 0, width - 1);
    const long long cy = std::clamp(center.y(), 0, height - 1);
    const long long destWidth = destRect.width();   // R - L
    const long long destHeight = destRect.height(); // B - T
    const long double halfWidth = destWidth / (2 * scale);
    const long double halfHeight = destHeight / (2 * scale);

    TRegionPlacement region;
    region.X0 = int(std::max(RoundHalfEven(cx - halfWidth), 0ll));
    region.Y0 = int(std::max(RoundHalfEven(cy - halfHeight), 0ll));
    region.X1 = int(std::min(RoundHalfUp(cx + halfWidth), (long long)width));
    region.Y1 = int(std::min(RoundHalfUp(cy + halfHeight), (long long)height));
    region.Dx = destRect.x() + destWidth / 2 - RoundHalfEven(scale * (cx - region.X0));
    region.Dy = destRect.y() + destHeight / 2 - RoundHalfEven(scale * (cy - region.Y0));
    region.Dx = std::max<long long>(region.Dx, destRect.x());
    region.Dy = std::max<long long>(region.Dy, destRect.y());
    return region;
}

// Whether the piece shows its tile whole, not a part a region's border cut from it.
bool ShowsWholeTile(const TRenderPiece &piece, const TMapTile &tile)
{
    return piece.Source == QRect(tile.Left, tile.Top, tile.Right - tile.Left, tile.Bottom - tile.Top);
}

bool TileContains(const TMapTile &tile, int x, int y)
{
    return tile.Left <= x && x <= tile.Right - 1 && tile.Top <= y && y <= tile.Bottom - 1;
}

// Fills the clip area with the canvas's brush, except where covered.
void FillClipArea(QPainter &canvas, const QRegion &covered = QRegion())
{
    const QRect area = canvas.hasClipping()
                           ? canvas.clipBoundingRect().toAlignedRect()
                           : QRect(0, 0, canvas.device()->width(), canvas.device()->height());
    for (const QRect &uncovered : QRegion(area).subtracted(covered))
        canvas.fillRect(uncovered, canvas.brush());
}

QRect CanvasRect(long long x, long long y, long long width, long long height)
{
    return QRect(int(x), int(y), int(width), int(height));
}

// Nearest-neighbour stretch: lines that vanish are dropped, nothing is blended.
void StretchDraw(QPainter &canvas, const QRect &target, const QImage &piece)
{
    if (target.size() == piece.size())
        canvas.drawImage(target.topLeft(), piece);
    else
        canvas.drawImage(target, piece);
}

// The piece resampled (Lanczos3) to size, or a null image when that fails, in which case the
// piece is drawn by the plain stretch instead. The result has the piece's format, the canvas's
// own, so that drawing it is a plain copy of its rows.
QImage Resampled(const QImage &piece, QSize size)
{
    thread_local TResampleWorkspace workspace;
    try {
        if ((long long)size.width() * size.height() > kMaxResampledPixels)
            return QImage();
        QImage scaled(size, piece.format());
        if (scaled.isNull())
            return QImage();
        const TResampleFilterEntry &lanczos3 = ResampleFilterTable[kLanczos3FilterIndex];
        ResamplePiece(piece, scaled, lanczos3.Kernel, lanczos3.Support, workspace);
        return scaled;
    } catch (...) {
        return QImage();
    }
}

// The pieces of a region in drawing order: the tiles met going right along the region's
// rows of tiles, then down, each clipped to the region.
std::vector<TRenderPiece> PlanPieces(const std::vector<TMapTile> &tiles, const TRegionPlacement &region,
                                     long double scale, bool resample)
{
    std::vector<TRenderPiece> pieces;
    int px = region.X0;
    int py = region.Y0;
    long long dx = region.Dx;
    long long dy = region.Dy;
    size_t k = 0;
    while (px < region.X1 && py < region.Y1 && k < tiles.size()) {
        while (k < tiles.size() && !TileContains(tiles[k], px, py))
            ++k;
        if (k == tiles.size())
            break;
        const TMapTile &tile = tiles[k];
        const int w = std::min(tile.Right, region.X1) - px;
        const int h = std::min(tile.Bottom, region.Y1) - py;
        const long long sw = RoundHalfEven(w * scale);
        const long long sh = RoundHalfEven(h * scale);
        pieces.push_back({k, QRect(px, py, w, h), CanvasRect(dx, dy, sw, sh), resample && sw > 2 && sh > 2});

        px = tile.Right;
        dx += sw;
        if (px >= region.X1) {
            py = tile.Bottom;
            dy += sh;
            px = region.X0;
            dx = region.Dx;
        }
    }
    return pieces;
}

// Where the pieces land on the canvas.
QRegion PiecesArea(const std::vector<TRenderPiece> &pieces)
{
    QRegion area;
    for (const TRenderPiece &piece : pieces)
        area += piece.Target;
    return area;
}

// Restores the painter's settings however the rendering ends.
class TPainterStateGuard {
public:
    explicit TPainterStateGuard(QPainter &painter) : FPainter(painter) { FPainter.save(); }
    ~TPainterStateGuard() { FPainter.restore(); }
    TPainterStateGuard(const TPainterStateGuard &) = delete;
    TPainterStateGuard &operator=(const TPainterStateGuard &) = delete;

private:
    QPainter &FPainter;
};

} // namespace

void TMapImage::LoadFromFile(const QString &fileName)
{
    QFile file;
    OpenDataFile(file, fileName);
    LoadFromStream(file);
}

void TMapImage::LoadFromStream(QIODevice &stream)
{
    Clear();
    FWidth = FHeight = 0;
    FFileName = StreamName(stream);
    TMapFileReader reader(stream, FFileName);

    const int32_t indexBytes = reader.ReadInt32("header");
    const int32_t width = reader.ReadInt32("header");
    const int32_t height = reader.ReadInt32("header");
    if (indexBytes <= 0 || indexBytes % kMapTileBytes != 0)
        reader.Refuse(QStringLiteral("its tile index size %1 is not a positive multiple of %2 bytes")
                          .arg(indexBytes).arg(kMapTileBytes));
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        reader.Refuse(QStringLiteral("its picture size %1 x %2 is impossible").arg(width).arg(height));
    if ((long long)width * height > kMaxMapPixels)
        reader.Refuse(QStringLiteral("its picture of %1 x %2 pixels is larger than the limit of %3 pixels")
                          .arg(width).arg(height).arg(kMaxMapPixels));
    if (indexBytes / kMapTileBytes > kMaxMapTiles)
        reader.Refuse(QStringLiteral("its %1 tiles are more than the limit of %2")
                          .arg(indexBytes / kMapTileBytes).arg(kMaxMapTiles));

    const QByteArray index = reader.ReadBytes(indexBytes, "tile index");
    const int32_t dataBytes = reader.ReadInt32("data size");
    if (dataBytes <= 0)
        reader.Refuse(QStringLiteral("its data block size %1 is not positive").arg(dataBytes));
    QByteArray blob = reader.ReadBytes(dataBytes, "data block");

    std::vector<TMapTile> tiles(size_t(indexBytes / kMapTileBytes));
    long long tilePixels = 0;
    long long streamBytes = 0;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const char *record = index.constData() + i * kMapTileBytes;
        TMapTile &tile = tiles[i];
        tile.Left = LittleEndianInt32(record);
        tile.Top = LittleEndianInt32(record + 4);
        tile.Right = LittleEndianInt32(record + 8);
        tile.Bottom = LittleEndianInt32(record + 12);
        tile.Offset = LittleEndianInt32(record + 16);
        streamBytes += CheckTile(reader, tile, int(i), width, height, blob);
        tilePixels += (long long)(tile.Right - tile.Left) * (tile.Bottom - tile.Top);
    }
    if (streamBytes > kMaxMapStreamBytes)
        reader.Refuse(QStringLiteral("its tiles hold %1 bytes of JPEG data in all, a shared stream counted "
                                     "for each tile, more than the limit of %2 bytes")
                          .arg(streamBytes).arg(kMaxMapStreamBytes));
    if (tilePixels > kMaxMapPixels)
        reader.Refuse(QStringLiteral("its tiles cover %1 pixels in all, more than the limit of %2 pixels")
                          .arg(tilePixels).arg(kMaxMapPixels));

    FWidth = width;
    FHeight = height;
    FTiles = std::move(tiles);
    FData = std::move(blob);
}

void TMapImage::Clear()
{
    FTiles.clear();
    FTiles.shrink_to_fit();
    FData = QByteArray();
    FCacheIdentity.Renew();
}

void TMapImage::Draw(TRenderQuality quality, QPoint center, const QRect &destRect, long double scale,
                     QPainter &canvas) const
{
    RenderRegion(TRenderTarget::Screen, quality, center, destRect, scale, canvas);
}

void TMapImage::RenderRegion(TRenderTarget target, TRenderQuality quality, QPoint center,
                             const QRect &destRect, long double scale, QPainter &canvas) const
{
    const bool forPrinter = target == TRenderTarget::Printer;
    if (!(scale > 0 && scale <= kMaxScale))
        throw TovralError(QStringLiteral("Cannot draw map %1 at scale %2")
                              .arg(FFileName).arg(double(scale)));
    if (FTiles.empty()) {
        if (!forPrinter)
            FillClipArea(canvas);
        return;
    }

    const TRegionPlacement region = PlaceRegion(center, destRect, scale, FWidth, FHeight);
    const bool resample = !forPrinter && quality == TRenderQuality::High && scale != 1;
    std::vector<TRenderPiece> pieces = PlanPieces(FTiles, region, scale, resample);
    // A piece outside the clip would paint nothing: it is neither made nor drawn.
    const bool clipped = canvas.hasClipping();
    const QRegion clip = clipped ? canvas.clipRegion() : QRegion();
    if (clipped)
        std::erase_if(pieces, [&clip](const TRenderPiece &piece) { return !clip.intersects(piece.Target); });
    // The screen's canvas is filled where no piece lands; the pieces cover the rest.
    if (!forPrinter)
        FillClipArea(canvas, PiecesArea(pieces));

    TPainterStateGuard painterState(canvas);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!forPrinter)
        canvas.setCompositionMode(QPainter::CompositionMode_Source); // pieces are opaque
    // The pieces the cache holds are ready at once; the workers decode and resample the
    // others. This thread paints every piece in order, then lets the window process its
    // events, as the serial loop did; a piece that could not be made stops the rendering
    // there.
    std::vector<TPreparedPiece> prepared(pieces.size());
    std::vector<size_t> toMake;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (!PieceFromCache(pieces[i], prepared[i]))
            toMake.push_back(i);
    const auto make = [&](size_t j) {
        TPreparedPiece &ready = prepared[toMake[j]];
        try {
            PreparePiece(pieces[toMake[j]], ready);
        } catch (...) {
            ready.Error = std::current_exception();
        }
    };
    const auto paintPiece = [&](const QRect &target, const TPreparedPiece &ready) {
        if (!ready.Scaled.isNull())
            canvas.drawImage(target.topLeft(), ready.Scaled);
        else if (forPrinter)
            StretchDraw(canvas, target, ready.Part.copy()); // a device-independent copy of its own
        else
            StretchDraw(canvas, target, ready.Part);
    };
    // Under a clip of several rectangles a piece is painted once for each rectangle it meets,
    // clipped to that one: clipped to them all at once it would be blended span by span
    // instead of copied row by row.
    const bool severalClipRects = clip.rectCount() > 1;
    size_t painted = 0;
    const auto paintUpTo = [&](size_t end) {
        while (painted < end) {
            const QRect &target = pieces[painted].Target;
            const TPreparedPiece ready = std::move(prepared[painted]);
            if (ready.Error)
                std::rethrow_exception(ready.Error);
            if (!severalClipRects)
                paintPiece(target, ready);
            else
                for (const QRect &rect : clip)
                    if (rect.intersects(target)) {
                        canvas.setClipRect(rect);
                        paintPiece(target, ready);
                    }
            ++painted;

            if (ProcessMessages)
                ProcessMessages();
        }
    };
    try {
        SharedRenderPool().Run(toMake.size(), make, [&](size_t j) { paintUpTo(toMake[j] + 1); });
        paintUpTo(pieces.size());
    } catch (...) {
        // A rendering that stops early leaves the canvas filled where its pieces were to land.
        if (severalClipRects)
            canvas.setClipRegion(clip);
        if (!forPrinter)
            for (size_t i = painted; i < pieces.size(); ++i)
                canvas.fillRect(pieces[i].Target, canvas.brush());
        throw;
    }
}

TRenderPool::TBackgroundRun TMapImage::PrepareRegion(TRenderQuality quality, QPoint center,
                                                      const QRect &destRect, long double scale) const
{
    if (FTiles.empty() || !(scale > 0 && scale <= kMaxScale))
        return {};
    const TRegionPlacement region = PlaceRegion(center, destRect, scale, FWidth, FHeight);
    const bool resample = quality == TRenderQuality::High && scale != 1;
    auto pieces = std::make_shared<std::vector<TRenderPiece>>(PlanPieces(FTiles, region, scale, resample));
    size_t bytes = 0;
    for (TRenderPiece &piece : *pieces) {
        const TMapTile &tile = FTiles[piece.Tile];
        // A tile the region cuts is cut otherwise by any other view: only its decoding serves.
        piece.Resample = piece.Resample && ShowsWholeTile(piece, tile);
        bytes += size_t(tile.Right - tile.Left) * size_t(tile.Bottom - tile.Top) * 4;
        if (piece.Resample)
            bytes += size_t(piece.Target.width()) * size_t(piece.Target.height()) * 4;
    }
    if (bytes > SharedTileCache().BudgetBytes() / 4 * 3)
        return {};
    return SharedRenderPool().RunInBackground(pieces->size(), [this, pieces](size_t i) {
        TPreparedPiece ready;
        PreparePiece((*pieces)[i], ready);
    });
}

std::optional<TMapImage::TRepeatedDrawing> TMapImage::RepeatedDrawing(TRenderQuality quality, QPoint lastCenter,
                                                                     QPoint center, const QRect &destRect,
                                                                     long double scale) const
{
    if (FTiles.empty() || !(scale > 0 && scale <= kMaxScale))
        return std::nullopt;
    const bool resample = quality == TRenderQuality::High && scale != 1;
    const auto plan = [&](QPoint around) {
        return PlanPieces(FTiles, PlaceRegion(around, destRect, scale, FWidth, FHeight), scale, resample);
    };
    const std::vector<TRenderPiece> last = plan(lastCenter);
    const std::vector<TRenderPiece> next = plan(center);
    const auto sameExceptPlace = [](const TRenderPiece &a, const TRenderPiece &b) {
        return a.Tile == b.Tile && a.Source == b.Source && a.Target.size() == b.Target.size() &&
               a.Resample == b.Resample;
    };
    // The pieces of a tile both drawings show, as (next, last) indices: a plan lists each
    // tile once, in increasing order.
    std::vector<std::pair<size_t, size_t>> shared;
    for (size_t i = 0, j = 0; i < next.size() && j < last.size();) {
        if (next[i].Tile < last[j].Tile)
            ++i;
        else if (last[j].Tile < next[i].Tile)
            ++j;
        else
            shared.emplace_back(i++, j++);
    }
    // Two pieces of one tile put the same pixels wherever both land, once the last is moved
    // back by the shift, when they are the same piece, or plain copies of the tile placed
    // alike (at scale 1 a border cuts a tile otherwise, but copies the same pixels).
    const auto copiesTile = [](const TRenderPiece &piece) {
        return !piece.Resample && piece.Source.size() == piece.Target.size();
    };
    const auto tilePlace = [](const TRenderPiece &piece) { return piece.Target.topLeft() - piece.Source.topLeft(); };
    // The shift is the one of the first tile both show as copies, or whole.
    std::optional<QPoint> shift;
    for (auto pair = shared.begin(); pair != shared.end() && !shift; ++pair) {
        const TRenderPiece &nextPiece = next[pair->first];
        const TRenderPiece &lastPiece = last[pair->second];
        if (copiesTile(nextPiece) && copiesTile(lastPiece))
            shift = tilePlace(lastPiece) - tilePlace(nextPiece);
        else if (sameExceptPlace(nextPiece, lastPiece) && ShowsWholeTile(nextPiece, FTiles[nextPiece.Tile]))
            shift = lastPiece.Target.topLeft() - nextPiece.Target.topLeft();
    }
    if (!shift)
        return std::nullopt;
    const QRect overlap = destRect & destRect.translated(-*shift);
    if (overlap.isEmpty())
        return std::nullopt;
    const auto agree = [&](const TRenderPiece &nextPiece, const TRenderPiece &lastPiece) {
        if (sameExceptPlace(nextPiece, lastPiece))
            return nextPiece.Target.translated(*shift) == lastPiece.Target;
        return copiesTile(nextPiece) && copiesTile(lastPiece) && tilePlace(nextPiece) + *shift == tilePlace(lastPiece);
    };
    // A pixel outside Changed is covered, in both drawings, only by pieces that agree there,
    // in the same order (or by none, and filled in both): it is the same pixel.
    TRepeatedDrawing repeated{*shift, QRegion(destRect).subtracted(overlap)};
    std::vector<bool> nextAgreed(next.size()), lastAgreed(last.size());
    for (const auto &[i, j] : shared)
        if (agree(next[i], last[j])) {
            nextAgreed[i] = lastAgreed[j] = true;
            repeated.Changed += QRegion(next[i].Target).xored(last[j].Target.translated(-*shift)) & destRect;
        }
    for (size_t i = 0; i < next.size(); ++i)
        if (!nextAgreed[i])
            repeated.Changed += next[i].Target & destRect;
    for (size_t j = 0; j < last.size(); ++j)
        if (!lastAgreed[j])
            repeated.Changed += last[j].Target.translated(-*shift) & destRect;
    return repeated;
}

TTileKey TMapImage::TileKey(int index) const
{
    return TTileKey{FCacheIdentity.Value(), index, QRect(), QSize()};
}

TTileKey TMapImage::ResampledKey(const TRenderPiece &piece) const
{
    return TTileKey{FCacheIdentity.Value(), int(piece.Tile), piece.Source, piece.Target.size()};
}

void TMapImage::ShowPartOfTile(const TRenderPiece &piece, TPreparedPiece &ready) const
{
    const TMapTile &tile = FTiles[piece.Tile];
    // The part shares the decoded tile's pixels: nothing is copied for the screen.
    ready.Part = QImage(ready.Tile->constBits() + qsizetype(piece.Source.y() - tile.Top) * ready.Tile->bytesPerLine()
                            + qsizetype(piece.Source.x() - tile.Left) * 4,
                        piece.Source.width(), piece.Source.height(), ready.Tile->bytesPerLine(),
                        QImage::Format_RGB32);
}

bool TMapImage::PieceFromCache(const TRenderPiece &piece, TPreparedPiece &ready) const
{
    if (piece.Resample) {
        const TDecodedTile scaled = SharedTileCache().Find(ResampledKey(piece));
        if (scaled)
            ready.Scaled = *scaled;
        return bool(scaled);
    }
    ready.Tile = SharedTileCache().Find(TileKey(int(piece.Tile)));
    if (ready.Tile)
        ShowPartOfTile(piece, ready);
    return bool(ready.Tile);
}

void TMapImage::PreparePiece(const TRenderPiece &piece, TPreparedPiece &ready) const
{
    if (PieceFromCache(piece, ready))
        return;
    ready.Tile = DecodedTile(int(piece.Tile));
    ShowPartOfTile(piece, ready);
    if (piece.Resample) {
        ready.Scaled = Resampled(ready.Part, piece.Target.size());
        if (!ready.Scaled.isNull())
            SharedTileCache().Insert(ResampledKey(piece), std::make_shared<const QImage>(ready.Scaled));
    }
}

TDecodedTile TMapImage::DecodedTile(int index) const
{
    const TTileKey key = TileKey(index);
    if (TDecodedTile cached = SharedTileCache().Find(key))
        return cached;
    thread_local TJpegDecoder decoder;
    auto picture = std::make_shared<QImage>();
    DecodeTile(index, decoder, *picture);
    SharedTileCache().Insert(key, picture);
    return picture;
}

void TMapImage::DecodeTile(int index, TJpegDecoder &decoder, QImage &picture) const
{
    const TMapTile &tile = FTiles[size_t(index)];
    const char *entry = FData.constData() + tile.Offset; // bounds checked when loaded
    const int32_t length = LittleEndianInt32(entry);
    try {
        decoder.Decode(reinterpret_cast<const uint8_t *>(entry + 4), size_t(length), picture,
                       tile.Right - tile.Left, tile.Bottom - tile.Top);
    } catch (const TovralError &error) {
        throw TovralError(QStringLiteral("Cannot draw map %1: tile %2 at (%3, %4): %5")
                              .arg(FFileName).arg(index).arg(tile.Left).arg(tile.Top)
                              .arg(error.Message()));
    }
}

long double TMapImage::PrintAspect(TOutputArea area, const QRect &viewRect) const
{
    const QSize shape = area == TOutputArea::VisibleArea ? viewRect.size() : QSize(FWidth, FHeight);
    if (shape.width() <= 0 || shape.height() <= 0)
        return 0;
    return (long double)shape.width() / shape.height();
}

TMapImage::TPrintPlacement TMapImage::PrintPlacement(TOutputArea area, QPoint center, const QRect &viewRect,
                                                     long double scale, const QRect &mapArea) const
{
    if (mapArea.width() <= 0 || mapArea.height() <= 0)
        throw TovralError(QStringLiteral("The printer page has no printable area"));
    const long double aspect = PrintAspect(area, viewRect);
    TPrintPlacement placement;
    if (area == TOutputArea::VisibleArea) {
        const long long sourceWidth = scale > 0 ? RoundHalfEven(viewRect.width() / scale) : 0;
        if (aspect == 0 || sourceWidth <= 0)
            throw TovralError(QStringLiteral("Nothing to print: the view of map %1 is empty").arg(FFileName));
        placement.PageRect = PrintPageRect(aspect, mapArea.width(), mapArea.height());
        placement.Scale = (long double)placement.PageRect.width() / sourceWidth;
        placement.Center = center;
    } else {
        if (aspect == 0)
            throw TovralError(QStringLiteral("Nothing to print: no map is loaded"));
        placement.PageRect = PrintPageRect(aspect, mapArea.width(), mapArea.height());
        placement.Scale = (long double)placement.PageRect.width() / FWidth;
        placement.Center = QPoint(FWidth / 2, FHeight / 2);
    }
    placement.PageRect.translate(mapArea.topLeft());
    return placement;
}

QPointF TMapImage::TPrintPlacement::ToPage(QPointF mapPoint) const
{
    const QPointF middle(PageRect.left() + PageRect.width() / 2, PageRect.top() + PageRect.height() / 2);
    return middle + (mapPoint - QPointF(Center)) * double(Scale);
}

TMapImage::TPrintPlacement TMapImage::RenderPage(TOutputArea area, QPoint center, const QRect &viewRect,
                                                 long double scale, QPainter &page, const QRect &mapArea,
                                                 const TPageOverlay &overlay) const
{
    const TPrintPlacement placement = PrintPlacement(area, center, viewRect, scale, mapArea);
    RenderRegion(TRenderTarget::Printer, TRenderQuality::Plain, placement.Center, placement.PageRect,
                 placement.Scale, page);
    if (overlay) {
        const TPainterStateGuard state(page);
        page.setClipRect(placement.PageRect, Qt::IntersectClip);
        overlay(page, placement);
    }
    return placement;
}

QRect PrintPageRect(long double aspect, int pageWidth, int pageHeight)
{
    const long double pw = pageWidth;
    const long double ph = pageHeight;
    long long left, top, right, bottom;
    if (aspect > pw / ph) {
        left = 0;
        top = RoundHalfEven((ph - pw / aspect) / 2);
        right = pageWidth;
        bottom = RoundHalfEven(pw / aspect + (ph - pw / aspect) / 2);
    } else {
        left = RoundHalfEven((pw - ph * aspect) / 2);
        top = 0;
        right = RoundHalfEven(ph * aspect + (pw - ph * aspect) / 2);
        bottom = pageHeight;
    }
    return QRect(QPoint(int(left), int(top)), QSize(int(right - left), int(bottom - top)));
}
