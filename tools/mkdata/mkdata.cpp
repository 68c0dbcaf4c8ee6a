#include "tools/mkdata/mkdata.h"

#include <QDir>
#include <QElapsedTimer>
#include <exception>
#include <mutex>
#include <semaphore>
#include <thread>

#include "base/errors.h"
#include "mapdata/names.h"
#include "tools/map_writer.h"
#include "tools/mkdata/boundaries.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/road_network_builder.h"
#include "tools/mkdata/state_scene.h"
#include "tools/pts_writer.h"

namespace {
constexpr int kTileSize = 256;
constexpr int kJpegQuality = 80;
} // namespace

namespace {
// Draws a scene band by band into a .map file.
void WriteMap(const TStateScene &scene, const QString &path)
{
    const TProjection &projection = scene.Projection();
    TMapWriter map(projection.Width, projection.Height, kTileSize, kJpegQuality);
    for (int top = 0; map.NextBandHeight() > 0;) {
        QImage band(projection.Width, map.NextBandHeight(), QImage::Format_RGB32);
        scene.DrawBand(band, top);
        map.AddBand(band);
        top += band.height();
    }
    map.Save(path);
}
} // namespace

void WriteStateFiles(const TStateScene &full, const TStateScene &light, const QString &folder)
{
    const QDir dir(folder);
    const QString stem = LowerCase(full.UF());
    WriteMap(full, dir.filePath(stem + QStringLiteral("_full.map")));
    WriteMap(light, dir.filePath(stem + QStringLiteral("_light.map")));
    WritePtsFile(dir.filePath(stem + QStringLiteral(".pts")), ReferenceGrid(full.Projection()));
}

std::vector<TStateBuildReport> MakeDataFolder(const TGeodata &data, const QString &folder,
                                              const QStringList &states, int threads, double megaPixels)
{
    QStringList codes = states;
    if (codes.isEmpty())
        for (const TUFName &uf : data.UFs)
            codes << uf.Code;
    for (const QString &code : codes)
        if (!data.UFName(code) || !data.StateArea(code))
            throw TovralError(QStringLiteral("Unknown state %1").arg(code));
    if (!QDir().mkpath(folder))
        throw TovralError(QStringLiteral("Cannot create folder %1").arg(QDir::toNativeSeparators(folder)));
    WriteCatalogues(folder, data);
    WriteRoadNetwork(folder, data);

    const std::vector<TBorderRun> boundaries = ClassifyBoundaries(data);
    std::vector<TStateBuildReport> reports(size_t(codes.size()));
    std::exception_ptr failure;
    std::mutex failureLock;
    std::counting_semaphore<> freeThreads(std::max(1, threads));
    auto build = [&](int i) {
        try {
            QElapsedTimer timer;
            timer.start();
            const TStateScene full(data, boundaries, codes[i], megaPixels);
            const TStateScene light(data, boundaries, codes[i], megaPixels, MapStyle::TMapScale::Light);
            WriteStateFiles(full, light, folder);
            reports[size_t(i)] = {codes[i], full.Projection().Width, full.Projection().Height,
                                  timer.elapsed() / 1000.0};
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure)
                failure = std::current_exception();
        }
        freeThreads.release();
    };
    // Each state is drawn in a thread of its own, which ends with it. Qt keeps its text
    // drawing state per thread, and part of it depends on what the thread drew before: a font
    // decides from the first glyph it draws how finely it places glyphs between pixels. A
    // thread reused for a second state would letter that state after another one, moving some
    // glyphs by a fraction of a pixel, so the bytes would depend on which states shared a
    // thread, in what order. Declared last, the threads are joined before anything they use
    // goes, even when starting one fails.
    std::vector<std::jthread> builders;
    builders.reserve(size_t(codes.size()));
    for (int i = 0; i < codes.size(); ++i) {
        freeThreads.acquire();
        if (const std::lock_guard<std::mutex> lock(failureLock); failure)
            break;
        builders.emplace_back(build, i);
    }
    for (std::jthread &builder : builders)
        builder.join();
    if (failure)
        std::rethrow_exception(failure);
    return reports;
}
