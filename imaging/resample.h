#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <vector>

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

// Memory the resampler reuses from one call to the next when the caller keeps it: the
// intermediate bitmap and the working lines of the vectorised passes. What it holds between
// calls means nothing.
struct TResampleWorkspace {
    std::vector<uchar> Intermediate;
    std::vector<float> Lines;
    std::vector<uchar> OutputLines;
};

// ResampleBitmap for a caller that resamples piece after piece. The source is read as it is when
// it is 24-bit (RGB888) or 32-bit (RGB32), and never changed; the destination gets the format
// of the source (a 32-bit one keeps its fourth byte at 0xFF); the scratch memory comes from
// workspace and stays there. Same checks and the same colours as ResampleBitmap.
void ResamplePiece(const QImage &source, QImage &destination, TResampleKernel kernel, float support,
                   TResampleWorkspace &workspace);
