// The name helpers and the reader of typed positions on arbitrary text, read both as a
// Windows-1252 catalogue line and as UTF-8.
#include <cmath>

#include "fuzz_input.h"
#include "mapdata/catalogue.h"
#include "mapdata/names.h"
#include "mapdata/position_text.h"

namespace {

// Two digits with an optional sign: at most 99 degrees, minutes or seconds each.
constexpr long double kLargestDMS = 99.0L + 99.0L / 60 + 99.0L / 3600;

void CheckNames(const QString &text)
{
    FuzzCheck(CapitalizeName(text).size() == text.size(), "capitalising keeps every character");
    FuzzCheck(UpperCase(text).size() == text.size() && LowerCase(text).size() == text.size(),
              "casing keeps every character");

    const std::optional<long double> value = ParseDMS(text);
    FuzzCheck(value.has_value() == (TrimBlanks(text).size() >= 6), "ParseDMS accepts exactly six characters or more");
    if (value)
        FuzzCheck(std::isfinite(*value) && std::fabs(*value) <= kLargestDMS, "a parsed coordinate is in range");

    if (const std::optional<TGeoPosition> position = ParseTypedPosition(text))
        FuzzCheck(std::fabs(position->Latitude) <= 90 && std::fabs(position->Longitude) <= 180,
                  "a typed position is on the globe");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CheckNames(QString::fromUtf8(bytes));
    CheckNames(DecodeCp1252(bytes));
    return 0;
}
