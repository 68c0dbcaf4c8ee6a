#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "mapdata/map_image.h"

// A smooth, never-white test picture (JPEG keeps it close): gradients with a few soft shapes.
QImage TestPicture(int width, int height);

// Random pixels: a picture that compresses badly (large JPEG files).
QImage NoisePicture(int width, int height);

// Raw bytes of a .map file, field by field, so that tests can break any of them.
struct TRawMap {
    std::optional<int32_t> IndexBytes; // unset: 20 x the number of tiles
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<TMapTile> Tiles;
    std::optional<int32_t> DataBytes; // unset: the blob's real size
    QByteArray Blob;

    // Appends an entry (int32 length + bytes) to the blob; returns its offset.
    int32_t AddEntry(const QByteArray &bytes);
    QByteArray Bytes() const;
};

// A grid of tiles cut from picture, each entry the JPEG of its tile (or junk for the tiles
// listed in corrupt), bands top to bottom.
TRawMap GridMap(const QImage &picture, int tileWidth, int tileHeight, int quality = 92,
                const std::vector<int> &corrupt = {});

// The map read from raw's bytes.
TMapImage LoadRaw(const TRawMap &raw);

// Writes bytes to dir/name and returns the path.
QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);

// The bytes of the file at path; empty when it cannot be read.
QByteArray ReadAll(const QString &path);

// A width x height RGB32 canvas filled white on which map.Draw has rendered.
QImage DrawOnWhite(const TMapImage &map, TRenderQuality quality, QPoint center, QSize size, long double scale);

// Mean absolute channel difference of two pictures of the same size, over rect.
double MeanDifference(const QImage &a, const QImage &b, const QRect &rect);
double MeanDifference(const QImage &a, const QImage &b);

bool IsWhite(const QImage &image, int x, int y);
// True when every pixel of rect is white.
bool AllWhite(const QImage &image, const QRect &rect);
// True when no pixel of rect is white.
bool NoneWhite(const QImage &image, const QRect &rect);
