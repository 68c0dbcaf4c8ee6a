#pragma once

#include <QImage>

// The four pictures of the legend window, drawn with the map symbols so that the legend
// shows exactly what the maps show.
constexpr int kLegendPageCount = 4;
constexpr int kLegendPageWidth = 403;
constexpr int kLegendPageHeight = 257;

// page: 1 federal highways, 2 state highways, 3 towns by population, 4 boundaries, water and
// production credits. Returns a 403 x 257 24-bit picture, or, with ratio 2, the same page
// drawn at twice the pixels for screens of twice the density.
QImage DrawLegendPage(int page, qreal ratio = 1);
