#include "mapdata/map_image.h"
