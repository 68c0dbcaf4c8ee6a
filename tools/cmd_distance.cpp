// tovral-tool distance LAT1 LON1 LAT2 LON2: the calculator's distance between two
// catalogue positions ([sign]DDMMSS texts), in kilometres with two decimals.
#include <QTextStream>
#include <charconv>

#include "search/great_circle.h"
#include "tools/tool_command.h"

namespace {
int RunDistance(const QStringList &arguments)
{
    if (arguments.size() != 4)
        throw ToolFailure(QStringLiteral("distance"), QStringLiteral("expected LAT1 LON1 LAT2 LON2"));
    long double kilometres = 0;
    if (!GreatCircleKm(arguments[0], arguments[1], arguments[2], arguments[3], kilometres))
        throw ToolFailure(QStringLiteral("distance"), QStringLiteral("Coordenadas da cidade não localizadas"));
    // to_chars writes '.' as the decimal point whatever the user's locale says.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, kilometres, std::chars_format::fixed, 2);
    QTextStream(stdout) << QLatin1String(text, result.ptr - text) << '\n';
    return 0;
}
} // namespace

TOOL_COMMAND("distance", "distance LAT1 LON1 LAT2 LON2  distance in km between catalogue coordinates", RunDistance);
