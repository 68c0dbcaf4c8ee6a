#pragma once

#include <QString>
#include <vector>

#include "mapdata/coordinates.h"

// Writes a .pts file (int32 byte count, then 28-byte records) through a temporary file.
void WritePtsFile(const QString &path, const std::vector<TCoordinateItem> &items);
