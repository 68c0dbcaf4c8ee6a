#include <benchmark/benchmark.h>

#include "mapdata/coordinates.h"

namespace {
// A grid of parallels and meridians, one degree apart, 100 pixels per degree; the points
// are stored row by row, as a map maker writes them.
TCoordinates Grid(int parallels, int meridians)
{
    TCoordinates grid;
    for (int row = 0; row < parallels; ++row)
        for (int column = 0; column < meridians; ++column)
            grid.Add({-74.0L + column, 5.0L - row, column * 100, row * 100});
    return grid;
}

void BM_GeoToPixel(benchmark::State &state)
{
    const int parallels = int(state.range(0));
    const int meridians = int(state.range(1));
    const TCoordinates grid = Grid(parallels, meridians);
    const long double longitude = -74.0L + meridians * 0.37L;
    const long double latitude = 5.0L - parallels * 0.61L;
    for (auto _ : state)
        benchmark::DoNotOptimize(grid.GeoToPixel(longitude, latitude));
    state.SetLabel(std::to_string(grid.Count()) + " points");
}
// The inverse, as the pointer's position in the status line asks it at every mouse move.
void BM_PixelToGeo(benchmark::State &state)
{
    const int parallels = int(state.range(0));
    const int meridians = int(state.range(1));
    const TCoordinates grid = Grid(parallels, meridians);
    const TMapPoint pixel{meridians * 37.3L, parallels * 61.7L};
    for (auto _ : state)
        benchmark::DoNotOptimize(grid.PixelToGeo(pixel));
    state.SetLabel(std::to_string(grid.Count()) + " points");
}

// The same for a pointer that moves a pixel at a time: each search starts from the last.
void BM_PixelToGeoMoving(benchmark::State &state)
{
    const TCoordinates grid = Grid(int(state.range(0)), int(state.range(1)));
    const TMapPoint start{state.range(1) * 37.3L, state.range(0) * 61.7L};
    std::optional<TNearbyPosition> last;
    int step = 0;
    for (auto _ : state) {
        const TMapPoint pixel{start.X + step++ % 200, start.Y};
        const std::optional<TPixelPosition> found = grid.PixelPosition(pixel, last);
        if (found)
            last = TNearbyPosition{pixel, *found};
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(std::to_string(grid.Count()) + " points");
}
} // namespace

BENCHMARK(BM_PixelToGeo)->Args({10, 10})->Args({25, 40})->Args({100, 100})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixelToGeoMoving)->Args({25, 40})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GeoToPixel)->Args({10, 10})->Args({25, 40})->Args({100, 100})->Unit(benchmark::kMicrosecond);
