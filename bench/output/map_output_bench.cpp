// Saving and printing the map of a large state: a synthetic 8000 x 6000 full map (tiles of
// 256, quality 80) and its 3200 x 2400 light map.
//   BM_SaveWholeMap     render the whole light map at scale 1 and write it as JPEG;
//   BM_SaveVisiblePart  render the visible part at 100 % for a view of the designed size
//                       (443 x 213) and a maximised one (1900 x 900) and write it;
//   BM_PrintWholeMap    print the whole full map on one PDF page (printer resolution);
//   BM_PrintVisiblePart print the visible part at 100 % (maximised view) on one PDF page.
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "mapdata/jpeg_codec.h"
#include "mapdata/map_image.h"
#include "output/map_printing.h"
#include "output/map_rendering.h"
#include "tools/map_writer.h"

namespace {
constexpr int kFullWidth = 8000;
constexpr int kFullHeight = 6000;
constexpr long double kLightFactor = 0.4L;

// Pale ground crossed by coloured roads: about as hard to compress as a state's road map.
QImage RoadPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(245, 240, 225));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(7);
    const QColor colours[] = {Qt::red, QColor(230, 120, 0), Qt::darkGray, QColor(40, 90, 200)};
    for (int i = 0; i < 3000; ++i) {
        painter.setPen(QPen(colours[random.bounded(4)], 1 + random.bounded(4)));
        QPointF at(random.bounded(width), random.bounded(height));
        for (int k = 0; k < 6; ++k) {
            const QPointF next = at + QPointF(random.bounded(400) - 200, random.bounded(400) - 200);
            painter.drawLine(at, next);
            at = next;
        }
    }
    return picture;
}

struct TMaps {
    QTemporaryDir Folder;
    TMapImage Full;
    TMapImage Light;
};

const TMaps &Maps()
{
    static TMaps *maps = [] {
        auto *m = new TMaps;
        const QImage full = RoadPicture(kFullWidth, kFullHeight);
        const QString fullPath = m->Folder.filePath(QStringLiteral("big_full.map"));
        const QString lightPath = m->Folder.filePath(QStringLiteral("big_light.map"));
        WriteMapFile(full, fullPath, 256, 80);
        WriteMapFile(full.scaled(int(kFullWidth * kLightFactor), int(kFullHeight * kLightFactor),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                     lightPath, 256, 80);
        m->Full.LoadFromFile(fullPath);
        m->Light.LoadFromFile(lightPath);
        return m;
    }();
    return *maps;
}

QString OutputPath(const char *name)
{
    return Maps().Folder.filePath(QString::fromLatin1(name));
}

void BM_SaveWholeMap(benchmark::State &state)
{
    const TMapImage &light = Maps().Light;
    for (auto _ : state)
        SaveJpegFile(RenderWholeMap(light), OutputPath("whole.jpg"), 70);
    state.counters["Mpx/s"] = benchmark::Counter(double(light.Width()) * light.Height() / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SaveWholeMap)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveVisiblePart(benchmark::State &state)
{
    const QSize view(int(state.range(0)), int(state.range(1)));
    const QPoint centre(kFullWidth / 2, kFullHeight / 2);
    for (auto _ : state)
        SaveJpegFile(RenderVisiblePart(Maps().Full, centre, view, 1.0L), OutputPath("visible.jpg"), 70);
}
BENCHMARK(BM_SaveVisiblePart)->Args({443, 213})->Args({1900, 900})->Unit(benchmark::kMillisecond)->MinTime(1.0);

void PrintToPdf(benchmark::State &state, TOutputArea area)
{
    const QRect viewRect(0, 0, 1900, 900);
    const QPoint centre(kFullWidth / 2, kFullHeight / 2);
    TPageFrame frame;
    frame.StateName = QStringLiteral("Minas Gerais");
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(OutputPath("page.pdf"));
        PrintMapPage(Maps().Full, area, centre, viewRect, 1.0L, frame, printer);
    }
}

void BM_PrintWholeMap(benchmark::State &state)
{
    PrintToPdf(state, TOutputArea::WholeMap);
}
BENCHMARK(BM_PrintWholeMap)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PrintVisiblePart(benchmark::State &state)
{
    PrintToPdf(state, TOutputArea::VisibleArea);
}
BENCHMARK(BM_PrintVisiblePart)->Unit(benchmark::kMillisecond)->MinTime(1.0);
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Maps();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
