#include "tools/map_writer.h"
