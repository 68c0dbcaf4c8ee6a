#pragma once

#include <QByteArray>
#include <QString>

#include "mapdata/road_network.h"

// The bytes of a road network file (format in mapdata/road_network.h), as given: nothing is
// checked beyond what the format can hold, so that tests can write faulty files too.
// Throws TovralError for a road reference longer than 255 bytes of UTF-8.
QByteArray RoadNetworkBytes(const TRoadNetworkData &data);

// Writes a road network file through a temporary file.
void WriteRoadNetworkFile(const QString &path, const TRoadNetworkData &data);
