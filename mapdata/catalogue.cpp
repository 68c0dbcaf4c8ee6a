#include "mapdata/catalogue.h"
