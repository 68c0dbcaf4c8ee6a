#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

class QIODevice;

// One reference point: a geographic position (decimal degrees, negative south and west)
// and the full-map pixel where it is drawn. On disk: 10-byte x87 extended Longitude and
// Latitude, then int32 X and Y, 28 bytes, little-endian.
struct TCoordinateItem {
    long double Longitude = 0;
    long double Latitude = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

constexpr int kCoordinateItemBytes = 28;

// Fernando de Noronha lies far out at sea, so a state map draws it in an inset: the maps put
// the municipality at this fixed position (decimal degrees), and the locator centres on it.
constexpr long double kNoronhaFixedLongitude = -35.2L;
constexpr long double kNoronhaFixedLatitude = -10.6L;

// The reference points of one state (<uf>.pts) and the conversion of a geographic position
// into a pixel of the full map.
class TCoordinates {
public:
    void LoadFromFile(const QString &fileName);
    // Replaces the content; throws TovralError on a short or malformed file.
    void LoadFromStream(QIODevice &stream);
    void Clear();
    void Add(const TCoordinateItem &item);
    TCoordinateItem GetItem(int index) const;
    int Count() const { return int(FItems.size()); }

    // Stable sort: key 0 ascending Latitude, key 1 ascending Longitude, other keys no change.
    void Sort(int key);

    // Full-map pixel of a position; X = -1 when it cannot be placed, Y = -1 when only the row
    // cannot be found.
    QPoint GeoToPixel(long double longitude, long double latitude) const;

private:
    std::vector<TCoordinateItem> FItems;
};

// The 10-byte little-endian x87 extended format of a long double.
void WriteExtended80(long double value, unsigned char out[10]);
long double ReadExtended80(const unsigned char in[10]);
