// The map window's road route: shown over the map view when the distance calculator's "Mostrar
// no mapa" hands one over, with a small panel naming it and "Limpar rota" over the view's
// top-right corner.
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <cmath>

#include "app/error_report.h"
#include "app/form_style.h"
#include "app/route_overlay.h"
#include "app/tovral_main.h"
#include "app/view_math.h"
#include "search/road_answer.h"

namespace {
// Room left around the route when the view is fitted to it, view pixels on each side.
constexpr qreal kFitMargin = 30;
// The panel's distance from the view's top and right edges, past the focus frame.
constexpr int kPanelMargin = 6;
} // namespace

void TformTovralMain::BuildRoutePanel()
{
    pRota = new QFrame(Image);
    Q_SET_OBJECT_NAME(pRota);
    pRota->setFrameShape(QFrame::Box);
    pRota->setAutoFillBackground(true);
    pRota->setAccessibleName(QStringLiteral("Rota no mapa"));
    lRota = new QLabel(pRota);
    Q_SET_OBJECT_NAME(lRota);
    lRota->setFont(FormFont(11, true));
    bLimparRota = new QPushButton(QStringLiteral("Limpar rota"), pRota);
    Q_SET_OBJECT_NAME(bLimparRota);
    bLimparRota->setFont(FormFont(11));
    bLimparRota->setCursor(HandCursor());
    bLimparRota->setAutoDefault(false);
    ClickOnEnter(*bLimparRota);
    auto *layout = new QHBoxLayout(pRota);
    layout->setContentsMargins(6, 3, 3, 3);
    layout->addWidget(lRota);
    layout->addWidget(bLimparRota);
    pRota->hide();
    connect(bLimparRota, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bLimparRotaClick));
}

void TformTovralMain::ShowRoute(const TShownRoute &route)
{
    if (!ShowStateOfCityRow(route.OriginRow))
        return;
    FRouteOverlay->Show(route, FView->Coordinates());
    lRota->setText(QStringLiteral("%1 → %2: %3 por estrada")
                       .arg(route.OriginName, route.DestinationName,
                            OneDecimalKm(route.Route.RoadKm(), QLocale::system().decimalPoint())));
    lRota->setAccessibleName(QStringLiteral("Rota: ") + lRota->text());
    pRota->adjustSize();
    PlaceRoutePanel();
    pRota->show();
    FitRoute();
}

void TformTovralMain::FitRoute()
{
    const QRectF bounds = FRouteOverlay->FullMapBounds();
    int zoom = kWholeMapZoomIndex;
    if (bounds.isValid()) {
        const QSize view = FView->ViewSize();
        for (int index = kLargestZoomIndex; index > kWholeMapZoomIndex; --index) {
            const long double scale = ZoomScale(index, view, FView->FullMapSize());
            if (bounds.width() * scale + 2 * kFitMargin <= view.width() &&
                bounds.height() * scale + 2 * kFitMargin <= view.height()) {
                zoom = index;
                break;
            }
        }
        FView->CentreOn(QPoint(int(std::floor(bounds.center().x())), int(std::floor(bounds.center().y()))));
    }
    {
        const QSignalBlocker quiet(cZoom);
        cZoom->setCurrentIndex(zoom);
    }
    cZoomChange();
}

void TformTovralMain::PlaceRoutePanel()
{
    pRota->move(Image->width() - pRota->width() - kPanelMargin, kPanelMargin);
}

void TformTovralMain::bLimparRotaClick()
{
    ClearRoute();
    Image->setFocus();
}

void TformTovralMain::ClearRoute()
{
    if (!FRouteOverlay->Shown())
        return;
    FRouteOverlay->Clear();
    pRota->hide();
    Image->update();
}
