#include "tools/map_writer.h"

#include <QDir>

#include <algorithm>
#include <limits>

#include "base/errors.h"
#include "mapdata/jpeg_codec.h"
#include "mapdata/output_file.h"
#include "tools/binary_writer.h"

TMapWriter::TMapWriter(int width, int height, int tileSize, int quality)
    : FWidth(width), FHeight(height), FTileSize(tileSize), FQuality(quality)
{
    if (width <= 0 || height <= 0)
        throw TovralError(QStringLiteral("Cannot build a map of %1 x %2 pixels").arg(width).arg(height));
    if (tileSize <= 0 || tileSize > 65500)
        throw TovralError(QStringLiteral("Tile size %1 is outside 1 to 65500").arg(tileSize));
    if (quality < 1 || quality > 100)
        throw TovralError(QStringLiteral("JPEG quality %1 is outside 1 to 100").arg(quality));
}

int TMapWriter::NextBandHeight() const
{
    return std::min(FTileSize, FHeight - FNextTop);
}

void TMapWriter::AddBand(const QImage &band)
{
    const int bandHeight = NextBandHeight();
    if (bandHeight == 0)
        throw TovralError(QStringLiteral("The map picture is already complete"));
    if (band.width() != FWidth || band.height() != bandHeight)
        throw TovralError(QStringLiteral("Band of %1 x %2 pixels where %3 x %4 are expected")
                              .arg(band.width()).arg(band.height()).arg(FWidth).arg(bandHeight));

    const QImage rgb32 = band.convertToFormat(QImage::Format_RGB32);
    for (int left = 0; left < FWidth; left += FTileSize) {
        const int tileWidth = std::min(FTileSize, FWidth - left);
        // A view of the tile's pixels inside the band: nothing is copied before encoding.
        const QImage tile(rgb32.constBits() + qsizetype(left) * 4, tileWidth, bandHeight,
                          rgb32.bytesPerLine(), QImage::Format_RGB32);
        const QByteArray jpeg = EncodeJpeg(tile, FQuality);
        if (FBlob.size() + 4 + jpeg.size() > std::numeric_limits<int32_t>::max())
            throw TovralError(QStringLiteral("The map's compressed tiles exceed 2 GiB"));
        FTiles.push_back({left, FNextTop, left + tileWidth, FNextTop + bandHeight, int32_t(FBlob.size())});
        AppendInt32(FBlob, int32_t(jpeg.size()));
        FBlob += jpeg;
    }
    FNextTop += bandHeight;
}

void TMapWriter::Save(const QString &path) const
{
    const QString nativePath = QDir::toNativeSeparators(path);
    if (FNextTop < FHeight)
        throw TovralError(QStringLiteral("Cannot write map %1: only %2 of its %3 rows were given")
                              .arg(nativePath).arg(FNextTop).arg(FHeight));
    QByteArray header;
    AppendInt32(header, int32_t(FTiles.size() * kMapTileBytes));
    AppendInt32(header, FWidth);
    AppendInt32(header, FHeight);
    for (const TMapTile &tile : FTiles)
        for (int32_t value : {tile.Left, tile.Top, tile.Right, tile.Bottom, tile.Offset})
            AppendInt32(header, value);
    AppendInt32(header, int32_t(FBlob.size()));

    TOutputFile file(path);
    file.Write(header);
    file.Write(FBlob);
    file.Commit();
}

void WriteMapFile(const QImage &picture, const QString &path, int tileSize, int quality)
{
    if (picture.isNull())
        throw TovralError(QStringLiteral("Cannot write map %1: the picture is empty")
                              .arg(QDir::toNativeSeparators(path)));
    TMapWriter writer(picture.width(), picture.height(), tileSize, quality);
    for (int top = 0; writer.NextBandHeight() > 0; top += tileSize)
        writer.AddBand(picture.copy(0, top, picture.width(), writer.NextBandHeight()));
    writer.Save(path);
}
