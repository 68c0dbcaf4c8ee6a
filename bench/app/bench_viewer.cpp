// The viewer's interactive costs: from OK in the state picker to the whole map drawn, one
// redraw at each zoom level, in the designed window, at 1920 x 1080 and at 3840 x 2160, one
// pan by a button step at both sizes (at once, and once the view has prepared its
// surroundings), the map view's rendering at 1920 x 1080 on screens of 1 and 2 device pixels
// per view pixel (from the tile cache and from nothing decoded), one frame of dragging the map
// at 1920 x 1080, and one key typed into the search box with its suggestions of every state
// (the whole country's cities with the sample data folder, TOVRAL_BENCH_DATA). With a long
// road route shown over the view: projecting it once, and some redraw, pan and drag cases
// again, each right after the same case without it.
// The CPU column of the redraw and pan cases counts every thread of the process: on a busy
// machine, CPU time / processors is what a quiet machine would show, at best.
// The data is a synthetic 8000 x 6000 full map with a 0.4 light map (written once, in a
// temporary folder), or the sample data folder given as TOVRAL_BENCH_DATA=<folder>/<UF>.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

#include "app/error_report.h"
#include "app/map_view.h"
#include "app/route_overlay.h"
#include "app/viewer_data.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "mapdata/app_path.h"
#include "mapdata/tile_cache.h"
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

// The window sizes of the redraw cases: the designed client, full HD and 4K.
const QSize kWindowSizes[] = {QSize(610, 406), QSize(1920, 1080), QSize(3840, 2160)};

// What a route's bar takes from the view's height while the route is shown: the cases with a
// route make the window that much taller, so that they draw a view of the same size as those
// without it.
int gRouteBarHeight = 0;

void ResizeWindow(QSize size)
{
    formTovralMain->resize(size + QSize(0, gRouteBarHeight));
    QCoreApplication::processEvents();
}

// Sizes the window (an index of kWindowSizes), sets the quality box and selects a zoom entry.
void ShowView(int64_t windowSize, int64_t zoom, bool highQuality)
{
    ResizeWindow(kWindowSizes[windowSize]);
    if (MapControl<QCheckBox>("cbHQ").isChecked() != highQuality)
        MapControl<QCheckBox>("cbHQ").setChecked(highQuality);
    MapControl<QComboBox>("cZoom").setCurrentIndex(int(zoom));
}

// The view bitmap forgets what it shows, so that the next redraw draws it whole rather than
// keep it.
void ForgetViewBitmap()
{
    MapControl<TViewImage>("Image").Bitmap().Forget();
}

// One redraw of the whole view (a redraw of the place the view already shows would keep every
// pixel). Arguments: zoom index, window size (index of kWindowSizes), high quality.
void Redraw(benchmark::State &state)
{
    ShowView(state.range(1), state.range(0), state.range(2) != 0);
    RedrawView(); // shown once, as the view a person asks to redraw
    QCoreApplication::processEvents();
    for (auto _ : state) {
        ForgetViewBitmap();
        RedrawView();
    }
    state.counters["scale"] = double(formTovralMain->View()->Scale());
    state.counters["view_width"] = MapControl<TViewImage>("Image").width();
    state.counters["view_height"] = MapControl<TViewImage>("Image").height();
}

// Redraw with no decoded tile kept from before (the tile cache emptied outside the clock): the
// first showing of a view. Arguments: zoom index, window size (index of kWindowSizes).
void RedrawUncached(benchmark::State &state)
{
    ShowView(state.range(1), state.range(0), true);
    for (auto _ : state) {
        state.PauseTiming();
        formTovralMain->View()->StopPreparing();
        SharedTileCache().Clear();
        ForgetViewBitmap();
        state.ResumeTiming();
        RedrawView();
    }
    state.counters["scale"] = double(formTovralMain->View()->Scale());
}

// Loads the benchmarks' state into a map view of its own.
void LoadState(TMapView &view)
{
    const QString stem = gCode.toLower();
    view.Load(DataPath(stem + QStringLiteral("_light.map")), DataPath(stem + QStringLiteral("_full.map")),
              DataPath(stem + QStringLiteral(".pts")));
}

// One rendering of a 1920 x 1080 view by the map view alone, on a screen of 1 or 2 device
// pixels per view pixel (at 2: 3840 x 2160 device pixels at twice the scale), with high
// quality; what a redraw draws. With cached 0 the tile cache is emptied outside the clock, so
// that the rendering decodes every tile it shows (the first showing of that view). Arguments:
// zoom index, device pixel ratio, cached.
void RenderAtRatio(benchmark::State &state)
{
    const bool cached = state.range(2) != 0;
    TMapView view;
    LoadState(view);
    view.Resize(QSize(1920, 1080), qreal(state.range(1)));
    view.ZoomTo(int(state.range(0)));
    TViewBitmap bitmap;
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            SharedTileCache().Clear();
            state.ResumeTiming();
        }
        bitmap.Forget();
        view.Render(bitmap, TRenderQuality::High);
    }
    state.counters["scale"] = double(view.Scale());
    state.counters["device_width"] = bitmap.Pixels().width();
}

// One press of a diagonal pan button with high quality, from a view just drawn whole: the view
// keeps the pixels it shares with the one before and draws the rest. The tile cache is emptied
// and the view drawn again outside the clock; then the press comes at once, while the view
// still prepares its surroundings in the background (settled 0), so that it decodes most of
// the strip it uncovers itself, or once that preparing is done (settled 1: a press after the
// view has been on screen for a moment). Arguments: zoom index, window size (index of
// kWindowSizes), settled.
void PanStep(benchmark::State &state)
{
    const bool settled = state.range(2) != 0;
    ShowView(state.range(1), state.range(0), true);
    RedrawView();
    const auto press = [](int direction) {
        const QPoint before = formTovralMain->View()->Center();
        ClickButton(direction > 0 ? "SpeedButton4" : "bTL");
        return formTovralMain->View()->Center() != before;
    };
    if (!press(1) && !press(-1)) {
        state.SkipWithError("the whole map fits the view at this zoom: the pan buttons do not move it");
        return;
    }
    int direction = 1;
    for (auto _ : state) {
        state.PauseTiming();
        formTovralMain->View()->StopPreparing();
        SharedTileCache().Clear();
        ForgetViewBitmap();
        RedrawView();
        MapControl<TViewImage>("Image").repaint(); // shown, as a person sees it before pressing
        if (settled)
            formTovralMain->View()->WaitUntilPrepared();
        state.ResumeTiming();
        if (!press(direction)) { // at the map's corner: go back the other way
            direction = -direction;
            press(direction);
        }
        MapControl<TViewImage>("Image").repaint(); // the step shown, with what is drawn over it
    }
    state.counters["scale"] = double(formTovralMain->View()->Scale());
}

// One frame of a drag at 1920 x 1080: a mouse move over the view and the repaint that
// shows the last picture shifted. Argument: the zoom index.
void DragFrame(benchmark::State &state)
{
    ResizeWindow(QSize(1920, 1080));
    SelectZoom(int(state.range(0)));
    TViewImage &view = MapControl<TViewImage>("Image");
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

// One key typed into the search box and the window's work that follows until it is idle
// again: the state's incremental search, the suggestions of every state and the list's
// update and painting. The names below are typed letter by letter, the box emptied between
// them outside the clock; list_open tells how many of the keys left the list open.
void Keystroke(benchmark::State &state)
{
    const QStringList names = {QStringLiteral("campinas"), QStringLiteral("sao jose do rio preto"),
                               QStringLiteral("goianya"), QStringLiteral("feira de santana"),
                               QStringLiteral("bom jesus")};
    QLineEdit &edit = MapControl<QLineEdit>("eCidade");
    const QListWidget &suggestions = MapControl<QListWidget>("lSugestoes");
    edit.setFocus();
    qsizetype name = 0, letter = 0;
    double keys = 0, open = 0;
    for (auto _ : state) {
        if (letter == names[name].size()) {
            state.PauseTiming();
            edit.clear();
            name = (name + 1) % names.size();
            letter = 0;
            state.ResumeTiming();
        }
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString(names[name][letter++]), Qt::NoModifier);
        QCoreApplication::processEvents();
        ++keys;
        open += suggestions.isVisible() ? 1 : 0;
    }
    state.counters["list_open"] = open / keys;
}

// A route longer than any of the country's (Boa Vista-Chuí has 4,342 points): 8,000 points
// across the whole full map from its top-left corner to its bottom-right one, winding as a
// road does, from the first city row of the state.
TShownRoute LongRoute(const TViewerData &data)
{
    const TMapView &view = *formTovralMain->View();
    const QSize size = view.FullMapSize();
    TShownRoute shown;
    shown.Route.Status = TRoadRoute::TStatus::Found;
    constexpr int kPoints = 8000;
    for (int point = 0; point <= kPoints; ++point) {
        const long double along = (long double)point / kPoints;
        const long double x = size.width() * along;
        const long double y = size.height() * (along + 0.003L * std::sin(point / 40.0L));
        if (const std::optional<TGeoPosition> position = view.Coordinates().PixelToGeo({x, y}))
            shown.Route.Path.Points.push_back(*position);
    }
    if (!shown.Route.Path.Points.empty()) {
        shown.Route.Origin.Position = shown.Route.Path.Points.front();
        shown.Route.Destination.Position = shown.Route.Path.Points.back();
    }
    shown.OriginRow = data.CityRows().Find(gCode + QLatin1Char('\t'));
    shown.OriginName = QStringLiteral("Origem");
    shown.DestinationName = QStringLiteral("Destino");
    return shown;
}
const TViewerData *gData = nullptr;

// Projecting the long route with the state's reference points, as showing it does once.
void ProjectRoute(benchmark::State &state)
{
    const TShownRoute route = LongRoute(*gData);
    TRouteOverlay overlay;
    for (auto _ : state)
        overlay.Show(route, formTovralMain->View()->Coordinates());
    state.counters["points"] = double(route.Route.Path.Points.size());
}

// Projecting a real route of the data folder's road network with the state's reference
// points (only the points they reach are projected), as "Mostrar no mapa" does once.
// Arguments: the pair (0 Porto Alegre/RS-Manaus/AM, 1 Boa Vista/RR-Chuí/RS).
void ProjectRealRoute(benchmark::State &state)
{
    const TRoadNetwork *network = gData->RoadNetwork();
    if (!network) {
        state.SkipWithError("the data folder has no road network (TOVRAL_BENCH_DATA)");
        return;
    }
    const auto row = [](const char *key) {
        const TSortedStrings &rows = gData->CityRows();
        const int found = rows.Find(QString::fromUtf8(key));
        return found < rows.Count() ? rows[found] : QString();
    };
    const bool north = state.range(0) != 0;
    TShownRoute route;
    route.Route = north ? RoadRouteBetweenRows(*network, row("RR\tBoa Vista\t"), row("RS\tChuí\t"))
                        : RoadRouteBetweenRows(*network, row("RS\tPorto Alegre\t"), row("AM\tManaus\t"));
    TRouteOverlay overlay;
    for (auto _ : state)
        overlay.Show(route, formTovralMain->View()->Coordinates());
    state.counters["points"] = double(route.Route.Path.Points.size());
    state.counters["road_km"] = double(route.Route.RoadKm());
}

// Drawing the long route into a whole view as a redraw does, over the map just drawn there,
// centred on the route as "Mostrar no mapa" centres it: the part of a redraw the route adds,
// alone. With kept 1 its squares are drawn once, outside the clock (every redraw at a scale
// the view has shown); with kept 0 each drawing is at a scale a hair larger than the last, for
// which the squares are drawn again (the first redraw at a new zoom). Arguments: zoom index,
// view size (0: the designed window's view, 443 x 213; 1: 1920 x 1080), device pixel ratio,
// kept.
void RouteIntoView(benchmark::State &state)
{
    const TShownRoute route = LongRoute(*gData);
    TMapView view;
    LoadState(view);
    view.Resize(state.range(1) == 0 ? QSize(443, 213) : QSize(1920, 1080), qreal(state.range(2)));
    view.ZoomTo(int(state.range(0)));
    TRouteOverlay overlay;
    overlay.Show(route, view.Coordinates());
    const QPointF middle = overlay.FullMapBounds().center();
    view.CentreOn(QPoint(int(std::floor(middle.x())), int(std::floor(middle.y()))));
    TViewBitmap bitmap;
    view.Render(bitmap, TRenderQuality::High, &overlay);
    const bool kept = state.range(3) != 0;
    TViewGeometry geometry = view.Geometry();
    const QRegion whole(bitmap.Pixels().rect());
    for (auto _ : state) {
        if (!kept)
            geometry.DeviceScale *= 1 + 1e-12L;
        bitmap.Compose(whole, [&](QImage &pixels, const QRect &rect, QPoint viewOrigin) {
            overlay.DrawInto(pixels, rect, viewOrigin, geometry);
        });
    }
    state.counters["scale"] = double(view.Scale());
}

// A redraw, pan or drag case at the place "Mostrar no mapa" brings the long route to, with the
// route shown (argument RouteArgument 1) or cleared again (0): the same view with and without
// it. The case's own arguments come first.
template <void (*Case)(benchmark::State &), int RouteArgument>
void WithRoute(benchmark::State &state)
{
    const TShownRoute route = LongRoute(*gData);
    if (route.OriginRow >= gData->CityRows().Count() ||
        !gData->CityRows()[route.OriginRow].startsWith(gCode + QLatin1Char('\t'), Qt::CaseInsensitive)) {
        state.SkipWithError("the state has no city row to start the route from");
        return;
    }
    formTovralMain->ShowRoute(route);
    if (state.range(RouteArgument) == 0)
        formTovralMain->ClearRoute();
    else
        gRouteBarHeight = MapControl<QWidget>("pRota").height();
    Case(state);
    formTovralMain->ClearRoute();
    gRouteBarHeight = 0;
}

// Registers each of cases (a case's own arguments) without the route (0) and then with it (1),
// so that the two run one after the other, on a machine in the same state.
void WithAndWithoutRoute(benchmark::internal::Benchmark *benchmark, const std::vector<std::vector<int64_t>> &cases)
{
    for (const std::vector<int64_t> &arguments : cases)
        for (const int64_t route : {0, 1}) {
            std::vector<int64_t> withRoute = arguments;
            withRoute.push_back(route);
            benchmark->Args(withRoute);
        }
}

BENCHMARK(LoadAndShow)->Unit(benchmark::kMillisecond);
BENCHMARK(DragFrame)->Arg(5)->ArgName("zoom")->Unit(benchmark::kMillisecond);
BENCHMARK(Keystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(Redraw)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2}, {1, 0}})
    ->ArgNames({"zoom", "size", "hq"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RedrawUncached)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {1, 2}})
    ->ArgNames({"zoom", "size"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RenderAtRatio)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {1, 2}, {1, 0}})
    ->ArgNames({"zoom", "ratio", "cached"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PanStep)
    ->ArgsProduct({{1, 5}, {1, 2}, {0, 1}})
    ->ArgNames({"zoom", "size", "settled"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ProjectRoute)->Unit(benchmark::kMillisecond);
BENCHMARK(ProjectRealRoute)->Arg(0)->Arg(1)->ArgName("pair")->Unit(benchmark::kMillisecond);
BENCHMARK(RouteIntoView)
    ->ArgsProduct({{0, 1, 5}, {0, 1}, {1, 2}, {1, 0}})
    ->ArgNames({"zoom", "size", "ratio", "kept"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WithRoute<Redraw, 3>)
    ->Name("RedrawWithRoute")
    ->Apply([](benchmark::internal::Benchmark *benchmark) {
        WithAndWithoutRoute(benchmark, {{0, 0, 1}, {1, 0, 1}, {5, 0, 1}, {0, 1, 1}, {1, 1, 1}, {5, 1, 1}});
    })
    ->ArgNames({"zoom", "size", "hq", "route"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WithRoute<PanStep, 3>)
    ->Name("PanStepWithRoute")
    ->Apply([](benchmark::internal::Benchmark *benchmark) {
        WithAndWithoutRoute(benchmark, {{1, 1, 0}, {5, 1, 0}, {1, 1, 1}, {5, 1, 1}});
    })
    ->ArgNames({"zoom", "size", "settled", "route"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WithRoute<DragFrame, 1>)
    ->Name("DragFrameWithRoute")
    ->Apply([](benchmark::internal::Benchmark *benchmark) { WithAndWithoutRoute(benchmark, {{1}, {5}}); })
    ->ArgNames({"zoom", "route"})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
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
    gData = &windows.Data();
    TModalAnswers answers;
    answers.Add([](QWidget *picker) { Control<QPushButton>(*picker, "bOK").click(); });
    formTovralMain->show();
    while (!formTovralMain->Ready())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    formTovralMain->LoadUF(gCode); // the views are measured on the benchmark's state

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
