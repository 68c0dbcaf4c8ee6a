// The map window's output buttons: copy the view to the clipboard, save the whole map or the
// visible part as a JPEG file, print it on one page; and the distance calculator button.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <optional>

#include "app/error_report.h"
#include "app/messages.h"
#include "app/route_overlay.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "dialogs/tovral_status.h"
#include "mapdata/app_path.h"
#include "mapdata/catalogue.h"
#include "mapdata/jpeg_codec.h"
#include "output/map_printing.h"
#include "output/map_rendering.h"
#include "output/output_dialogs.h"
#include "search/tovral_distancias.h"

namespace {
const QString kCopyingStatus = QStringLiteral("Aguarde. Copiando imagem...");
const QString kSavingStatus = QStringLiteral("Aguarde. Salvando imagem...");
const QString kPrintingStatus = QStringLiteral("Aguarde. Imprimindo mapa...");
const QString kCopiedMessage = QStringLiteral("Imagem copiada para a área de transferência");
const QString kSaveQuestion = QStringLiteral("Escolha qual parte do mapa será gravada");
const QString kPrintQuestion = QStringLiteral("Escolha qual parte do mapa será impressa");
constexpr int kJpegQuality = 70;

// Which part of the map an output takes: the whole map when it fits the view, else the
// user's answer to question; nothing when the user cancelled.
std::optional<TOutputArea> ChooseOutputArea(TformTovralMain &window, const QString &question)
{
    if (window.View()->WholeMapFits())
        return TOutputArea::WholeMap;
    bool visibleAreaOnly = false;
    if (!window.OutputDialogs->ChooseArea(&window, question, visibleAreaOnly))
        return std::nullopt;
    return visibleAreaOnly ? TOutputArea::VisibleArea : TOutputArea::WholeMap;
}
} // namespace

void TformTovralMain::ConnectOutputHandlers()
{
    OutputDialogs = CreateSystemOutputDialogs(this);
    connect(bCopiar, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bCopiarClick));
    connect(bSaveIMG, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bSaveIMGClick));
    connect(bPrint, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bPrintClick));
    connect(bCalcDist, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bCalcDistClick));
}

void TformTovralMain::bCopiarClick()
{
    if (Image->Bitmap().IsNull())
        return;
    bool copied = false;
    RunReported(this, [&] {
        // The status scope closes before the error report or the confirmation is shown.
        const TStatusScope copying(this, kCopyingStatus, true);
        // The view as drawn, the route included: on a high-density screen, its device pixels.
        QGuiApplication::clipboard()->setImage(Image->Bitmap().Picture());
        copied = true;
    });
    if (copied)
        ShowInformationMessage(this, kCopiedMessage);
}

void TformTovralMain::bSaveIMGClick()
{
    if (!FReady)
        return;
    const std::optional<TOutputArea> area = ChooseOutputArea(*this, kSaveQuestion);
    if (!area)
        return;
    SaveMapImage(*area);
}

void TformTovralMain::SaveMapImage(TOutputArea area)
{
    const QString fileName = OutputDialogs->ChooseSaveFile(this);
    if (fileName.isEmpty())
        return;
    RunReported(this, [&] {
        const TStatusScope saving(this, kSavingStatus, false);
        const bool visible = area == TOutputArea::VisibleArea;
        QImage picture = visible ? RenderVisiblePart(*FView) : RenderWholeMap(*FView);
        if (FRouteOverlay->Shown()) {
            QPainter canvas(&picture);
            FRouteOverlay->PaintOn(canvas, visible ? VisiblePartDrawing(*FView) : WholeMapDrawing(*FView));
        }
        // Written to a temporary file that replaces the target only when complete.
        SaveJpegFile(picture, fileName, kJpegQuality);
    });
}

void TformTovralMain::bPrintClick()
{
    if (!FReady)
        return;
    const std::optional<TOutputArea> area = ChooseOutputArea(*this, kPrintQuestion);
    if (!area)
        return;
    // The page starts in the shape of what is printed; the dialog can still turn it.
    OutputDialogs->Printer().setPageOrientation(
        PrintOrientation(FView->FullMap(), *area, QRect(QPoint(0, 0), FView->ViewSize())));
    if (!OutputDialogs->ChoosePrinter(this))
        return;
    PrintMap(*area);
}

void TformTovralMain::PrintMap(TOutputArea area)
{
    RunReported(this, [&] {
        const TStatusScope printing(this, kPrintingStatus, true);
        TPageFrame frame;
        frame.StateName = lUF->text();
        frame.Sources = ReadSourcesLine(DataPath(kSourcesFile));
        frame.Coordinates = &FView->Coordinates();
        frame.DecimalSeparator = QLocale::system().decimalPoint().front();
        if (FRouteOverlay->Shown())
            frame.Overlay = [this](QPainter &page, const TMapImage::TPrintPlacement &placement) {
                // The route's look at the printer's resolution, as on a screen of 96 dots per inch.
                const qreal lineScale = page.device()->logicalDpiX() / 96.0;
                FRouteOverlay->PaintOn(page, TRouteDrawing::Around(MapPointOf(placement.Center), placement.PageRect,
                                                                   placement.Scale, lineScale));
            };
        PrintMapPage(FView->FullMap(), area, FView->Center(), QRect(QPoint(0, 0), FView->ViewSize()),
                     FView->Scale(), frame, OutputDialogs->Printer());
    });
}

void TformTovralMain::bCalcDistClick()
{
    formDistancias->exec();
    if (const std::optional<TShownRoute> route = formDistancias->TakeRouteToShow())
        ShowRoute(*route);
}
