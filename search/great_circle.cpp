#include "search/great_circle.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "mapdata/names.h"

namespace {
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kOneOver180 = 1.0L / 180.0L;
// Earth radius in kilometres at the equator, and its decrease towards the poles.
constexpr long double kEquatorRadiusKm = 6378.0L;
constexpr long double kFlatteningKm = 21.0L;

long double Radians(long double degrees)
{
    return degrees * kPi * kOneOver180;
}

long double Square(long double x)
{
    return x * x;
}
} // namespace

std::optional<long double> GreatCircleKm(const QString &latitude1, const QString &longitude1,
                                         const QString &latitude2, const QString &longitude2)
{
    if (latitude1.isEmpty() || longitude1.isEmpty() || latitude2.isEmpty() || longitude2.isEmpty())
        return std::nullopt;
    const std::optional<long double> latitudeDegrees1 = ParseDMS(latitude1);
    const std::optional<long double> longitudeDegrees1 = ParseDMS(longitude1);
    const std::optional<long double> longitudeDegrees2 = ParseDMS(longitude2);
    const std::optional<long double> latitudeDegrees2 = ParseDMS(latitude2);
    if (!latitudeDegrees1 || !longitudeDegrees1 || !longitudeDegrees2 || !latitudeDegrees2)
        return std::nullopt;
    return GreatCircleKm(*latitudeDegrees1, *longitudeDegrees1, *latitudeDegrees2, *longitudeDegrees2);
}

long double GreatCircleKm(long double latitude1, long double longitude1, long double latitude2,
                          long double longitude2)
{
    const long double phi1 = Radians(latitude1);
    const long double lambda1 = Radians(longitude1);
    const long double lambda2 = Radians(longitude2);
    const long double phi2 = Radians(latitude2);

    // Haversine of the central angle.
    const long double deltaLambda = lambda2 - lambda1;
    const long double deltaPhi = phi2 - phi1;
    const long double a = Square(std::sin(deltaLambda * 0.5L)) * (std::cos(phi2) * std::cos(phi1)) +
                          Square(std::sin(deltaPhi * 0.5L));
    const long double r = std::clamp(std::sqrt(a), -1.0L, 1.0L);
    const long double angle = 2 * std::atan2(r, std::sqrt(1 - r * r));

    // The radius term weighs the origin's latitude fully and the destination's by half, so
    // swapping the cities can change the last decimal.
    const long double radius = kEquatorRadiusKm - kFlatteningKm * std::sin(phi1 + phi2 * 0.5L);
    return std::fabs(radius * angle);
}

QString KilometresText(long double kilometres)
{
    char digits[64];
    const auto written = std::to_chars(digits, digits + sizeof digits, kilometres, std::chars_format::fixed, 2);
    return QString::fromLatin1(digits, written.ptr - digits);
}
