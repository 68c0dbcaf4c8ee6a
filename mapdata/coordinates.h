#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
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

// A geographic position in decimal degrees, negative south and west.
struct TGeoPosition {
    long double Latitude = 0;
    long double Longitude = 0;
};

// A position on the full map, unrounded, in the units of the reference points' X and Y: the
// pixel GeoToPixel gives is this rounded.
struct TMapPoint {
    long double X = 0;
    long double Y = 0;
};

// The full-map position where a pixel starts: its top-left corner.
inline TMapPoint MapPointOf(QPoint pixel)
{
    return {(long double)pixel.x(), (long double)pixel.y()};
}

// How a position changes per full-map pixel, in degrees: along X (one pixel to the right)
// and along Y (one pixel down).
struct TDegreesPerPixel {
    TGeoPosition AlongX;
    TGeoPosition AlongY;
};

// The position of a full-map point, and how it changes there per pixel.
struct TPixelPosition {
    TGeoPosition Position;
    TDegreesPerPixel Slope;
};

// The position of a full-map point found before, near the next one sought.
struct TNearbyPosition {
    TMapPoint Point;
    TPixelPosition Found;
};

// The pairs of reference points the two interpolation passes use, found once per content.
struct TInterpolationPairs;

// The reference points of one state (<uf>.pts) and the conversion of a geographic position
// into a pixel of the full map, and back.
class TCoordinates {
public:
    TCoordinates() = default;
    // A copy shares no working data with the original; it finds its pairs again when used.
    TCoordinates(const TCoordinates &other) : FItems(other.FItems) {}
    TCoordinates &operator=(const TCoordinates &other);
    ~TCoordinates();

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
    // The unrounded full-map position that GeoToPixel rounds; nothing where GeoToPixel cannot
    // place the position (X or Y -1). For drawing over the map between pixels.
    std::optional<TMapPoint> MapPoint(const TGeoPosition &position) const;
    // The inverse of GeoToPixel: the position whose unrounded GeoToPixel is point, found by
    // Newton steps to within a millionth of a pixel, so that GeoToPixel of the answer gives
    // the pixel point rounds to. Nothing when the position lies outside the reference grid's
    // reach (see Reaches) or the steps find none.
    std::optional<TGeoPosition> PixelToGeo(TMapPoint point) const;
    // The same with the change of the position per pixel there, from the last step's
    // derivatives of the estimates. With the position of a nearby point, the steps start
    // from it (where the map is linear, one evaluation of the estimates finds the answer,
    // and its change per pixel is the nearby one's).
    std::optional<TPixelPosition> PixelPosition(TMapPoint point,
                                                const std::optional<TNearbyPosition> &nearby = std::nullopt) const;
    // Whether a position lies within the reference grid: within the longitudes the pairs of
    // points on parallels span, and the latitudes the pairs on meridians span.
    bool Reaches(const TGeoPosition &position) const;

private:
    // The pairs of the current content, found on first use; safe to call from any thread.
    std::shared_ptr<const TInterpolationPairs> Pairs() const;
    // Forgets the pairs: the content has changed.
    void ContentChanged();

    std::vector<TCoordinateItem> FItems;
    // The pairs the conversion's sorted working copies give depend only on the content: found
    // once and kept until it changes, since the conversion and its inverse run for every move
    // of the pointer.
    mutable std::mutex FPairsLock;
    mutable std::shared_ptr<const TInterpolationPairs> FPairs;
};

// The 10-byte little-endian x87 extended format of a long double.
void WriteExtended80(long double value, unsigned char out[10]);
long double ReadExtended80(const unsigned char in[10]);
