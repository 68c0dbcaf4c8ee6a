#include "output/map_printing.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QtMath>

#include "base/errors.h"
#include "mapdata/coordinates.h"
#include "mapdata/map_scale.h"
#include "mapdata/output_file.h"
#include "mapdata/scale_bar.h"

namespace {
// Sizes on paper. Fonts in points; lengths in millimetres.
constexpr qreal kTitlePoints = 16;
constexpr qreal kScaleBarPoints = 8;
constexpr qreal kSourcesPoints = 7;
constexpr qreal kSmallestSourcesPoints = 5; // a long line shrinks down to this, then is cut
constexpr qreal kGapMm = 3;
constexpr qreal kLongestBarMm = 60;
constexpr qreal kFrameMm = 0.25; // the line around the map
constexpr qreal kMmPerInch = 25.4;
// The scale bar's own unit: a ninety-sixth of an inch, as a view pixel.
constexpr qreal kBarUnitsPerInch = 96;

QFont PageFont(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A printer told to write a PDF file rather than to send a job to a print queue.
bool PrintsToFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// The page's parts around the map, measured on one device.
class TPageParts {
public:
    TPageParts(const TPageFrame &frame, QPaintDevice &device)
        : FFrame(frame), FDevice(device), FMillimetre(device.logicalDpiY() / kMmPerInch),
          FTitleFont(PageFont(kTitlePoints, true)), FSourcesFont(PageFont(kSourcesPoints))
    {
    }

    // Where the map goes: the page less the title above and the bar and sources under.
    QRect MapArea() const
    {
        const int top = qCeil(Metrics(FTitleFont).height() + Gap());
        const int bottom = qCeil(Gap() + FooterHeight());
        return QRect(0, top, FDevice.width(), FDevice.height() - top - bottom);
    }

    // Draws the title, the frame, the scale bar and the sources around the map at mapRect,
    // rendered around a full-map pixel at scale device pixels per full-map pixel.
    void Paint(QPainter &painter, const QRect &mapRect, QPoint centre, long double scale) const
    {
        painter.save();
        painter.setPen(QPen(Qt::black, kFrameMm * FMillimetre));
        painter.setBrush(Qt::NoBrush);
        const qreal half = kFrameMm * FMillimetre / 2;
        painter.drawRect(QRectF(mapRect).adjusted(-half, -half, half, half));

        const qreal width = FDevice.width() - mapRect.left();
        const QFontMetricsF title = Metrics(FTitleFont);
        painter.setFont(FTitleFont);
        painter.drawText(QPointF(mapRect.left(), mapRect.top() - Gap() - title.descent()),
                         title.elidedText(PageTitle(FFrame.StateName), Qt::ElideRight, width));

        qreal y = mapRect.bottom() + 1 + Gap();
        if (const std::optional<TScaleBarPicture> bar = ScaleBar(centre, scale)) {
            bar->Paint(painter, QPointF(mapRect.left(), y));
            y += bar->Size().height();
        }
        if (!FFrame.Sources.isEmpty()) {
            const QFont font = SourcesFont(width);
            const QFontMetricsF metrics = Metrics(font);
            painter.setFont(font);
            painter.drawText(QPointF(mapRect.left(), y + Gap() / 2 + metrics.ascent()),
                             metrics.elidedText(FFrame.Sources, Qt::ElideRight, width));
        }
        painter.restore();
    }

private:
    qreal Gap() const { return kGapMm * FMillimetre; }
    QFontMetricsF Metrics(const QFont &font) const { return QFontMetricsF(font, &FDevice); }

    qreal FooterHeight() const
    {
        qreal height = 0;
        if (FFrame.Coordinates)
            height += BarPicture({1, 1}).Size().height(); // the same for every length
        if (!FFrame.Sources.isEmpty())
            height += Gap() / 2 + Metrics(FSourcesFont).height();
        return height;
    }

    TScaleBarPicture BarPicture(const TScaleBar &bar) const
    {
        return TScaleBarPicture(bar, PageFont(kScaleBarPoints), FDevice.logicalDpiY() / kBarUnitsPerInch, false,
                                FFrame.DecimalSeparator, FDevice);
    }

    // The bar true at the centre for the printed scale; none without reference points there.
    std::optional<TScaleBarPicture> ScaleBar(QPoint centre, long double scale) const
    {
        if (!FFrame.Coordinates || !(scale > 0))
            return std::nullopt;
        const std::optional<TKmPerPixel> km =
            KmPerFullMapPixel(*FFrame.Coordinates, MapPointOf(centre));
        if (!km)
            return std::nullopt;
        const TScaleBar bar = RoundScaleBar(km->X / scale, kLongestBarMm * FMillimetre);
        if (bar.Km <= 0)
            return std::nullopt;
        return BarPicture(bar);
    }

    // The sources' font, smaller for a line that would not fit width (down to a limit).
    QFont SourcesFont(qreal width) const
    {
        QFont font = FSourcesFont;
        const qreal natural = Metrics(font).horizontalAdvance(FFrame.Sources);
        if (natural > width)
            font.setPointSizeF(std::max(kSmallestSourcesPoints, kSourcesPoints * width / natural));
        return font;
    }

    const TPageFrame &FFrame;
    QPaintDevice &FDevice;
    const qreal FMillimetre; // device pixels
    const QFont FTitleFont;
    const QFont FSourcesFont;
};

// One page on a printer or PDF writer; deviceName names it in errors.
void PrintPage(const TMapImage &map, TOutputArea area, QPoint center, const QRect &viewRect, long double scale,
               const TPageFrame &frame, QPagedPaintDevice &page, const QString &deviceName)
{
    QPainter painter;
    if (!painter.begin(&page))
        throw TovralError(QStringLiteral("Cannot start printing on %1").arg(deviceName));
    try {
        const TPageParts parts(frame, page);
        const TMapImage::TPrintPlacement placement =
            map.RenderPage(area, center, viewRect, scale, painter, parts.MapArea(), frame.Overlay);
        parts.Paint(painter, placement.PageRect, placement.Center, placement.Scale);
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end())
        throw TovralError(QStringLiteral("Cannot finish printing on %1").arg(deviceName));
}
} // namespace

QString PageTitle(const QString &stateName)
{
    return stateName + QStringLiteral(" – Mapa rodoviário");
}

QPageLayout::Orientation PrintOrientation(const TMapImage &map, TOutputArea area, const QRect &viewRect)
{
    return map.PrintAspect(area, viewRect) > 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void PrintMapPage(const TMapImage &map, TOutputArea area, QPoint center, const QRect &viewRect,
                  long double scale, const TPageFrame &frame, QPrinter &printer)
{
    if (!PrintsToFile(printer)) {
        PrintPage(map, area, center, viewRect, scale, frame, printer, printer.printerName());
        return;
    }
    // The printer's own PDF output writes straight into the file and reports no write error:
    // on a full disk it would leave a cut-off document and claim success. The page goes through
    // a PDF writer on a save file instead, which replaces the file only once it is complete.
    TOutputFile file(printer.outputFileName());
    QPdfWriter writer(&file.Device());
    writer.setPdfVersion(printer.pdfVersion());
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setCreator(printer.creator());
    writer.setTitle(printer.docName());
    PrintPage(map, area, center, viewRect, scale, frame, writer, QDir::toNativeSeparators(printer.outputFileName()));
    file.Commit();
}
