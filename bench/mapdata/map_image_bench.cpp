// Map picture benchmarks on a synthetic 8000 x 6000 road map (tiles of 256, quality 80) and
// its light version (0.4 of the full size):
//   BM_DecodeTiles    every tile of the full map, in megapixels per second;
//   BM_DecodeLarge    one 4000 x 3000 JPEG of the same picture (the djpeg comparison's file);
//   BM_RenderView     a 1920 x 1080 view at each zoom level (20 % .. 120 %) with the viewer's
//                     light/full choice, plain and high quality;
//   BM_RenderLimitMap the whole of the costliest map the loader accepts (goal: about 2 s at
//                     most): tiles of the largest side covering the largest area, all sharing
//                     one stream of noise, as large as the JPEG byte limit allows.
// map_image_bench --write-tiles DIR writes the tiles and the large JPEG as files for
// compare_djpeg.sh, then exits; --write-views DIR writes every rendered view as a PNG, so that
// two builds can be compared byte for byte.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "mapdata/jpeg_codec.h"
#include "mapdata/map_image.h"
#include "tools/map_writer.h"

namespace {

constexpr int kFullWidth = 8000;
constexpr int kFullHeight = 6000;
constexpr long double kLightFactor = 0.4L;

// Pale land areas, coloured roads of several widths, place names: what the state maps hold.
QImage SyntheticRoadMap(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(245, 240, 225));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(2024);
    auto point = [&] { return QPointF(random.bounded(width), random.bounded(height)); };
    for (int i = 0; i < 400; ++i) {
        QPolygonF area;
        const QPointF centre = point();
        for (int k = 0; k < 7; ++k)
            area << centre + QPointF(random.bounded(600) - 300, random.bounded(600) - 300);
        painter.setPen(QPen(QColor(150, 150, 150), 2));
        painter.setBrush(QColor::fromHsv(random.bounded(360), 40, 235));
        painter.drawPolygon(area);
    }
    const QColor roadColours[] = {Qt::red, QColor(230, 120, 0), Qt::darkGray, QColor(40, 90, 200)};
    for (int i = 0; i < 2500; ++i) {
        QPolygonF road;
        QPointF at = point();
        for (int k = 0; k < 6; ++k) {
            road << at;
            at += QPointF(random.bounded(400) - 200, random.bounded(400) - 200);
        }
        painter.setPen(QPen(roadColours[random.bounded(4)], 1 + random.bounded(4)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(road);
    }
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    for (int i = 0; i < 4000; ++i)
        painter.drawText(point(), QStringLiteral("Cidade %1").arg(i));
    return picture;
}

struct TBenchMaps {
    QTemporaryDir Dir;
    QImage Large; // 4000 x 3000 crop of the full picture
    TMapImage Full;
    TMapImage Light;
};

TBenchMaps &Maps()
{
    static TBenchMaps *maps = [] {
        auto *m = new TBenchMaps;
        const QImage full = SyntheticRoadMap(kFullWidth, kFullHeight);
        const QImage light = full.scaled(int(kFullWidth * kLightFactor), int(kFullHeight * kLightFactor),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m->Large = full.copy(2000, 1500, 4000, 3000);
        WriteMapFile(full, m->Dir.filePath("full.map"), 256, 80);
        WriteMapFile(light, m->Dir.filePath("light.map"), 256, 80);
        m->Full.LoadFromFile(m->Dir.filePath("full.map"));
        m->Light.LoadFromFile(m->Dir.filePath("light.map"));
        return m;
    }();
    return *maps;
}

QByteArray TileStream(const TMapImage &map, int index)
{
    const TMapTile &tile = map.Tiles()[size_t(index)];
    const char *entry = map.Data().constData() + tile.Offset;
    return QByteArray(entry + 4, qFromLittleEndian<int32_t>(entry));
}

void BM_DecodeTiles(benchmark::State &state)
{
    const TMapImage &map = Maps().Full;
    TJpegDecoder decoder;
    QImage picture;
    long long pixels = 0;
    for (auto _ : state)
        for (int i = 0; i < map.TileCount(); ++i) {
            map.DecodeTile(i, decoder, picture);
            pixels += (long long)picture.width() * picture.height();
        }
    state.counters["pixels/s"] = benchmark::Counter(double(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeTiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DecodeLarge(benchmark::State &state)
{
    const QByteArray jpeg = EncodeJpeg(Maps().Large, 80);
    TJpegDecoder decoder;
    QImage picture;
    long long pixels = 0;
    for (auto _ : state) {
        decoder.Decode(reinterpret_cast<const uint8_t *>(jpeg.constData()), size_t(jpeg.size()), picture);
        pixels += (long long)picture.width() * picture.height();
    }
    state.counters["pixels/s"] = benchmark::Counter(double(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeLarge)->Unit(benchmark::kMillisecond)->MinTime(2.0);

constexpr int kZoomLevels = 6;

// The viewer's choice for zoom index zoom (scale 0.2 x index of the full map): the map drawn,
// its scale and its centre for a view around the middle of the map.
struct TViewChoice {
    const TMapImage *Map;
    long double Scale;
    QPoint Center;
    bool Light;
};

TViewChoice ChooseView(int zoom)
{
    TBenchMaps &maps = Maps();
    const long double scale = zoom * 0.2L;
    const QPoint center(kFullWidth / 2, kFullHeight / 2);
    const bool useLight = maps.Light.Width() >= kFullWidth * scale && maps.Light.Height() >= kFullHeight * scale;
    if (!useLight)
        return {&maps.Full, scale, center, false};
    const long double ratio = (long double)maps.Light.Width() / kFullWidth;
    return {&maps.Light, kFullWidth * scale / maps.Light.Width(),
            QPoint(int(std::nearbyint(center.x() * ratio)), int(std::nearbyint(center.y() * ratio))), true};
}

void RenderView(const TViewChoice &choice, bool highQuality, QImage &view)
{
    QPainter painter(&view);
    painter.setBrush(Qt::white);
    const TRenderQuality quality = highQuality ? TRenderQuality::High : TRenderQuality::Plain;
    choice.Map->Draw(quality, choice.Center, view.rect(), choice.Scale, painter);
}

// The viewer's redraw of a 1920 x 1080 view at zoom index state.range(0), high quality when
// state.range(1) is 1.
void BM_RenderView(benchmark::State &state)
{
    const TViewChoice choice = ChooseView(int(state.range(0)));
    const bool highQuality = state.range(1) != 0;
    QImage view(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state)
        RenderView(choice, highQuality, view);
    state.SetLabel(std::string(choice.Light ? "light" : "full") + (highQuality ? " HQ" : " plain"));
}
BENCHMARK(BM_RenderView)
    ->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}})
    ->ArgNames({"zoom", "hq"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// A map of kMaxMapPixels in tiles of kMaxTileSide whose entries all share one JPEG of random
// pixels, at the best quality that keeps the tiles' bytes in all within kMaxMapStreamBytes.
TMapImage LimitMap()
{
    constexpr int kSide = kMaxTileSide;
    constexpr int kColumns = 4;
    constexpr int kRows = int(kMaxMapPixels / (1ll * kSide * kSide * kColumns));
    constexpr long long kTiles = 1ll * kColumns * kRows;
    QImage noise(kSide, kSide, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < kSide; ++y)
        random.fillRange(reinterpret_cast<quint32 *>(noise.scanLine(y)), kSide);
    QByteArray stream;
    for (int quality = 95; quality > 0 && (stream.isEmpty() || stream.size() * kTiles > kMaxMapStreamBytes); quality -= 5)
        stream = EncodeJpeg(noise, quality);

    const auto int32 = [](QByteArray &bytes, int32_t value) {
        const qint32 little = qToLittleEndian<qint32>(value);
        bytes.append(reinterpret_cast<const char *>(&little), 4);
    };
    QByteArray file;
    int32(file, int32_t(kTiles * kMapTileBytes));
    int32(file, kSide * kColumns);
    int32(file, kSide * kRows);
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            for (const int32_t value : {column * kSide, row * kSide, (column + 1) * kSide, (row + 1) * kSide, 0})
                int32(file, value);
    int32(file, int32_t(stream.size() + 4));
    int32(file, int32_t(stream.size()));
    file += stream;
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TMapImage map;
    map.LoadFromStream(buffer);
    return map;
}

void BM_RenderLimitMap(benchmark::State &state)
{
    TMapImage map = LimitMap();
    const long double scale = 1000.0L / map.Width();
    QImage view(1000, int(map.Height() * scale), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&view);
        painter.setBrush(Qt::white);
        map.Draw(TRenderQuality::High, QPoint(map.Width() / 2, map.Height() / 2), view.rect(), scale, painter);
    }
    state.counters["megapixels"] = double(map.Width()) * map.Height() / 1.0e6;
    state.counters["stream_bytes"] = double(map.Data().size() - 4);
}
BENCHMARK(BM_RenderLimitMap)->Unit(benchmark::kMillisecond)->Iterations(3);

// Writes every tile of the full map as DIR/tile_NNNN.jpg and the large JPEG as DIR/large.jpg.
int WriteTiles(const QString &folder)
{
    QDir().mkpath(folder);
    const TMapImage &map = Maps().Full;
    for (int i = 0; i < map.TileCount(); ++i) {
        QFile file(QDir(folder).filePath(QStringLiteral("tile_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(TileStream(map, i)) < 0)
            return 1;
    }
    QFile large(QDir(folder).filePath(QStringLiteral("large.jpg")));
    return large.open(QIODevice::WriteOnly) && large.write(EncodeJpeg(Maps().Large, 80)) > 0 ? 0 : 1;
}

// Writes the view of every zoom level, plain and high quality, as DIR/view_zoomN_hqM.png.
int WriteViews(const QString &folder)
{
    QDir().mkpath(folder);
    QImage view(1920, 1080, QImage::Format_RGB32);
    for (int zoom = 1; zoom <= kZoomLevels; ++zoom)
        for (int highQuality = 0; highQuality <= 1; ++highQuality) {
            RenderView(ChooseView(zoom), highQuality != 0, view);
            const QString name = QStringLiteral("view_zoom%1_hq%2.png").arg(zoom).arg(highQuality);
            if (!view.save(QDir(folder).filePath(name)))
                return 1;
        }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the synthetic map's place names
    if (argc == 3 && std::strcmp(argv[1], "--write-tiles") == 0)
        return WriteTiles(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--write-views") == 0)
        return WriteViews(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
