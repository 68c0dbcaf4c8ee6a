// The data folder drawn from the public geodata: placement of every municipality, labels,
// and one small state built whole. Skipped when the geodata folder is absent.
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>

#include "mapdata/catalogue.h"
#include "mapdata/map_image.h"
#include "mapdata/names.h"
#include "mapdata/road_route.h"
#include "mkdata_test_support.h"
#include "resources/symbols/map_symbols.h"
#include "tools/mkdata/boundaries.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/road_network_builder.h"
#include "tools/mkdata/state_scene.h"

namespace {

class RealGeodataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RealGeodata())
            GTEST_SKIP() << "geodata folder " << RealGeodataFolder().toStdString() << " not found";
        static const std::vector<TBorderRun> borders = ClassifyBoundaries(*RealGeodata());
        Borders = &borders;
    }
    const std::vector<TBorderRun> *Borders = nullptr;
};

} // namespace

// Guards against a town drawn away from where the locator centres it: for every municipality
// of five states, GeoToPixel of its catalogue coordinates on the state's reference grid must
// land within 2 pixels of its symbol; Fernando de Noronha's fixed position on its inset.
TEST_F(RealGeodataTest, EveryMunicipalityLandsOnItsSymbol)
{
    const TGeodata &data = *RealGeodata();
    const QStringList rows = CityCatalogueLines(data.Municipalities);
    for (const QString uf : {"SE", "AL", "DF", "RJ", "PE"}) {
        const TStateScene scene(data, *Borders, uf);
        const TCoordinates points = CoordinatesOf(ReferenceGrid(scene.Projection()));
        std::map<QString, QPointF> symbols;
        for (const TTownMark &town : scene.Towns())
            symbols[town.Name] = town.Pixel;
        int checked = 0;
        for (const QString &row : rows) {
            if (!row.startsWith(uf + QLatin1Char('\t')))
                continue;
            const TRowCoordinates texts = ReadRowCoordinates(row);
            const std::optional<long double> parsedLatitude = ParseDMS(texts.Latitude);
            const std::optional<long double> parsedLongitude = ParseDMS(texts.Longitude);
            ASSERT_TRUE(parsedLatitude && parsedLongitude);
            long double latitude = *parsedLatitude, longitude = *parsedLongitude;
            QPointF symbol;
            if (RowCityName(row) == kNoronhaName) {
                latitude = kNoronhaFixedLatitude;
                longitude = kNoronhaFixedLongitude;
                ASSERT_TRUE(scene.HasInset());
                symbol = scene.Inset().Town.Pixel;
                EXPECT_TRUE(scene.Inset().Frame.contains(symbol));
            } else {
                ASSERT_EQ(symbols.count(RowCityName(row)), 1u) << row.toStdString();
                symbol = symbols[RowCityName(row)];
            }
            const QPoint located = points.GeoToPixel(longitude, latitude);
            EXPECT_LE(std::abs(located.x() - symbol.x()), 2.0) << row.toStdString();
            EXPECT_LE(std::abs(located.y() - symbol.y()), 2.0) << row.toStdString();
            ++checked;
        }
        EXPECT_EQ(checked, int(scene.Towns().size()) + (scene.HasInset() ? 1 : 0)) << uf.toStdString();
        const double megaPixels = double(scene.Projection().MegaPixels());
        EXPECT_GE(megaPixels, 18);
        EXPECT_LE(megaPixels, 62);
    }
}

// Guards against a light map that does not line up with the full map, which would move the
// place under the view's centre when the viewer switches between them: a sample of the
// municipalities of states of every size must sit on the light map within a pixel of their
// full-map symbol times the light ratio, on maps whose sides are exactly that ratio.
TEST_F(RealGeodataTest, LightMapTownsSitAtTheirFullMapPositionTimesTheRatio)
{
    const TGeodata &data = *RealGeodata();
    // States of every size, Pernambuco with its inset.
    for (const QString uf : {"AM", "BA", "DF", "MG", "PE", "RJ", "RS", "SE"}) {
        const TStateScene full(data, *Borders, uf);
        const TStateScene light(data, *Borders, uf, 0, MapStyle::TMapScale::Light);
        const long double ratio = (long double)light.Projection().Width / full.Projection().Width;
        EXPECT_EQ(light.Projection().Width * kLightDenominator, full.Projection().Width * kLightNumerator);
        EXPECT_EQ(light.Projection().Height * kLightDenominator, full.Projection().Height * kLightNumerator);
        std::map<QString, QPointF> onLight;
        for (const TTownMark &town : light.Towns())
            onLight[town.Name] = town.Pixel;
        ASSERT_EQ(onLight.size(), full.Towns().size()) << uf.toStdString();
        const size_t step = std::max<size_t>(1, full.Towns().size() / 25);
        for (size_t i = 0; i < full.Towns().size(); i += step) {
            const TTownMark &town = full.Towns()[i];
            ASSERT_EQ(onLight.count(town.Name), 1u) << town.Name.toStdString();
            EXPECT_LE(std::abs(onLight[town.Name].x() - double(town.Pixel.x() * ratio)), 1.0) << town.Name.toStdString();
            EXPECT_LE(std::abs(onLight[town.Name].y() - double(town.Pixel.y() * ratio)), 1.0) << town.Name.toStdString();
        }
        if (full.HasInset()) {
            const QPointF expected = full.Inset().Town.Pixel * double(ratio);
            EXPECT_LE(QLineF(light.Inset().Town.Pixel, expected).length(), 1.0);
        }
    }
}

// Guards against labels written over one another, over shields or over town symbols, and
// against names that leave the picture, on both maps; against light-map names too small to
// read at 1:1, or a light map that leaves the capital or a town over 500 000 unnamed.
TEST_F(RealGeodataTest, LabelsAndShieldsNeverOverlap)
{
    using MapStyle::TMapScale;
    for (const auto &[uf, map] : {std::pair{"SP", TMapScale::Full}, {"RJ", TMapScale::Full},
                                  {"SP", TMapScale::Light}, {"MG", TMapScale::Light}}) {
        const TStateScene scene(*RealGeodata(), *Borders, uf, 0, map);
        std::vector<QRectF> boxes;
        for (const TLabelMark &label : scene.Labels())
            boxes.push_back(label.Box);
        for (const TShieldMark &shield : scene.Shields())
            boxes.push_back(shield.Box);
        for (const TLabelMark &name : scene.AreaNames())
            boxes.push_back(name.Box);
        const QRectF picture(0, 0, scene.Projection().Width, scene.Projection().Height);
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_TRUE(picture.contains(boxes[i]));
            EXPECT_FALSE(boxes[i].intersects(scene.TitleFrame()));
            for (size_t j = i + 1; j < boxes.size(); ++j)
                ASSERT_FALSE(boxes[i].intersects(boxes[j])) << uf << " " << i << " " << j;
            for (const TTownMark &town : scene.Towns()) {
                if (town.Capital) {
                    EXPECT_FALSE(boxes[i].contains(town.Pixel));
                }
            }
        }
        // Each town name sits beside a symbol of that town.
        for (const TLabelMark &label : scene.Labels()) {
            bool beside = false;
            for (const TTownMark &town : scene.Towns())
                if (CatalogueCompare(town.Name, label.Text) == 0) {
                    const QRectF reach = label.Box.adjusted(-town.Radius - 4, -town.Radius - 4,
                                                            town.Radius + 4, town.Radius + 4);
                    beside = beside || reach.contains(town.Pixel);
                }
            // The state's own towns are lettered in ink, the neighbours' in grey.
            if (label.Colour == MapStyle::Ink()) {
                EXPECT_TRUE(beside) << label.Text.toStdString();
            }
        }
        if (map == TMapScale::Full) {
            // Most towns get their name.
            EXPECT_GT(scene.Labels().size(), scene.Towns().size() * 8 / 10) << uf;
            continue;
        }
        for (const TLabelMark &label : scene.Labels())
            EXPECT_GE(label.Font.pixelSize(), 11) << label.Text.toStdString();
        for (const TTownMark &town : scene.Towns()) {
            if (!town.Capital && town.Class != MapStyle::TTownClass::Over500k)
                continue;
            const QString name = town.Capital ? UpperCase(town.Name) : town.Name;
            EXPECT_TRUE(std::any_of(scene.Labels().begin(), scene.Labels().end(),
                                    [&](const TLabelMark &label) { return label.Text == name; }))
                << uf << " " << town.Name.toStdString();
        }
    }
}

// Guards against a real state whose files the viewer cannot load, or whose capital is not
// drawn where the locator puts it.
TEST_F(RealGeodataTest, SergipeBuiltWholeLoadsAndShowsItsCapital)
{
    QTemporaryDir folder;
    MakeDataFolder(*RealGeodata(), folder.path(), {QStringLiteral("SE")}, 2);
    TMapImage full, light;
    TCoordinates points;
    full.LoadFromFile(folder.filePath(QStringLiteral("se_full.map")));
    light.LoadFromFile(folder.filePath(QStringLiteral("se_light.map")));
    points.LoadFromFile(folder.filePath(QStringLiteral("se.pts")));
    EXPECT_EQ(light.Width() * 5, full.Width() * 2);
    const double megaPixels = full.Width() * double(full.Height()) / 1e6;
    EXPECT_GE(megaPixels, 18);
    EXPECT_LE(megaPixels, 62);
    const TMunicipality *capital = nullptr;
    for (const TMunicipality &town : RealGeodata()->Municipalities)
        if (town.UF == QLatin1String("SE") && town.Capital)
            capital = &town;
    ASSERT_NE(capital, nullptr);
    const long double latitude = ParseDMS(FormatDMS(capital->Latitude)).value_or(0);
    const long double longitude = ParseDMS(FormatDMS(capital->Longitude)).value_or(0);
    const QPoint aracaju = points.GeoToPixel(longitude, latitude);
    QImage view(21, 21, QImage::Format_RGB32);
    QPainter painter(&view);
    full.Draw(TRenderQuality::Plain, aracaju, view.rect(), 1, painter);
    painter.end();
    EXPECT_GT(ShareOfColour(view, QRect(6, 6, 9, 9), MapStyle::CapitalArea(), 60), 0.3);
}

// Guards against a road network that misses links or measures wrongly: capitals known to be
// linked by road come out within a band around their published road distances (joins
// included), Manaus and Boa Vista over BR-174, which the data holds apart from the rest.
TEST_F(RealGeodataTest, RoadDistancesBetweenCapitalsMatchThePublishedOnes)
{
    const QStringList lines = CityCatalogueLines(RealGeodata()->Municipalities);
    TRoadNetwork network;
    network.Assign(BuildRoadNetwork(RealGeodata()->Roads, lines));
    const auto row = [&lines](const char *uf, const char *name) {
        const QString key = CityRowKey(QLatin1String(uf), QString::fromUtf8(name));
        for (const QString &line : lines)
            if (line.startsWith(key))
                return line;
        return QString();
    };
    const struct {
        const char *UF1, *Name1, *UF2, *Name2;
        long double Low, High; // published road distance, less and more a margin
        const char *Road;      // a road the route must take
    } pairs[] = {
        {"SP", "São Paulo", "RJ", "Rio de Janeiro", 400, 450, "BR-116"},
        {"DF", "Brasília", "GO", "Goiânia", 195, 225, "BR-060"},
        {"PR", "Curitiba", "SC", "Florianópolis", 285, 320, "BR-101"},
        {"AM", "Manaus", "RR", "Boa Vista", 700, 800, "BR-174"},
    };
    for (const auto &pair : pairs) {
        const TRoadRoute route = RoadRouteBetweenRows(network, row(pair.UF1, pair.Name1), row(pair.UF2, pair.Name2));
        ASSERT_EQ(route.Status, TRoadRoute::TStatus::Found) << pair.Name1;
        const long double km = route.RoadKm() + route.OffNetworkKm();
        EXPECT_GE(km, pair.Low) << pair.Name1;
        EXPECT_LE(km, pair.High) << pair.Name1;
        EXPECT_TRUE(std::any_of(route.Path.Roads.begin(), route.Path.Roads.end(),
                                [&pair](const TRouteRoad &road) { return road.Name == QLatin1String(pair.Road); }))
            << pair.Name1;
    }
}
