#include "mapdata/jpeg_codec.h"
