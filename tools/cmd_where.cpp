// tovral-tool where PTS X Y: the position of a full-map pixel, from a state's reference
// points (the inverse of locate).
#include <QTextStream>

#include "mapdata/coordinates.h"
#include "mapdata/position_text.h"
#include "tools/tool_arguments.h"

namespace {
int RunWhere(const QStringList &arguments)
{
    // The arguments are taken as they stand: a pixel left of or above the map is negative.
    const TToolArguments where(QStringLiteral("where"), {}, {}, {});
    if (arguments.size() != 3)
        where.Fail(QStringLiteral("expected PTS X Y"));
    const TMapPoint pixel{where.ParseExtended(arguments[1], QStringLiteral("X")),
                          where.ParseExtended(arguments[2], QStringLiteral("Y"))};
    TCoordinates coordinates;
    coordinates.LoadFromFile(arguments[0]);
    const std::optional<TGeoPosition> position = coordinates.PixelToGeo(pixel);
    if (!position)
        where.Fail(QStringLiteral("%1, %2 lies outside the reference grid of %3")
                       .arg(arguments[1], arguments[2], arguments[0]));
    QTextStream(stdout) << PositionDecimalText(*position) << '\n' << PositionDmsText(*position) << '\n';
    return 0;
}
} // namespace

TOOL_COMMAND("where", "where PTS X Y            position of a full-map pixel (decimal degrees, then DMS)", RunWhere);
