#pragma once

#include <QString>
#include <cstdint>

#include "mapdata/road_route.h"

// A road route the calculator hands to the map window to show: the engine's answer and the
// two cities as the user chose them.
struct TShownRoute {
    TRoadRoute Route;
    int32_t OriginRow = -1;  // CityRows index of the origin
    QString OriginName;      // "São Paulo/SP"
    QString DestinationName;
};
