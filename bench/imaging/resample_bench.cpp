// Lanczos3 ResampleBitmap on a 1024 × 1024 map-like piece, shrunk to 0.37 and enlarged to 1.2,
// in source megapixels per second.
//   resample_bench [benchmark flags]
//   resample_bench --write-picture PATH   writes the picture as PNG (for compare_resamplers.sh)
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "imaging/resample.h"
#include "imaging/resample_passes.h"

namespace {

constexpr int kPieceSide = 1024;

// Land, water, roads of several classes and labels: the mix of flat areas, thin antialiased
// lines and sharp text that the map pieces have.
QImage MapLikePicture()
{
    QImage picture(kPieceSide, kPieceSide, QImage::Format_RGB888);
    picture.fill(QColor(242, 236, 222));
    std::mt19937 random(2024);
    const auto coordinate = [&] { return double(random() % kPieceSide); };
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int k = 0; k < 14; ++k) {
        painter.setBrush(k % 3 == 0 ? QColor(170, 205, 235) : QColor(205, 228, 190));
        painter.drawEllipse(QPointF(coordinate(), coordinate()), 20 + random() % 120, 20 + random() % 90);
    }
    const QColor roadColours[] = {QColor(200, 40, 40), QColor(240, 160, 40), QColor(90, 90, 90), QColor(40, 80, 170)};
    for (int k = 0; k < 90; ++k) {
        QPainterPath road(QPointF(coordinate(), coordinate()));
        for (int segment = 0; segment < 6; ++segment)
            road.lineTo(road.currentPosition() + QPointF(double(random() % 241) - 120, double(random() % 241) - 120));
        painter.strokePath(road, QPen(roadColours[k % 4], 0.8 + (k % 4) * 0.9, Qt::SolidLine, Qt::RoundCap));
    }
    QFont font(QStringLiteral("Liberation Sans"));
    for (int k = 0; k < 80; ++k) {
        font.setPixelSize(9 + int(random() % 8));
        font.setBold(k % 5 == 0);
        painter.setFont(font);
        painter.setPen(QColor(20, 20, 20));
        painter.drawText(QPointF(coordinate(), coordinate()), QStringLiteral("Cidade %1").arg(k));
    }
    return picture;
}

const QImage &Piece()
{
    static const QImage piece = MapLikePicture();
    return piece;
}

void Lanczos3(benchmark::State &state, TResamplePath path)
{
    const double scale = double(state.range(0)) / 100;
    const int side = int(std::lrint(kPieceSide * scale));
    QImage source = Piece();
    QImage destination(side, side, QImage::Format_RGB888);
    const TResampleFilterEntry &filter = ResampleFilterTable[kLanczos3FilterIndex];
    for (auto _ : state) {
        ResampleBitmapUsing(source, destination, filter.Kernel, filter.Support, path);
        benchmark::DoNotOptimize(destination.constBits());
    }
    state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kPieceSide * kPieceSide / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_Lanczos3(benchmark::State &state) { Lanczos3(state, TResamplePath::Fastest); }
void BM_Lanczos3Reference(benchmark::State &state) { Lanczos3(state, TResamplePath::Reference); }

BENCHMARK(BM_Lanczos3)->Arg(37)->Arg(120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lanczos3Reference)->Arg(37)->Arg(120)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the labels
    if (argc == 3 && std::strcmp(argv[1], "--write-picture") == 0) {
        if (!Piece().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            std::fprintf(stderr, "resample_bench: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
