// The view arithmetic of the map window, without a window.
#include <gtest/gtest.h>

#include <cmath>

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
    EXPECT_EQ(RecentredView(chosen, kDesignedView, {2400, 1200}, 1.0L, kFullSizeZoomIndex),
              QPoint(100, 700));
    EXPECT_EQ(RecentredView(chosen, kDesignedView, {301, 1200}, 1.0L, kFullSizeZoomIndex),
              QPoint(150, 700));
    EXPECT_EQ(RecentredView(chosen, kDesignedView, {2400, 213}, 1.0L, kFullSizeZoomIndex),
              QPoint(100, 106));
    // 443 / 3 rounds up in the last place, so 3 x scale exceeds 443 by a hair.
    const long double fit = FitScale({443, 443}, {3, 3});
    EXPECT_EQ(RecentredView(chosen, {443, 443}, {3, 3}, fit, kWholeMapZoomIndex), QPoint(1, 1));
}

// Guards against an axis that moves at "Mapa Inteiro" because the fit scale rounds up: a
// 1600 x 800 map in the designed view is drawn a hair taller than the view.
TEST(ViewMath, WholeMapNeverMoves)
{
    const QSize map(1600, 800);
    const long double fit = FitScale(kDesignedView, map);
    ASSERT_GT(map.height() * fit, (long double)kDesignedView.height());
    EXPECT_FALSE(AxisMovable(kDesignedView.height(), map.height(), fit, kWholeMapZoomIndex));
    EXPECT_FALSE(AxisMovable(kDesignedView.width(), map.width(), fit, kWholeMapZoomIndex));
    EXPECT_EQ(DraggedCentre({800, 400}, {80, 40}, kDesignedView, fit, kWholeMapZoomIndex, map),
              QPoint(800, 400));
    // The same product at a fixed entry overflows and moves.
    EXPECT_TRUE(AxisMovable(213, 1066, 0.2L, 1));
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
    EXPECT_TRUE(AxisMovable(443, 444, 1.0L, kFullSizeZoomIndex));
    EXPECT_FALSE(AxisMovable(443, 443, 1.0L, kFullSizeZoomIndex));
}

// Guards against drawing from the full map when the light map has pixels enough (or the
// reverse), a choice made by the device scale on a denser screen, and a light-map centre or
// scale in the wrong units.
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
    // On a denser screen the view's scale still chooses, and the chosen map is drawn at the
    // scale times the ratio: the light map enlarged at 40%, the full map at 60%.
    const TMapChoice denseForty = ChooseMap({1201, 601}, 0.4L, full, light, 0.4L, 2);
    EXPECT_TRUE(denseForty.UseLightMap);
    EXPECT_EQ(denseForty.Center, atForty.Center);
    EXPECT_EQ(denseForty.Scale, atForty.Scale * 2);
    EXPECT_EQ(ChooseMap({1201, 601}, 0.6L, full, light, 0.4L, 1.5L).Scale, 0.6L * 1.5L);
}

// Guards against wheel steps that skip or repeat entries, leave "Mapa Inteiro" for a fixed
// scale no larger than the fit, go below "Mapa Inteiro", or zoom in on a step out.
TEST(ViewMath, ZoomSteps)
{
    const long double wideFit = FitScale(kDesignedView, {2400, 1200}); // 0.1775
    int zoom = kWholeMapZoomIndex;
    for (int expected = 1; expected <= kLargestZoomIndex; ++expected)
        EXPECT_EQ(zoom = ZoomInIndex(zoom, wideFit), expected);
    EXPECT_EQ(ZoomInIndex(kLargestZoomIndex, wideFit), kLargestZoomIndex);
    for (int expected = kLargestZoomIndex - 1; expected >= 0; --expected)
        EXPECT_EQ(zoom = ZoomOutIndex(zoom, wideFit), expected);
    EXPECT_EQ(ZoomOutIndex(kWholeMapZoomIndex, wideFit), kWholeMapZoomIndex);

    // Fit 0.5: "Mapa Inteiro" sits between "40%" and "60%".
    EXPECT_EQ(ZoomInIndex(kWholeMapZoomIndex, 0.5L), 3);
    EXPECT_EQ(ZoomOutIndex(3, 0.5L), kWholeMapZoomIndex);
    // "20%" and "40%", chosen in the box, are below the fit: in leads to the fit, out stays.
    EXPECT_EQ(ZoomInIndex(1, 0.5L), 2);
    EXPECT_EQ(ZoomInIndex(2, 0.5L), kWholeMapZoomIndex);
    EXPECT_EQ(ZoomOutIndex(2, 0.5L), 2);
    // A fixed scale equal to the fit is not larger than it.
    EXPECT_EQ(ZoomInIndex(kWholeMapZoomIndex, 2 * 0.2L), 3);
    EXPECT_EQ(ZoomOutIndex(3, 2 * 0.2L), kWholeMapZoomIndex);
    // A small map in a large view: no fixed scale is larger than the fit.
    EXPECT_EQ(ZoomInIndex(kWholeMapZoomIndex, 1.5L), kWholeMapZoomIndex);
}

// Guards against a zoom that lets the map slide under the pointer (wrong sign, wrong
// middle, scales swapped) and a centre pushed off the map when the pointer is beyond it.
TEST(ViewMath, ZoomKeepsThePointUnderThePointer)
{
    const QSize map(2400, 1200);
    const QPoint middle(kDesignedView.width() / 2, kDesignedView.height() / 2);
    const long double scales[] = {FitScale(kDesignedView, map), 0.2L, 0.4L, 0.6L, 0.8L, 1.0L, 1.2L};
    int checked = 0;
    for (long double before : scales)
        for (long double after : scales)
            for (int x = 0; x < kDesignedView.width(); x += 37)
                for (int y = 0; y < kDesignedView.height(); y += 29) {
                    const QPoint start(1300, 500);
                    const QPoint offset = QPoint(x, y) - middle;
                    const QPoint moved = CentreKeepingViewPoint(start, {x, y}, kDesignedView,
                                                                before, after, map);
                    const long double pointX = start.x() + offset.x() / before;
                    const long double pointY = start.y() + offset.y() / before;
                    if (moved.x() > 0 && moved.x() < map.width() - 1) {
                        EXPECT_LE(std::abs(moved.x() + offset.x() / after - pointX), 0.5L);
                        ++checked;
                    }
                    if (moved.y() > 0 && moved.y() < map.height() - 1) {
                        EXPECT_LE(std::abs(moved.y() + offset.y() / after - pointY), 0.5L);
                    }
                }
    EXPECT_GT(checked, 1000);
    // The pointer at the middle keeps the centre; halves round to even.
    EXPECT_EQ(CentreKeepingViewPoint({700, 300}, middle, kDesignedView, 0.2L, 1.2L, map),
              QPoint(700, 300));
    EXPECT_EQ(CentreKeepingViewPoint({10, 11}, middle + QPoint(1, 1), kDesignedView, 1.0L, 2.0L,
                                     map),
              QPoint(10, 12)); // 10.5 and 11.5
    // Zooming out near a corner of the map stops the centre at the map's edge.
    EXPECT_EQ(CentreKeepingViewPoint({100, 100}, {442, 212}, kDesignedView, 1.2L, 0.2L, map),
              QPoint(0, 0));
    EXPECT_EQ(CentreKeepingViewPoint({2300, 1100}, {0, 0}, kDesignedView, 1.2L, 0.2L, map),
              QPoint(2399, 1199));
}

// Guards against a drag that moves the map against the pointer, moves an axis on which the
// map fits, rounds other than half to even, pushes the centre off the map, or shows the
// dragged picture out of step with the centre.
TEST(ViewMath, Dragging)
{
    const QSize map(2400, 1200);
    constexpr int at100 = kFullSizeZoomIndex;
    constexpr int at20 = 1;
    EXPECT_EQ(DraggedCentre({1200, 600}, {100, 30}, kDesignedView, 1.0L, at100, map),
              QPoint(1100, 570));
    EXPECT_EQ(DraggedCentre({1200, 600}, {-10, -3}, kDesignedView, 0.2L, at20, map),
              QPoint(1250, 615));
    EXPECT_EQ(DraggedCentre({100, 100}, {1, 3}, kDesignedView, 2.0L, at100, map), QPoint(100, 98));
    EXPECT_EQ(DraggedCentre({100, 100}, {5000, 5000}, kDesignedView, 1.0L, at100, map),
              QPoint(0, 0));
    EXPECT_EQ(DraggedCentre({100, 100}, {-5000, -5000}, kDesignedView, 0.2L, at20, map),
              QPoint(2399, 1199));
    // A tall map at 100%: the width fits, only the height moves.
    EXPECT_EQ(DraggedCentre({150, 450}, {80, 40}, kDesignedView, 1.0L, at100, {300, 900}),
              QPoint(150, 410));

    EXPECT_EQ(PictureShift({1200, 600}, {1100, 570}, 1.0L), QPoint(100, 30));
    EXPECT_EQ(PictureShift({1200, 600}, {1250, 615}, 0.2L), QPoint(-10, -3));
    EXPECT_EQ(PictureShift({10, 10}, {9, 7}, 0.5L), QPoint(0, 2)); // 0.5 and 1.5
}
