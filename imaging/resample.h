#pragma once

#include <QImage>
#include <QString>
#include <array>

// Separable filtered resampler: a horizontal pass into an intermediate bitmap, then a
// vertical pass into the destination. Kernels take and return Single (float).
using TResampleKernel = float (*)(float x);

float FilterBox(float x);
float FilterTriangle(float x);
float FilterHermite(float x);
float FilterBell(float x);
float FilterBSpline(float x);
float FilterLanczos3(float x);
float FilterMitchell(float x);
float NormalizedSinc(float x);

struct TResampleFilterEntry {
    const char *Name;
    TResampleKernel Kernel;
    float Support;
};

// Box, Triangle, Hermite, Bell, B-Spline, Lanczos3 (index 5, the renderer's), Mitchell.
extern const std::array<TResampleFilterEntry, 7> ResampleFilterTable;
constexpr int kLanczos3FilterIndex = 5;

// Resizes source to the size destination already has, filling every pixel of it. source is
// converted to 24 bits per pixel in place; destination takes the same format. Weights are not
// normalised; every channel is accumulated as a Single and stored clamped to 0..255, rounded
// half to even. Throws TovralError, before changing anything, with "Source bitmap too small"
// when source is empty, and when kernel is null, support lies outside 0..256, or a destination
// axis of one pixel faces a longer source axis. An empty destination is left as it is.
void ResampleBitmap(QImage &source, QImage &destination, TResampleKernel kernel, float support);
