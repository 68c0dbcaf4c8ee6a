#include "map_test_support.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

#include "mapdata/jpeg_codec.h"

QImage TestPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int r = 30 + (180 * x) / std::max(1, width - 1);
            const int g = 30 + (180 * y) / std::max(1, height - 1);
            const int b = 120 + int(80 * std::sin(x * 0.05) * std::cos(y * 0.04));
            row[x] = qRgb(r, g, b);
        }
    }
    return picture;
}

QImage NoisePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(12345);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, random.generate() | 0xff000000u);
    return picture;
}

int32_t TRawMap::AddEntry(const QByteArray &bytes)
{
    const int32_t offset = int32_t(Blob.size());
    char length[4];
    qToLittleEndian<int32_t>(int32_t(bytes.size()), length);
    Blob.append(length, 4);
    Blob += bytes;
    return offset;
}

QByteArray TRawMap::Bytes() const
{
    QByteArray bytes;
    auto put = [&bytes](int32_t value) {
        char buffer[4];
        qToLittleEndian(value, buffer);
        bytes.append(buffer, 4);
    };
    put(IndexBytes.value_or(int32_t(Tiles.size() * kMapTileBytes)));
    put(Width);
    put(Height);
    for (const TMapTile &tile : Tiles)
        for (int32_t value : {tile.Left, tile.Top, tile.Right, tile.Bottom, tile.Offset})
            put(value);
    put(DataBytes.value_or(int32_t(Blob.size())));
    bytes += Blob;
    return bytes;
}

TRawMap GridMap(const QImage &picture, int tileWidth, int tileHeight, int quality,
                const std::vector<int> &corrupt)
{
    TRawMap map;
    map.Width = picture.width();
    map.Height = picture.height();
    for (int top = 0; top < map.Height; top += tileHeight)
        for (int left = 0; left < map.Width; left += tileWidth) {
            const QRect rect(left, top, std::min(tileWidth, map.Width - left),
                             std::min(tileHeight, map.Height - top));
            const int index = int(map.Tiles.size());
            const bool junk = std::find(corrupt.begin(), corrupt.end(), index) != corrupt.end();
            const QByteArray entry = junk ? QByteArray(300, '\x5a') : EncodeJpeg(picture.copy(rect), quality);
            map.Tiles.push_back({rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1, map.AddEntry(entry)});
        }
    return map;
}

TMapImage LoadRaw(const TRawMap &raw)
{
    QByteArray bytes = raw.Bytes();
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TMapImage map;
    map.LoadFromStream(stream);
    return map;
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage DrawOnWhite(const TMapImage &map, TRenderQuality quality, QPoint center, QSize size, long double scale)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setBrush(Qt::white);
    map.Draw(quality, center, canvas.rect(), scale, painter);
    return canvas;
}

double MeanDifference(const QImage &a, const QImage &b, const QRect &rect)
{
    const QImage ca = a.convertToFormat(QImage::Format_RGB32);
    const QImage cb = b.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb p = ca.pixel(x, y), q = cb.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return total / (3.0 * rect.width() * rect.height());
}

double MeanDifference(const QImage &a, const QImage &b)
{
    return MeanDifference(a, b, a.rect());
}

bool IsWhite(const QImage &image, int x, int y)
{
    return (image.pixel(x, y) & 0xffffff) == 0xffffff;
}

bool AllWhite(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (!IsWhite(image, x, y))
                return false;
    return true;
}

bool NoneWhite(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (IsWhite(image, x, y))
                return false;
    return true;
}
