#include <cmath>
#include <gtest/gtest.h>

#include "mapdata/map_scale.h"
#include "mapdata/scale_bar.h"
#include "mapdata/great_circle.h"

namespace {
// A state's grid as the data folder draws it: parallels and meridians a quarter of a degree
// apart, the same pixels per degree everywhere (pixelsPerDegreeX shrunk by the cosine of
// the middle latitude).
TCoordinates QuarterDegreeGrid(long double west, long double north, long double pixelsPerDegreeX,
                               long double pixelsPerDegreeY)
{
    TCoordinates grid;
    for (int row = 0; row <= 16; ++row)
        for (int column = 0; column <= 16; ++column)
            grid.Add({west + column / 4.0L, north - row / 4.0L, int32_t(std::lrint(column / 4.0L * pixelsPerDegreeX)),
                      int32_t(std::lrint(row / 4.0L * pixelsPerDegreeY))});
    return grid;
}
} // namespace

// Guards against a scale bar that lies: the km per pixel taken along the wrong axis, in
// degrees instead of km, or without the narrowing of the parallels towards the poles. At
// three latitudes, on a map whose pixels are much wider in longitude than in latitude, the
// ground between the two ends of the bar (their positions by the inverse, the distance by the
// calculator's formula) is the length the bar is labelled with, and the bar is 60 to 150
// view pixels long at zoom 0.4.
TEST(MapScale, ScaleBarMatchesTheGroundAtThreeLatitudes)
{
    constexpr long double kPi = 3.14159265358979323846L;
    for (const long double middle : {-2.0L, -15.0L, -30.0L}) {
        const long double pixelsPerDegreeY = 1200, pixelsPerDegreeX = 1200 * std::cos(middle * kPi / 180);
        const TCoordinates grid = QuarterDegreeGrid(-50, middle + 2, pixelsPerDegreeX, pixelsPerDegreeY);
        const TMapPoint centre{2 * pixelsPerDegreeX, 2 * pixelsPerDegreeY};
        const std::optional<TKmPerPixel> km = KmPerFullMapPixel(grid, centre);
        ASSERT_TRUE(km) << double(middle);
        // A sphere of 6371 km: within half a per cent of the calculator's radius.
        const long double degreeKm = 6371 * kPi / 180;
        EXPECT_NEAR(double(km->X), double(degreeKm * std::cos(middle * kPi / 180) / pixelsPerDegreeX),
                    double(km->X) * 0.005);
        EXPECT_NEAR(double(km->Y), double(degreeKm / pixelsPerDegreeY), double(km->Y) * 0.005);

        const long double zoom = 0.4;
        const TScaleBar bar = RoundScaleBar(km->X / zoom, 150);
        EXPECT_GE(bar.Length, 60);
        EXPECT_LE(bar.Length, 150);
        const std::optional<TGeoPosition> left = grid.PixelToGeo(centre);
        const std::optional<TGeoPosition> right = grid.PixelToGeo({centre.X + bar.Length / zoom, centre.Y});
        ASSERT_TRUE(left && right);
        EXPECT_NEAR(double(GreatCircleKm(left->Latitude, left->Longitude, right->Latitude, right->Longitude)),
                    double(bar.Km), double(bar.Km) * 0.001) << double(middle);
    }
    EXPECT_FALSE(KmPerFullMapPixel(TCoordinates(), {10, 10}));
}

// Guards against a bar of an odd length or one that leaves its bounds: the longest of 1, 2
// and 5 x 10^n km that fits, never shorter than the bound / 2.5.
TEST(MapScale, RoundLengths)
{
    const struct {
        long double kmPerPixel, km;
    } cases[] = {{1, 100}, {0.5, 50}, {3.3, 200}, {0.02, 2}, {10, 1000}, {2.0L / 3, 100}, {0.004, 0.5}};
    for (const auto &c : cases) {
        const TScaleBar bar = RoundScaleBar(c.kmPerPixel, 150);
        EXPECT_NEAR(double(bar.Km), double(c.km), 1e-12) << double(c.kmPerPixel);
        EXPECT_GT(bar.Length, 60);
        EXPECT_LE(bar.Length, 150);
    }
    EXPECT_EQ(ScaleBarKmText(0.5, QLatin1Char(',')), QStringLiteral("0,5"));
    EXPECT_EQ(ScaleBarKmText(200, QLatin1Char(',')), QStringLiteral("200"));
}
