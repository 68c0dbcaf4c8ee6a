#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>
#include <random>

#include "base/errors.h"
#include "mapdata/coordinates.h"
#include "tools/pts_writer.h"

namespace {
TCoordinateItem Point(long double longitude, long double latitude, int32_t x, int32_t y = 0)
{
    return TCoordinateItem{longitude, latitude, x, y};
}

TCoordinates List(std::initializer_list<TCoordinateItem> items)
{
    TCoordinates list;
    for (const TCoordinateItem &item : items)
        list.Add(item);
    return list;
}

// The inverse at many positions spread over the points' span (a hair inside it, where the
// pixel a position rounds to can have its exact position just outside), from its own start
// and from the answer before: each answer gives back the pixel asked for. Pixels far beyond
// the points get no answer.
void ExpectRoundTrips(const TCoordinates &points, const std::string &what, int positions = 400)
{
    long double west = 1e9L, east = -1e9L, south = 1e9L, north = -1e9L;
    int32_t right = 0, bottom = 0;
    for (int i = 0; i < points.Count(); ++i) {
        const TCoordinateItem item = points.GetItem(i);
        west = std::min(west, item.Longitude);
        east = std::max(east, item.Longitude);
        south = std::min(south, item.Latitude);
        north = std::max(north, item.Latitude);
        right = std::max(right, item.X);
        bottom = std::max(bottom, item.Y);
    }
    const long double marginLon = (east - west) / 200, marginLat = (north - south) / 200;
    std::mt19937 random(25);
    std::uniform_real_distribution<double> along(0, 1);
    int answered = 0;
    std::optional<TNearbyPosition> previous; // the answer before, as a moving pointer gives it
    for (int i = 0; i < positions; ++i) {
        const long double lon = west + marginLon + (east - west - 2 * marginLon) * along(random);
        const long double lat = south + marginLat + (north - south - 2 * marginLat) * along(random);
        const QPoint pixel = points.GeoToPixel(lon, lat);
        const TMapPoint point = MapPointOf(pixel);
        const std::optional<TGeoPosition> answer = points.PixelToGeo(point);
        ASSERT_TRUE(answer) << what << ": no answer for " << pixel.x() << ", " << pixel.y();
        ASSERT_EQ(points.GeoToPixel(answer->Longitude, answer->Latitude), pixel) << what;
        EXPECT_TRUE(points.Reaches(*answer)) << what;
        const std::optional<TPixelPosition> fromPrevious = points.PixelPosition(point, previous);
        ASSERT_TRUE(fromPrevious) << what;
        ASSERT_EQ(points.GeoToPixel(fromPrevious->Position.Longitude, fromPrevious->Position.Latitude), pixel) << what;
        previous = TNearbyPosition{point, *fromPrevious};
        ++answered;
    }
    EXPECT_EQ(answered, positions) << what;
    for (const TMapPoint outside : {TMapPoint{-40, -40}, TMapPoint{right + 400.0L, bottom / 2.0L},
                                    TMapPoint{right / 2.0L, bottom + 400.0L}})
        EXPECT_FALSE(points.PixelToGeo(outside)) << what << ": " << double(outside.X) << ", " << double(outside.Y);
}

bool SameItem(const TCoordinateItem &a, const TCoordinateItem &b)
{
    return a.Longitude == b.Longitude && a.Latitude == b.Latitude && a.X == b.X && a.Y == b.Y;
}

// The four points of a one-degree cell, P1 P2 on the parallel -20, P3 P4 on -21.
const TCoordinateItem P1 = Point(-50, -20, 10, 100);
const TCoordinateItem P2 = Point(-49, -20, 100, 100);
const TCoordinateItem P3 = Point(-50, -21, 0, 200);
const TCoordinateItem P4 = Point(-49, -21, 100, 200);
} // namespace

// Blending two parallels for X and two meridians for Y gives the documented pixel.
TEST(GeoToPixel, WorkedCase)
{
    EXPECT_EQ(List({P1, P2, P3, P4}).GeoToPixel(-49.5L, -20.25L), QPoint(51, 125));
    // Each parallel written the other way round forms the same pairs and estimates.
    EXPECT_EQ(List({P2, P1, P4, P3}).GeoToPixel(-49.5L, -20.25L), QPoint(51, 125));
}

// The conversion works on a copy: the list keeps its stored order.
TEST(GeoToPixel, LeavesTheListUnchanged)
{
    const TCoordinates list = List({P1, P2, P3, P4});
    list.GeoToPixel(-49.5L, -20.25L);
    EXPECT_TRUE(SameItem(list.GetItem(0), P1));
    EXPECT_TRUE(SameItem(list.GetItem(2), P3));
}

// One pair per pass gives its own estimate, rounded half to even; no meridian leaves Y at -1.
TEST(GeoToPixel, SinglePairRoundsHalfToEven)
{
    EXPECT_EQ(List({Point(0, 0, 0), Point(2, 0, 101)}).GeoToPixel(1, 0), QPoint(50, -1));
    EXPECT_EQ(List({Point(0, 0, 0), Point(2, 0, 103)}).GeoToPixel(1, 0), QPoint(52, -1));
    // Extrapolated past the pair and below zero: the absolute value counts.
    EXPECT_EQ(List({Point(0, 0, 0), Point(1, 0, 100)}).GeoToPixel(-2, 0), QPoint(200, -1));
}

// Nothing usable gives (-1, -1): no points, one point, or a "parallel" whose latitudes
// differ in the last bit.
TEST(GeoToPixel, NoUsablePair)
{
    EXPECT_EQ(TCoordinates().GeoToPixel(0, 0), QPoint(-1, -1));
    EXPECT_EQ(List({P1}).GeoToPixel(-50, -20), QPoint(-1, -1));
    const long double almost = std::nextafter(-20.0L, 0.0L);
    EXPECT_EQ(List({Point(-50, -20, 0), Point(-49, almost, 100)}).GeoToPixel(-49.5L, -20), QPoint(-1, -1));
}

// Two records at the same position make no pair (no division by zero), but each still
// pairs with its other neighbour.
TEST(GeoToPixel, EqualPositionsAreSkipped)
{
    const TCoordinates list = List({Point(-50, -20, 0), Point(-50, -20, 7), Point(-49, -20, 100)});
    EXPECT_EQ(list.GeoToPixel(-49.5L, -20).x(), 54); // |100 - 0.5 * 93| = 53.5
}

// An estimate of exactly 0 is "no estimate yet": the next pair takes the first place.
TEST(GeoToPixel, ZeroFirstEstimateDoesNotCount)
{
    const TCoordinates list =
        List({Point(-50, -21, 0), Point(-49, -21, 100), Point(-50, -20, 30), Point(-49, -20, 130)});
    EXPECT_EQ(list.GeoToPixel(-50, -20.5L).x(), 30);
}

// A position on both midpoints at once (zero weights) keeps the running value.
TEST(GeoToPixel, ZeroWeightBlendKeepsTheRunningValue)
{
    const TCoordinates list = List({Point(-50, -20, 0), Point(-49, -20, 100), Point(-50, -20, 10)});
    EXPECT_EQ(list.GeoToPixel(-49.5L, -20).x(), 50);
}

// Guards against a conversion that keeps the pairs of content it no longer holds: every
// change of the points (adding one, sorting the list, loading, assigning) is seen by the next
// conversion, which must match that of a list built afresh with the same points.
TEST(GeoToPixel, FollowsEveryChangeOfThePoints)
{
    const TCoordinates fresh = List({P1, P2, P3, P4});
    TCoordinates list = List({P1, P2});
    EXPECT_EQ(list.GeoToPixel(-49.5L, -20.25L), QPoint(55, -1));
    list.Add(P3);
    list.Add(P4);
    EXPECT_EQ(list.GeoToPixel(-49.5L, -20.25L), fresh.GeoToPixel(-49.5L, -20.25L));
    // Sorted by Longitude, each parallel's points change places: only the first pair (and so
    // S) can differ, as with a list stored in that order.
    TCoordinates sorted = List({P3, P1, P4, P2});
    list.Sort(1);
    EXPECT_EQ(list.GeoToPixel(-49.2L, -20.9L), sorted.GeoToPixel(-49.2L, -20.9L));
    list = List({P1});
    EXPECT_EQ(list.GeoToPixel(-49.5L, -20.25L), QPoint(-1, -1));
    list.Clear();
    EXPECT_FALSE(list.PixelToGeo({50, 150}));
}

namespace {
// A grid of parallels and meridians one degree apart over the given span, each point at
// pixel(longitude, latitude).
template <typename Pixel>
TCoordinates Grid(int west, int east, int south, int north, Pixel pixel)
{
    TCoordinates grid;
    for (int latitude = north; latitude >= south; --latitude)
        for (int longitude = west; longitude <= east; ++longitude) {
            const QPointF at = pixel(longitude, latitude);
            grid.Add(Point(longitude, latitude, int32_t(std::lrint(at.x())), int32_t(std::lrint(at.y()))));
        }
    return grid;
}
} // namespace

// Guards against an inverse that misses the pixel it was asked for, or answers outside the
// grid: for positions all over the grid (the map's own grid straight, and one whose parallels
// bend and whose spacing changes, where the blended estimates are far from linear), the pixel
// of the answer is the pixel asked for; points beyond the grid get no answer.
TEST(PixelToGeo, RoundTripsInsideTheGridAndRefusesOutside)
{
    const struct {
        const char *what;
        TCoordinates points;
    } grids[] = {
        {"plate carree", Grid(-54, -44, -25, -19, [](int lon, int lat) {
             return QPointF((lon + 54) * 412.0, (-19 - lat) * 440.0);
         })},
        {"bent", Grid(-50, -40, -20, -10, [](int lon, int lat) {
             const double east = lon + 50, south = -10 - lat;
             return QPointF(30 + 120 * east + 3 * east * south, 40 + 130 * south + 2 * (east - 5) * (east - 5));
         })},
    };
    for (const auto &grid : grids)
        ExpectRoundTrips(grid.points, grid.what);
}

// The same over the reference grid of every state of the data folder the build made (the
// maps drawn from the public geodata, or the fictional sample without it).
TEST(PixelToGeo, RoundTripsOnEveryStateOfTheDataFolder)
{
    const QDir folder(QStringLiteral(TOVRAL_DATA_FOLDER));
    const QStringList files = folder.entryList({QStringLiteral("*.pts")}, QDir::Files);
    if (files.isEmpty())
        GTEST_SKIP() << "no reference points in " << TOVRAL_DATA_FOLDER << " (scripts/build makes them)";
    for (const QString &file : files) {
        TCoordinates points;
        points.LoadFromFile(folder.filePath(file));
        ExpectRoundTrips(points, file.toStdString(), 150);
    }
}

// Sorting is stable and matches an exchange sort of strictly greater neighbours exactly.
TEST(TCoordinatesSort, StableLikeAnExchangeSort)
{
    std::mt19937 random(7);
    TCoordinates list;
    std::vector<TCoordinateItem> expected;
    for (int i = 0; i < 300; ++i) {
        const TCoordinateItem item = Point(int(random() % 4), int(random() % 4) - 0.5L, i, -i);
        list.Add(item);
        expected.push_back(item);
    }
    for (size_t p = 0; p + 1 < expected.size(); ++p)
        for (size_t j = expected.size() - 1; j > p; --j)
            if (expected[j - 1].Latitude > expected[j].Latitude)
                std::swap(expected[j - 1], expected[j]);
    list.Sort(0);
    for (int i = 0; i < list.Count(); ++i)
        ASSERT_TRUE(SameItem(list.GetItem(i), expected[size_t(i)])) << i;

    const TCoordinateItem firstBefore = list.GetItem(0);
    list.Sort(2);
    EXPECT_TRUE(SameItem(list.GetItem(0), firstBefore));
    list.Sort(1);
    for (int i = 1; i < list.Count(); ++i) {
        const TCoordinateItem a = list.GetItem(i - 1), b = list.GetItem(i);
        ASSERT_TRUE(a.Longitude < b.Longitude || (a.Longitude == b.Longitude && a.Latitude <= b.Latitude)) << i;
    }
}

// Guards the .pts number format on every processor: the 10-byte layout (64-bit significand
// with explicit integer bit, then exponent and sign, little-endian) written and read field by
// field, denormals and the extremes included, and every significand bit kept.
TEST(Extended80, LayoutAndRoundTrip)
{
    const bool x87Range = std::numeric_limits<long double>::max_exponent >= 16384 &&
                          std::numeric_limits<long double>::digits >= 64;
    const struct {
        long double Value;
        std::array<unsigned char, 10> Bytes;
        bool Representable = true;
    } rows[] = {
        {-2.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
        {-0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}},
        // -20.1 and a longitude, with all 64 significand bits in use
        {-0xA.0CCCCCCCCCCCCCDp+1L, {0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xA0, 0x03, 0xC0}},
        {-0xB.A887FCB923A29C7p+2L, {0xC7, 0x29, 0x3A, 0x92, 0xCB, 0x7F, 0x88, 0xBA, 0x04, 0xC0}},
        // the smallest denormal and the largest finite value
        {std::ldexp(1.0L, -16445), {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, x87Range},
        {std::ldexp((long double)~uint64_t(0), 16384 - 64), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F},
         x87Range},
    };
    for (const auto &row : rows) {
        if (!row.Representable)
            continue;
        std::array<unsigned char, 10> bytes{};
        WriteExtended80(row.Value, bytes.data());
        EXPECT_EQ(bytes, row.Bytes) << double(row.Value);
        const long double back = ReadExtended80(row.Bytes.data());
        EXPECT_EQ(back, row.Value) << double(row.Value);
        EXPECT_EQ(std::signbit(back), std::signbit(row.Value));
    }
}

class PtsFile : public ::testing::Test {
protected:
    QString WriteBytes(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("uf.pts"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    static QByteArray Int32(int32_t value) { return QByteArray(reinterpret_cast<const char *>(&value), 4); }
    static QByteArray Record(long double longitude, long double latitude)
    {
        unsigned char bytes[20];
        WriteExtended80(longitude, bytes);
        WriteExtended80(latitude, bytes + 10);
        return QByteArray(reinterpret_cast<const char *>(bytes), 20) + Int32(5) + Int32(6);
    }
    QTemporaryDir dir;
};

// What the writer stores, the loader reads back bit for bit.
TEST_F(PtsFile, WriterRoundTrip)
{
    const QString path = dir.filePath(QStringLiteral("sp.pts"));
    // -46.633333 and -23.55 as the file holds them, in 64 significant bits
    const std::vector<TCoordinateItem> items{P1, Point(-0xB.A88887229E90796p+2L, -0xB.C66666666666666p+1L, -3, 2147483647),
                                             P4};
    WritePtsFile(path, items);
    EXPECT_EQ(QFile(path).size(), 4 + 3 * 28);
    TCoordinates loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SameItem(loaded.GetItem(i), items[size_t(i)])) << i;

    WritePtsFile(path, {});
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Count(), 0);
}

// Malformed files are refused by name, before any allocation the header asks for, and
// leave the list empty rather than half loaded.
TEST_F(PtsFile, HostileFilesAreRefused)
{
    const QByteArray nan = Record(std::nanl(""), -20);
    const QByteArray unnormal = [] {
        QByteArray record = Record(1, 1);
        record[7] = 0; // clear the explicit integer bit of a normal exponent
        return record;
    }();
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"short header", QByteArray("\x1c\0\0", 3)},
        {"negative count", Int32(-28) + Record(1, 1)},
        {"not a multiple of 28", Int32(27) + QByteArray(27, '\0')},
        {"fewer records than counted", Int32(56) + Record(1, 1)},
        {"huge count", Int32(28 * 76695844) + Record(1, 1)},
        {"NaN coordinate", Int32(28) + nan},
        {"unnormal coordinate", Int32(28) + unnormal},
    };
    for (const auto &c : cases) {
        TCoordinates list = List({P1, P2});
        const QString path = WriteBytes(c.bytes);
        try {
            list.LoadFromFile(path);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const TovralError &error) {
            EXPECT_TRUE(error.Message().contains(path)) << c.what << ": " << error.what();
        }
        EXPECT_EQ(list.Count(), 0) << c.what;
    }
}

// A missing file is an open error naming the file.
TEST_F(PtsFile, MissingFile)
{
    TCoordinates list;
    const QString path = dir.filePath(QStringLiteral("none.pts"));
    try {
        list.LoadFromFile(path);
        FAIL() << "accepted";
    } catch (const TovralError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot open file %1: No such file or directory").arg(path));
    }
}
