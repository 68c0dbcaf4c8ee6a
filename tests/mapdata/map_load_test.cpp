#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

#include "map_test_support.h"
#include "base/errors.h"
#include "tests/support/sequential_buffer.h"
#include "tools/map_writer.h"

namespace {

TRawMap SmallGoodMap()
{
    return GridMap(TestPicture(60, 40), 32, 32);
}

struct THostileCase {
    const char *Name;
    std::function<QByteArray()> Bytes;
};

// Every way a .map file can lie about its own layout.
const std::vector<THostileCase> &HostileCases()
{
    static const std::vector<THostileCase> cases = {
        {"empty file", [] { return QByteArray(); }},
        {"header cut short", [] { return SmallGoodMap().Bytes().left(7); }},
        {"index cut short", [] { return SmallGoodMap().Bytes().left(12 + 30); }},
        {"data size missing", [] { return SmallGoodMap().Bytes().left(12 + 4 * 20); }},
        {"blob cut short", [] { QByteArray b = SmallGoodMap().Bytes(); return b.left(b.size() - 1); }},
        {"negative index size", [] { TRawMap m = SmallGoodMap(); m.IndexBytes = -20; return m.Bytes(); }},
        {"index size not a multiple of 20", [] { TRawMap m = SmallGoodMap(); m.IndexBytes = 70; return m.Bytes(); }},
        {"no tiles", [] { TRawMap m = SmallGoodMap(); m.Tiles.clear(); return m.Bytes(); }},
        {"index size far beyond the file", [] { TRawMap m = SmallGoodMap(); m.IndexBytes = 2000000000; return m.Bytes(); }},
        {"negative width", [] { TRawMap m = SmallGoodMap(); m.Width = -60; return m.Bytes(); }},
        {"zero height", [] { TRawMap m = SmallGoodMap(); m.Height = 0; return m.Bytes(); }},
        {"absurd width", [] { TRawMap m = SmallGoodMap(); m.Width = 0x7fffffff; return m.Bytes(); }},
        {"negative data size", [] { TRawMap m = SmallGoodMap(); m.DataBytes = -5; return m.Bytes(); }},
        {"zero data size with tiles", [] { TRawMap m = SmallGoodMap(); m.DataBytes = 0; m.Blob.clear(); return m.Bytes(); }},
        {"data size beyond the file", [] { TRawMap m = SmallGoodMap(); m.DataBytes = 2000000000; return m.Bytes(); }},
        {"tile offset negative", [] { TRawMap m = SmallGoodMap(); m.Tiles[1].Offset = -4; return m.Bytes(); }},
        {"tile offset beyond the blob", [] { TRawMap m = SmallGoodMap(); m.Tiles[1].Offset = int32_t(m.Blob.size()) - 2; return m.Bytes(); }},
        {"tile entry longer than the blob", [] {
             TRawMap m = SmallGoodMap();
             m.Tiles[3].Offset = m.AddEntry(QByteArray(10, 'j'));
             m.Blob.chop(5); // the last entry now claims 5 bytes more than there are
             return m.Bytes();
         }},
        {"tile entry of negative length", [] {
             TRawMap m = SmallGoodMap();
             m.Tiles[0].Offset = m.AddEntry(QByteArray());
             m.Blob[m.Tiles[0].Offset + 3] = char(0x80);
             return m.Bytes();
         }},
        {"tile entry of length 0", [] { TRawMap m = SmallGoodMap(); m.Tiles[2].Offset = m.AddEntry(QByteArray()); return m.Bytes(); }},
        {"tile right of the picture", [] { TRawMap m = SmallGoodMap(); m.Tiles[1].Right = 61; return m.Bytes(); }},
        {"tile below the picture", [] { TRawMap m = SmallGoodMap(); m.Tiles[3].Bottom = 41; return m.Bytes(); }},
        {"tile left of the picture", [] { TRawMap m = SmallGoodMap(); m.Tiles[0].Left = -1; return m.Bytes(); }},
        {"empty tile", [] { TRawMap m = SmallGoodMap(); m.Tiles[0].Right = m.Tiles[0].Left; return m.Bytes(); }},
        {"inverted tile", [] { TRawMap m = SmallGoodMap(); std::swap(m.Tiles[2].Top, m.Tiles[2].Bottom); return m.Bytes(); }},
        // Files that are well formed but ask for more decoding than any view may cost.
        {"picture area beyond the limit", [] {
             TRawMap m = SmallGoodMap();
             m.Width = 4 * kMaxTileSide;
             m.Height = int32_t(kMaxMapPixels / m.Width + 1);
             return m.Bytes();
         }},
        {"tile wider than the limit", [] { TRawMap m = SmallGoodMap(); m.Width = m.Tiles[0].Right = kMaxTileSide + 1; return m.Bytes(); }},
        {"tiles sharing one stream, overlapping beyond the limit in all", [] {
             TRawMap m = SmallGoodMap();
             m.Width = m.Height = kMaxTileSide;
             const TMapTile whole{0, 0, kMaxTileSide, kMaxTileSide, m.Tiles[0].Offset};
             m.Tiles.assign(size_t(kMaxMapPixels / (kMaxTileSide * kMaxTileSide) + 1), whole);
             return m.Bytes();
         }},
        {"tiles sharing one stream beyond the JPEG byte limit in all", [] {
             TRawMap m = SmallGoodMap();
             constexpr int32_t kStreamBytes = 1 << 20;
             const int32_t offset = m.AddEntry(QByteArray(kStreamBytes, 'j'));
             m.Tiles.assign(size_t(kMaxMapStreamBytes / kStreamBytes + 1), m.Tiles[0]);
             for (TMapTile &tile : m.Tiles)
                 tile.Offset = offset;
             return m.Bytes();
         }},
        {"more tiles than the limit", [] { TRawMap m = SmallGoodMap(); m.Tiles.assign(kMaxMapTiles + 1, m.Tiles.back()); return m.Bytes(); }},
    };
    return cases;
}

} // namespace

// Guards against a hostile .map crashing, reading out of bounds or allocating what its header
// claims: each is refused with an error naming the file, and the object is left empty (not
// half-loaded), even when it held a good map before.
TEST(MapImageLoad, RefusesEveryHostileFile)
{
    QTemporaryDir dir;
    const QString goodPath = WriteFile(dir, "good.map", SmallGoodMap().Bytes());
    for (const THostileCase &c : HostileCases()) {
        const QString path = WriteFile(dir, "hostile.map", c.Bytes());
        TMapImage map;
        map.LoadFromFile(goodPath);
        try {
            map.LoadFromFile(path);
            ADD_FAILURE() << c.Name << ": accepted";
        } catch (const TovralError &error) {
            EXPECT_TRUE(error.Message().contains(QDir::toNativeSeparators(path))) << c.Name << ": " << error.what();
        }
        EXPECT_EQ(map.Width(), 0) << c.Name;
        EXPECT_EQ(map.Height(), 0) << c.Name;
        EXPECT_EQ(map.TileCount(), 0) << c.Name;
        EXPECT_TRUE(map.Data().isEmpty()) << c.Name;
    }
}

// Guards against sizes being trusted on streams whose length is unknown.
TEST(MapImageLoad, RefusesHostileSequentialStreams)
{
    for (const THostileCase &c : HostileCases()) {
        QByteArray bytes = c.Bytes();
        TSequentialBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        TMapImage map;
        EXPECT_THROW(map.LoadFromStream(stream), TovralError) << c.Name;
        EXPECT_EQ(map.TileCount(), 0) << c.Name;
    }
}

// Guards against a loader that misreads the layout: sizes, tiles and blob as written.
TEST(MapImageLoad, ReadsWhatTheWriterWrote)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("state_full.map");
    WriteMapFile(TestPicture(300, 130), path, 128, 85);
    TMapImage map;
    map.LoadFromFile(path);
    EXPECT_EQ(map.Width(), 300);
    EXPECT_EQ(map.Height(), 130);
    ASSERT_EQ(map.TileCount(), 3 * 2);
    const TMapTile last = map.Tiles().back();
    EXPECT_EQ(QRect(QPoint(last.Left, last.Top), QPoint(last.Right - 1, last.Bottom - 1)),
              QRect(256, 128, 44, 2));
    // Anything after the blob is ignored.
    QByteArray bytes = SmallGoodMap().Bytes() + "trailing";
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    map.LoadFromStream(stream);
    EXPECT_EQ(map.TileCount(), 4);
}

// Guards against a missing file being reported without its name or the system's reason, and Clear
// forgetting the size.
TEST(MapImageLoad, MissingFileAndClear)
{
    TMapImage map;
    try {
        map.LoadFromFile("/nonexistent/folder/sp_full.map");
        FAIL();
    } catch (const TovralError &error) {
        EXPECT_EQ(error.Message(), QString("Cannot open file /nonexistent/folder/sp_full.map: No such file or directory"));
    }
    QByteArray bytes = SmallGoodMap().Bytes();
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    map.LoadFromStream(stream);
    map.Clear();
    EXPECT_EQ(map.TileCount(), 0);
    EXPECT_EQ(map.Width(), 60);
    EXPECT_EQ(map.Height(), 40);
}

// Guards against the writer accepting bands of the wrong size or saving an incomplete map.
TEST(MapWriter, RefusesWrongBandsAndIncompleteMaps)
{
    QTemporaryDir dir;
    TMapWriter writer(100, 70, 32, 80);
    EXPECT_THROW(writer.AddBand(TestPicture(100, 31)), TovralError);
    EXPECT_THROW(writer.AddBand(TestPicture(99, 32)), TovralError);
    writer.AddBand(TestPicture(100, 32));
    EXPECT_THROW(writer.Save(dir.filePath("partial.map")), TovralError);
    EXPECT_FALSE(QFile::exists(dir.filePath("partial.map")));
    writer.AddBand(TestPicture(100, 32));
    EXPECT_EQ(writer.NextBandHeight(), 6);
    writer.AddBand(TestPicture(100, 6));
    EXPECT_EQ(writer.NextBandHeight(), 0);
    writer.Save(dir.filePath("whole.map"));
    TMapImage map;
    map.LoadFromFile(dir.filePath("whole.map"));
    EXPECT_EQ(map.TileCount(), 4 * 3);
}
