#include <QPainter>
#include <gtest/gtest.h>

#include "map_test_support.h"
#include "base/errors.h"
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
// centre and uses page width / round(view width / scale). The page rectangle lies in the
// area left for the map.
TEST(PrintPlacement, WholePictureAndCurrentView)
{
    const TMapImage map = LoadRaw(GridMap(TestPicture(301, 100), 128, 128));
    const TMapImage::TPrintPlacement whole = map.PrintPlacement(TOutputArea::WholeMap, QPoint(5, 5), QRect(0, 0, 10, 10), 1, QRect(0, 0, 4000, 6000));
    EXPECT_EQ(whole.PageRect.width(), 4000);
    EXPECT_EQ(whole.Center, QPoint(150, 50));
    EXPECT_EQ(whole.Scale, 4000.0L / 301);

    const TMapImage::TPrintPlacement view = map.PrintPlacement(TOutputArea::VisibleArea, QPoint(40, 60), QRect(0, 0, 443, 213), 0.5L, QRect(50, 300, 4000, 6000));
    EXPECT_EQ(view.PageRect, PrintPageRect(443.0L / 213, 4000, 6000).translated(50, 300));
    EXPECT_EQ(view.Center, QPoint(40, 60));
    EXPECT_EQ(view.Scale, 4000.0L / 886);
    EXPECT_THROW(map.PrintPlacement(TOutputArea::VisibleArea, QPoint(), QRect(0, 0, 0, 10), 1, QRect(0, 0, 4000, 6000)), TovralError);
    EXPECT_THROW(TMapImage().PrintPlacement(TOutputArea::WholeMap, QPoint(), QRect(), 1, QRect(0, 0, 4000, 6000)), TovralError);
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
        map.RenderRegion(TRenderTarget::Printer, TRenderQuality::High, QPoint(100, 50), QRect(0, 100, 300, 150), 1.5L, painter);
    }
    EXPECT_EQ(printed.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(printed.pixel(299, 299), QColor(Qt::red).rgb());
    QImage screen(300, 300, QImage::Format_RGB32);
    screen.fill(Qt::red);
    {
        QPainter painter(&screen);
        painter.setClipRect(QRect(0, 100, 300, 150));
        painter.setBrush(Qt::red);
        map.RenderRegion(TRenderTarget::Screen, TRenderQuality::Plain, QPoint(100, 50), QRect(0, 100, 300, 150), 1.5L, painter);
    }
    EXPECT_EQ(printed, screen);
}
