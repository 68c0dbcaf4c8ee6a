#pragma once

class QScreen;

// 2 to the power n (n >= 0), in double precision.
double PowerOfTwo(int n);

// Number of colours a display of the given depth (bits per pixel) can show; depths below
// 4 bits report the 256-colour palette size.
double ColorCountForDepth(int bitsPerPixel);

// Number of colours the screen can show, from its depth. The viewer refuses to run when
// this is 256 or less.
double DisplayColorCount(const QScreen *screen);
