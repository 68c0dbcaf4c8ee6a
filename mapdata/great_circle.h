#pragma once

#include <QString>
#include <optional>

// Approximate straight-line (great-circle) distance in kilometres between an origin and a
// destination given as catalogue coordinate texts ([sign]DDMMSS); nothing when a text is
// empty or rejected by ParseDMS. The earth radius depends on which city is the origin.
std::optional<long double> GreatCircleKm(const QString &latitude1, const QString &longitude1,
                                         const QString &latitude2, const QString &longitude2);
// The same distance between two positions in decimal degrees (negative south and west).
long double GreatCircleKm(long double latitude1, long double longitude1, long double latitude2,
                          long double longitude2);

// A distance in kilometres with two decimals and '.' as the decimal point ("1234.57"),
// whatever the user's locale says.
QString KilometresText(long double kilometres);
