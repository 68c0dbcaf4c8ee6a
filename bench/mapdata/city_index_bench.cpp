// The city search index on the real city catalogue (build/bin/img/txt/cidades.txt, which
// scripts/build makes; or the file named by TOVRAL_BENCH_CATALOGUE): building it for every
// city, as the viewer does at start, and one keystroke's suggestions for every beginning of
// every city name and for 500 misspelled names (one or two random edits, a fixed seed).
// Each query is timed alone, the least of three runs (the machine's other work left out);
// the counters give the median, the 99th percentile and the slowest query, in milliseconds.
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <random>
#include <time.h>

#include "mapdata/catalogue.h"
#include "mapdata/city_index.h"

namespace {
TSortedStrings gRows;

// The city names of the catalogue, one per row.
QStringList CityNames()
{
    QStringList names;
    for (const QString &row : gRows.Items())
        names << RowCityName(row);
    return names;
}

// Every beginning of every name, as typed letter by letter.
std::vector<QString> EveryBeginning()
{
    std::vector<QString> queries;
    for (const QString &name : CityNames())
        for (qsizetype length = 1; length <= name.size(); ++length)
            queries.push_back(name.left(length));
    return queries;
}

// Names with one or two random edits: a letter inserted, deleted, replaced, or two neighbours
// swapped.
std::vector<QString> MisspelledNames()
{
    const QStringList names = CityNames();
    std::mt19937 random(24);
    const auto pick = [&random](int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
    std::vector<QString> queries;
    while (queries.size() < 500) {
        QString name = names[pick(int(names.size()))].toLower();
        const int edits = 1 + pick(2);
        for (int edit = 0; edit < edits && name.size() >= 2; ++edit) {
            const int at = pick(int(name.size()) - 1);
            const QChar letter(char16_t(u'a' + pick(26)));
            switch (pick(4)) {
            case 0: name.insert(at, letter); break;
            case 1: name.remove(at, 1); break;
            case 2: name[at] = letter; break;
            default: std::swap(name[at], name[at + 1]); break;
            }
        }
        queries.push_back(name);
    }
    return queries;
}

void BuildIndex(benchmark::State &state)
{
    int cities = 0;
    for (auto _ : state) {
        const TCityIndex index(gRows);
        cities = index.Count();
        benchmark::DoNotOptimize(cities);
    }
    state.counters["cities"] = cities;
}

// Milliseconds of processor time this thread has used.
double ThreadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The median, the 99th percentile and the largest of times, as counters named prefix_...
void TimeCounters(benchmark::State &state, const char *prefix, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::string name(prefix);
    state.counters[name + "_median_ms"] = times[times.size() / 2];
    state.counters[name + "_p99_ms"] = times[times.size() * 99 / 100];
    state.counters[name + "_max_ms"] = times.back();
}

// One keystroke's suggestions (at most 8), each query of the set timed alone: the time on
// the clock (wall) and the processor time of the query's own work (cpu).
void Suggest(benchmark::State &state, const std::vector<QString> &queries)
{
    using Clock = std::chrono::steady_clock;
    const TCityIndex index(gRows);
    std::vector<double> wall(queries.size()), cpu(queries.size());
    for (auto _ : state) {
        for (size_t i = 0; i < queries.size(); ++i) {
            TCityQuery query;
            query.Text = queries[i];
            query.PreferredUF = QStringLiteral("MG");
            wall[i] = cpu[i] = 1e9;
            for (int run = 0; run < 3; ++run) {
                const Clock::time_point start = Clock::now();
                const double startCpu = ThreadMilliseconds();
                benchmark::DoNotOptimize(index.Suggest(query));
                cpu[i] = std::min(cpu[i], ThreadMilliseconds() - startCpu);
                wall[i] = std::min(wall[i], std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
        }
    }
    state.counters["queries"] = double(queries.size());
    TimeCounters(state, "wall", wall);
    TimeCounters(state, "cpu", cpu);
}

void EveryBeginningOfEveryName(benchmark::State &state) { Suggest(state, EveryBeginning()); }
void MisspelledName(benchmark::State &state) { Suggest(state, MisspelledNames()); }

BENCHMARK(BuildIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(EveryBeginningOfEveryName)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(MisspelledName)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char *argv[])
{
    const QByteArray given = qgetenv("TOVRAL_BENCH_CATALOGUE");
    const QString path = given.isEmpty() ? QStringLiteral(TOVRAL_BUILD_BIN "/img/txt/cidades.txt")
                                         : QString::fromLocal8Bit(given);
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "%s not found: run scripts/build (it makes the data folder) first\n",
                     qPrintable(path));
        return 1;
    }
    gRows.Assign(ReadCatalogueLines(path));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
