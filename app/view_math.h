#pragma once

#include <QPoint>
#include <QSize>

// The arithmetic of the map view, kept apart from the window so that it can be checked
// without one. Units: "view pixels" are pixels of the view bitmap (the screen); "full-map
// pixels" and "light-map pixels" are pixels of the state's full and light map pictures. A
// scale is view pixels per full-map pixel unless said otherwise. Integer rounding is to the
// nearest, halves to even.

// Index of the "Mapa Inteiro" entry of the zoom box; entry i >= 1 is the fixed scale i x 0.2.
inline constexpr int kWholeMapZoomIndex = 0;
// Index of the "100%" entry.
inline constexpr int kFullSizeZoomIndex = 5;

// The largest scale at which the whole full map fits in a view of viewSize view pixels:
// the smaller of width ratio and height ratio.
long double FitScale(QSize viewSize, QSize fullMapSize);

// Scale of a zoom entry: the fit scale for "Mapa Inteiro", index x 0.2 otherwise.
long double ZoomScale(int zoomIndex, QSize viewSize, QSize fullMapSize);

// Whether the full map drawn at scale is wider (taller) than the view: only then can the
// view move on that axis. viewLength in view pixels, mapLength in full-map pixels.
bool AxisMovable(int viewLength, int mapLength, long double scale);

// The view centre (full-map pixels) after a zoom: each axis on which the whole map fits is
// centred on the map's middle (length div 2), the others keep their value. With wholeMap
// (the "Mapa Inteiro" entry) both axes are centred, whatever the rounding of the fit scale.
QPoint RecentredView(QPoint center, QSize viewSize, QSize fullMapSize, long double scale,
                     bool wholeMap);

// One pan step on an axis, in full-map pixels: a quarter of the view's length.
int PanStep(int viewLength, long double scale);

// Moves a centre coordinate (full-map pixels) by step towards 0 (direction -1) or away from
// it (+1), kept within 0 .. mapLength - 1.
int PanCoordinate(int coordinate, int direction, int step, int mapLength);

// Which map draws a view and how: the light map whenever it has at least as many pixels as
// the full map drawn at the view's scale, on both axes.
struct TMapChoice {
    bool UseLightMap = false;
    QPoint Center;          // in pixels of the chosen map
    long double Scale = 0;  // view pixels per pixel of the chosen map
};
TMapChoice ChooseMap(QPoint fullMapCenter, long double scale, QSize fullMapSize,
                     QSize lightMapSize, long double lightRatio);
