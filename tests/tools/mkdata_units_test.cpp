// The small units of the data-folder builder: coordinate texts, the projection and its
// reference grid, line smoothing, boundary classes, geodata readers, legend pages.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "mapdata/names.h"
#include "mkdata_test_support.h"
#include "resources/symbols/map_symbols.h"
#include "tools/mkdata/boundaries.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/collision_grid.h"
#include "tools/mkdata/legend_pages.h"
#include "tools/mkdata/line_smoothing.h"
#include "tools/mkdata/projection.h"
#include "tools/mkdata/synthetic.h"

namespace {

void WriteText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Throws the TovralError of ReadGeodata(folder) as its message, or "" when it reads.
QString GeodataError(const QString &folder)
{
    try {
        ReadGeodata(folder);
    } catch (const TovralError &error) {
        return error.Message();
    }
    return QString();
}

} // namespace

// Guards against coordinates the viewer misreads: a sign glued to a one-digit degree, a
// negative zero, or seconds that round up into 60.
TEST(FormatDMS, ParseDMSReadsBackTheNearestSecond)
{
    EXPECT_EQ(FormatDMS(-5.5), QStringLiteral("-0053000"));
    EXPECT_EQ(FormatDMS(-23.5329), QStringLiteral("-0233158"));
    EXPECT_EQ(FormatDMS(-0.0001), QStringLiteral("0000000"));
    EXPECT_EQ(FormatDMS(-9.99999), QStringLiteral("-0100000"));
    for (double degrees = -73.9; degrees < 5.3; degrees += 0.0137) {
        const std::optional<long double> parsed = ParseDMS(FormatDMS(degrees));
        ASSERT_TRUE(parsed);
        EXPECT_NEAR(double(*parsed), degrees, 0.5 / 3600 + 1e-12) << FormatDMS(degrees).toStdString();
    }
}

// Guards against a grid the viewer cannot interpolate exactly: every parallel must carry one
// identical Latitude, every meridian one identical Longitude, and each point its exact pixel.
TEST(ReferenceGrid, ParallelsAndMeridiansAreExact)
{
    const TProjection projection = ChooseProjection(QRectF(-48.3, -16.1, 1.1, 0.7), 20);
    EXPECT_EQ(projection.Width % kSizeMultiple, 0);
    EXPECT_EQ(projection.Height % kSizeMultiple, 0);
    EXPECT_NEAR(projection.MegaPixels(), 20, 4);
    const std::vector<TCoordinateItem> grid = ReferenceGrid(projection);
    ASSERT_GT(grid.size(), 9u);
    for (const TCoordinateItem &item : grid) {
        const QPointF exact = projection.ToPixel(item.Longitude, item.Latitude);
        EXPECT_EQ(exact.x(), item.X);
        EXPECT_EQ(exact.y(), item.Y);
        EXPECT_EQ(std::fmod(double(item.Latitude) * 4, 1.0), 0.0);
        EXPECT_EQ(std::fmod(double(item.Longitude) * 4, 1.0), 0.0);
        EXPECT_LT(item.X, projection.Width);
        EXPECT_LT(item.Y, projection.Height);
    }
    // Any position between and beyond grid lines lands on its projected pixel.
    const TCoordinates coordinates = CoordinatesOf(grid);
    for (double lon = -48.31; lon < -47.1; lon += 0.0731)
        for (double lat = -16.12; lat < -15.3; lat += 0.0677) {
            const QPoint pixel = coordinates.GeoToPixel(lon, lat);
            const QPointF exact = projection.ToPixel(lon, lat);
            EXPECT_LE(std::abs(pixel.x() - exact.x()), 0.51) << lon << " " << lat;
            EXPECT_LE(std::abs(pixel.y() - exact.y()), 0.51) << lon << " " << lat;
        }
}

// Guards against smoothed borders that leave their vertices (a town beside a border would
// change sides), that differ between the two states sharing a border, that round off a sharp
// turn, or that are sampled too coarsely to look smooth.
TEST(SmoothLine, PassesThroughEveryVertexAndIsTheSameBothWays)
{
    const QPolygonF open({{0, 0}, {30, 4}, {52, 30}, {60, 31}, {50, 80}, {20, 82}});
    const QPolygonF ring({{0, 0}, {40, 0}, {46, 20}, {30, 44}, {0, 30}, {0, 0}});
    for (const QPolygonF &line : {open, ring}) {
        const QPolygonF curve = SmoothLine(line);
        EXPECT_EQ(curve.front(), line.front());
        EXPECT_EQ(curve.back(), line.back());
        for (const QPointF &vertex : line)
            EXPECT_TRUE(std::count(curve.begin(), curve.end(), vertex) > 0) << vertex.x() << "," << vertex.y();
        for (int i = 1; i < curve.size(); ++i)
            EXPECT_LE(QLineF(curve[i - 1], curve[i]).length(), 6.0);
        QPolygonF reversed(line.rbegin(), line.rend());
        QPolygonF back = SmoothLine(reversed);
        std::reverse(back.begin(), back.end());
        ASSERT_EQ(back.size(), curve.size());
        for (int i = 0; i < curve.size(); ++i)
            EXPECT_LT(QLineF(back[i], curve[i]).length(), 1e-9) << i;
    }
    // The turn at (60, 31) is sharper than a right angle: the curve leaves it straight towards
    // its next vertex.
    const QPolygonF curve = SmoothLine(open);
    const int corner = int(std::find(curve.begin(), curve.end(), QPointF(60, 31)) - curve.begin());
    EXPECT_NEAR(curve[corner + 1].x(), 60, 0.5);
}

// Guards against borders drawn in the wrong style: shared state borders, the border with a
// foreign country and the coast must each be told apart.
TEST(ClassifyBoundaries, TellsStateBordersCountryBordersAndCoast)
{
    const TGeodata data = SyntheticGeodata();
    const std::vector<TBorderRun> runs = ClassifyBoundaries(data);
    auto kindAt = [&](const QString &uf, QPointF near) {
        for (const TBorderRun &run : runs)
            if (run.UF == uf)
                for (int i = 1; i < run.Line.size(); ++i)
                    if (QLineF(run.Line[i - 1], run.Line[i]).center() == near)
                        return run.Kind;
        ADD_FAILURE() << "no edge of " << uf.toStdString() << " there";
        return TBorderKind::Coast;
    };
    EXPECT_EQ(kindAt("TA", QLineF(QPointF(-45.1, -19.9), QPointF(-45.0, -21.1)).center()), TBorderKind::International);
    EXPECT_EQ(kindAt("TA", QLineF(QPointF(-44.05, -20.5), QPointF(-44.0, -19.8)).center()), TBorderKind::Interstate);
    EXPECT_EQ(kindAt("TC", QLineF(QPointF(-41.9, -21.1), QPointF(-41.7, -20.5)).center()), TBorderKind::Coast);
    // A shared border is drawn once on third-party maps but always on the map of each side.
    for (const TBorderRun &run : runs)
        if (run.Kind == TBorderKind::Interstate) {
            EXPECT_TRUE(DrawnOnMapOf(run, run.UF));
            EXPECT_FALSE(DrawnOnMapOf(run, run.Neighbour));
        }
}

// Guards against a geodata folder whose damage goes unnoticed or is reported without the file.
TEST(ReadGeodata, NamesTheBrokenOrMissingFile)
{
    QTemporaryDir folder;
    const QString dir = folder.path();
    EXPECT_TRUE(GeodataError(dir).contains(QStringLiteral("ufs.csv")));
    WriteText(dir + "/ufs.csv", "code,name,ibge_code\nTA,Tavira Alta,99\n");
    WriteText(dir + "/municipalities.csv",
              "ibge_code,name,uf,lat,lon,capital,population\n9900101,Vila Áurea,TA,-20.3,abc,1,5\n");
    EXPECT_TRUE(GeodataError(dir).contains(QStringLiteral("municipalities.csv")));
    EXPECT_TRUE(GeodataError(dir).contains(QStringLiteral("line 2")));
    WriteText(dir + "/municipalities.csv",
              "ibge_code,name,uf,lat,lon,capital,population\n9900101,Vila Áurea,TA,-20.3,-44.5,1,5\n");
    WriteText(dir + "/states.geojson", "{\"type\": \"FeatureCollection\", \"features\": [");
    EXPECT_TRUE(GeodataError(dir).contains(QStringLiteral("states.geojson")));
    WriteText(dir + "/states.geojson",
              "{\"type\":\"FeatureCollection\",\"features\":[{\"properties\":{\"uf\":\"TA\"},"
              "\"geometry\":{\"type\":\"LineString\",\"coordinates\":[[0,0],[1,1]]}}]}");
    EXPECT_TRUE(GeodataError(dir).contains(QStringLiteral("not a polygon")));
}

// Guards against legend pictures of the wrong size or depth, or missing their key colours.
TEST(LegendPages, FourPicturesInTheMapColours)
{
    const QColor keyColour[] = {MapStyle::Federal(), MapStyle::StateRoad(), MapStyle::CapitalArea(), MapStyle::Water()};
    for (int page = 1; page <= kLegendPageCount; ++page) {
        const QImage picture = DrawLegendPage(page);
        EXPECT_EQ(picture.size(), QSize(403, 257));
        EXPECT_EQ(picture.depth(), 24);
        EXPECT_GT(ShareOfColour(picture, picture.rect(), keyColour[page - 1]), 0.0005) << page;
        EXPECT_GT(ShareOfColour(picture, picture.rect(), Qt::white), 0.6) << page;
    }
}

// Guards against a CSV reader that splits quoted names at their commas, keeps CR of CR LF
// files, or invents a population where the field is empty.
TEST(ReadMunicipalitiesCsv, QuotedFieldsCrLfAndEmptyPopulation)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("municipalities.csv"));
    WriteText(path, "ibge_code,name,uf,lat,lon,capital,population\r\n"
                    "9900101,\"Vila \"\"Nova\"\", do Sul\",ta,-20.5,-44.25,0,\r\n"
                    "9900102,Açucena,TA,-20.1,-44.2,1,7200\r\n");
    const std::vector<TMunicipality> towns = ReadMunicipalitiesCsv(path);
    ASSERT_EQ(towns.size(), 2u);
    EXPECT_EQ(towns[0].Name, QStringLiteral("Vila \"Nova\", do Sul"));
    EXPECT_EQ(towns[0].UF, QStringLiteral("TA"));
    EXPECT_EQ(towns[0].Population, 0);
    EXPECT_FALSE(towns[0].Capital);
    EXPECT_EQ(towns[1].Name, QStringLiteral("Açucena"));
    EXPECT_EQ(towns[1].Population, 7200);
    EXPECT_TRUE(towns[1].Capital);
}

// Guards against collisions missed across cell borders or at negative coordinates.
TEST(CollisionGrid, FindsOverlapsAcrossCellsAndBelowZero)
{
    TCollisionGrid grid(64);
    grid.Add(QRectF(-70, -10, 150, 20)); // spans three cells, partly below zero
    EXPECT_TRUE(grid.Collides(QRectF(-69, -5, 2, 2)));
    EXPECT_TRUE(grid.Collides(QRectF(75, 5, 10, 10)));
    EXPECT_FALSE(grid.Collides(QRectF(81, -10, 10, 10)));
    EXPECT_FALSE(grid.Collides(QRectF(0, 11, 10, 10)));
}

// Guards against map sizes outside the range the viewer's zoom levels were chosen for.
TEST(TargetMegaPixels, GrowsWithTheStateFrom20To60)
{
    double previous = 0;
    for (double side : {0.1, 0.7, 2.0, 5.0, 9.0, 16.0, 30.0}) {
        const double megaPixels = TargetMegaPixels(QRectF(-50, -20, side, side));
        EXPECT_GE(megaPixels, previous);
        EXPECT_GE(megaPixels, 20);
        EXPECT_LE(megaPixels, 60);
        const TProjection projection = ChooseProjection(QRectF(-50, -20, side, side), megaPixels);
        EXPECT_NEAR(double(projection.MegaPixels()), megaPixels, megaPixels * 0.25) << side;
        previous = megaPixels;
    }
}
