#include "resources/symbols/map_symbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>
#include <cmath>

namespace MapStyle {

QColor Sea() { return QColor(0xE4, 0xF1, 0xFA); }
QColor ForeignLand() { return QColor(0xF1, 0xF0, 0xEC); }
QColor OtherStateLand() { return QColor(0xF8, 0xF7, 0xF2); }
QColor StateLand() { return QColor(0xFB, 0xF1, 0xD9); }
QColor StateEdge() { return QColor(0xEE, 0xC0, 0x84); }
QColor CapitalArea() { return QColor(0xFF, 0xD8, 0x1A); }
QColor LakeFill() { return QColor(0xBD, 0xDC, 0xF2); }
QColor Water() { return QColor(0x2F, 0x7F, 0xC8); }
QColor Federal() { return QColor(0xCC, 0x00, 0x99); }
QColor StateRoad() { return QColor(0x1B, 0x9A, 0x3A); }
QColor Ink() { return QColor(0x1A, 0x1A, 0x1A); }

namespace {
const QString kFontFamily = QStringLiteral("Liberation Sans");

QFont MakeFont(qreal pixelSize, bool bold)
{
    QFont font(kFontFamily);
    font.setPixelSize(int(pixelSize));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPen RoundPen(QColor colour, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

QPen DashedPen(QColor colour, qreal width, const QList<qreal> &pattern, Qt::PenCapStyle cap)
{
    QPen pen(colour, width, Qt::CustomDashLine, cap, Qt::RoundJoin);
    pen.setDashPattern(pattern);
    return pen;
}

qreal RoadWidth(TRoadClass roadClass, TMapScale map)
{
    if (map == TMapScale::Light)
        return roadClass == TRoadClass::Federal ? 3.0 : 1.6;
    return roadClass == TRoadClass::Federal ? 3.2 : 2.6;
}

qreal CasingWidth(TRoadClass roadClass, TMapScale map)
{
    return RoadWidth(roadClass, map) + (map == TMapScale::Light ? 1.6 : 2.4);
}

QColor RoadColour(TRoadClass roadClass)
{
    return roadClass == TRoadClass::Federal ? Federal() : StateRoad();
}
} // namespace

TTownClass TownClassOf(long long population)
{
    if (population > 500000)
        return TTownClass::Over500k;
    if (population >= 100000)
        return TTownClass::From100kTo500k;
    if (population >= 25000)
        return TTownClass::From25kTo100k;
    if (population >= 5000)
        return TTownClass::From5kTo25k;
    return TTownClass::Under5k;
}

int TownRank(TTownClass townClass, bool capital)
{
    if (capital)
        return kCapitalTownRank;
    switch (townClass) {
    case TTownClass::Over500k: return 4;
    case TTownClass::From100kTo500k: return 3;
    case TTownClass::From25kTo100k: return 2;
    case TTownClass::From5kTo25k: return 1;
    case TTownClass::Under5k: return 0;
    }
    return 0;
}

qreal TownSymbolRadius(TTownClass townClass)
{
    switch (townClass) {
    case TTownClass::Over500k: return 6.5;
    case TTownClass::From100kTo500k: return 5.0;
    case TTownClass::From25kTo100k: return 4.0;
    case TTownClass::From5kTo25k: return 3.2;
    case TTownClass::Under5k: return 2.5;
    }
    return 2.5;
}

void DrawTownSymbol(QPainter &painter, QPointF centre, TTownClass townClass)
{
    const qreal r = TownSymbolRadius(townClass);
    painter.save();
    painter.setPen(QPen(Ink(), 1.2));
    switch (townClass) {
    case TTownClass::Over500k:
        // Square with a ring inside.
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r));
        painter.setBrush(Ink());
        painter.drawEllipse(centre, r * 0.5, r * 0.5);
        break;
    case TTownClass::From100kTo500k:
        // Ring with a black centre.
        painter.setBrush(Qt::white);
        painter.drawEllipse(centre, r, r);
        painter.setBrush(Ink());
        painter.drawEllipse(centre, r * 0.5, r * 0.5);
        break;
    case TTownClass::From25kTo100k:
        // Filled black circle.
        painter.setBrush(Ink());
        painter.drawEllipse(centre, r, r);
        break;
    case TTownClass::From5kTo25k:
        // Open circle.
        painter.setPen(QPen(Ink(), 1.4));
        painter.setBrush(Qt::white);
        painter.drawEllipse(centre, r, r);
        break;
    case TTownClass::Under5k:
        // Small open circle with a thin line.
        painter.setPen(QPen(Ink(), 1.0));
        painter.setBrush(Qt::white);
        painter.drawEllipse(centre, r, r);
        break;
    }
    painter.restore();
}

void DrawCapitalArea(QPainter &painter, QPointF centre, qreal radius)
{
    painter.save();
    painter.setPen(QPen(Ink(), 1.2));
    painter.setBrush(CapitalArea());
    // An irregular rounded blob reads as a built-up area rather than as a point symbol.
    QPainterPath area;
    const int corners = 9;
    for (int i = 0; i <= corners; ++i) {
        const qreal angle = 2 * M_PI * i / corners;
        const qreal r = radius * (0.86 + 0.14 * std::cos(3 * angle + 0.7));
        const QPointF p(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        if (i == 0)
            area.moveTo(p);
        else
            area.lineTo(p);
    }
    area.closeSubpath();
    painter.drawPath(area);
    painter.setBrush(Ink());
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, 2.0, 2.0);
    painter.restore();
}

void DrawLocality(QPainter &painter, QPointF centre)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Ink());
    painter.drawEllipse(centre, 1.5, 1.5);
    painter.restore();
}

void DrawMunicipalSeat(QPainter &painter, QPointF centre)
{
    painter.save();
    painter.setPen(QPen(Ink(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 3.5, 3.5);
    painter.setBrush(Ink());
    painter.drawEllipse(centre, 1.2, 1.2);
    painter.restore();
}

QFont CapitalNameFont(TMapScale map) { return MakeFont(map == TMapScale::Light ? 16 : 15, true); }

QFont TownNameFont(TTownClass townClass, TMapScale map)
{
    if (map == TMapScale::Light)
        switch (townClass) {
        case TTownClass::Over500k: return MakeFont(15, true);
        case TTownClass::From100kTo500k: return MakeFont(13, true);
        case TTownClass::From25kTo100k: return MakeFont(12, false);
        case TTownClass::From5kTo25k:
        case TTownClass::Under5k: return MakeFont(11, false);
        }
    switch (townClass) {
    case TTownClass::Over500k: return MakeFont(14, true);
    case TTownClass::From100kTo500k: return MakeFont(12, true);
    case TTownClass::From25kTo100k: return MakeFont(11, false);
    case TTownClass::From5kTo25k: return MakeFont(10, false);
    case TTownClass::Under5k: return MakeFont(9, false);
    }
    return MakeFont(9, false);
}

QFont TitleFont(qreal pixelSize) { return MakeFont(pixelSize, true); }
QFont CaptionFont(qreal pixelSize, bool bold) { return MakeFont(pixelSize, bold); }

QFont AreaNameFont(qreal pixelSize)
{
    QFont font = MakeFont(pixelSize, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize / 6);
    return font;
}

QColor AreaNameColour() { return QColor(0xA8, 0xA8, 0xA0); }

void DrawHaloText(QPainter &painter, QPointF baseline, const QString &text, const QFont &font,
                  QColor colour)
{
    QPainterPath path;
    path.addText(baseline, font, text);
    painter.save();
    painter.setPen(QPen(QColor(255, 255, 255, 230), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(colour);
    painter.setFont(font);
    painter.drawText(baseline, text);
    painter.restore();
}

void DrawRoadCasing(QPainter &painter, const QPolygonF &line, TRoadClass roadClass, TMapScale map)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(RoundPen(Qt::white, CasingWidth(roadClass, map)));
    painter.drawPolyline(line);
    painter.restore();
}

void DrawRoad(QPainter &painter, const QPolygonF &line, TRoadClass roadClass, TRoadState state,
              TMapScale map)
{
    const QColor colour = RoadColour(roadClass);
    const qreal width = RoadWidth(roadClass, map);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    switch (state) {
    case TRoadState::Duplicated:
        painter.setPen(RoundPen(colour, width * 2));
        painter.drawPolyline(line);
        painter.setPen(RoundPen(Qt::white, width * 0.6));
        painter.drawPolyline(line);
        break;
    case TRoadState::BeingDuplicated:
        painter.setPen(RoundPen(colour, width));
        painter.drawPolyline(line);
        painter.setPen(DashedPen(colour, width * 2, {2.0, 1.5}, Qt::FlatCap));
        painter.drawPolyline(line);
        painter.setPen(DashedPen(Qt::white, width * 0.6, {3.4, 2.6}, Qt::FlatCap));
        painter.drawPolyline(line);
        break;
    case TRoadState::Paved:
        painter.setPen(RoundPen(colour, width));
        painter.drawPolyline(line);
        break;
    case TRoadState::BeingPaved:
        painter.setPen(DashedPen(colour, width, {3.0, 1.2}, Qt::FlatCap));
        painter.drawPolyline(line);
        break;
    case TRoadState::Built:
        painter.setPen(RoundPen(colour, width * 1.6));
        painter.drawPolyline(line);
        painter.setPen(RoundPen(Qt::white, width * 0.6));
        painter.drawPolyline(line);
        break;
    case TRoadState::BeingBuilt:
        painter.setPen(DashedPen(colour, width * 1.6, {2.5, 1.2}, Qt::FlatCap));
        painter.drawPolyline(line);
        painter.setPen(RoundPen(Qt::white, width * 0.6));
        painter.drawPolyline(line);
        break;
    case TRoadState::NaturalBed:
        painter.setPen(DashedPen(colour, width * 0.7, {4.0, 2.0}, Qt::FlatCap));
        painter.drawPolyline(line);
        break;
    case TRoadState::Planned:
        painter.setPen(DashedPen(colour, width * 0.6, {1.0, 2.0}, Qt::FlatCap));
        painter.drawPolyline(line);
        break;
    case TRoadState::Conceded:
        painter.setPen(RoundPen(colour, width));
        painter.drawPolyline(line);
        painter.setPen(DashedPen(Ink(), width * 0.5, {1.5, 4.0}, Qt::FlatCap));
        painter.drawPolyline(line);
        break;
    }
    painter.restore();
}

void DrawRailway(QPainter &painter, const QPolygonF &line)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Ink(), 3.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPolyline(line);
    painter.setPen(DashedPen(Qt::white, 1.6, {3.0, 3.0}, Qt::FlatCap));
    painter.drawPolyline(line);
    painter.restore();
}

QString ShieldText(const QString &reference, TShieldKind kind)
{
    if (kind == TShieldKind::Federal) {
        const int dash = reference.indexOf(QLatin1Char('-'));
        return dash >= 0 ? reference.mid(dash + 1) : reference;
    }
    return reference;
}

namespace {
QFont ShieldFont(TShieldKind kind, TMapScale map)
{
    if (map == TMapScale::Light)
        return MakeFont(11, true);
    return MakeFont(kind == TShieldKind::Federal ? 10 : 9, true);
}
} // namespace

QRectF ShieldRect(QPointF centre, const QString &text, TShieldKind kind, TMapScale map)
{
    const QFontMetricsF metrics(ShieldFont(kind, map));
    const qreal width = metrics.horizontalAdvance(text) + (kind == TShieldKind::Federal ? 8 : 6);
    const qreal grow = map == TMapScale::Light ? 2 : 0;
    const qreal height = (kind == TShieldKind::Federal ? 17 : 13) + grow;
    return QRectF(centre.x() - width / 2, centre.y() - height / 2, width, height);
}

void DrawShield(QPainter &painter, QPointF centre, const QString &text, TShieldKind kind, TMapScale map)
{
    const QRectF rect = ShieldRect(centre, text, kind, map);
    painter.save();
    QColor textColour;
    if (kind == TShieldKind::Federal) {
        // A badge: straight top, sides that narrow into a rounded point at the bottom.
        QPainterPath badge;
        const qreal l = rect.left(), r = rect.right(), t = rect.top(), b = rect.bottom();
        const qreal shoulder = t + rect.height() * 0.55;
        badge.moveTo(l, t);
        badge.lineTo(r, t);
        badge.lineTo(r, shoulder);
        badge.quadTo(r, b - 1, rect.center().x(), b);
        badge.quadTo(l, b - 1, l, shoulder);
        badge.closeSubpath();
        painter.setPen(QPen(Federal(), 1.6));
        painter.setBrush(Qt::white);
        painter.drawPath(badge);
        textColour = Federal();
    } else if (kind == TShieldKind::State) {
        painter.setPen(QPen(StateRoad().darker(130), 1.0));
        painter.setBrush(StateRoad());
        painter.drawRoundedRect(rect, 2, 2);
        textColour = Qt::white;
    } else {
        painter.setPen(QPen(StateRoad(), 1.4));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(rect, 2, 2);
        textColour = StateRoad();
    }
    painter.setPen(textColour);
    painter.setFont(ShieldFont(kind, map));
    QRectF textRect = rect;
    if (kind == TShieldKind::Federal)
        textRect.setBottom(rect.top() + rect.height() * 0.85);
    painter.drawText(textRect, Qt::AlignCenter, text);
    painter.restore();
}

QPen BoundaryPen(TBoundaryKind kind)
{
    switch (kind) {
    case TBoundaryKind::International:
        return DashedPen(Ink(), 2.4, {6.0, 1.6, 1.0, 1.6, 1.0, 1.6}, Qt::FlatCap);
    case TBoundaryKind::Interstate:
        return DashedPen(Ink(), 1.6, {6.0, 2.0, 1.0, 2.0}, Qt::FlatCap);
    case TBoundaryKind::InterstateDisputed:
        return DashedPen(Ink(), 1.6, {2.5, 2.5}, Qt::FlatCap);
    case TBoundaryKind::Intermunicipal:
        return DashedPen(QColor(0x70, 0x70, 0x70), 0.8, {4.0, 2.0}, Qt::FlatCap);
    }
    return QPen(Ink());
}

void DrawBoundary(QPainter &painter, const QPolygonF &line, TBoundaryKind kind)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(BoundaryPen(kind));
    painter.drawPolyline(line);
    painter.restore();
}

QPen ShorePen()
{
    return QPen(Water(), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawRiver(QPainter &painter, const QPolygonF &line, int importance, bool intermittent)
{
    const qreal width = std::clamp(3.0 - 0.25 * importance, 0.8, 3.0);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (intermittent)
        painter.setPen(DashedPen(Water(), width, {4.0, 2.0, 1.0, 2.0}, Qt::FlatCap));
    else
        painter.setPen(RoundPen(Water(), width));
    painter.drawPolyline(line);
    painter.restore();
}

void DrawLake(QPainter &painter, const QPainterPath &area, bool intermittent)
{
    painter.save();
    if (intermittent) {
        painter.setPen(DashedPen(Water(), 0.9, {3.0, 2.0}, Qt::FlatCap));
        painter.setBrush(QBrush(LakeFill(), Qt::Dense4Pattern));
    } else {
        painter.setPen(ShorePen());
        painter.setBrush(LakeFill());
    }
    painter.drawPath(area);
    painter.restore();
}

void DrawFloodedArea(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setPen(QPen(Water(), 0.8));
    for (qreal y = area.top() + 2; y < area.bottom(); y += 4)
        for (qreal x = area.left() + ((int(y) / 4) % 2) * 4; x + 5 < area.right(); x += 9)
            painter.drawLine(QPointF(x, y), QPointF(x + 5, y));
    painter.restore();
}

void DrawSaltFlat(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setPen(QPen(Water(), 0.8));
    painter.setBrush(QBrush(Water(), Qt::DiagCrossPattern));
    painter.drawRect(area);
    painter.restore();
}

void DrawReef(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Water());
    for (qreal x = area.left() + 1.5; x < area.right(); x += 3.5)
        for (qreal y = area.top() + 1.5; y < area.bottom(); y += 3.5)
            painter.drawEllipse(QPointF(x, y), 0.8, 0.8);
    painter.restore();
}

void DrawDam(QPainter &painter, QPointF from, QPointF to)
{
    painter.save();
    painter.setPen(QPen(Ink(), 2.5, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, to);
    painter.restore();
}

void DrawParkArea(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setPen(DashedPen(QColor(0x3C, 0x8C, 0x3C), 1.2, {3.0, 1.5}, Qt::FlatCap));
    painter.setBrush(QBrush(QColor(0x3C, 0x8C, 0x3C), Qt::BDiagPattern));
    painter.drawRect(area);
    painter.restore();
}

void DrawPointSymbol(QPainter &painter, QPointF c, TPointSymbol symbol, QColor colour)
{
    painter.save();
    painter.setPen(QPen(colour, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const qreal x = c.x(), y = c.y();
    switch (symbol) {
    case TPointSymbol::PartialDistance:
        // Small arrowheads that mark where a partial distance starts and ends.
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({QPointF(x - 5, y - 4), QPointF(x - 1, y), QPointF(x - 5, y + 4)}));
        painter.drawPolygon(QPolygonF({QPointF(x + 5, y - 4), QPointF(x + 1, y), QPointF(x + 5, y + 4)}));
        break;
    case TPointSymbol::DistrictOffice:
        painter.setBrush(colour);
        painter.drawRect(QRectF(x - 5, y - 4, 10, 8));
        painter.setPen(QPen(Qt::white, 1.2));
        painter.drawLine(QPointF(x - 3, y), QPointF(x + 3, y));
        break;
    case TPointSymbol::TollPlaza:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(x - 5, y - 5, 10, 10));
        painter.drawLine(QPointF(x - 5, y - 5), QPointF(x + 5, y + 5));
        painter.drawLine(QPointF(x - 5, y + 5), QPointF(x + 5, y - 5));
        break;
    case TPointSymbol::PolicePost:
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({QPointF(x, y - 6), QPointF(x + 5, y - 3), QPointF(x + 4, y + 4),
                                       QPointF(x, y + 6), QPointF(x - 4, y + 4), QPointF(x - 5, y - 3)}));
        break;
    case TPointSymbol::WeighingStation:
        painter.drawLine(QPointF(x - 5, y + 4), QPointF(x + 5, y + 4));
        painter.drawLine(QPointF(x, y + 4), QPointF(x, y - 4));
        painter.drawLine(QPointF(x - 5, y - 2), QPointF(x + 5, y - 2));
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(x - 4, y + 1), 1.6, 1.6);
        painter.drawEllipse(QPointF(x + 4, y + 1), 1.6, 1.6);
        break;
    case TPointSymbol::Aerodrome:
        painter.setBrush(Qt::white);
        painter.drawEllipse(c, 5.5, 5.5);
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({QPointF(x, y - 4.5), QPointF(x + 1, y - 1), QPointF(x + 4.5, y + 1),
                                       QPointF(x + 1, y + 0.5), QPointF(x + 0.8, y + 3), QPointF(x + 2, y + 4.2),
                                       QPointF(x - 2, y + 4.2), QPointF(x - 0.8, y + 3), QPointF(x - 1, y + 0.5),
                                       QPointF(x - 4.5, y + 1), QPointF(x - 1, y - 1)}));
        break;
    case TPointSymbol::LandingStrip:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(x - 6, y - 2, 12, 4));
        painter.drawLine(QPointF(x - 3, y), QPointF(x + 3, y));
        break;
    case TPointSymbol::SpotHeight:
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({QPointF(x, y - 4), QPointF(x + 4, y + 3), QPointF(x - 4, y + 3)}));
        break;
    case TPointSymbol::Port:
        painter.drawEllipse(QPointF(x, y - 4), 1.6, 1.6);
        painter.drawLine(QPointF(x, y - 2.4), QPointF(x, y + 5));
        painter.drawLine(QPointF(x - 3, y - 1), QPointF(x + 3, y - 1));
        painter.drawArc(QRectF(x - 5, y - 1, 10, 6), 180 * 16, 180 * 16);
        break;
    case TPointSymbol::Lighthouse:
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({QPointF(x - 1.5, y - 4), QPointF(x + 1.5, y - 4), QPointF(x + 3, y + 5),
                                       QPointF(x - 3, y + 5)}));
        painter.drawLine(QPointF(x - 6, y - 6), QPointF(x - 3, y - 5));
        painter.drawLine(QPointF(x + 6, y - 6), QPointF(x + 3, y - 5));
        break;
    case TPointSymbol::BorderMarker:
        painter.setBrush(colour);
        painter.drawRect(QRectF(x - 1.5, y - 5, 3, 10));
        painter.drawLine(QPointF(x - 4, y + 5), QPointF(x + 4, y + 5));
        break;
    }
    painter.restore();
}

} // namespace MapStyle
