// The road network of the whole country: build/bin/img/rodovias.net with its catalogue (or
// those of $TOVRAL_BENCH_IMG); without them both are first built from the geodata beside the
// repository.
//   BM_LoadNetwork   reads and indexes the file (goal: 30 ms at most); held_MiB counts the
//                    loaded structures, rss_MiB the growth of the resident size over one load
//                    (goal: 16 MiB at most)
//   BM_Route         the road answer between two catalogue cities, 1,000 random pairs (fixed
//                    seed) an iteration; median_ms and worst_ms per route in processor time
//                    (goals: 2 ms, 10 ms), wall_median_ms and wall_worst_ms in wall time
//   BM_JoinPosition  the nearest point of all and of the largest piece to a random position in
//                    the country
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>

#include "mapdata/catalogue.h"
#include "mapdata/road_route.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/geodata.h"
#include "tools/mkdata/road_network_builder.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

// The data folder holding the network and the city catalogue.
QString NetworkFolder()
{
    static QTemporaryDir built;
    static const QString folder = [] {
        const QString img = qEnvironmentVariable(
            "TOVRAL_BENCH_IMG",
            QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), 0, -3) +
                QStringLiteral("/bin/img"));
        if (QFile::exists(QDir(img).filePath(kRoadNetworkFileName)))
            return img;
        const TGeodata data = ReadGeodata(QStringLiteral(TOVRAL_GEODATA_DIR));
        WriteCatalogues(built.path(), data);
        WriteRoadNetwork(built.path(), data);
        return built.path();
    }();
    return folder;
}

QString NetworkPath()
{
    return QDir(NetworkFolder()).filePath(kRoadNetworkFileName);
}

const QStringList &CityRows()
{
    static const QStringList rows = ReadCatalogueLines(QDir(NetworkFolder()).filePath(QStringLiteral("txt/cidades.txt")));
    return rows;
}

const TRoadNetwork &Network()
{
    static const TRoadNetwork network = [] {
        TRoadNetwork loaded;
        loaded.LoadFromFile(NetworkPath());
        return loaded;
    }();
    return network;
}

long long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * 4096;
}

void BM_LoadNetwork(benchmark::State &state)
{
    const QString path = NetworkPath();
    // Measured once, before any load: the allocator keeps freed memory for the next one.
    static const long long growth = [&path] {
        const long long before = ResidentBytes();
        TRoadNetwork first;
        first.LoadFromFile(path);
        return ResidentBytes() - before;
    }();
    size_t held = 0;
    for (auto _ : state) {
        TRoadNetwork network;
        network.LoadFromFile(path);
        held = network.HeldBytes();
        benchmark::DoNotOptimize(network);
    }
    state.counters["held_MiB"] = double(held) / kMiB;
    state.counters["rss_MiB"] = double(growth) / kMiB;
}

// The processor time of this thread, in milliseconds: on a shared machine a route's wall time
// also counts the time other processes held the processor.
double ThreadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void BM_Route(benchmark::State &state)
{
    const TRoadNetwork &network = Network();
    const QStringList &rows = CityRows();
    std::vector<double> wall, processor;
    for (auto _ : state) {
        std::mt19937 random(23);
        std::uniform_int_distribution<qsizetype> city(0, rows.size() - 1);
        for (int i = 0; i < 1000; ++i) {
            const QString &origin = rows[city(random)], &destination = rows[city(random)];
            const auto start = std::chrono::steady_clock::now();
            const double startProcessor = ThreadMilliseconds();
            benchmark::DoNotOptimize(RoadRouteBetweenRows(network, origin, destination));
            processor.push_back(ThreadMilliseconds() - startProcessor);
            wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(wall.begin(), wall.end());
    std::sort(processor.begin(), processor.end());
    state.counters["median_ms"] = processor[processor.size() / 2];
    state.counters["worst_ms"] = processor.back();
    state.counters["wall_median_ms"] = wall[wall.size() / 2];
    state.counters["wall_worst_ms"] = wall.back();
}

void BM_JoinPosition(benchmark::State &state)
{
    const TRoadNetwork &network = Network();
    std::mt19937 random(23);
    std::uniform_real_distribution<long double> latitude(-33, 5), longitude(-73, -35);
    for (auto _ : state)
        benchmark::DoNotOptimize(network.JoinPosition(latitude(random), longitude(random)));
}

} // namespace

BENCHMARK(BM_LoadNetwork)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Route)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_JoinPosition)->Unit(benchmark::kMicrosecond);
