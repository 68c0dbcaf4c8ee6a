// The .map loader on arbitrary bytes, then a few small views of whatever it accepted, plain and
// high quality, at scales and centres taken from the input itself.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <array>

#include "fuzz_input.h"
#include "base/errors.h"
#include "mapdata/map_image.h"

namespace {

struct TView {
    long double Scale;
    TRenderQuality Quality;
};

constexpr std::array<TView, 4> kViews{{{1.0L, TRenderQuality::Plain},
                                       {0.3L, TRenderQuality::High},
                                       {1.2L, TRenderQuality::High},
                                       {2.5L, TRenderQuality::Plain}}};

// A point of the picture chosen by two bytes, or a point just outside it.
QPoint CentreFrom(uint8_t a, uint8_t b, const TMapImage &map)
{
    return QPoint(int(long(a) * (map.Width() + 16) / 255) - 8, int(long(b) * (map.Height() + 16) / 255) - 8);
}

void RenderViews(const TMapImage &map, const QByteArray &file)
{
    // The bytes after the header pick the centres: they vary with the input yet cost nothing.
    const auto byteAt = [&file](qsizetype i) { return uint8_t(file[i % file.size()]); };
    QImage canvas(48, 40, QImage::Format_RGB32);
    for (size_t i = 0; i < kViews.size(); ++i) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        painter.setBrush(Qt::white);
        const QPoint centre = CentreFrom(byteAt(4 + 2 * i), byteAt(5 + 2 * i), map);
        try {
            map.RenderRegion(TRenderTarget::Screen, kViews[i].Quality, centre, canvas.rect(), kViews[i].Scale, painter);
        } catch (const TovralError &) {
            // A tile that does not decode ends the rendering with an error: that is its job.
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TMapImage map;
    try {
        map.LoadFromStream(buffer);
    } catch (const TovralError &) {
        FuzzCheck(map.Width() == 0 && map.Height() == 0 && map.TileCount() == 0,
                  "a refused map leaves the object empty");
        return 0;
    }
    FuzzCheck(map.Width() > 0 && map.Height() > 0 && map.TileCount() > 0, "an accepted map has a picture and tiles");
    RenderViews(map, file);
    return 0;
}
