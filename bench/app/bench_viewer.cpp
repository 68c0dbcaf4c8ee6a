// The viewer's two interactive costs: from OK in the state picker to the whole map drawn,
// and one redraw at each zoom level, in the designed window and at 1920 x 1080.
// The data is a synthetic 8000 x 6000 full map with a 0.4 light map (written once, in a
// temporary folder), or the sample data folder given as TOVRAL_BENCH_DATA=<folder>/<UF>.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "app/error_report.h"
#include "app/form_style.h"
#include "app/tovral_main.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "tests/app/modal_answers.h"
#include "tests/app/test_data_folder.h"

namespace {
QString gCode = QStringLiteral("SP");

void LoadAndShow(benchmark::State &state)
{
    for (auto _ : state)
        formTovralMain->LoadUF(gCode);
    state.counters["full_width"] = formTovralMain->FFullMap->Width();
}

// Arguments: zoom index, 0 = designed client 610 x 406 or 1 = 1920 x 1080, high quality.
void Redraw(benchmark::State &state)
{
    const bool large = state.range(1) != 0;
    formTovralMain->resize(large ? QSize(1920, 1080) : QSize(610, 406));
    QCoreApplication::processEvents();
    if (formTovralMain->cbHQ->isChecked() != (state.range(2) != 0))
        formTovralMain->cbHQ->setChecked(state.range(2) != 0);
    formTovralMain->cZoom->setCurrentIndex(int(state.range(0)));
    for (auto _ : state)
        formTovralMain->cZoomChange();
    state.counters["scale"] = double(formTovralMain->FScale);
}

BENCHMARK(LoadAndShow)->Unit(benchmark::kMillisecond);
BENCHMARK(Redraw)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1}, {1, 0}})
    ->ArgNames({"zoom", "1920x1080", "hq"})
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TTovralApplication application(argc, argv);
    InitialiseApplication(application);
    application.setQuitOnLastWindowClosed(false);

    QTemporaryDir folder;
    const QByteArray given = qgetenv("TOVRAL_BENCH_DATA");
    if (!given.isEmpty()) {
        const QString path = QString::fromLocal8Bit(given);
        AppPath = path.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/');
        gCode = path.section(QLatin1Char('/'), -1);
    } else {
        WriteLargeTestFolder(folder.path(), QSize(8000, 6000));
        AppPath = folder.path() + QLatin1Char('/');
    }
    // Start as the program does, confirming the picker's first state.
    const TViewerWindows windows;
    TModalAnswers answers;
    answers.Add([](QWidget *picker) { static_cast<TformPickUF *>(picker)->bOK->click(); });
    formTovralMain->show();
    while (!formTovralMain->FReady)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
