#include "tools/catalogue_writer.h"
