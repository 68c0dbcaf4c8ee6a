// tovral-tool distance LAT1 LON1 LAT2 LON2: the calculator's distance between two
// catalogue positions ([sign]DDMMSS texts), in kilometres with two decimals.
#include <QTextStream>

#include "mapdata/catalogue.h"
#include "mapdata/great_circle.h"
#include "tools/tool_command.h"

namespace {
int RunDistance(const QStringList &arguments)
{
    if (arguments.size() != 4)
        throw ToolFailure(QStringLiteral("distance"), QStringLiteral("expected LAT1 LON1 LAT2 LON2"));
    const std::optional<long double> kilometres =
        GreatCircleKm(arguments[0], arguments[1], arguments[2], arguments[3]);
    if (!kilometres)
        throw ToolFailure(QStringLiteral("distance"), kCityNotLocatedMessage);
    QTextStream(stdout) << KilometresText(*kilometres) << '\n';
    return 0;
}
} // namespace

TOOL_COMMAND("distance", "distance LAT1 LON1 LAT2 LON2  distance in km between catalogue coordinates", RunDistance);
