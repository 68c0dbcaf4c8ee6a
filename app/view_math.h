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
// Index of the last entry, "120%".
inline constexpr int kLargestZoomIndex = 6;

// The largest scale at which the whole full map fits in a view of viewSize view pixels:
// the smaller of width ratio and height ratio.
long double FitScale(QSize viewSize, QSize fullMapSize);

// Scale of a zoom entry: the fit scale for "Mapa Inteiro", index x 0.2 otherwise.
long double ZoomScale(int zoomIndex, QSize viewSize, QSize fullMapSize);

// Whether the view can move on an axis at the zoom entry zoomIndex: only when the full map
// drawn at scale is wider (taller) than the view. At "Mapa Inteiro" the map always fits and
// no axis moves, also where the rounding of the fit scale makes the product exceed the view
// by a hair. This one rule serves the pan, the drag, the re-centring and the area question of
// saving and printing. viewLength in view pixels, mapLength in full-map pixels.
bool AxisMovable(int viewLength, int mapLength, long double scale, int zoomIndex);

// The view centre (full-map pixels) after a zoom to the entry zoomIndex: each axis on which
// the whole map fits is centred on the map's middle (length div 2), the others keep their
// value.
QPoint RecentredView(QPoint center, QSize viewSize, QSize fullMapSize, long double scale,
                     int zoomIndex);

// One pan step on an axis, in full-map pixels: a quarter of the view's length.
int PanStep(int viewLength, long double scale);

// A centre coordinate (full-map pixels) kept on the map: within 0 .. mapLength - 1.
int ClampToMap(int coordinate, int mapLength);

// Moves a centre coordinate (full-map pixels) by step towards 0 (direction -1) or away from
// it (+1), kept within 0 .. mapLength - 1.
int PanCoordinate(int coordinate, int direction, int step, int mapLength);

// --- Navigation over the view with the mouse and the keyboard ---------------------------

// The zoom entry one step in: the entry with the next larger scale, "Mapa Inteiro" counting
// at the fit scale. From "Mapa Inteiro" that is the first fixed scale larger than the fit; a
// fixed entry below the fit (chosen in the zoom box) steps through the entries up to the fit.
// At the largest scale the entry stays.
int ZoomInIndex(int zoomIndex, long double fitScale);

// The zoom entry one step out: the next smaller scale among "Mapa Inteiro" and the fixed
// entries larger than the fit. "Mapa Inteiro" is the last step out, and an entry at or below
// the fit stays, so stepping out never enlarges the map.
int ZoomOutIndex(int zoomIndex, long double fitScale);

// The view centre after a change of scale that keeps the full-map point under viewPoint (a
// view pixel) under it, rounded half to even and kept on the map. The centre's pixel is
// shown at the view's middle (each length div 2).
QPoint CentreKeepingViewPoint(QPoint center, QPoint viewPoint, QSize viewSize,
                              long double oldScale, long double newScale, QSize fullMapSize);

// The view centre after the map has been dragged by drag view pixels from a view centred on
// dragStartCenter at the zoom entry zoomIndex: the centre moves against the drag by the
// distance over the scale, rounded half to even, on the movable axes only, kept on the map as
// a pan keeps it.
QPoint DraggedCentre(QPoint dragStartCenter, QPoint drag, QSize viewSize, long double scale,
                     int zoomIndex, QSize fullMapSize);

// Where the picture drawn for oldCenter moves, in view pixels, when the centre becomes
// newCenter at the same scale: the shift that shows the new view without drawing it again.
QPoint PictureShift(QPoint oldCenter, QPoint newCenter, long double scale);

// Which map draws a view and how: the light map whenever it has at least as many pixels as
// the full map drawn at the view's scale, on both axes. The choice depends on the view's
// scale alone, not on the screen's density, so that a view shows the same map, names and
// symbols at one size in view pixels on every screen; on a denser screen the chosen map is
// drawn at the scale times devicePixelRatio (device pixels per view pixel), the light map
// then enlarged.
struct TMapChoice {
    bool UseLightMap = false;
    QPoint Center;          // in pixels of the chosen map
    long double Scale = 0;  // device pixels per pixel of the chosen map
};
TMapChoice ChooseMap(QPoint fullMapCenter, long double scale, QSize fullMapSize,
                     QSize lightMapSize, long double lightRatio, long double devicePixelRatio = 1);
