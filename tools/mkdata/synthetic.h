#pragma once

#include "tools/mkdata/geodata.h"

// A small fictional country made in code: three invented states side by side (codes TA, TB,
// TC) with a few towns each (accented names, one capital each), a neighbouring country,
// a river, a lake, a federal highway across all three and a state highway in each.
TGeodata SyntheticGeodata();

// The map size used for the synthetic states (small, so that tests stay quick).
constexpr double kSyntheticMegaPixels = 1.2;
