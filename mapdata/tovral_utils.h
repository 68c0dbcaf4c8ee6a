#pragma once

// The map-data unit: data folder, catalogues, name helpers, display probe, the tiled map
// picture and the reference points.
#include "mapdata/app_path.h"
#include "mapdata/catalogue.h"
#include "mapdata/coordinates.h"
#include "mapdata/display_probe.h"
#include "mapdata/errors.h"
#include "mapdata/map_image.h"
#include "mapdata/names.h"
