#include "mapdata/map_image.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "imaging/resample.h"
#include "mapdata/binary_reader.h"
#include "mapdata/data_file.h"
#include "mapdata/jpeg_codec.h"

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

// Refuses a tile whose rectangle is empty or leaves the picture, or whose entry (length and
// JPEG stream) leaves the data blob.
void CheckTile(const TMapFileReader &reader, const TMapTile &tile, int index, int32_t width,
               int32_t height, const QByteArray &blob)
{
    if (tile.Left < 0 || tile.Top < 0 || tile.Left >= tile.Right || tile.Top >= tile.Bottom
        || tile.Right > width || tile.Bottom > height)
        reader.Refuse(QStringLiteral("tile %1 covers (%2, %3)-(%4, %5), which is empty or outside "
                                     "the %6 x %7 picture")
                          .arg(index).arg(tile.Left).arg(tile.Top).arg(tile.Right).arg(tile.Bottom)
                          .arg(width).arg(height));
    if (tile.Offset < 0 || qint64(tile.Offset) + 4 > blob.size())
        reader.Refuse(QStringLiteral("tile %1 starts at byte %2, outside the %3-byte data block")
                          .arg(index).arg(tile.Offset).arg(blob.size()));
    const int32_t length = LittleEndianInt32(blob.constData() + tile.Offset);
    if (length <= 0 || qint64(tile.Offset) + 4 + length > blob.size())
        reader.Refuse(QStringLiteral("tile %1 holds %2 bytes at byte %3, outside the %4-byte data block")
                          .arg(index).arg(length).arg(tile.Offset).arg(blob.size()));
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

bool TileContains(const TMapTile &tile, int x, int y)
{
    return tile.Left <= x && x <= tile.Right - 1 && tile.Top <= y && y <= tile.Bottom - 1;
}

void FillClipArea(QPainter &canvas)
{
    const QRect area = canvas.hasClipping()
                           ? canvas.clipBoundingRect().toAlignedRect()
                           : QRect(0, 0, canvas.device()->width(), canvas.device()->height());
    canvas.fillRect(area, canvas.brush());
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

// What the high-quality path keeps from piece to piece of one rendering: the scaled piece and
// the resampler's working memory.
struct TResampleScratch {
    QImage Scaled;
    TResampleWorkspace Workspace;
};

// Resamples piece (Lanczos3) into the scratch's scaled bitmap and draws it at target's top-left;
// any failure falls back to the plain stretch of the same piece. The scaled bitmap has the
// piece's format, the canvas's own, so that drawing it is a plain copy of its rows.
void DrawResampled(QPainter &canvas, const QRect &target, const QImage &piece, TResampleScratch &scratch)
{
    try {
        if ((long long)target.width() * target.height() > kMaxResampledPixels)
            throw TovralError(QStringLiteral("scaled piece too large to resample"));
        if (scratch.Scaled.size() != target.size() || scratch.Scaled.format() != piece.format())
            scratch.Scaled = QImage(target.size(), piece.format());
        if (scratch.Scaled.isNull())
            throw TovralError(QStringLiteral("out of memory"));
        const TResampleFilterEntry &lanczos3 = ResampleFilterTable[kLanczos3FilterIndex];
        ResamplePiece(piece, scratch.Scaled, lanczos3.Kernel, lanczos3.Support, scratch.Workspace);
        canvas.drawImage(target.topLeft(), scratch.Scaled);
    } catch (...) {
        StretchDraw(canvas, target, piece);
    }
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

    const QByteArray index = reader.ReadBytes(indexBytes, "tile index");
    const int32_t dataBytes = reader.ReadInt32("data size");
    if (dataBytes <= 0)
        reader.Refuse(QStringLiteral("its data block size %1 is not positive").arg(dataBytes));
    QByteArray blob = reader.ReadBytes(dataBytes, "data block");

    std::vector<TMapTile> tiles(size_t(indexBytes / kMapTileBytes));
    for (size_t i = 0; i < tiles.size(); ++i) {
        const char *record = index.constData() + i * kMapTileBytes;
        TMapTile &tile = tiles[i];
        tile.Left = LittleEndianInt32(record);
        tile.Top = LittleEndianInt32(record + 4);
        tile.Right = LittleEndianInt32(record + 8);
        tile.Bottom = LittleEndianInt32(record + 12);
        tile.Offset = LittleEndianInt32(record + 16);
        CheckTile(reader, tile, int(i), width, height, blob);
    }

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
    if (!forPrinter)
        FillClipArea(canvas);
    if (FTiles.empty())
        return;

    TPainterStateGuard painterState(canvas);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!forPrinter)
        canvas.setCompositionMode(QPainter::CompositionMode_Source); // pieces are opaque

    const TRegionPlacement region = PlaceRegion(center, destRect, scale, FWidth, FHeight);
    const bool resample = !forPrinter && quality == TRenderQuality::High && scale != 1;
    TJpegDecoder decoder;
    QImage tilePicture;
    TResampleScratch resampleScratch;

    int px = region.X0;
    int py = region.Y0;
    long long dx = region.Dx;
    long long dy = region.Dy;
    size_t k = 0;
    while (px < region.X1 && py < region.Y1 && k < FTiles.size()) {
        while (k < FTiles.size() && !TileContains(FTiles[k], px, py))
            ++k;
        if (k == FTiles.size())
            break;
        const TMapTile &tile = FTiles[k];
        const int w = std::min(tile.Right, region.X1) - px;
        const int h = std::min(tile.Bottom, region.Y1) - py;
        const long long sw = RoundHalfEven(w * scale);
        const long long sh = RoundHalfEven(h * scale);

        DecodeTile(int(k), decoder, tilePicture);
        // The piece shares the decoded tile's pixels: nothing is copied for the screen.
        const QImage piece(tilePicture.constBits() + qsizetype(py - tile.Top) * tilePicture.bytesPerLine()
                               + qsizetype(px - tile.Left) * 4,
                           w, h, tilePicture.bytesPerLine(), QImage::Format_RGB32);
        const QRect pieceRect = CanvasRect(dx, dy, sw, sh);
        if (resample && sw > 2 && sh > 2)
            DrawResampled(canvas, pieceRect, piece, resampleScratch);
        else if (forPrinter)
            StretchDraw(canvas, pieceRect, piece.copy()); // a device-independent copy of its own
        else
            StretchDraw(canvas, pieceRect, piece);

        px = tile.Right;
        dx += sw;
        if (px >= region.X1) {
            py = tile.Bottom;
            dy += sh;
            px = region.X0;
            dx = region.Dx;
        }
        if (ProcessMessages)
            ProcessMessages();
    }
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

TMapImage::TPrintPlacement TMapImage::PrintPlacement(TOutputArea area, QPoint center,
                                                     const QRect &viewRect, long double scale,
                                                     int pageWidth, int pageHeight) const
{
    if (pageWidth <= 0 || pageHeight <= 0)
        throw TovralError(QStringLiteral("The printer page has no printable area"));
    TPrintPlacement placement;
    if (area == TOutputArea::VisibleArea) {
        const long long sourceWidth = scale > 0 ? RoundHalfEven(viewRect.width() / scale) : 0;
        if (viewRect.width() <= 0 || viewRect.height() <= 0 || sourceWidth <= 0)
            throw TovralError(QStringLiteral("Nothing to print: the view of map %1 is empty").arg(FFileName));
        const long double aspect = (long double)viewRect.width() / viewRect.height();
        placement.PageRect = PrintPageRect(aspect, pageWidth, pageHeight);
        placement.Scale = (long double)placement.PageRect.width() / sourceWidth;
        placement.Center = center;
    } else {
        if (FWidth <= 0 || FHeight <= 0)
            throw TovralError(QStringLiteral("Nothing to print: no map is loaded"));
        const long double aspect = (long double)FWidth / FHeight;
        placement.PageRect = PrintPageRect(aspect, pageWidth, pageHeight);
        placement.Scale = (long double)placement.PageRect.width() / FWidth;
        placement.Center = QPoint(FWidth / 2, FHeight / 2);
    }
    return placement;
}

void TMapImage::RenderPage(TOutputArea area, QPoint center, const QRect &viewRect, long double scale,
                           QPainter &page) const
{
    const TPrintPlacement placement =
        PrintPlacement(area, center, viewRect, scale, page.device()->width(), page.device()->height());
    RenderRegion(TRenderTarget::Printer, TRenderQuality::Plain, placement.Center, placement.PageRect,
                 placement.Scale, page);
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
