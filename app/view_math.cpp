#include "app/view_math.h"

#include <cmath>

namespace {
// Nearest integer, halves to even (the default rounding mode).
int RoundHalfEven(long double value)
{
    return int(std::lrintl(value));
}
} // namespace

long double FitScale(QSize viewSize, QSize fullMapSize)
{
    const long double byWidth = (long double)viewSize.width() / fullMapSize.width();
    const long double byHeight = (long double)viewSize.height() / fullMapSize.height();
    return byWidth > byHeight ? byHeight : byWidth;
}

long double ZoomScale(int zoomIndex, QSize viewSize, QSize fullMapSize)
{
    static constexpr long double kZoomStep = 0.2L;
    if (zoomIndex == kWholeMapZoomIndex)
        return FitScale(viewSize, fullMapSize);
    return zoomIndex * kZoomStep;
}

bool AxisMovable(int viewLength, int mapLength, long double scale)
{
    return viewLength < mapLength * scale;
}

QPoint RecentredView(QPoint center, QSize viewSize, QSize fullMapSize, long double scale,
                     bool wholeMap)
{
    if (wholeMap || !AxisMovable(viewSize.width(), fullMapSize.width(), scale))
        center.setX(fullMapSize.width() / 2);
    if (wholeMap || !AxisMovable(viewSize.height(), fullMapSize.height(), scale))
        center.setY(fullMapSize.height() / 2);
    return center;
}

int PanStep(int viewLength, long double scale)
{
    static constexpr long double kQuarter = 0.25L;
    return RoundHalfEven(viewLength * kQuarter / scale);
}

int PanCoordinate(int coordinate, int direction, int step, int mapLength)
{
    if (direction < 0)
        return coordinate - step < 0 ? 0 : coordinate - step;
    const int moved = coordinate + step;
    return moved >= mapLength ? mapLength - 1 : moved;
}

TMapChoice ChooseMap(QPoint fullMapCenter, long double scale, QSize fullMapSize,
                     QSize lightMapSize, long double lightRatio)
{
    const long double drawnWidth = fullMapSize.width() * scale;
    const long double drawnHeight = fullMapSize.height() * scale;
    TMapChoice choice;
    if (lightMapSize.width() >= drawnWidth && lightMapSize.height() >= drawnHeight) {
        // The light map is taken to have the full map's proportions: the width ratio serves
        // both axes.
        choice.UseLightMap = true;
        choice.Center = QPoint(RoundHalfEven(fullMapCenter.x() * lightRatio),
                               RoundHalfEven(fullMapCenter.y() * lightRatio));
        choice.Scale = drawnWidth / lightMapSize.width();
    } else {
        choice.Center = fullMapCenter;
        choice.Scale = scale;
    }
    return choice;
}
