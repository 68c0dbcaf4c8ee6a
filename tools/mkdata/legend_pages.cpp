#include "tools/mkdata/legend_pages.h"

#include <QPainter>
#include <functional>

#include "resources/symbols/map_symbols.h"

using namespace MapStyle;

namespace {

// The date of the road-network survey the sample maps were drawn from.
const QString kRoadSurveyDate = QStringLiteral("agosto de 2026");

constexpr qreal kRowHeight = 18;
constexpr qreal kSampleWidth = 40;

// Writes legend rows down one column: a sample drawn in a box on the left, its caption to
// the right.
class TLegendColumn {
public:
    TLegendColumn(QPainter &painter, qreal left, qreal top, qreal width)
        : FPainter(painter), FLeft(left), FWidth(width), FY(top) {}

    void Heading(const QString &text, QColor colour)
    {
        FPainter.setFont(CaptionFont(10, true));
        FPainter.setPen(colour);
        FPainter.drawText(QRectF(FLeft, FY, FWidth, 14), Qt::AlignLeft | Qt::AlignVCenter, text);
        FY += 16;
    }

    // sample: draws into the box whose centre it is given.
    void Row(const std::function<void(QPointF centre, QRectF box)> &sample, const QString &caption)
    {
        const QRectF box(FLeft, FY, kSampleWidth, kRowHeight);
        sample(box.center(), box);
        FPainter.setFont(CaptionFont(9));
        FPainter.setPen(Ink());
        FPainter.drawText(QRectF(FLeft + kSampleWidth + 6, FY, FWidth - kSampleWidth - 6, kRowHeight),
                          Qt::AlignLeft | Qt::AlignVCenter, caption);
        FY += kRowHeight;
    }

    void Gap(qreal pixels) { FY += pixels; }

private:
    QPainter &FPainter;
    qreal FLeft, FWidth, FY;
};

QPolygonF SampleLine(const QRectF &box)
{
    return QPolygonF({QPointF(box.left() + 2, box.center().y()), QPointF(box.right() - 2, box.center().y())});
}

struct TRoadStateCaption {
    TRoadState State;
    const char *Caption;
};

const TRoadStateCaption kRoadStates[] = {
    {TRoadState::Duplicated, "Duplicada"},
    {TRoadState::BeingDuplicated, "Em obras de duplicação"},
    {TRoadState::Paved, "Pavimentada"},
    {TRoadState::BeingPaved, "Em obras de pavimentação"},
    {TRoadState::Built, "Implantada"},
    {TRoadState::BeingBuilt, "Em obras de implantação"},
    {TRoadState::NaturalBed, "Leito natural"},
    {TRoadState::Planned, "Planejada"},
    {TRoadState::Conceded, "Concedida (com pedágio)"},
};

void RoadStateRows(QPainter &painter, TLegendColumn &column, TRoadClass roadClass)
{
    for (const TRoadStateCaption &entry : kRoadStates)
        column.Row([&](QPointF, QRectF box) {
            DrawRoad(painter, SampleLine(box), roadClass, entry.State);
        }, QString::fromUtf8(entry.Caption));
}

// The road as the light map draws it (the overview zoom levels up to 40%): state roads are
// thinner there so that the federal network stands out.
void OverviewRoadRow(QPainter &painter, TLegendColumn &column, TRoadClass roadClass)
{
    column.Row([&](QPointF, QRectF box) {
        DrawRoad(painter, SampleLine(box), roadClass, TRoadState::Paved, TMapScale::Light);
    }, QStringLiteral("Na visão geral (até 40%)"));
}

void PointRow(QPainter &painter, TLegendColumn &column, TPointSymbol symbol, QColor colour,
              const char *caption)
{
    column.Row([&](QPointF centre, QRectF) { DrawPointSymbol(painter, centre, symbol, colour); },
               QString::fromUtf8(caption));
}

void PageTitle(QPainter &painter, const QString &text, QColor colour)
{
    painter.setFont(CaptionFont(12, true));
    painter.setPen(colour);
    painter.drawText(QRectF(8, 4, kLegendPageWidth - 16, 18), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.setPen(QPen(colour, 1));
    painter.drawLine(QPointF(8, 23.5), QPointF(kLegendPageWidth - 8, 23.5));
}

void FederalPage(QPainter &painter)
{
    PageTitle(painter, QStringLiteral("Rodovias Federais"), Federal());
    TLegendColumn roads(painter, 8, 28, 190);
    RoadStateRows(painter, roads, TRoadClass::Federal);
    roads.Row([&](QPointF, QRectF box) { DrawRailway(painter, SampleLine(box)); },
              QStringLiteral("Ferrovia"));
    roads.Row([&](QPointF centre, QRectF) {
        DrawShield(painter, centre, QStringLiteral("116"), TShieldKind::Federal);
    }, QStringLiteral("Número da rodovia federal"));
    OverviewRoadRow(painter, roads, TRoadClass::Federal);

    TLegendColumn points(painter, 206, 28, 192);
    PointRow(painter, points, TPointSymbol::PartialDistance, Federal(), "Distância parcial em km");
    PointRow(painter, points, TPointSymbol::DistrictOffice, Federal(), "Distrito rodoviário federal");
    PointRow(painter, points, TPointSymbol::TollPlaza, Federal(), "Praça de pedágio");
    PointRow(painter, points, TPointSymbol::PolicePost, Federal(), "Posto da polícia rodoviária federal");
    PointRow(painter, points, TPointSymbol::WeighingStation, Federal(), "Posto de pesagem de veículos");
    points.Gap(4);
    points.Heading(QStringLiteral("Pontos de referência"), Ink());
    PointRow(painter, points, TPointSymbol::Aerodrome, Ink(), "Aeródromo");
    PointRow(painter, points, TPointSymbol::LandingStrip, Ink(), "Pista de pouso");
    PointRow(painter, points, TPointSymbol::SpotHeight, Ink(), "Ponto cotado");
    PointRow(painter, points, TPointSymbol::Port, Ink(), "Porto");
    PointRow(painter, points, TPointSymbol::Lighthouse, Ink(), "Farol");
}

void StatePage(QPainter &painter)
{
    PageTitle(painter, QStringLiteral("Rodovias Estaduais"), StateRoad());
    TLegendColumn roads(painter, 8, 28, 190);
    RoadStateRows(painter, roads, TRoadClass::State);
    OverviewRoadRow(painter, roads, TRoadClass::State);

    TLegendColumn points(painter, 206, 28, 192);
    points.Row([&](QPointF centre, QRectF) {
        DrawShield(painter, centre, QStringLiteral("SP-330"), TShieldKind::State);
    }, QStringLiteral("Número da rodovia estadual"));
    points.Row([&](QPointF centre, QRectF) {
        DrawShield(painter, centre, QStringLiteral("MGC-120"), TShieldKind::TransitoryState);
    }, QStringLiteral("Rodovia estadual transitória"));
    PointRow(painter, points, TPointSymbol::PartialDistance, StateRoad(), "Distância parcial em km");
    PointRow(painter, points, TPointSymbol::DistrictOffice, StateRoad(), "Distrito rodoviário estadual");
    PointRow(painter, points, TPointSymbol::TollPlaza, StateRoad(), "Praça de pedágio");
}

struct TTownCaption {
    TTownClass Class;
    const char *Caption;
};

void TownsPage(QPainter &painter)
{
    PageTitle(painter, QStringLiteral("Cidades e Vilas por População"), Ink());
    TLegendColumn column(painter, 8, 30, 250);
    column.Row([&](QPointF centre, QRectF) { DrawCapitalArea(painter, centre, 8); },
               QStringLiteral("Capital"));
    const TTownCaption towns[] = {
        {TTownClass::Over500k, "Mais de 500.000 habitantes"},
        {TTownClass::From100kTo500k, "De 100.000 a 500.000 habitantes"},
        {TTownClass::From25kTo100k, "De 25.000 a 99.999 habitantes"},
        {TTownClass::From5kTo25k, "De 5.000 a 24.999 habitantes"},
        {TTownClass::Under5k, "Menos de 5.000 habitantes"},
    };
    for (const TTownCaption &town : towns)
        column.Row([&](QPointF centre, QRectF) { DrawTownSymbol(painter, centre, town.Class); },
                   QString::fromUtf8(town.Caption));
    column.Row([&](QPointF centre, QRectF) { DrawLocality(painter, centre); },
               QStringLiteral("Outras localidades"));
    column.Row([&](QPointF centre, QRectF) { DrawMunicipalSeat(painter, centre); },
               QStringLiteral("Sede de município"));

    // The name styles, one per class, as the maps letter them.
    const qreal left = 262;
    qreal y = 30 + kRowHeight / 2;
    DrawHaloText(painter, QPointF(left, y + 5), QStringLiteral("CAPITAL"), CapitalNameFont(), Ink());
    for (const TTownCaption &town : towns) {
        y += kRowHeight;
        DrawHaloText(painter, QPointF(left, y + 4), QStringLiteral("Cidade"), TownNameFont(town.Class), Ink());
    }
    painter.setFont(CaptionFont(9));
    painter.setPen(Ink());
    painter.drawText(QRectF(8, 210, kLegendPageWidth - 16, 40), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Classes pela população residente (Censo Demográfico 2022). "
                                    "Os nomes são escritos em tamanho proporcional à importância da cidade. "
                                    "Na visão geral (até 40%) os nomes são maiores, só as cidades que cabem "
                                    "são nomeadas e uma faixa realça os limites do estado."));
}

void BoundariesPage(QPainter &painter)
{
    PageTitle(painter, QStringLiteral("Limites e Hidrografia"), Ink());
    TLegendColumn limits(painter, 8, 28, 204);
    limits.Heading(QStringLiteral("Limites"), Ink());
    const std::pair<TBoundaryKind, const char *> boundaries[] = {
        {TBoundaryKind::International, "Internacional"},
        {TBoundaryKind::Interstate, "Interestadual"},
        {TBoundaryKind::InterstateDisputed, "Interestadual em litígio"},
        {TBoundaryKind::Intermunicipal, "Intermunicipal"},
    };
    for (const auto &[kind, caption] : boundaries)
        limits.Row([&painter, kind = kind](QPointF, QRectF box) { DrawBoundary(painter, SampleLine(box), kind); },
                   QString::fromUtf8(caption));
    PointRow(painter, limits, TPointSymbol::BorderMarker, Ink(), "Marco de fronteira");
    limits.Row([&](QPointF, QRectF box) { DrawParkArea(painter, box.adjusted(6, 3, -6, -3)); },
               QStringLiteral("Parque, floresta, reserva indígena"));

    TLegendColumn water(painter, 214, 28, 184);
    water.Heading(QStringLiteral("Hidrografia"), Water());
    water.Row([&](QPointF, QRectF box) { DrawRiver(painter, SampleLine(box), 4); },
              QStringLiteral("Curso d'água permanente"));
    water.Row([&](QPointF, QRectF box) { DrawRiver(painter, SampleLine(box), 4, true); },
              QStringLiteral("Curso d'água intermitente"));
    water.Row([&](QPointF, QRectF box) {
        QPainterPath lake;
        lake.addRoundedRect(box.adjusted(6, 3, -6, -3), 5, 5);
        DrawLake(painter, lake);
    }, QStringLiteral("Lago ou lagoa"));
    water.Row([&](QPointF, QRectF box) {
        QPainterPath lake;
        lake.addRoundedRect(box.adjusted(6, 3, -6, -3), 5, 5);
        DrawLake(painter, lake, true);
    }, QStringLiteral("Lago ou lagoa intermitente"));
    water.Row([&](QPointF centre, QRectF) {
        DrawDam(painter, centre + QPointF(-8, -5), centre + QPointF(8, 5));
    }, QStringLiteral("Barragem e açude"));
    water.Row([&](QPointF, QRectF box) { DrawReef(painter, box.adjusted(6, 4, -6, -4)); },
              QStringLiteral("Recifes e dunas"));
    water.Row([&](QPointF, QRectF box) { DrawFloodedArea(painter, box.adjusted(4, 2, -4, -2)); },
              QStringLiteral("Área alagável"));
    water.Row([&](QPointF, QRectF box) { DrawSaltFlat(painter, box.adjusted(8, 4, -8, -4)); },
              QStringLiteral("Salinas"));

    // Production credits.
    const QRectF credits(8, 196, kLegendPageWidth - 16, 56);
    painter.setPen(QPen(Ink(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(credits);
    painter.setFont(CaptionFont(9));
    painter.drawText(credits.adjusted(5, 3, -5, -3), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Produção: Tovral, mapas gerados de dados públicos: malha municipal e "
                                    "Censo 2022 (IBGE), Natural Earth, rodovias © colaboradores do "
                                    "OpenStreetMap.\nLevantamento da rede rodoviária: %1.")
                         .arg(kRoadSurveyDate));
}

} // namespace

QImage DrawLegendPage(int page, qreal ratio)
{
    QImage picture(QSize(kLegendPageWidth, kLegendPageHeight) * ratio, QImage::Format_RGB888);
    picture.setDevicePixelRatio(ratio); // the painter draws in the page's own units
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    switch (page) {
    case 1: FederalPage(painter); break;
    case 2: StatePage(painter); break;
    case 3: TownsPage(painter); break;
    case 4: BoundariesPage(painter); break;
    default: break;
    }
    return picture;
}
