#include "tools/pts_writer.h"
