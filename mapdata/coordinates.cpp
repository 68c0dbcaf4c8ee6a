#include "mapdata/coordinates.h"
