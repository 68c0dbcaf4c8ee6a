#include "output/map_printing.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "base/errors.h"
#include "mapdata/output_file.h"

namespace {
// A printer told to write a PDF file rather than to send a job to a print queue.
bool PrintsToFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// One page on a printer or PDF writer; deviceName names it in errors.
void PrintPage(const TMapImage &map, TOutputArea area, QPoint center, const QRect &viewRect,
               long double scale, QPagedPaintDevice &page, const QString &deviceName)
{
    QPainter painter;
    if (!painter.begin(&page))
        throw TovralError(QStringLiteral("Cannot start printing on %1").arg(deviceName));
    try {
        map.RenderPage(area, center, viewRect, scale, painter);
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end())
        throw TovralError(QStringLiteral("Cannot finish printing on %1").arg(deviceName));
}
} // namespace

void PrintMapPage(const TMapImage &map, TOutputArea area, QPoint center, const QRect &viewRect,
                  long double scale, QPrinter &printer)
{
    if (!PrintsToFile(printer)) {
        PrintPage(map, area, center, viewRect, scale, printer, printer.printerName());
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
    PrintPage(map, area, center, viewRect, scale, writer, QDir::toNativeSeparators(printer.outputFileName()));
    file.Commit();
}
