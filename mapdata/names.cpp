#include "mapdata/names.h"
