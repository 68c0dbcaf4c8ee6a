#include "mkdata_test_support.h"

#include <QDir>
#include <cstdlib>
#include <memory>

const QString kGeodataFolder = QStringLiteral(TOVRAL_GEODATA_DIR);

QString RealGeodataFolder() { return kGeodataFolder; }

const TGeodata *RealGeodata()
{
    static const std::unique_ptr<TGeodata> data = [] {
        return QDir(kGeodataFolder).exists(QStringLiteral("states.geojson"))
                   ? std::make_unique<TGeodata>(ReadGeodata(kGeodataFolder))
                   : nullptr;
    }();
    return data.get();
}

TCoordinates CoordinatesOf(const std::vector<TCoordinateItem> &grid)
{
    TCoordinates coordinates;
    for (const TCoordinateItem &item : grid)
        coordinates.Add(item);
    return coordinates;
}

double ShareOfColour(const QImage &image, const QRect &rect, QColor colour, int tolerance)
{
    const QRect area = rect.intersected(image.rect());
    int matching = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <= tolerance)
                ++matching;
        }
    return area.isEmpty() ? 0 : double(matching) / (area.width() * area.height());
}
