#include "app/bevel_panel.h"

#include <QPainter>

#include "app/accessible_graphic.h"
#include "app/error_report.h"

namespace {
const QColor kHighlight(0xFF, 0xFF, 0xFF);
const QColor kShadow(0xA0, 0xA0, 0xA0);
const QColor kShapeFill(0x80, 0x80, 0x80);
const QColor kShapeOutline(0x40, 0x40, 0x40);

// One one-pixel bevel on the rectangle's edge: light on top and left, dark on bottom and
// right when raised, the other way round when lowered.
void DrawBevel(QPainter &painter, const QRect &rect, TPanel::TBevel bevel)
{
    if (bevel == TPanel::TBevel::None)
        return;
    const bool raised = bevel == TPanel::TBevel::Raised;
    const QColor topLeft = raised ? kHighlight : kShadow;
    const QColor bottomRight = raised ? kShadow : kHighlight;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

int BevelWidth(TPanel::TBevel bevel)
{
    return bevel == TPanel::TBevel::None ? 0 : 1;
}
} // namespace

TPanel::TPanel(QWidget *parent, TBevel outer, TBevel inner, QColor colour)
    : QWidget(parent), FOuter(outer), FInner(inner), FColour(colour)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect TPanel::ClientRect() const
{
    const int inset = BevelWidth(FOuter) + BevelWidth(FInner);
    return rect().adjusted(inset, inset, -inset, -inset);
}

void TPanel::paintEvent(QPaintEvent *)
{
    PaintReported(this, [&] {
        QPainter painter(this);
        painter.fillRect(rect(), FColour);
        const QRect outer = rect();
        DrawBevel(painter, outer, FOuter);
        const int inset = BevelWidth(FOuter);
        DrawBevel(painter, outer.adjusted(inset, inset, -inset, -inset), FInner);
    });
}

TShapeCircle::TShapeCircle(QWidget *parent) : QWidget(parent)
{
    ShowAsGraphic(staticMetaObject);
}

void TShapeCircle::paintEvent(QPaintEvent *)
{
    PaintReported(this, [&] {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kShapeOutline, 1));
        painter.setBrush(kShapeFill);
        const int side = qMin(width(), height()) - 1;
        QRectF circle(0, 0, side, side);
        circle.moveCenter(QRectF(rect()).center());
        painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
    });
}

TTiledPicture::TTiledPicture(QWidget *parent, const QPixmap &picture)
    : QWidget(parent), FPicture(picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTiledPicture::paintEvent(QPaintEvent *)
{
    PaintReported(this, [&] {
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), FPicture);
    });
}
