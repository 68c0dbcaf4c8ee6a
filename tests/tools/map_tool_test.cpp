#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "map_test_support.h"
#include "tool_run.h"
#include "mapdata/jpeg_codec.h"
#include "tools/map_writer.h"
#include "tools/pts_writer.h"

namespace {

// Every line on stderr counts, Qt's included.
TToolRun RunTool(const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR")); // makes Qt warn: the tool must hide it
    return RunToolIn(environment, arguments, 60000);
}

// A failure: exit code 1, one line on stderr that names the command.
void ExpectFailure(const TToolRun &run, const QString &command, const char *what)
{
    EXPECT_EQ(run.ExitCode, 1) << what;
    ASSERT_EQ(run.ErrLines.size(), 1) << what << ": " << run.ErrLines.join(" | ").toStdString();
    EXPECT_TRUE(run.ErrLines[0].startsWith(QStringLiteral("tovral-tool: %1: ").arg(command)))
        << what << ": " << run.ErrLines[0].toStdString();
}

class MapTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        Picture = TestPicture(333, 215);
        Picture.save(dir.filePath("picture.png"));
        MapPath = dir.filePath("sp_full.map");
    }
    QString Path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    QImage Picture;
    QString MapPath;
};

} // namespace

// Guards against mkmap writing another layout than its options ask, and info misreporting it.
TEST_F(MapTool, MkmapThenInfo)
{
    const TToolRun made = RunTool({"mkmap", Path("picture.png"), "-o", MapPath, "--tile", "100", "--quality", "90"});
    ASSERT_EQ(made.ExitCode, 0) << made.ErrLines.join(" | ").toStdString();
    EXPECT_TRUE(made.ErrLines.isEmpty());
    const TToolRun info = RunTool({"info", MapPath, "--deep"});
    EXPECT_EQ(info.ExitCode, 0);
    EXPECT_EQ(info.Out, QString("map 333x215 tiles 12 bands 3 data %1\n").arg(QFileInfo(MapPath).size() - 16 - 12 * 20));
}

// Guards against render drawing anything but what Draw (or the printer path) draws, and
// against each output format losing or changing pixels.
TEST_F(MapTool, RenderMatchesDrawInEveryFormat)
{
    WriteMapFile(Picture, MapPath, 64, 90);
    TMapImage map;
    map.LoadFromFile(MapPath);
    const QImage expected = DrawOnWhite(map, TRenderQuality::High, QPoint(100, 60), QSize(160, 90), 0.6L);

    const QStringList view = {"render", MapPath, "--center", "100,60", "--scale", "0.6", "--size", "160x90", "--hq"};
    ASSERT_EQ(RunTool(view + QStringList{"-o", Path("view.png")}).ExitCode, 0);
    EXPECT_EQ(QImage(Path("view.png")).convertToFormat(QImage::Format_RGB32), expected);
    ASSERT_EQ(RunTool(view + QStringList{"-o", Path("view.bmp")}).ExitCode, 0);
    QFile bmp(Path("view.bmp"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(bmp.readAll().at(28), 24) << "bits per pixel in the BMP header";
    EXPECT_EQ(QImage(Path("view.bmp")).convertToFormat(QImage::Format_RGB32), expected);
    ASSERT_EQ(RunTool(view + QStringList{"-o", Path("view.jpg")}).ExitCode, 0);
    QFile jpg(Path("view.jpg"));
    ASSERT_TRUE(jpg.open(QIODevice::ReadOnly));
    EXPECT_EQ(jpg.readAll(), EncodeJpeg(expected, 70));

    // The printer path: plain stretch, no resampling, same placement.
    const TToolRun printed = RunTool(view + QStringList{"--printer", "-o", Path("printed.png")});
    ASSERT_EQ(printed.ExitCode, 0);
    EXPECT_EQ(QImage(Path("printed.png")).convertToFormat(QImage::Format_RGB32),
              DrawOnWhite(map, TRenderQuality::Plain, QPoint(100, 60), QSize(160, 90), 0.6L));
}

// Guards against a failed render leaving a partial output file or destroying an old one.
TEST_F(MapTool, FailedRenderKeepsTheOldOutput)
{
    TRawMap raw = GridMap(Picture, 128, 128, 90, {4});
    WriteFile(dir, "broken.map", raw.Bytes());
    WriteFile(dir, "out.png", "old picture");
    ExpectFailure(RunTool({"render", Path("broken.map"), "--scale", "1", "--size", "333x215", "-o", Path("out.png")}),
                  "render", "corrupt tile");
    QFile old(Path("out.png"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old picture"));
    ExpectFailure(RunTool({"render", Path("broken.map"), "--scale", "1", "--size", "333x215", "-o", Path("new.png")}),
                  "render", "corrupt tile, new file");
    EXPECT_FALSE(QFile::exists(Path("new.png")));
    EXPECT_EQ(QDir(dir.path()).entryList({"*.png"}, QDir::Files), QStringList({"out.png", "picture.png"}));
}

// Guards against malformed arguments being half-used instead of refused with one line.
TEST_F(MapTool, RefusesBadArguments)
{
    WriteMapFile(Picture, MapPath, 128, 80);
    const struct {
        const char *Case;
        QStringList Arguments;
        const char *Command;
    } cases[] = {
        {"scale not a number", {"render", MapPath, "--scale", "0,5", "--size", "10x10", "-o", Path("a.png")}, "render"},
        {"scale zero", {"render", MapPath, "--scale", "0", "--size", "10x10", "-o", Path("a.png")}, "render"},
        {"size zero", {"render", MapPath, "--scale", "1", "--size", "0x10", "-o", Path("a.png")}, "render"},
        {"size malformed", {"render", MapPath, "--scale", "1", "--size", "10", "-o", Path("a.png")}, "render"},
        {"unknown format", {"render", MapPath, "--scale", "1", "--size", "10x10", "-o", Path("a.gif")}, "render"},
        {"no output", {"render", MapPath, "--scale", "1", "--size", "10x10"}, "render"},
        {"unknown option", {"render", MapPath, "--zoom", "1", "-o", Path("a.png")}, "render"},
        {"missing map", {"render", Path("none.map"), "--scale", "1", "--size", "10x10", "-o", Path("a.png")}, "render"},
        {"tile too small", {"mkmap", Path("picture.png"), "-o", Path("b.map"), "--tile", "0"}, "mkmap"},
        {"tile larger than a map tile may be",
         {"mkmap", Path("picture.png"), "-o", Path("b.map"), "--tile", QString::number(kMaxTileSide + 1)}, "mkmap"},
        {"quality too high", {"mkmap", Path("picture.png"), "-o", Path("b.map"), "--quality", "101"}, "mkmap"},
        {"not a picture", {"mkmap", MapPath, "-o", Path("b.map")}, "mkmap"},
        {"unknown file type", {"info", Path("picture.png")}, "info"},
        {"unknown command", {"frobnicate"}, "frobnicate"},
    };
    for (const auto &c : cases)
        ExpectFailure(RunTool(c.Arguments), c.Command, c.Case);
    EXPECT_FALSE(QFile::exists(Path("a.png")));
    EXPECT_FALSE(QFile::exists(Path("b.map")));
}

// Guards against info passing files the viewer refuses or cannot draw correctly: hostile
// headers, a picture beyond the limits (named in the refusal), a broken band order, and (with
// --deep only) a tile of the wrong size.
TEST_F(MapTool, InfoFailsOnFilesTheViewerCannotUse)
{
    TRawMap truncated = GridMap(Picture, 128, 128);
    truncated.DataBytes = int32_t(truncated.Blob.size()) + 10;
    ExpectFailure(RunTool({"info", WriteFile(dir, "short.map", truncated.Bytes())}), "info", "blob too short");

    TRawMap disordered = GridMap(Picture, 128, 128);
    std::swap(disordered.Tiles[0], disordered.Tiles[1]);
    const TToolRun order = RunTool({"info", WriteFile(dir, "order.map", disordered.Bytes())});
    ExpectFailure(order, "info", "tiles out of order");
    EXPECT_TRUE(order.ErrLines.value(0).contains("tile 0 starts at column 128")) << order.ErrLines.value(0).toStdString();

    TRawMap gap = GridMap(Picture, 128, 128);
    gap.Tiles.erase(gap.Tiles.begin() + 2); // the first band stops short of the width
    ExpectFailure(RunTool({"info", WriteFile(dir, "gap.map", gap.Bytes())}), "info", "band with a gap");

    TRawMap tooLarge = GridMap(Picture, 128, 128);
    tooLarge.Height = int32_t(kMaxMapPixels / tooLarge.Width + 1);
    const TToolRun large = RunTool({"info", WriteFile(dir, "large.map", tooLarge.Bytes()), "--deep"});
    ExpectFailure(large, "info", "picture beyond the area limit");
    EXPECT_TRUE(large.ErrLines.value(0).contains(QString::number(kMaxMapPixels))) << large.ErrLines.value(0).toStdString();

    TRawMap wrongSize = GridMap(Picture, 128, 128);
    wrongSize.Tiles[3].Offset = wrongSize.AddEntry(EncodeJpeg(TestPicture(10, 10)));
    const QString wrongPath = WriteFile(dir, "wrong.map", wrongSize.Bytes());
    EXPECT_EQ(RunTool({"info", wrongPath}).ExitCode, 0);
    ExpectFailure(RunTool({"info", wrongPath, "--deep"}), "info", "tile of the wrong size");
}

// Guards against info misreading reference-point files.
TEST_F(MapTool, InfoCountsReferencePoints)
{
    TCoordinateItem item;
    item.Longitude = -46.6L;
    item.Latitude = -23.5L;
    WritePtsFile(Path("sp.pts"), {item, item, item});
    const TToolRun run = RunTool({"info", Path("sp.pts")});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, QStringLiteral("pts 3 points\n"));
    ExpectFailure(RunTool({"info", WriteFile(dir, "bad.pts", "xyz")}), "info", "short .pts");
}
