#include "search/great_circle.h"
