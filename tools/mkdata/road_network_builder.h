#pragma once

// The road network file of the data folder, built from the roads of the geodata.

#include <QString>
#include <QStringList>
#include <vector>

#include "mapdata/road_network.h"
#include "tools/mkdata/geodata.h"

// The network of the roads: every distinct position is one point, consecutive positions of a
// line are joined. Runs of points with two neighbours on one road become a single edge that
// keeps them as its shape, so the search runs over junctions only: a junction is a point where
// the number of roads meeting is not two or where the road changes (a closed loop without
// any gets one at its first point). Each catalogue line's city is joined to the network as
// the route search would join it. The same roads and lines give the same bytes.
TRoadNetworkData BuildRoadNetwork(const std::vector<TRoad> &roads, const QStringList &cityLines);

// Writes <folder>/rodovias.net for the geodata's roads and the catalogue of its municipalities.
void WriteRoadNetwork(const QString &folder, const TGeodata &data);
