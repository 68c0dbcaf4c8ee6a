// Peak memory (VmHWM) of the two largest jobs of the viewer, each run in a fresh process:
//   BM_PanHighQuality  loads the light and the full map of the largest state and pans a
//                      1920 x 1080 view across the whole full map at 120 % with high quality on;
//   BM_SaveLightMap    loads that light map, renders it whole at scale 1 and saves it as JPEG.
// The engine holds the compressed tiles, the decoded tiles of the shared tile cache (at most its
// budget, reported as cache_peak_MiB), the pieces the render workers have ready and the view,
// so the growth over the process's starting size should stay near the budget counter:
//   pan:  compressed light + full maps + view + cache peak + a resampled piece for each piece
//         the workers may hold ready
//   save: compressed light map + light picture + cache peak + the JPEG written.
// The save also holds libjpeg's coefficients of the whole picture (about 3 bytes a pixel),
// which the optimised Huffman tables need: expect growth/budget near 1.8 there.
// The maps are the largest *_full.map of build/bin/img (or of $TOVRAL_BENCH_IMG); without one a
// synthetic 8000 x 6000 map with a 0.4 light map is written first.
//   memory_bench --scenario pan|save LIGHT FULL   runs one scenario and prints its figures.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "mapdata/jpeg_codec.h"
#include "mapdata/map_image.h"
#include "mapdata/render_pool.h"
#include "mapdata/tile_cache.h"
#include "tools/map_writer.h"

namespace {

constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr long double kPanScale = 1.2L;
constexpr double kMiB = 1024.0 * 1024.0;

// ---------------------------------------------------------------------------------------
// Inside the measured process
// ---------------------------------------------------------------------------------------

// A field of /proc/self/status in bytes (VmRSS: now, VmHWM: the peak so far).
long long StatusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

// The largest decoded tile of a map, in bytes (RGB32).
long long LargestTileBytes(const TMapImage &map)
{
    long long largest = 0;
    for (const TMapTile &tile : map.Tiles())
        largest = std::max(largest, 4ll * (tile.Right - tile.Left) * (tile.Bottom - tile.Top));
    return largest;
}

struct TFigures {
    long long StartBytes = 0; // resident size before the maps are loaded
    long long PeakBytes = 0;
    long long BudgetBytes = 0;
    long long CachePeakBytes = 0;
};

// Pans the view row by row, half a view at a time, over the whole full map; the viewer's rule
// picks the full map at this scale (the light map has too few pixels).
TFigures PanHighQuality(const QString &lightPath, const QString &fullPath)
{
    TFigures figures;
    figures.StartBytes = StatusBytes("VmRSS");
    TMapImage light, full;
    light.LoadFromFile(lightPath);
    full.LoadFromFile(fullPath);
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const int stepX = int(kViewWidth / kPanScale / 2);
    const int stepY = int(kViewHeight / kPanScale / 2);
    for (int y = 0; y < full.Height() + stepY; y += stepY)
        for (int x = 0; x < full.Width() + stepX; x += stepX) {
            QPainter painter(&view);
            painter.setBrush(Qt::white);
            full.Draw(TRenderQuality::High, QPoint(x, y), view.rect(), kPanScale, painter);
        }
    const long long scaledPiece = (long long)(LargestTileBytes(full) * kPanScale * kPanScale);
    const long long readyPieces = (long long)SharedRenderPool().MostPiecesReady();
    figures.CachePeakBytes = (long long)SharedTileCache().PeakBytes();
    figures.BudgetBytes = light.Data().size() + full.Data().size() + view.sizeInBytes() + figures.CachePeakBytes
                          + readyPieces * scaledPiece;
    figures.PeakBytes = StatusBytes("VmHWM");
    return figures;
}

// The save of the whole light map: render at scale 1 into a picture of its size, then JPEG.
TFigures SaveLightMap(const QString &lightPath)
{
    TFigures figures;
    figures.StartBytes = StatusBytes("VmRSS");
    TMapImage light;
    light.LoadFromFile(lightPath);
    QImage picture(light.Width(), light.Height(), QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        painter.setBrush(Qt::white);
        light.Draw(TRenderQuality::Plain, QPoint(light.Width() / 2, light.Height() / 2), picture.rect(), 1.0L, painter);
    }
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("saved.jpg"));
    SaveJpegFile(picture, target);
    figures.CachePeakBytes = (long long)SharedTileCache().PeakBytes();
    figures.BudgetBytes = light.Data().size() + picture.sizeInBytes() + figures.CachePeakBytes
                          + QFileInfo(target).size();
    figures.PeakBytes = StatusBytes("VmHWM");
    return figures;
}

int RunScenario(const std::string &scenario, const QString &lightPath, const QString &fullPath)
{
    const TFigures figures = scenario == "pan" ? PanHighQuality(lightPath, fullPath) : SaveLightMap(lightPath);
    std::printf("%lld %lld %lld %lld\n", figures.StartBytes, figures.PeakBytes, figures.BudgetBytes,
                figures.CachePeakBytes);
    return 0;
}

// ---------------------------------------------------------------------------------------
// The benchmark process
// ---------------------------------------------------------------------------------------

struct TMapPair {
    QString Light, Full;
};

// The largest full map of a data folder and its light map, if the folder holds any.
std::optional<TMapPair> LargestState(const QString &folder)
{
    const QFileInfoList maps = QDir(folder).entryInfoList({QStringLiteral("*_full.map")}, QDir::Files, QDir::Size);
    if (maps.isEmpty())
        return std::nullopt;
    const QString full = maps.first().absoluteFilePath();
    QString light = full;
    light.replace(QStringLiteral("_full.map"), QStringLiteral("_light.map"));
    if (!QFileInfo::exists(light))
        return std::nullopt;
    return TMapPair{light, full};
}

// Soft colours with a grid of roads, written band by band so that no whole picture is held.
void WriteSyntheticMap(const QString &path, int width, int height)
{
    TMapWriter writer(width, height);
    for (int top = 0; writer.NextBandHeight() > 0; top += 256) {
        QImage band(width, writer.NextBandHeight(), QImage::Format_RGB32);
        for (int y = 0; y < band.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(band.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int shade = int(30 * std::sin(x * 0.01) * std::cos((top + y) * 0.013));
                const bool road = (x % 97) < 3 || ((top + y) % 131) < 2;
                row[x] = road ? qRgb(200, 40, 30) : qRgb(225 + shade, 220 + shade / 2, 200);
            }
        }
        writer.AddBand(band);
    }
    writer.Save(path);
}

const TMapPair &Maps()
{
    static QTemporaryDir synthetic;
    static const TMapPair maps = [] {
        const QString folder = qEnvironmentVariable("TOVRAL_BENCH_IMG",
                                                    QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()
                                                        .section(QLatin1Char('/'), 0, -3) + QStringLiteral("/bin/img"));
        if (const std::optional<TMapPair> found = LargestState(folder))
            return *found;
        const TMapPair made{synthetic.filePath(QStringLiteral("synthetic_light.map")),
                            synthetic.filePath(QStringLiteral("synthetic_full.map"))};
        WriteSyntheticMap(made.Full, 8000, 6000);
        WriteSyntheticMap(made.Light, 3200, 2400);
        return made;
    }();
    return maps;
}

// Runs this program again with --scenario and reads its four figures.
std::optional<TFigures> MeasureInFreshProcess(const char *scenario)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    const QByteArray light = Maps().Light.toLocal8Bit(), full = Maps().Full.toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        execl("/proc/self/exe", "memory_bench", "--scenario", scenario, light.constData(), full.constData(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char output[256] = {};
    const ssize_t length = read(pipeEnds[0], output, sizeof output - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    TFigures figures;
    if (length <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0
        || std::sscanf(output, "%lld %lld %lld %lld", &figures.StartBytes, &figures.PeakBytes, &figures.BudgetBytes,
                       &figures.CachePeakBytes) != 4)
        return std::nullopt;
    return figures;
}

void ReportScenario(benchmark::State &state, const char *scenario)
{
    Maps(); // a synthetic map is written before the clock starts
    std::optional<TFigures> figures;
    for (auto _ : state)
        figures = MeasureInFreshProcess(scenario);
    if (!figures) {
        state.SkipWithError("the measured process failed");
        return;
    }
    const long long growth = figures->PeakBytes - figures->StartBytes;
    state.counters["peak_MiB"] = double(figures->PeakBytes) / kMiB;
    state.counters["growth_MiB"] = double(growth) / kMiB;
    state.counters["budget_MiB"] = double(figures->BudgetBytes) / kMiB;
    state.counters["growth/budget"] = double(growth) / double(figures->BudgetBytes);
    state.counters["cache_peak_MiB"] = double(figures->CachePeakBytes) / kMiB;
    state.counters["cache_budget_MiB"] = double(SharedTileCache().BudgetBytes()) / kMiB;
    state.SetLabel(QFileInfo(Maps().Full).fileName().toStdString());
}

void BM_PanHighQuality(benchmark::State &state) { ReportScenario(state, "pan"); }
void BM_SaveLightMap(benchmark::State &state) { ReportScenario(state, "save"); }

BENCHMARK(BM_PanHighQuality)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLightMap)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--scenario") == 0)
        return RunScenario(argv[2], QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
