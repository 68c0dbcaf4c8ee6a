#include "mapdata/app_path.h"
