#include "mapdata/scale_bar.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace {
const QString kKilometres = QStringLiteral(" km");
// Sizes of the picture, in units.
constexpr qreal kPlatePadding = 4;
constexpr qreal kPlateRadius = 3;
constexpr qreal kLabelGap = 2;
constexpr qreal kBarHeight = 5;
constexpr qreal kOutline = 1;
// The plate lets the map show through a little, so that it reads as part of the view.
constexpr int kPlateAlpha = 210;
} // namespace

TScaleBar RoundScaleBar(long double kmPerUnit, long double maxLength)
{
    const long double longest = kmPerUnit * maxLength;
    if (!(longest > 0 && std::isfinite(longest)))
        return {};
    long double decade = std::pow(10.0L, std::floor(std::log10(longest)));
    for (;;) {
        for (const long double multiple : {5.0L, 2.0L, 1.0L}) {
            const long double km = multiple * decade;
            if (km <= longest)
                return {km, km / kmPerUnit};
        }
        decade /= 10; // log10 rounded up a hair: the next decade down
    }
}

QString ScaleBarKmText(long double km, QChar decimalSeparator)
{
    return QString::number(double(km), 'g', 12).replace(QLatin1Char('.'), decimalSeparator);
}

TScaleBarPicture::TScaleBarPicture(const TScaleBar &bar, const QFont &font, qreal unit, bool plate,
                                   QChar decimalSeparator, QPaintDevice &device)
    : FLengthText(ScaleBarKmText(bar.Km, decimalSeparator)), FFont(font), FDevice(device), FUnit(unit),
      FPlate(plate), FDeviceRatio(device.devicePixelRatioF())
{
    const QFontMetricsF metrics(FFont, &FDevice);
    const qreal padding = FPlate ? kPlatePadding * FUnit : 0;
    FZeroWidth = metrics.horizontalAdvance(QStringLiteral("0"));
    FLengthWidth = metrics.horizontalAdvance(FLengthText);
    // "0" is centred over the bar's left end, the length over its right end, " km" after it.
    FBarLeft = Aligned(padding + FZeroWidth / 2);
    FBarRight = Aligned(FBarLeft + qreal(bar.Length));
    FBaseline = padding + metrics.ascent();
    FBarTop = Aligned(padding + metrics.height() + kLabelGap * FUnit);
    FBarHeight = Aligned(kBarHeight * FUnit);
    FSize = QSizeF(FBarRight + FLengthWidth / 2 + metrics.horizontalAdvance(kKilometres) + padding,
                   FBarTop + FBarHeight + padding);
}

qreal TScaleBarPicture::Aligned(qreal value) const
{
    return std::round(value * FDeviceRatio) / FDeviceRatio;
}

void TScaleBarPicture::Paint(QPainter &painter, QPointF topLeft) const
{
    painter.save();
    painter.translate(Aligned(topLeft.x()), Aligned(topLeft.y()));
    if (FPlate) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, kPlateAlpha));
        painter.drawRoundedRect(QRectF(QPointF(0, 0), FSize), kPlateRadius * FUnit, kPlateRadius * FUnit);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Black bar, then the right half white inside the outline.
    const qreal outline = std::max(1 / FDeviceRatio, Aligned(kOutline * FUnit));
    const qreal middle = Aligned((FBarLeft + FBarRight) / 2);
    painter.fillRect(QRectF(FBarLeft, FBarTop, FBarRight - FBarLeft, FBarHeight), Qt::black);
    painter.fillRect(QRectF(middle, FBarTop + outline, FBarRight - outline - middle, FBarHeight - 2 * outline),
                     Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(FFont);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(FBarLeft - FZeroWidth / 2, FBaseline), QStringLiteral("0"));
    painter.drawText(QPointF(FBarRight - FLengthWidth / 2, FBaseline), FLengthText + kKilometres);
    painter.restore();
}
