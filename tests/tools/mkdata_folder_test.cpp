// A whole data folder built by mkdata, read back by the engine as the viewer reads it.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "mapdata/catalogue.h"
#include "mapdata/coordinates.h"
#include "mapdata/map_image.h"
#include "mapdata/names.h"
#include "mapdata/road_route.h"
#include "mkdata_test_support.h"
#include "resources/symbols/map_symbols.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/synthetic.h"

namespace {

// Every municipality must come back from the catalogues as the viewer looks it up: inside
// its state's block, found by its display name, with its name and position intact.
void ExpectCatalogueRoundTrip(const TGeodata &data, const QString &folder)
{
    const QString txt = QDir(folder).filePath(QStringLiteral("txt"));
    TUFCatalogue ufs;
    ufs.Load(ReadCatalogueLines(txt + QStringLiteral("/ufs.txt")));
    ASSERT_EQ(ufs.Lines().size(), qsizetype(data.UFs.size()));
    for (int i = 1; i < ufs.Lines().size(); ++i)
        EXPECT_LT(CatalogueCompare(ufs.DisplayName(i - 1), ufs.DisplayName(i)), 0);
    TSortedStrings rows;
    rows.Assign(ReadCatalogueLines(txt + QStringLiteral("/cidades.txt")));
    ASSERT_EQ(rows.Count(), int(data.Municipalities.size()));
    for (const TUFName &uf : data.UFs) {
        bool listed = false;
        for (int i = 0; i < ufs.Lines().size(); ++i)
            if (ufs.CodeOf(i) == uf.Code) {
                listed = true;
                EXPECT_EQ(ufs.DisplayName(i), uf.Name);
            }
        EXPECT_TRUE(listed) << uf.Code.toStdString();
        const TCityBlock block = StateCityBlock(rows, uf.Code, ufs.NextUFCode(uf.Code));
        const TSortedStrings names = StateCityNames(rows, block);
        int towns = 0;
        for (const TMunicipality &town : data.Municipalities) {
            if (town.UF != uf.Code)
                continue;
            ++towns;
            const int at = rows.Find(CityRowKey(uf.Code, CapitalizeName(UpperCase(town.Name))));
            ASSERT_LT(at, rows.Count()) << town.Name.toStdString();
            EXPECT_GE(at, block.First);
            EXPECT_LT(at, block.End);
            EXPECT_EQ(RowCityName(rows[at]), town.Name);
            const TRowCoordinates texts = ReadRowCoordinates(rows[at]);
            const std::optional<long double> lat = ParseDMS(texts.Latitude);
            const std::optional<long double> lon = ParseDMS(texts.Longitude);
            ASSERT_TRUE(lat && lon);
            EXPECT_NEAR(double(*lat), town.Latitude, 0.5 / 3600 + 1e-9);
            EXPECT_NEAR(double(*lon), town.Longitude, 0.5 / 3600 + 1e-9);
        }
        EXPECT_LE(names.Count(), towns);
        EXPECT_GE(block.End - block.First, towns);
    }
}

} // namespace

// Guards against a synthetic folder the viewer could not use: every catalogue line must read
// back, every state's maps and reference points must load, each town's symbol must show on
// the full map where GeoToPixel puts the town, and a road must link the states' capitals.
TEST(SyntheticFolder, EngineLoadsRendersAndLocatesEveryTown)
{
    QTemporaryDir folder;
    const TGeodata data = SyntheticGeodata();
    MakeDataFolder(data, folder.path(), {}, 2, kSyntheticMegaPixels);
    ExpectCatalogueRoundTrip(data, folder.path());

    // Catalogue bytes: Windows-1252 accents, the capital's town rank after its IBGE code and
    // CR LF line ends.
    QFile cities(folder.filePath(QStringLiteral("txt/cidades.txt")));
    ASSERT_TRUE(cities.open(QIODevice::ReadOnly));
    const QByteArray bytes = cities.readAll();
    EXPECT_TRUE(bytes.contains("Vila \xC1urea\t9900101\t5\t"));
    EXPECT_EQ(bytes.count("\r\n"), qsizetype(data.Municipalities.size()));

    for (const TUFName &uf : data.UFs) {
        const QString stem = folder.filePath(LowerCase(uf.Code));
        TMapImage full, light;
        TCoordinates points;
        full.LoadFromFile(stem + QStringLiteral("_full.map"));
        light.LoadFromFile(stem + QStringLiteral("_light.map"));
        points.LoadFromFile(stem + QStringLiteral(".pts"));
        EXPECT_EQ(light.Width() * 5, full.Width() * 2);
        EXPECT_EQ(light.Height() * 5, full.Height() * 2);

        // Both pictures show the state's tint; the full one the federal highway too.
        for (const TMapImage *map : {&light, &full}) {
            QImage whole(map->Width(), map->Height(), QImage::Format_RGB32);
            QPainter wholePainter(&whole);
            map->Draw(TRenderQuality::Plain, QPoint(map->Width() / 2, map->Height() / 2), whole.rect(), 1, wholePainter);
            wholePainter.end();
            EXPECT_GT(ShareOfColour(whole, whole.rect(), MapStyle::StateLand(), 12), 0.1);
            if (map == &full) {
                EXPECT_GT(ShareOfColour(whole, whole.rect(), MapStyle::Federal(), 60), 0.0005);
            }
        }

        for (const TMunicipality &town : data.Municipalities) {
            if (town.UF != uf.Code)
                continue;
            const long double lat = ParseDMS(FormatDMS(town.Latitude)).value_or(0);
            const long double lon = ParseDMS(FormatDMS(town.Longitude)).value_or(0);
            const QPoint pixel = points.GeoToPixel(lon, lat);
            ASSERT_GE(pixel.x(), 0);
            // Town symbols are rings or dots: ink (or the capital's yellow) around the centre.
            QImage view(15, 15, QImage::Format_RGB32);
            QPainter painter(&view);
            full.Draw(TRenderQuality::Plain, pixel, view.rect(), 1, painter);
            painter.end();
            const QColor mark = town.Capital ? MapStyle::CapitalArea() : MapStyle::Ink();
            EXPECT_GE(ShareOfColour(view, QRect(3, 3, 9, 9), mark, 200), 0.04) << town.Name.toStdString();
        }
    }

    // The road network links the three capitals, each on the highway.
    TRoadNetwork network;
    network.LoadFromFile(folder.filePath(kRoadNetworkFileName));
    QStringList capitals;
    for (const TMunicipality &town : data.Municipalities)
        if (town.Capital)
            capitals << CityCatalogueLine(town);
    ASSERT_EQ(capitals.size(), 3);
    for (const QString &origin : capitals)
        for (const QString &destination : capitals) {
            const TRoadRoute route = RoadRouteBetweenRows(network, origin, destination);
            EXPECT_EQ(route.Status, TRoadRoute::TStatus::Found) << origin.toStdString();
            EXPECT_GE(route.RoadKm(), route.AirKm * 0.999L) << origin.toStdString();
            EXPECT_LT(route.OffNetworkKm(), 0.1L) << origin.toStdString();
        }
}

// Guards against --states leaving out catalogue lines or the road network, or writing maps it
// was not asked for.
TEST(SyntheticFolder, StatesOptionLimitsTheMapsNotTheCatalogues)
{
    QTemporaryDir folder;
    const TGeodata data = SyntheticGeodata();
    MakeDataFolder(data, folder.path(), {QStringLiteral("TB")}, 2, kSyntheticMegaPixels);
    ExpectCatalogueRoundTrip(data, folder.path());
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("tb_full.map"))));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("ta_full.map"))));
    EXPECT_TRUE(QFile::exists(folder.filePath(kRoadNetworkFileName)));
    // An unknown code is refused by name before anything is written.
    QTemporaryDir other;
    try {
        MakeDataFolder(data, other.filePath(QStringLiteral("img")), {QStringLiteral("XX")}, 1, kSyntheticMegaPixels);
        ADD_FAILURE() << "an unknown state was accepted";
    } catch (const TovralError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("XX")));
    }
    EXPECT_FALSE(QFile::exists(other.filePath(QStringLiteral("img"))));
}

// Guards against a state's map depending on the states built before it in the same thread
// (Qt's per-thread text state once moved glyphs by a fraction of a pixel).
TEST(SyntheticFolder, EveryFileIsTheSameBytesWhateverTheOrderOfTheStates)
{
    const TGeodata data = SyntheticGeodata();
    QTemporaryDir forward, backward;
    MakeDataFolder(data, forward.path(), {QStringLiteral("TA"), QStringLiteral("TB"), QStringLiteral("TC")}, 1,
                   kSyntheticMegaPixels);
    MakeDataFolder(data, backward.path(), {QStringLiteral("TC"), QStringLiteral("TB"), QStringLiteral("TA")}, 1,
                   kSyntheticMegaPixels);
    const auto bytes = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QStringList files = QDir(forward.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 10); // the maps and points of three states, and the road network
    for (const QString &name : files)
        EXPECT_EQ(bytes(forward.filePath(name)), bytes(backward.filePath(name))) << name.toStdString();
}

// Guards against mkdata reporting success on broken geodata, or failing without naming the file.
TEST(MkdataCommand, RefusesABrokenGeodataFileWithOneClearLine)
{
    QTemporaryDir geodata, output;
    QFile ufs(geodata.filePath(QStringLiteral("ufs.csv")));
    ASSERT_TRUE(ufs.open(QIODevice::WriteOnly));
    ufs.write("code;name\n");
    ufs.close();
    QProcess tool;
    tool.start(QStringLiteral(TOVRAL_TOOL), {QStringLiteral("mkdata"), output.filePath(QStringLiteral("img")),
                                             QStringLiteral("--geodata"), geodata.path()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    const QString error = QString::fromUtf8(tool.readAllStandardError()).trimmed();
    EXPECT_TRUE(error.startsWith(QStringLiteral("tovral-tool: mkdata: "))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("ufs.csv"))) << error.toStdString();
    EXPECT_FALSE(error.contains(QLatin1Char('\n')));
    EXPECT_FALSE(QFile::exists(output.filePath(QStringLiteral("img/txt/cidades.txt"))));
}
