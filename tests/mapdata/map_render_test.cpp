#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <numeric>
#include <thread>

#include "map_test_support.h"
#include "base/errors.h"
#include "mapdata/jpeg_codec.h"
#include "mapdata/render_pool.h"
#include "mapdata/tile_cache.h"
#include "tools/map_writer.h"

namespace {

// The whole map at scale 1: the decoded picture, pixel for pixel.
QImage Decoded(const TMapImage &map)
{
    return DrawOnWhite(map, TRenderQuality::Plain, QPoint(map.Width() / 2, map.Height() / 2),
                       QSize(map.Width(), map.Height()), 1);
}

QImage DecodeEntry(const TRawMap &raw, int tile)
{
    const char *entry = raw.Blob.constData() + raw.Tiles[size_t(tile)].Offset;
    TJpegDecoder decoder;
    QImage picture;
    const auto length = qFromLittleEndian<int32_t>(entry);
    decoder.Decode(reinterpret_cast<const uint8_t *>(entry + 4), size_t(length), picture);
    return picture;
}

// Draws onto the canvas as it is with a white brush, as the map view does, keeping the canvas
// when the rendering fails; the message of the failure, or an empty text.
QString DrawCatching(const TMapImage &map, TRenderQuality quality, QPoint center, long double scale, QImage &canvas)
{
    QPainter painter(&canvas);
    painter.setBrush(Qt::white);
    try {
        map.Draw(quality, center, canvas.rect(), scale, painter);
    } catch (const TovralError &error) {
        return error.Message();
    }
    return QString();
}

} // namespace

// Guards against races between the workers (shared decoder or resampler memory), pieces
// painted out of order or at another piece's place, and cached tiles that differ from freshly
// decoded ones: serial, parallel from a cold cache and parallel from a warm one give the same
// bytes, also when a corrupt tile stops the rendering half-way (the same message, the same
// pieces drawn before it). The canvases start in different colours, so that a pixel left
// undrawn (outside the map or after the corrupt tile) shows.
TEST(MapImageRender, ParallelRenderingGivesTheSerialBytes)
{
    const TRawMap raw = GridMap(TestPicture(700, 520), 64, 48, 90);
    TRawMap broken = raw;
    broken.Tiles[60].Offset = broken.AddEntry("not a JPEG stream");
    const TMapImage map = LoadRaw(raw);
    const TMapImage brokenMap = LoadRaw(broken);
    struct TCase {
        const TMapImage *Map;
        TRenderQuality Quality;
        QPoint Center;
        long double Scale;
    };
    for (const TCase &view : {TCase{&map, TRenderQuality::High, QPoint(350, 260), 0.37L}, TCase{&map, TRenderQuality::High, QPoint(200, 300), 1.6L},
                              TCase{&map, TRenderQuality::Plain, QPoint(350, 260), 0.83L}, TCase{&map, TRenderQuality::High, QPoint(350, 260), 1.0L},
                              TCase{&brokenMap, TRenderQuality::High, QPoint(350, 260), 0.9L}}) {
        QImage serial(640, 480, QImage::Format_RGB32), cold(serial.size(), serial.format()), warm = cold;
        serial.fill(Qt::black);
        cold.fill(Qt::red);
        warm.fill(Qt::green);
        SetSharedRenderWorkers(0);
        SharedTileCache().Clear();
        const QString serialError = DrawCatching(*view.Map, view.Quality, view.Center, view.Scale, serial);
        SetSharedRenderWorkers(2);
        SharedTileCache().Clear();
        EXPECT_EQ(DrawCatching(*view.Map, view.Quality, view.Center, view.Scale, cold), serialError);
        EXPECT_EQ(DrawCatching(*view.Map, view.Quality, view.Center, view.Scale, warm), serialError);
        EXPECT_EQ(cold, serial) << double(view.Scale);
        EXPECT_EQ(warm, serial) << double(view.Scale);
        EXPECT_EQ(serialError.contains("tile 60"), view.Map == &brokenMap) << serialError.toStdString();
    }
}

// Guards against a pan that keeps pixels it must draw again: the last drawing moved by the
// shift, with only the changed region drawn over it, must give the new drawing byte for byte,
// at scale 1 and at fractional scales (border tiles cut anew, resampled), for views of odd
// and even sizes, near the picture's edges and with the centre clamped into it. A reuse that
// shrinks to nothing would pass, so the cases that must reuse most of the view say so.
TEST(MapImageRender, RepeatedDrawingKeepsOnlyIdenticalPixels)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(900, 700), 64, 48, 90));
    struct TCase {
        TRenderQuality Quality;
        long double Scale;
        QSize View;
        QPoint From, To;
        bool MostlyRepeated;
    };
    for (const TCase &pan : {TCase{TRenderQuality::High, 1, QSize(320, 240), QPoint(450, 350), QPoint(530, 410), true},
                             TCase{TRenderQuality::Plain, 1, QSize(321, 241), QPoint(451, 350), QPoint(370, 411), true},
                             TCase{TRenderQuality::Plain, 1, QSize(321, 241), QPoint(100, 90), QPoint(20, 30), false},
                             TCase{TRenderQuality::High, 1, QSize(300, 200), QPoint(850, 650), QPoint(950, 720), false},
                             TCase{TRenderQuality::High, 0.37L, QSize(200, 150), QPoint(450, 350), QPoint(585, 350), true},
                             TCase{TRenderQuality::High, 1.6L, QSize(400, 300), QPoint(450, 350), QPoint(388, 397), true},
                             TCase{TRenderQuality::Plain, 0.83L, QSize(301, 199), QPoint(300, 200), QPoint(391, 260), true},
                             TCase{TRenderQuality::High, 0.5L, QSize(320, 240), QPoint(450, 350), QPoint(450, 350), true}}) {
        const QRect view(QPoint(0, 0), pan.View);
        const QImage last = DrawOnWhite(map, pan.Quality, pan.From, pan.View, pan.Scale);
        const QImage next = DrawOnWhite(map, pan.Quality, pan.To, pan.View, pan.Scale);
        const auto repeated = map.RepeatedDrawing(pan.Quality, pan.From, pan.To, view, pan.Scale);
        const QString where = QStringLiteral("scale %1 from (%2, %3) to (%4, %5)").arg(double(pan.Scale))
                                  .arg(pan.From.x()).arg(pan.From.y()).arg(pan.To.x()).arg(pan.To.y());
        if (!repeated) {
            EXPECT_FALSE(pan.MostlyRepeated) << where.toStdString();
            continue;
        }
        QImage reused(pan.View, QImage::Format_RGB32);
        reused.fill(Qt::magenta);
        {
            QPainter painter(&reused);
            painter.drawImage(-repeated->Shift, last);
            painter.setBrush(Qt::white);
            painter.setClipRegion(repeated->Changed);
            map.Draw(pan.Quality, pan.To, view, pan.Scale, painter);
        }
        EXPECT_EQ(reused, next) << where.toStdString();
        long long changedPixels = 0;
        for (const QRect &rect : repeated->Changed)
            changedPixels += (long long)rect.width() * rect.height();
        if (pan.MostlyRepeated) {
            EXPECT_LT(changedPixels, (long long)pan.View.width() * pan.View.height() * 3 / 4) << where.toStdString();
        }
    }
}

// Guards against the tile cache serving a tile of what a map object held before, or of
// another map object: two maps of the same tile grid, loaded into one object in turn, into a
// copy, and into a second object, each draw their own picture.
// Guards against background work that a rendering must wait behind, that takes every
// worker, or that goes on after it was stopped (its map may be loading other content then).
TEST(RenderPool, BackgroundWorkYieldsToRenderingsAndEndsWhenStopped)
{
    TRenderPool pool(2);
    std::atomic<int> started = 0;
    std::atomic<bool> released = false;
    TRenderPool::TBackgroundRun background = pool.RunInBackground(1000, [&](size_t) {
        ++started;
        while (!released)
            std::this_thread::yield();
    });
    while (started == 0)
        std::this_thread::yield();
    // One worker is held by a background piece: the other one prepares the rendering's.
    auto rendering = std::async(std::launch::async, [&pool] {
        std::vector<int> prepared(8);
        pool.Run(prepared.size(), [&](size_t i) { prepared[i] = 1; }, [](size_t) {});
        return std::accumulate(prepared.begin(), prepared.end(), 0);
    });
    const bool renderingEnded = rendering.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    if (!renderingEnded)
        released = true; // lets the test end
    ASSERT_TRUE(renderingEnded);
    EXPECT_EQ(rendering.get(), 8);
    EXPECT_EQ(started, 1);
    std::thread release([&released] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        released = true;
    });
    background.Stop(); // drops the queued pieces, then waits for the running one
    release.join();
    const int stoppedAt = started;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(started, stoppedAt);
    EXPECT_LT(stoppedAt, 1000);
}

TEST(MapImageRender, CacheServesOnlyTheMapItWasFilledFrom)
{
    const TRawMap first = GridMap(TestPicture(256, 192), 64, 64, 95);
    const TRawMap second = GridMap(NoisePicture(256, 192), 64, 64, 95);
    // Decoded tiles (scale 1) and resampled pieces (high quality at 0.75).
    const auto draw = [](const TMapImage &map) {
        return std::pair(Decoded(map), DrawOnWhite(map, TRenderQuality::High, QPoint(128, 96), QSize(192, 144), 0.75L));
    };
    const TMapImage reference = LoadRaw(second);
    SharedTileCache().Clear();
    const auto expected = draw(reference);
    TMapImage map = LoadRaw(first);
    const auto firstPictures = draw(map);
    ASSERT_NE(firstPictures.first, expected.first);
    ASSERT_NE(firstPictures.second, expected.second);
    const TMapImage copy = map;
    EXPECT_EQ(draw(copy), firstPictures);
    QBuffer stream;
    stream.setData(second.Bytes());
    stream.open(QIODevice::ReadOnly);
    map.LoadFromStream(stream);
    EXPECT_EQ(draw(map), expected);
    EXPECT_EQ(draw(copy), firstPictures);
    EXPECT_EQ(draw(LoadRaw(first)), firstPictures);
}

// Guards against a cache that grows without bound or evicts the wrong tile: beyond the budget
// the least recently used picture goes, one larger than the budget is not kept, a resampled
// part is not the decoded tile, and Drop removes the pictures of one content only.
TEST(TileCache, KeepsTheMostRecentlyUsedTilesWithinItsBudget)
{
    const auto picture = [](int side) { return std::make_shared<const QImage>(side, side, QImage::Format_RGB32); };
    const auto decoded = [](uint64_t content, int tile) { return TTileKey{content, tile, QRect(), QSize()}; };
    const TTileKey first = decoded(1, 0), second = decoded(1, 1), third = decoded(2, 0), fourth = decoded(2, 1);
    const TTileKey firstResampled{1, 0, QRect(0, 0, 64, 64), QSize(32, 32)};
    TTileCache cache(3 * 64 * 64 * 4);
    cache.Insert(first, picture(64));
    cache.Insert(second, picture(64));
    cache.Insert(third, picture(64));
    EXPECT_NE(cache.Find(first), nullptr); // now the most recently used
    cache.Insert(fourth, picture(64));
    EXPECT_EQ(cache.Find(second), nullptr);
    EXPECT_NE(cache.Find(first), nullptr);
    EXPECT_EQ(cache.Find(firstResampled), nullptr);
    EXPECT_EQ(cache.Bytes(), cache.BudgetBytes());
    cache.Insert(decoded(3, 0), picture(128));
    EXPECT_EQ(cache.Find(decoded(3, 0)), nullptr);
    cache.Drop(2);
    EXPECT_EQ(cache.Find(third), nullptr);
    EXPECT_EQ(cache.Find(fourth), nullptr);
    EXPECT_NE(cache.Find(first), nullptr);
    EXPECT_EQ(cache.Bytes(), 64u * 64 * 4);
    EXPECT_EQ(cache.PeakBytes(), cache.BudgetBytes());
}

// Guards against a wrong source region or destination start: the worked case of a 1000 x 800
// picture drawn at 0.5 into 600 x 400 around (500, 400) lands at (50, 0), 500 x 400, with
// white strips left and right.
TEST(MapImageRender, WorkedCasePlacesThePictureCentred)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(1000, 800), 256, 256, 90));
    const QImage canvas = DrawOnWhite(map, TRenderQuality::Plain, QPoint(500, 400), QSize(600, 400), 0.5L);
    EXPECT_TRUE(AllWhite(canvas, QRect(0, 0, 50, 400)));
    EXPECT_TRUE(NoneWhite(canvas, QRect(50, 0, 500, 400)));
    EXPECT_TRUE(AllWhite(canvas, QRect(550, 0, 50, 400)));
    const QImage expected = TestPicture(1000, 800).scaled(500, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(MeanDifference(canvas.copy(50, 0, 500, 400), expected), 4.0);
}

// Guards against an off-by-one that drops the last column or row (odd sizes: the view ends
// half-way into the last pixel), and against pieces that do not abut (white seams).
TEST(MapImageRender, WholeMapAtScaleOneDrawsEveryPixel)
{
    const QImage picture = TestPicture(301, 203);
    const TMapImage map = LoadRaw(GridMap(picture, 64, 50, 95));
    const QImage canvas = Decoded(map);
    EXPECT_TRUE(NoneWhite(canvas, canvas.rect()));
    EXPECT_LT(MeanDifference(canvas, picture), 2.0);
    // An odd-sized view whose edges end half-way into column 222 and row 150 draws both.
    const QImage view = DrawOnWhite(map, TRenderQuality::Plain, QPoint(150, 101), QSize(145, 99), 1);
    EXPECT_TRUE(NoneWhite(view, view.rect()));
}

// Guards against a centre outside the picture being used as it is.
TEST(MapImageRender, ClampsTheCentreIntoThePicture)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(200, 150), 64, 64));
    const QSize view(120, 80);
    EXPECT_EQ(DrawOnWhite(map, TRenderQuality::Plain, QPoint(-500, 9000), view, 0.8L),
              DrawOnWhite(map, TRenderQuality::Plain, QPoint(0, 149), view, 0.8L));
    EXPECT_EQ(DrawOnWhite(map, TRenderQuality::Plain, QPoint(700, -3), view, 0.8L),
              DrawOnWhite(map, TRenderQuality::Plain, QPoint(199, 0), view, 0.8L));
    // The centre pixel lands at the middle of the view; left and above it stays white.
    const QImage corner = DrawOnWhite(map, TRenderQuality::Plain, QPoint(0, 0), view, 1);
    EXPECT_TRUE(AllWhite(corner, QRect(0, 0, 60, 80)));
    EXPECT_TRUE(AllWhite(corner, QRect(0, 0, 120, 40)));
    EXPECT_TRUE(NoneWhite(corner, QRect(60, 40, 60, 40)));
}

// Guards against decoding tiles the view does not touch (every other tile is junk), and
// against copying the wrong part of a tile for a region that starts inside it.
TEST(MapImageRender, RegionInsideOneTileDecodesOnlyThatTile)
{
    const TRawMap raw = GridMap(TestPicture(300, 200), 100, 100, 90, {0, 1, 2, 3, 5});
    const TMapImage map = LoadRaw(raw);
    const QImage canvas = DrawOnWhite(map, TRenderQuality::Plain, QPoint(150, 150), QSize(60, 40), 1);
    EXPECT_EQ(canvas, DecodeEntry(raw, 4).copy(20, 30, 60, 40));
    EXPECT_THROW(DrawOnWhite(map, TRenderQuality::Plain, QPoint(150, 150), QSize(60, 120), 1), TovralError);
}

// Guards against resampling at 100 % (which would blur): with high quality the pixels are
// copied exactly.
TEST(MapImageRender, ScaleOneCopiesPixelsEvenWithHighQuality)
{
    const QImage picture = TestPicture(250, 180);
    const TMapImage map = LoadRaw(GridMap(picture, 64, 64, 95));
    const QImage plain = Decoded(map);
    const QImage hq = DrawOnWhite(map, TRenderQuality::High, QPoint(125, 90), QSize(250, 180), 1);
    EXPECT_EQ(hq, plain);
    EXPECT_LT(MeanDifference(hq, picture), 2.0);
}

// Guards against the resampler running on pieces of 2 pixels or less: the 4-pixel-wide last
// tile column scales to 2 pixels and is stretched plainly, while the wide tiles are resampled.
TEST(MapImageRender, TinyPiecesArePlainlyStretched)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(104, 100), 100, 100, 95));
    const QSize view(52, 50);
    const QImage plain = DrawOnWhite(map, TRenderQuality::Plain, QPoint(52, 50), view, 0.5L);
    const QImage hq = DrawOnWhite(map, TRenderQuality::High, QPoint(52, 50), view, 0.5L);
    EXPECT_EQ(hq.copy(50, 0, 2, 50), plain.copy(50, 0, 2, 50));
    EXPECT_NE(hq.copy(0, 0, 50, 50), plain.copy(0, 0, 50, 50));
}

// Guards against a search that goes backwards or loops: with the bands listed bottom first,
// the top band is drawn and the rest of the region stays blank.
TEST(MapImageRender, BadTileOrderLeavesTheRestBlank)
{
    TRawMap raw = GridMap(TestPicture(200, 200), 100, 100);
    std::rotate(raw.Tiles.begin(), raw.Tiles.begin() + 2, raw.Tiles.end());
    const TMapImage map = LoadRaw(raw);
    const QImage canvas = Decoded(map);
    EXPECT_TRUE(NoneWhite(canvas, QRect(0, 0, 200, 100)));
    EXPECT_TRUE(AllWhite(canvas, QRect(0, 100, 200, 100)));
}

// Guards against a tile whose JPEG has another size than its rectangle being read out of
// bounds: the rendering stops with an error naming the file, the pieces before it stay.
TEST(MapImageRender, TileOfTheWrongSizeIsRefused)
{
    TRawMap raw = GridMap(TestPicture(200, 100), 100, 100);
    raw.Tiles[1].Offset = raw.AddEntry(EncodeJpeg(TestPicture(50, 50)));
    QTemporaryDir dir;
    TMapImage map;
    map.LoadFromFile(WriteFile(dir, "wrong.map", raw.Bytes()));
    QImage canvas(200, 100, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    try {
        map.Draw(TRenderQuality::Plain, QPoint(100, 50), canvas.rect(), 1, painter);
        FAIL() << "a 50 x 50 tile was drawn into a 100 x 100 rectangle";
    } catch (const TovralError &error) {
        EXPECT_TRUE(error.Message().contains("wrong.map")) << error.what();
    }
    painter.end();
    EXPECT_TRUE(NoneWhite(canvas, QRect(0, 0, 100, 100)));
    EXPECT_TRUE(AllWhite(canvas, QRect(100, 0, 100, 100)));
}

// Guards against a frozen window: the message hook runs once per piece drawn.
TEST(MapImageRender, ProcessesMessagesAfterEveryPiece)
{
    TMapImage map = LoadRaw(GridMap(TestPicture(200, 150), 64, 64));
    int calls = 0;
    map.ProcessMessages = [&calls] { ++calls; };
    QImage canvas(200, 150, QImage::Format_RGB32);
    QPainter painter(&canvas);
    map.Draw(TRenderQuality::Plain, QPoint(100, 75), canvas.rect(), 1, painter);
    EXPECT_EQ(calls, 4 * 3);
}

// Guards against the renderer drifting from the picture: a written map drawn whole at 1,
// 0.5 and 1.2, plain and high quality, matches the picture scaled by Qt.
TEST(MapImageRender, RoundTripMatchesThePictureAtEveryScale)
{
    const QImage picture = TestPicture(640, 480);
    QTemporaryDir dir;
    const QString path = dir.filePath("round.map");
    WriteMapFile(picture, path, 128, 92);
    TMapImage map;
    map.LoadFromFile(path);
    for (long double scale : {1.0L, 0.5L, 1.2L})
        for (TRenderQuality quality : {TRenderQuality::Plain, TRenderQuality::High}) {
            const bool hq = quality == TRenderQuality::High;
            const QSize size(int(std::nearbyint(640 * scale)), int(std::nearbyint(480 * scale)));
            const QImage canvas = DrawOnWhite(map, quality, QPoint(320, 240), size, scale);
            const QImage expected = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const QRect inner = canvas.rect().adjusted(2, 2, -2, -2);
            EXPECT_TRUE(NoneWhite(canvas, inner)) << double(scale) << (hq ? " HQ" : "");
            EXPECT_LT(MeanDifference(canvas, expected, inner), 3.5) << double(scale) << (hq ? " HQ" : "");
        }
}

// Guards against nonsense scales being computed with (division by zero, overflow).
TEST(MapImageRender, RefusesInvalidScales)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(64, 64), 64, 64));
    for (long double scale : {0.0L, -1.0L, (long double)NAN, (long double)INFINITY})
        EXPECT_THROW(DrawOnWhite(map, TRenderQuality::Plain, QPoint(32, 32), QSize(10, 10), scale), TovralError);
}
