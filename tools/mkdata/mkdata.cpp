#include "tools/mkdata/mkdata.h"

#include <QDir>
#include <QElapsedTimer>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "base/errors.h"
#include "mapdata/names.h"
#include "tools/map_writer.h"
#include "tools/mkdata/boundaries.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/light_reducer.h"
#include "tools/mkdata/state_scene.h"
#include "tools/pts_writer.h"

namespace {
constexpr int kTileSize = 256;
constexpr int kJpegQuality = 80;
} // namespace

void WriteStateFiles(const TStateScene &scene, const QString &folder)
{
    const TProjection &projection = scene.Projection();
    const QDir dir(folder);
    const QString stem = LowerCase(scene.UF());
    TMapWriter full(projection.Width, projection.Height, kTileSize, kJpegQuality);
    TMapWriter light(TAreaReducer::Reduced(projection.Width), TAreaReducer::Reduced(projection.Height),
                     kTileSize, kJpegQuality);
    TAreaReducer reducer(projection.Width, projection.Height, kTileSize,
                         [&](const QImage &band) { light.AddBand(band); });
    for (int top = 0; full.NextBandHeight() > 0;) {
        QImage band(projection.Width, full.NextBandHeight(), QImage::Format_RGB32);
        scene.DrawBand(band, top);
        full.AddBand(band);
        reducer.AddBand(band);
        top += band.height();
    }
    full.Save(dir.filePath(stem + QStringLiteral("_full.map")));
    light.Save(dir.filePath(stem + QStringLiteral("_light.map")));
    WritePtsFile(dir.filePath(stem + QStringLiteral(".pts")), ReferenceGrid(projection));
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

    const std::vector<TBorderRun> boundaries = ClassifyBoundaries(data);
    std::vector<TStateBuildReport> reports(size_t(codes.size()));
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (int i = next++; i < codes.size(); i = next++) {
            try {
                QElapsedTimer timer;
                timer.start();
                const TStateScene scene(data, boundaries, codes[i], megaPixels);
                WriteStateFiles(scene, folder);
                reports[size_t(i)] = {codes[i], scene.Projection().Width, scene.Projection().Height,
                                      timer.elapsed() / 1000.0};
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = int(codes.size());
            }
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < std::max(1, std::min<int>(threads, int(codes.size()))); ++t)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return reports;
}
