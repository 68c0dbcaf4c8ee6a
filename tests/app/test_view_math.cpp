// The view arithmetic of the map window, without a window.
#include <gtest/gtest.h>

#include "app/view_math.h"

namespace {
const QSize kDesignedView(443, 213);
}

// Guards against a fit scale that lets one axis overflow, or fixed scales taken from text.
TEST(ViewMath, ZoomScales)
{
    EXPECT_EQ(FitScale(kDesignedView, {2400, 1200}), 213.0L / 1200.0L);
    EXPECT_EQ(FitScale(kDesignedView, {886, 200}), 443.0L / 886.0L);
    EXPECT_EQ(ZoomScale(kWholeMapZoomIndex, kDesignedView, {886, 200}), 0.5L);
    for (int index = 1; index <= 6; ++index)
        EXPECT_EQ(ZoomScale(index, kDesignedView, {886, 200}), index * 0.2L);
}

// Guards against re-centring an axis on which the map overflows, or not centring one on
// which it fits (also when the fit scale's rounding makes the product a hair too large).
TEST(ViewMath, Recentring)
{
    const QPoint chosen(100, 700);
    EXPECT_EQ(RecentredView(chosen, kDesignedView, {2400, 1200}, 1.0L, false), QPoint(100, 700));
    EXPECT_EQ(RecentredView(chosen, kDesignedView, {301, 1200}, 1.0L, false), QPoint(150, 700));
    EXPECT_EQ(RecentredView(chosen, kDesignedView, {2400, 213}, 1.0L, false), QPoint(100, 106));
    // 443 / 3 rounds up in the last place, so 3 x scale exceeds 443 by a hair.
    const long double fit = FitScale({443, 443}, {3, 3});
    EXPECT_EQ(RecentredView(chosen, {443, 443}, {3, 3}, fit, true), QPoint(1, 1));
}

// Guards against a pan step that is not a quarter of the view rounded half to even, and a
// centre pushed off the map.
TEST(ViewMath, PanStepsAndClamping)
{
    EXPECT_EQ(PanStep(443, 1.0L), 111);
    EXPECT_EQ(PanStep(443, 0.2L), 554);
    EXPECT_EQ(PanStep(10, 1.0L), 2);  // 2.5 rounds to even
    EXPECT_EQ(PanStep(14, 1.0L), 4);  // 3.5 rounds to even
    EXPECT_EQ(PanCoordinate(50, -1, 111, 2400), 0);
    EXPECT_EQ(PanCoordinate(2350, +1, 111, 2400), 2399);
    EXPECT_EQ(PanCoordinate(2288, +1, 111, 2400), 2399);
    EXPECT_EQ(PanCoordinate(2287, +1, 111, 2400), 2398);
    EXPECT_TRUE(AxisMovable(443, 444, 1.0L));
    EXPECT_FALSE(AxisMovable(443, 443, 1.0L));
}

// Guards against drawing from the full map when the light map has pixels enough (or the
// reverse), and against a light-map centre or scale in the wrong units.
TEST(ViewMath, LightOrFullMap)
{
    const QSize full(2400, 1200);
    const QSize light(960, 480);
    const TMapChoice atForty = ChooseMap({1201, 601}, 0.4L, full, light, 0.4L);
    EXPECT_TRUE(atForty.UseLightMap);
    EXPECT_EQ(atForty.Center, QPoint(480, 240)); // 480.4 and 240.4 rounded
    EXPECT_EQ(atForty.Scale, 2400 * 0.4L / 960);
    const TMapChoice atSixty = ChooseMap({1201, 601}, 0.6L, full, light, 0.4L);
    EXPECT_FALSE(atSixty.UseLightMap);
    EXPECT_EQ(atSixty.Center, QPoint(1201, 601));
    EXPECT_EQ(atSixty.Scale, 0.6L);
    // The light map must be large enough on both axes.
    EXPECT_FALSE(ChooseMap({0, 0}, 0.4L, full, {960, 479}, 0.4L).UseLightMap);
    // Halves round to even: 2.5 -> 2, 3.5 -> 4.
    EXPECT_EQ(ChooseMap({5, 7}, 0.1L, {10, 10}, {5, 5}, 0.5L).Center, QPoint(2, 4));
}
