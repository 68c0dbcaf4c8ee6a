// The viewer's interactive costs: from OK in the state picker to the whole map drawn, one
// redraw at each zoom level, in the designed window and at 1920 x 1080, and one frame of
// dragging the map at 1920 x 1080.
// The data is a synthetic 8000 x 6000 full map with a 0.4 light map (written once, in a
// temporary folder), or the sample data folder given as TOVRAL_BENCH_DATA=<folder>/<UF>.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "app/error_report.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"

namespace {
QString gCode = QStringLiteral("SP");

void LoadAndShow(benchmark::State &state)
{
    for (auto _ : state)
        formTovralMain->LoadUF(gCode);
    state.counters["full_width"] = formTovralMain->View()->FullMap().Width();
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
    state.counters["scale"] = double(formTovralMain->View()->Scale());
}

// One frame of a drag at 1920 x 1080: a mouse move over the view and the repaint that
// shows the last picture shifted. Argument: the zoom index.
void DragFrame(benchmark::State &state)
{
    formTovralMain->resize(QSize(1920, 1080));
    QCoreApplication::processEvents();
    SelectZoom(int(state.range(0)));
    TViewImage &view = *formTovralMain->Image;
    const auto send = [&view](QEvent::Type type, QPoint at, Qt::MouseButton button,
                              Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(view.mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    };
    const QPoint start(view.width() / 2, view.height() / 2);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int frame = 0;
    for (auto _ : state) {
        const QPoint to = start + QPoint(frame % 200 - 100, frame % 120 - 60);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        view.repaint();
        ++frame;
    }
    send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    state.counters["view_width"] = view.width();
    state.counters["view_height"] = view.height();
}

BENCHMARK(LoadAndShow)->Unit(benchmark::kMillisecond);
BENCHMARK(DragFrame)->Arg(5)->ArgName("zoom")->Unit(benchmark::kMillisecond);
BENCHMARK(Redraw)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1}, {1, 0}})
    ->ArgNames({"zoom", "1920x1080", "hq"})
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<TTovralApplication> application = StartOffscreenApplication(argc, argv);

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
    while (!formTovralMain->Ready())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
