#pragma once

#include <QString>

// Approximate straight-line (great-circle) distance in kilometres between an origin and a
// destination given as catalogue coordinate texts ([sign]DDMMSS). Returns false when a text
// is empty or rejected by ParseDMS. The earth radius depends on which city is the origin.
bool GreatCircleKm(const QString &latitude1, const QString &longitude1, const QString &latitude2,
                   const QString &longitude2, long double &kilometres);
