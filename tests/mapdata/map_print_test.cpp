#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "map_test_support.h"
#include "mapdata/errors.h"
#include "tests/support/small_disk.h"
#include "tools/map_writer.h"

namespace {

QRect Edges(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

} // namespace

// Guards against a page rectangle that is not the largest centred one of the aspect: wider
// regions fill the width, taller ones the height, an equal aspect takes the height branch,
// and halves round to even.
TEST(PrintPageRect, FitsTheAspectIntoThePage)
{
    EXPECT_EQ(PrintPageRect(3.0L, 1000, 1000), Edges(0, 333, 1000, 667));
    EXPECT_EQ(PrintPageRect(0.5L, 1000, 1000), Edges(250, 0, 750, 1000));
    EXPECT_EQ(PrintPageRect(2.0L, 1000, 500), Edges(0, 0, 1000, 500));
    // 1001 x 1000 page, square region: left = round(0.5) = 0, right = round(1000.5) = 1000.
    EXPECT_EQ(PrintPageRect(1.0L, 1001, 1000), Edges(0, 0, 1000, 1000));
    // 1000 x 1003 page, square region: top = round(1.5) = 2, bottom = round(1001.5) = 1002.
    EXPECT_EQ(PrintPageRect(1.0L, 1000, 1003), Edges(0, 2, 1000, 1002));
}

// Guards against the print scale or centre being taken from the wrong source: the whole
// picture is centred at (W div 2, H div 2) at page width / W; the current view keeps its
// centre and uses page width / round(view width / scale).
TEST(PrintPlacement, WholePictureAndCurrentView)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(301, 100), 128, 128));
    const TMapImage::TPrintPlacement whole = map.PrintPlacement(false, QPoint(5, 5), QRect(0, 0, 10, 10), 1, 4000, 6000);
    EXPECT_EQ(whole.PageRect.width(), 4000);
    EXPECT_EQ(whole.Center, QPoint(150, 50));
    EXPECT_EQ(whole.Scale, 4000.0L / 301);

    const TMapImage::TPrintPlacement view = map.PrintPlacement(true, QPoint(40, 60), QRect(0, 0, 443, 213), 0.5L, 4000, 6000);
    EXPECT_EQ(view.PageRect, PrintPageRect(443.0L / 213, 4000, 6000));
    EXPECT_EQ(view.Center, QPoint(40, 60));
    EXPECT_EQ(view.Scale, 4000.0L / 886);
    EXPECT_THROW(map.PrintPlacement(true, QPoint(), QRect(0, 0, 0, 10), 1, 4000, 6000), TovralError);
    EXPECT_THROW(TMapImage().PrintPlacement(false, QPoint(), QRect(), 1, 4000, 6000), TovralError);
}

// Guards against the printer path filling the page or scaling differently from the screen
// path: it leaves the canvas around the region untouched and stretches like the plain path.
TEST(PrintRender, PrinterModeDoesNotFillAndStretchesPlainly)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(200, 100), 64, 64));
    QImage printed(300, 300, QImage::Format_RGB32);
    printed.fill(Qt::red);
    {
        QPainter painter(&printed);
        painter.setBrush(Qt::white);
        map.RenderRegion(true, true, QPoint(100, 50), QRect(0, 100, 300, 150), 1.5L, painter);
    }
    EXPECT_EQ(printed.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(printed.pixel(299, 299), QColor(Qt::red).rgb());
    QImage screen(300, 300, QImage::Format_RGB32);
    screen.fill(Qt::red);
    {
        QPainter painter(&screen);
        painter.setClipRect(QRect(0, 100, 300, 150));
        painter.setBrush(Qt::red);
        map.RenderRegion(false, false, QPoint(100, 50), QRect(0, 100, 300, 150), 1.5L, painter);
    }
    EXPECT_EQ(printed, screen);
}

// Guards against Print producing no page or leaving the job open: a whole wide map and a
// current view both come out as one finished PDF page with one image per piece.
TEST(Print, WritesOnePdfPagePerJob)
{
    QTemporaryDir dir;
    const TMapImage map = LoadRaw(GridMap(TestPicture(400, 100), 128, 128));
    for (bool currentView : {false, true}) {
        const QString path = dir.filePath(currentView ? "view.pdf" : "whole.pdf");
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        map.Print(currentView, QPoint(200, 50), QRect(0, 0, 200, 200), 1, printer);
        const QByteArray pdf = ReadAll(path);
        EXPECT_TRUE(pdf.startsWith("%PDF")) << currentView;
        EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF")) << currentView;
        EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1) << currentView;
        EXPECT_EQ(pdf.count("/Subtype /Image"), currentView ? 3 : 4) << currentView;
    }
}

// Guards against a failed PDF job that destroys the file it was to replace, leaves a cut-off
// or temporary file, or is reported as done: a tile that cannot be decoded, and a disk that
// fills up while the page is written.
TEST(Print, FailedPdfJobKeepsTheOldFile)
{
    const auto printInto = [](const TMapImage &map, const QString &path) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        map.Print(false, QPoint(), QRect(), 1, printer);
    };
    QTemporaryDir dir;
    const QString old = WriteFile(dir, "old.pdf", "the old document");
    EXPECT_THROW(printInto(LoadRaw(GridMap(TestPicture(200, 100), 100, 100, 90, {1})), old), TovralError);
    EXPECT_EQ(ReadAll(old), QByteArray("the old document"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.pdf"});

    TSmallDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Why().toStdString();
    const QString onDisk = disk.FilePath("old.pdf");
    QFile file(onDisk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("the old document") > 0);
    file.close();
    disk.Fill();
    try {
        printInto(LoadRaw(GridMap(NoisePicture(400, 300), 128, 128)), onDisk);
        ADD_FAILURE() << "a page written to a full disk was reported as printed";
    } catch (const TovralError &error) {
        EXPECT_TRUE(error.Message().contains(onDisk)) << error.what();
    }
    EXPECT_EQ(ReadAll(onDisk), QByteArray("the old document"));
    EXPECT_EQ(QDir(QFileInfo(onDisk).path()).entryList(QDir::Files), (QStringList{"filler", "old.pdf"}));
}
