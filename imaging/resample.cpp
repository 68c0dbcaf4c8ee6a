#include "imaging/resample.h"
