// Printing a map page onto a printer writing a PDF file.
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "map_test_support.h"
#include "output/map_printing.h"
#include "tests/support/small_disk.h"

// Guards against printing producing no page or leaving the job open: a whole wide map and a
// current view both come out as one finished PDF page with one image per piece.
TEST(PrintMapPage, WritesOnePdfPagePerJob)
{
    QTemporaryDir dir;
    const TMapImage map = LoadRaw(GridMap(TestPicture(400, 100), 128, 128));
    for (TOutputArea area : {TOutputArea::WholeMap, TOutputArea::VisibleArea}) {
        const bool currentView = area == TOutputArea::VisibleArea;
        const QString path = dir.filePath(currentView ? "view.pdf" : "whole.pdf");
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        PrintMapPage(map, area, QPoint(200, 50), QRect(0, 0, 200, 200), 1, TPageFrame{}, printer);
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
TEST(PrintMapPage, FailedPdfJobKeepsTheOldFile)
{
    const auto printInto = [](const TMapImage &map, const QString &path) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        PrintMapPage(map, TOutputArea::WholeMap, QPoint(), QRect(), 1, TPageFrame{}, printer);
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
