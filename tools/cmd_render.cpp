// tovral-tool render MAP --center X,Y --scale S --size WxH [--hq] [--printer] -o OUT: renders
// a view of a .map exactly as the viewer's Draw does (or as its printer path does) on a white
// canvas and writes it as .png, .bmp or .jpg (the viewer's JPEG settings).
#include <QFileInfo>
#include <QPainter>

#include "mapdata/jpeg_codec.h"
#include "mapdata/map_image.h"
#include "mapdata/output_file.h"
#include "tools/tool_arguments.h"

namespace {

constexpr int kMaxCanvasSide = 32768;
constexpr long long kMaxCanvasPixels = 256ll * 1024 * 1024;

// Writes a lossless picture (Qt's writer for the format) through a temporary file.
void SaveLossless(const QImage &image, const QString &path, const char *format)
{
    TOutputFile file(path);
    file.WriteImage(image, format);
    file.Commit();
}

void SaveCanvas(const QImage &canvas, const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        SaveJpegFile(canvas, path, 70);
    else if (suffix == QLatin1String("png"))
        SaveLossless(canvas, path, "png");
    else
        SaveLossless(canvas.convertToFormat(QImage::Format_RGB888), path, "bmp"); // 24-bit BMP
}

int RunRender(const QStringList &arguments)
{
    const TToolArguments args(QStringLiteral("render"), arguments,
                              {QStringLiteral("--center"), QStringLiteral("--scale"), QStringLiteral("--size"),
                               QStringLiteral("-o")},
                              {QStringLiteral("--hq"), QStringLiteral("--printer")});
    if (args.Positional.size() != 1)
        args.Fail(QStringLiteral("expected one .map file"));
    const QString output = args.Required(QStringLiteral("-o"));
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (!QStringList{"png", "bmp", "jpg", "jpeg"}.contains(suffix))
        args.Fail(QStringLiteral("%1: the output must be a .png, .bmp or .jpg file").arg(output));
    const long double scale = args.ParseExtended(args.Required(QStringLiteral("--scale")), QStringLiteral("--scale"));
    const auto [width, height] = args.ParsePair(args.Required(QStringLiteral("--size")), QLatin1Char('x'),
                                                QStringLiteral("--size"), 1, kMaxCanvasSide);
    if ((long long)width * height > kMaxCanvasPixels)
        args.Fail(QStringLiteral("--size %1x%2 is too large").arg(width).arg(height));

    TMapImage map;
    map.LoadFromFile(args.Positional[0]);
    QPoint center(map.Width() / 2, map.Height() / 2);
    if (const std::optional<QString> text = args.Value(QStringLiteral("--center"))) {
        const auto [x, y] = args.ParsePair(*text, QLatin1Char(','), QStringLiteral("--center"),
                                           -kMaxCanvasSide * 64, kMaxCanvasSide * 64);
        center = QPoint(x, y);
    }

    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        args.Fail(QStringLiteral("not enough memory for a %1x%2 canvas").arg(width).arg(height));
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setBrush(Qt::white);
        const TRenderTarget target =
            args.Flag(QStringLiteral("--printer")) ? TRenderTarget::Printer : TRenderTarget::Screen;
        const TRenderQuality quality = args.Flag(QStringLiteral("--hq")) ? TRenderQuality::High : TRenderQuality::Plain;
        map.RenderRegion(target, quality, center, canvas.rect(), scale, painter);
    }
    SaveCanvas(canvas, output);
    return 0;
}

} // namespace

TOOL_COMMAND("render",
             "render MAP --center X,Y --scale S --size WxH [--hq] [--printer] -o OUT.png|.bmp|.jpg  a view of a map "
             "as the viewer draws or prints it",
             RunRender);
