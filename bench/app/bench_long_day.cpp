// A long day of use of the viewer on the sample data folder, driven through the windows'
// own buttons, keys, wheel and locator on the offscreen platform: 200 state loads through the
// state picker, cycling through every state; 10,000 pans and zoom changes; 500 cities
// located by typing their names; 50 saves of the visible part.
// Counters: resident memory after the first cycle through the states and at the end, as it
// is and without the decoded-tile cache (growth without it; the goal: under 5 MiB), the
// slowest redraw seen after a pan, zoom or locate (wall and processor time), and the failures
// (any message box, a load that did not finish, a city not brought to 100 %, a save that
// wrote nothing; the goal: none).
// The data is the folder img/ of TOVRAL_BENCH_APP (default: the build's bin folder, filled
// by scripts/make-data).
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "app/map_view.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "mapdata/tile_cache.h"
#include "tests/app/viewer_test_support.h"
#include "tests/output/answered_output_dialogs.h"

namespace {

constexpr int kStateLoads = 200;
constexpr int kMoves = 10000;
constexpr int kLocates = 500;
constexpr int kSaves = 50;
constexpr int kZoomLevels = 7;

// Resident memory of this process, in MiB (VmRSS).
double ResidentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Resident memory without the decoded-tile cache, whose content depends on the views shown
// last (bounded by its budget; the memory benchmark reports its peak), and without the freed
// pages the allocator keeps: what remains can only grow by leaking. The view's look-ahead is
// stopped first, so that it puts nothing back; the next redraw decodes its tiles afresh and
// starts it again.
double ResidentWithoutCacheMiB()
{
    formTovralMain->View()->StopPreparing();
    SharedTileCache().Clear();
    malloc_trim(0);
    return ResidentMiB();
}

// One day's worth of moves on the shown state, each a real input the window answers with a
// redraw: the eight pan buttons, the arrow and zoom keys over the map, the wheel and the zoom box.
class TDay {
public:
    explicit TDay(TModalAnswers &answers) : FAnswers(answers) {}

    bool LoadState(const QString &displayName)
    {
        FAnswers.Add(PickState(displayName));
        QTest::mouseClick(&MapControl<QPushButton>("bChangeUF"), Qt::LeftButton);
        return QTest::qWaitFor([&] { return formTovralMain->Ready() && formTovralMain->isEnabled()
                                            && MapControl<QLabel>("lUF").text() == displayName; },
                               kViewerWaitMs);
    }

    void Move(int step)
    {
        TViewImage *view = &MapControl<TViewImage>("Image");
        const char *const pad[] = {"bTL",          "bT",           "bTR",          "SpeedButton2",
                                   "SpeedButton1", "SpeedButton3", "SpeedButton5", "SpeedButton4"};
        const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Plus, Qt::Key_Minus};
        switch (step % 4) {
        case 0: {
            QToolButton &button = MapControl<QToolButton>(pad[(step / 4) % 8]);
            Timed([&] { button.click(); });
            break;
        }
        case 1:
            Timed([&] { QTest::keyClick(view, keys[(step / 4) % 6]); });
            break;
        case 2:
            Timed([&] { TurnWheel(*view, (step / 4) % 3 == 2 ? -120 : 120); });
            break;
        default:
            Timed([&] { SelectZoom((step / 4) % kZoomLevels); });
        }
    }

    // Types the name of one of the state's cities into the locator and presses Enter; false
    // when the map did not come to that city at 100 %.
    bool Locate(int which)
    {
        const QListWidget &cities = MapControl<QListWidget>("lCidades");
        QLineEdit &search = MapControl<QLineEdit>("eCidade");
        if (cities.count() == 0)
            return false;
        const QString name = cities.item((which * 37) % cities.count())->text();
        search.clear();
        SelectZoom(0);
        TypeText(search, name);
        Timed([&] { QTest::keyClick(&search, Qt::Key_Return); });
        return MapControl<QComboBox>("cZoom").currentText() == QStringLiteral("100%");
    }

    bool SaveVisiblePart(TAnsweredOutputDialogs &dialogs)
    {
        QFile::remove(dialogs.FileName);
        dialogs.Area = true;
        QTest::mouseClick(&MapControl<QPushButton>("bSaveIMG"), Qt::LeftButton);
        return QFile(dialogs.FileName).size() > 0;
    }

    double SlowestMs() const { return FSlowestMs; }
    double SlowestCpuMs() const { return FSlowestCpuMs; }

private:
    // Key presses carrying each character, accented letters included.
    static void TypeText(QWidget &widget, const QString &text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&widget, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&widget, &release);
        }
    }

    static void TurnWheel(TViewImage &view, int angle)
    {
        const QPointF at(view.width() / 3.0, view.height() / 2.0);
        QWheelEvent wheel(at, view.mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
    }

    static double ThreadCpuMs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1.0e3 + now.tv_nsec / 1.0e6;
    }

    // Runs an input and the redraw it causes; keeps the slowest in wall time (what the user
    // waits, on a shared machine) and in the processor time of this thread.
    template <class TAction>
    void Timed(TAction action)
    {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = ThreadCpuMs();
        action();
        QCoreApplication::processEvents();
        FSlowestMs = std::max(FSlowestMs, timer.nsecsElapsed() / 1.0e6);
        FSlowestCpuMs = std::max(FSlowestCpuMs, ThreadCpuMs() - cpuStart);
    }

    TModalAnswers &FAnswers;
    double FSlowestMs = 0;
    double FSlowestCpuMs = 0;
};

void LongDay(benchmark::State &state)
{
    QTemporaryDir out;
    TAnsweredOutputDialogs dialogs(out.filePath(QStringLiteral("page.pdf")));
    dialogs.FileName = out.filePath(QStringLiteral("visible.jpg"));
    const TViewerWindows windows;
    formTovralMain->OutputDialogs = &dialogs;
    TModalAnswers answers;
    const QComboBox &pickerStates = Control<QComboBox>(*formPickUF, "cUF");
    if (!ShowWithState(answers, pickerStates.itemText(0)))
        return state.SkipWithError("the viewer did not show the first state");
    const int states = pickerStates.count();

    int failures = 0;
    double afterFirstCycle = 0;
    double afterFirstCycleWithCache = 0;
    TDay day(answers);
    for (auto _ : state) {
        for (int load = 0; load < kStateLoads; ++load) {
            if (!day.LoadState(pickerStates.itemText(load % states)))
                ++failures;
            for (int move = 0; move < kMoves / kStateLoads; ++move)
                day.Move(load * (kMoves / kStateLoads) + move);
            for (int locate = load * kLocates / kStateLoads; locate < (load + 1) * kLocates / kStateLoads; ++locate)
                if (!day.Locate(locate))
                    ++failures;
            if (load % (kStateLoads / kSaves) == 0 && !day.SaveVisiblePart(dialogs))
                ++failures;
            if (load == states - 1) {
                afterFirstCycleWithCache = ResidentMiB();
                afterFirstCycle = ResidentWithoutCacheMiB();
            }
        }
    }
    const double atEndWithCache = ResidentMiB();
    const double atEnd = ResidentWithoutCacheMiB();
    failures += int(answers.Messages().size());
    state.counters["rss_first_cycle_MiB"] = afterFirstCycleWithCache;
    state.counters["rss_end_MiB"] = atEndWithCache;
    state.counters["rss_first_cycle_no_cache_MiB"] = afterFirstCycle;
    state.counters["rss_end_no_cache_MiB"] = atEnd;
    state.counters["growth_MiB"] = atEnd - afterFirstCycle;
    state.counters["slowest_redraw_ms"] = day.SlowestMs();
    state.counters["slowest_redraw_cpu_ms"] = day.SlowestCpuMs();
    state.counters["failures"] = failures;
    state.counters["states"] = states;
}

BENCHMARK(LongDay)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<TTovralApplication> application = StartOffscreenApplication(argc, argv);
    const QByteArray given = qgetenv("TOVRAL_BENCH_APP");
    AppPath = (given.isEmpty() ? QStringLiteral(TOVRAL_BUILD_BIN) : QString::fromLocal8Bit(given)) + QLatin1Char('/');
    if (!QFile::exists(AppPath + QStringLiteral("img/txt/ufs.txt"))) {
        std::fprintf(stderr, "no data folder %simg: run scripts/make-data first\n", qPrintable(AppPath));
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
