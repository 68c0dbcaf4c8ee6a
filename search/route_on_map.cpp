// The map window's road route: shown over the map view when the distance calculator's "Mostrar
// no mapa" hands one over, named with its road km in a bar under the view, beside "Limpar rota".
// The bar takes its height from the view while a route is shown, rather than lie over the map:
// nothing of the map is hidden, and a repaint of the view paints no other widget.
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "app/bevel_panel.h"
#include "app/error_report.h"
#include "app/form_style.h"
#include "app/route_overlay.h"
#include "app/tovral_main.h"
#include "app/view_math.h"
#include "search/road_answer.h"

namespace {
// Room left around the route when the view is fitted to it, view pixels on each side.
constexpr qreal kFitMargin = 30;
// The route bar: its height, the room at its ends and the size of "Limpar rota", which sits
// at its right end.
constexpr int kRouteBarHeight = 25;
constexpr int kBarPadding = 6;
constexpr QSize kClearButtonSize(84, 21);
} // namespace

void TformTovralMain::BuildRouteBar()
{
    pRota = new TPanel(pImage, TPanel::TBevel::Raised, TPanel::TBevel::None, kFormColor);
    Q_SET_OBJECT_NAME(pRota);
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
    pRota->hide();
    connect(bLimparRota, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bLimparRotaClick));
}

QRect TformTovralMain::PlaceRouteBar(QRect area)
{
    if (pRota->isHidden())
        return area;
    pRota->setGeometry(area.left(), area.bottom() + 1 - kRouteBarHeight, area.width(), kRouteBarHeight);
    const QRect inside = pRota->ClientRect();
    bLimparRota->setGeometry(QRect(QPoint(inside.right() + 1 - kBarPadding - kClearButtonSize.width(),
                                          inside.top() + (inside.height() - kClearButtonSize.height()) / 2),
                                   kClearButtonSize));
    // The caption shortened with "…" where the bar is too narrow for it; the whole of it in
    // the tool tip and, for assistive technology, in the accessible name.
    const int captionWidth = std::max(0, bLimparRota->x() - 2 * kBarPadding);
    lRota->setGeometry(kBarPadding, inside.top(), captionWidth, inside.height());
    lRota->setText(lRota->fontMetrics().elidedText(lRota->toolTip(), Qt::ElideRight, captionWidth));
    area.setBottom(area.bottom() - kRouteBarHeight);
    return area;
}

void TformTovralMain::ShowRoute(const TShownRoute &route)
{
    if (!ShowStateOfCityRow(route.OriginRow))
        return;
    FRouteOverlay->Show(route, FView->Coordinates());
    lRota->setToolTip(QStringLiteral("%1 → %2: %3 por estrada")
                          .arg(route.OriginName, route.DestinationName,
                               OneDecimalKm(route.Route.RoadKm(), QLocale::system().decimalPoint())));
    lRota->setAccessibleName(QStringLiteral("Rota: ") + lRota->toolTip());
    pRota->show();
    AlignPanels(); // the view gives the bar its height
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

void TformTovralMain::bLimparRotaClick()
{
    ClearRoute();
    Image->setFocus();
}

void TformTovralMain::ClearRoute()
{
    if (HideRoute())
        cZoomChange(); // the view, grown by the bar's height, drawn without the route
}

bool TformTovralMain::HideRoute()
{
    if (!FRouteOverlay->Shown())
        return false;
    FRouteOverlay->Clear();
    pRota->hide();
    AlignPanels(); // the bar's height back to the view
    return true;
}
