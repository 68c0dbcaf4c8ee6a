#pragma once

#include <QPoint>
#include <QRect>

#include "mapdata/map_image.h"

class QPrinter;

// Prints the visible area (centre, view rectangle and scale of the window) or the whole map on
// one page of printer, as TMapImage::RenderPage places it. A printer writing a PDF file leaves
// the old file in place unless the new one is whole. Failures throw TovralError.
void PrintMapPage(const TMapImage &map, TOutputArea area, QPoint center, const QRect &viewRect,
                  long double scale, QPrinter &printer);
