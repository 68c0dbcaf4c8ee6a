#pragma once

#include <QChar>
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QPaintDevice;
class QPainter;

// A scale bar: a round length of the ground and how long it is drawn.
struct TScaleBar {
    long double Km = 0;     // 1, 2 or 5 x 10^n kilometres
    long double Length = 0; // in the units kmPerUnit was given in (pixels, device pixels)
};

// The longest round length (1, 2 or 5 x 10^n km) drawn at most maxLength long where one unit
// of the drawing is kmPerUnit km. Consecutive round lengths differ by at most 2.5 times, so
// the bar is longer than maxLength / 2.5. kmPerUnit and maxLength must be positive.
TScaleBar RoundScaleBar(long double kmPerUnit, long double maxLength);

// How a scale bar is drawn: "0" above its left end, the length above its right end, "km"
// beside it, the bar itself in two halves (black and white, outlined), all sized in units
// (a view pixel on screen, a ninety-sixth of an inch on paper) except the text, whose font is
// given. With Plate, a translucent white plate lies under it, so that it reads over any map
// colour.
class TScaleBarPicture {
public:
    // For painting on device (its font metrics and pixel ratio); decimalSeparator writes
    // lengths below 1 km ("0,5").
    TScaleBarPicture(const TScaleBar &bar, const QFont &font, qreal unit, bool plate, QChar decimalSeparator,
                     QPaintDevice &device);

    // The size of the whole picture, plate included, in the painter's units.
    QSizeF Size() const { return FSize; }
    // Draws it with its top-left corner at topLeft (rounded to the device's pixels, so that
    // the bar's edges are sharp).
    void Paint(QPainter &painter, QPointF topLeft) const;

private:
    // Rounded to the device's pixels.
    qreal Aligned(qreal value) const;

    QString FLengthText;
    QFont FFont;
    QPaintDevice &FDevice;
    qreal FUnit;
    bool FPlate;
    qreal FDeviceRatio;
    // Where the parts lie, from the picture's top-left corner.
    qreal FBarLeft = 0, FBarRight = 0, FBarTop = 0, FBarHeight = 0, FBaseline = 0;
    qreal FZeroWidth = 0, FLengthWidth = 0;
    QSizeF FSize;
};

// "500", "2", "0,5": a round length in km as the scale bar writes it.
QString ScaleBarKmText(long double km, QChar decimalSeparator);
