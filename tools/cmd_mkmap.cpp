// tovral-tool mkmap IMAGE -o OUT.map [--tile N] [--quality Q]: cuts a picture into a .map
// file, bands of N-pixel-high rows cut into N-pixel-wide JPEG tiles.
#include <QDir>
#include <QImageReader>

#include "mapdata/map_image.h"
#include "tools/map_writer.h"
#include "tools/tool_arguments.h"

namespace {

// Map pictures are large; Qt's default reading limit (256 MiB) would refuse the bigger ones.
constexpr int kPictureAllocationLimitMiB = 4096;

int RunMkmap(const QStringList &arguments)
{
    const TToolArguments args(QStringLiteral("mkmap"), arguments,
                              {QStringLiteral("-o"), QStringLiteral("--tile"), QStringLiteral("--quality")}, {});
    if (args.Positional.size() != 1)
        args.Fail(QStringLiteral("expected one picture file"));
    const QString output = args.Required(QStringLiteral("-o"));
    const int tileSize = args.Integer(QStringLiteral("--tile"), 256, 8, kMaxTileSide);
    const int quality = args.Integer(QStringLiteral("--quality"), 80, 1, 100);

    QImageReader reader(args.Positional[0]);
    reader.setAllocationLimit(kPictureAllocationLimitMiB);
    // Checked before the picture is read: a map larger than this would be refused by the viewer.
    if (const QSize size = reader.size(); (long long)size.width() * size.height() > kMaxMapPixels)
        args.Fail(QStringLiteral("picture %1 of %2 x %3 pixels is larger than a map may be (%4 pixels)")
                      .arg(QDir::toNativeSeparators(args.Positional[0])).arg(size.width()).arg(size.height())
                      .arg(kMaxMapPixels));
    const QImage picture = reader.read();
    if (picture.isNull())
        args.Fail(QStringLiteral("cannot read picture %1: %2")
                      .arg(QDir::toNativeSeparators(args.Positional[0]), reader.errorString()));
    WriteMapFile(picture, output, tileSize, quality);
    return 0;
}

} // namespace

TOOL_COMMAND("mkmap", "mkmap IMAGE -o OUT.map [--tile N] [--quality Q]   cut a picture into a .map", RunMkmap);
