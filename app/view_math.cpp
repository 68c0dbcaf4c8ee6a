#include "app/view_math.h"

#include <cmath>

namespace {
// Nearest integer, halves to even (the default rounding mode).
int RoundHalfEven(long double value)
{
    return int(std::lrintl(value));
}

// Scale of a fixed zoom entry (index >= 1): index x 0.2.
long double FixedZoomScale(int zoomIndex)
{
    static constexpr long double kZoomStep = 0.2L;
    return zoomIndex * kZoomStep;
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
    if (zoomIndex == kWholeMapZoomIndex)
        return FitScale(viewSize, fullMapSize);
    return FixedZoomScale(zoomIndex);
}

bool AxisMovable(int viewLength, int mapLength, long double scale, int zoomIndex)
{
    return zoomIndex != kWholeMapZoomIndex && viewLength < mapLength * scale;
}

QPoint RecentredView(QPoint center, QSize viewSize, QSize fullMapSize, long double scale,
                     int zoomIndex)
{
    if (!AxisMovable(viewSize.width(), fullMapSize.width(), scale, zoomIndex))
        center.setX(fullMapSize.width() / 2);
    if (!AxisMovable(viewSize.height(), fullMapSize.height(), scale, zoomIndex))
        center.setY(fullMapSize.height() / 2);
    return center;
}

int PanStep(int viewLength, long double scale)
{
    static constexpr long double kQuarter = 0.25L;
    return RoundHalfEven(viewLength * kQuarter / scale);
}

int ClampToMap(int coordinate, int mapLength)
{
    if (coordinate >= mapLength)
        return mapLength - 1;
    return coordinate < 0 ? 0 : coordinate;
}

int PanCoordinate(int coordinate, int direction, int step, int mapLength)
{
    return ClampToMap(direction < 0 ? coordinate - step : coordinate + step, mapLength);
}

namespace {
// Scale of a zoom entry with "Mapa Inteiro" at the given fit scale.
long double EntryScale(int zoomIndex, long double fitScale)
{
    return zoomIndex == kWholeMapZoomIndex ? fitScale : FixedZoomScale(zoomIndex);
}

// Whether an entry is one of the steps of zooming out: "Mapa Inteiro" and the fixed entries
// larger than the fit.
bool IsZoomOutStep(int zoomIndex, long double fitScale)
{
    return zoomIndex == kWholeMapZoomIndex || EntryScale(zoomIndex, fitScale) > fitScale;
}

// Keeps a full-map point under the view offset (view pixels from the view's middle) when the
// scale changes: the centre moves by offset x (1 / oldScale - 1 / newScale).
int KeptCoordinate(int center, int offset, long double oldScale, long double newScale,
                   int mapLength)
{
    const long double moved = center + offset / oldScale - offset / newScale;
    return ClampToMap(RoundHalfEven(moved), mapLength);
}

int DraggedCoordinate(int start, int drag, int viewLength, long double scale, int zoomIndex,
                      int mapLength)
{
    if (!AxisMovable(viewLength, mapLength, scale, zoomIndex))
        return start;
    return ClampToMap(start - RoundHalfEven(drag / scale), mapLength);
}
} // namespace

int ZoomInIndex(int zoomIndex, long double fitScale)
{
    // The entry with the smallest scale above the current one; "Mapa Inteiro" first on a tie.
    const long double current = EntryScale(zoomIndex, fitScale);
    int found = zoomIndex;
    for (int index = kWholeMapZoomIndex; index <= kLargestZoomIndex; ++index) {
        const long double candidate = EntryScale(index, fitScale);
        if (candidate > current &&
            (found == zoomIndex || candidate < EntryScale(found, fitScale)))
            found = index;
    }
    return found;
}

int ZoomOutIndex(int zoomIndex, long double fitScale)
{
    // Among the steps, the one with the largest scale below the current one.
    if (!IsZoomOutStep(zoomIndex, fitScale))
        return zoomIndex;
    const long double current = EntryScale(zoomIndex, fitScale);
    int found = zoomIndex;
    for (int index = kWholeMapZoomIndex; index <= kLargestZoomIndex; ++index) {
        const long double candidate = EntryScale(index, fitScale);
        if (IsZoomOutStep(index, fitScale) && candidate < current &&
            (found == zoomIndex || candidate > EntryScale(found, fitScale)))
            found = index;
    }
    return found;
}

QPoint CentreKeepingViewPoint(QPoint center, QPoint viewPoint, QSize viewSize,
                              long double oldScale, long double newScale, QSize fullMapSize)
{
    const QPoint offset = viewPoint - QPoint(viewSize.width() / 2, viewSize.height() / 2);
    return QPoint(
        KeptCoordinate(center.x(), offset.x(), oldScale, newScale, fullMapSize.width()),
        KeptCoordinate(center.y(), offset.y(), oldScale, newScale, fullMapSize.height()));
}

QPoint DraggedCentre(QPoint dragStartCenter, QPoint drag, QSize viewSize, long double scale,
                     int zoomIndex, QSize fullMapSize)
{
    return QPoint(DraggedCoordinate(dragStartCenter.x(), drag.x(), viewSize.width(), scale,
                                    zoomIndex, fullMapSize.width()),
                  DraggedCoordinate(dragStartCenter.y(), drag.y(), viewSize.height(), scale,
                                    zoomIndex, fullMapSize.height()));
}

QPoint PictureShift(QPoint oldCenter, QPoint newCenter, long double scale)
{
    const QPoint moved = oldCenter - newCenter;
    return QPoint(RoundHalfEven(moved.x() * scale), RoundHalfEven(moved.y() * scale));
}

TMapChoice ChooseMap(QPoint fullMapCenter, long double scale, QSize fullMapSize,
                     QSize lightMapSize, long double lightRatio, long double devicePixelRatio)
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
        choice.Scale = drawnWidth / lightMapSize.width() * devicePixelRatio;
    } else {
        choice.Center = fullMapCenter;
        choice.Scale = scale * devicePixelRatio;
    }
    return choice;
}
