#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "mapdata/coordinates.h"
#include "tools/mkdata/geodata.h"

// The public geodata beside the repository, read once; nullptr when the folder is absent.
const TGeodata *RealGeodata();
QString RealGeodataFolder();

// The reference points of a projection as the viewer holds them.
TCoordinates CoordinatesOf(const std::vector<TCoordinateItem> &grid);

// Share of the pixels of image (in rect) whose colour is within tolerance of colour.
double ShareOfColour(const QImage &image, const QRect &rect, QColor colour, int tolerance = 40);
