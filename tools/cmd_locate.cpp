// tovral-tool locate PTS LON LAT: the full-map pixel of a position, from a state's
// reference points.
#include <QTextStream>
#include <charconv>
#include <cmath>

#include "mapdata/coordinates.h"
#include "tools/tool_command.h"

namespace {
// Decimal degrees as long double ("-46.633" or "-4.6633e1"); anything else is refused.
long double ParseDegrees(const QString &text, const char *what)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char *end = bytes.constData() + bytes.size();
    long double value = 0;
    // from_chars reads '.' as the decimal point whatever the user's locale says.
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    if (bytes.isEmpty() || error != std::errc() || stop != end || !std::isfinite(value))
        throw ToolFailure(QStringLiteral("locate"),
                          QStringLiteral("%1 is not a number of degrees: %2").arg(QLatin1String(what), text));
    return value;
}

int RunLocate(const QStringList &arguments)
{
    if (arguments.size() != 3)
        throw ToolFailure(QStringLiteral("locate"), QStringLiteral("expected PTS LON LAT"));
    const long double longitude = ParseDegrees(arguments[1], "longitude");
    const long double latitude = ParseDegrees(arguments[2], "latitude");
    TCoordinates coordinates;
    coordinates.LoadFromFile(arguments[0]);
    const QPoint pixel = coordinates.GeoToPixel(longitude, latitude);
    QTextStream(stdout) << pixel.x() << ' ' << pixel.y() << '\n';
    return 0;
}
} // namespace

TOOL_COMMAND("locate", "locate PTS LON LAT       full-map pixel of a position (decimal degrees)", RunLocate);
