#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "mapdata/map_image.h"

// Builds a .map file band by band, so that a picture larger than memory can be written: each
// band (the full width, tileSize rows or fewer for the last band) is cut into tileSize-wide
// tiles, each compressed as its own JPEG. Only the compressed tiles are kept.
class TMapWriter {
public:
    TMapWriter(int width, int height, int tileSize = 256, int quality = 80);

    // Height of the band AddBand expects next (0 once the picture is complete).
    int NextBandHeight() const;
    // band: width x NextBandHeight() pixels, any QImage format.
    void AddBand(const QImage &band);

    // Writes the file through a temporary file; throws TovralError if a band is missing.
    void Save(const QString &path) const;

private:
    int FWidth, FHeight, FTileSize, FQuality;
    int FNextTop = 0;
    std::vector<TMapTile> FTiles;
    QByteArray FBlob;
};

// Cuts a whole picture into a .map file.
void WriteMapFile(const QImage &picture, const QString &path, int tileSize = 256, int quality = 80);
