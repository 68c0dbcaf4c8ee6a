#pragma once

#include <QPoint>
#include <QString>
#include <vector>

#include "mapdata/catalogue.h"

class TCoordinates;

// The current state's cities placed on its full map where the locator centres the view on
// each, so that the map view can tell which city lies nearest the point it shows. Placed once
// per state load; a look-up runs through them all (a few microseconds for the largest state).
class TCityPlaces {
public:
    // Places every city of names (the state code's upper-case city names) whose catalogue row
    // in cityRows holds a position that coordinates can place on the full map; the others are
    // left out. Replaces what was placed before.
    void Place(const TSortedStrings &cityRows, const QString &code, const TSortedStrings &names,
               const TCoordinates &coordinates);
    void Clear() { FPlaces.clear(); }

    // The display name of the placed city nearest point (full-map pixels), the first in name
    // order on a tie; "" when no city is placed.
    QString Nearest(QPoint point) const;

private:
    struct TPlace {
        QString Name;  // display case
        QPoint Pixel;  // full-map pixels
    };
    std::vector<TPlace> FPlaces;
};
