#include "mapdata/display_probe.h"
