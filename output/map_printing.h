#pragma once

#include <QChar>
#include <QPageLayout>
#include <QPoint>
#include <QRect>
#include <QString>

#include "mapdata/map_image.h"

class QPrinter;
class TCoordinates;

// What a printed page shows around the map: above it a title, the state's name and "Mapa
// rodoviário"; under it a scale bar true at the map's centre for the printed scale, and a
// line naming the data's sources.
struct TPageFrame {
    QString StateName;
    QString Sources;                           // "" prints no such line
    const TCoordinates *Coordinates = nullptr; // the reference points; none prints no bar
    QChar DecimalSeparator = QLatin1Char('.'); // of a bar shorter than 1 km
    TMapImage::TPageOverlay Overlay;           // drawn over the map, clipped to it
};

// The title of the page: "Minas Gerais – Mapa rodoviário".
QString PageTitle(const QString &stateName);

// The orientation a page starts with for what is printed: landscape when it is wider than
// tall.
QPageLayout::Orientation PrintOrientation(const TMapImage &map, TOutputArea area, const QRect &viewRect);

// Prints the visible area (centre, view rectangle and scale of the window) or the whole map
// on one page of printer, with the frame's title above and its scale bar and sources under;
// the map is placed by TMapImage::RenderPage in the space between. A printer writing a PDF
// file leaves the old file in place unless the new one is whole. Failures throw TovralError.
void PrintMapPage(const TMapImage &map, TOutputArea area, QPoint center, const QRect &viewRect,
                  long double scale, const TPageFrame &frame, QPrinter &printer);
