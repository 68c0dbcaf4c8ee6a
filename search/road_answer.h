#pragma once

#include <QString>

#include "mapdata/road_route.h"

// The calculator's road answer as the window shows it, one line each: the road distance (or
// "sem ligação rodoviária conhecida"), the straight line for comparison, the kilometres off
// the network with each city whose join is "fora da malha", then the roads in order with
// their kilometres ("BR-116 402,3 km"). Kilometres with one decimal and the given decimal
// separator. The cities are named as the user chose them ("São Paulo/SP").
QString RoadAnswerText(const TRoadRoute &route, const QString &originName, const QString &destinationName,
                       const QString &decimalSeparator);

// Kilometres with one decimal, rounded half to even, and the given decimal separator
// ("402,3 km").
QString OneDecimalKm(long double kilometres, const QString &decimalSeparator);

// What the answer says when the data folder has no road network, or has one that cannot be
// read.
extern const QString kNoRoadNetworkText;
extern const QString kUnusableRoadNetworkText;
