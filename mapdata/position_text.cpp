#include "mapdata/position_text.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "mapdata/names.h"

namespace {
// ---------------------------------------------------------------------------------------
// Reading a typed position
// ---------------------------------------------------------------------------------------

enum class TUnit { None = -1, Degrees = 0, Minutes = 1, Seconds = 2 };

// One number of a coordinate, with the symbol that follows it, if any.
struct TPart {
    long double Value = 0;
    bool HasDecimals = false;
    TUnit Unit = TUnit::None;
};

// One coordinate as typed: its numbers, its sign and its hemisphere letter.
struct TTypedCoordinate {
    std::vector<TPart> Parts;
    int Sign = 0;        // -1, +1, or 0 when none was typed
    QChar Hemisphere;    // N, S, E, L, W, O, or null
};

bool IsLatitudeLetter(QChar letter) { return letter == u'N' || letter == u'S'; }
bool IsLongitudeLetter(QChar letter)
{
    return letter == u'E' || letter == u'L' || letter == u'W' || letter == u'O';
}

// The symbol of a unit, with the forms a keyboard or a copied text gives them.
TUnit UnitOf(QChar c)
{
    switch (c.unicode()) {
    case u'°':
    case u'º': // the masculine ordinal, which Brazilian keyboards offer beside the 0
        return TUnit::Degrees;
    case u'\'':
    case u'′':
    case u'’':
    case u'´':
        return TUnit::Minutes;
    case u'"':
    case u'″':
    case u'”':
    case u'“':
        return TUnit::Seconds;
    default:
        return TUnit::None;
    }
}

// Splits a typed text into its coordinates as they are marked (a separator, a sign, a
// hemisphere letter or a degree symbol starts or ends one); nothing when the text holds
// anything else.
class TPositionReader {
public:
    explicit TPositionReader(const QString &text)
        : FText(UpperCase(TrimBlanks(text))), FDecimalComma(!FText.contains(u'.'))
    {
    }

    std::optional<std::vector<TTypedCoordinate>> Coordinates()
    {
        int separators = 0;
        while (FAt < FText.size()) {
            const QChar c = FText[FAt];
            if (c.isSpace()) {
                ++FAt;
            } else if (c.isDigit()) {
                if (!ReadPart())
                    return std::nullopt;
            } else if (c == u'-' || c == u'+' || c == u'−') {
                // A sign begins a coordinate and stands right before its first digit.
                if (Started())
                    FCurrent = Finish();
                if (FCurrent.Sign != 0 || !FCurrent.Hemisphere.isNull())
                    return std::nullopt;
                FCurrent.Sign = c == u'+' ? 1 : -1;
                ++FAt;
                if (FAt == FText.size() || !FText[FAt].isDigit())
                    return std::nullopt;
            } else if (c == u',' || c == u';') {
                // Between two coordinates (after a letter that ended the first, or its last
                // number), once.
                const bool pristine = FCurrent.Sign == 0 && FCurrent.Hemisphere.isNull();
                if (++separators > 1 || (!Started() && (FDone.empty() || !pristine)))
                    return std::nullopt;
                if (Started())
                    FCurrent = Finish();
                ++FAt;
            } else if (IsLatitudeLetter(c) || IsLongitudeLetter(c)) {
                // A letter alone, not part of a word.
                const bool word = (FAt > 0 && FText[FAt - 1].isLetter()) ||
                                  (FAt + 1 < FText.size() && FText[FAt + 1].isLetter());
                if (word)
                    return std::nullopt;
                // After the numbers of a coordinate that has no letter yet, the letter ends
                // it; otherwise it begins the next one.
                if (Started() && FCurrent.Hemisphere.isNull()) {
                    FCurrent.Hemisphere = c;
                    FCurrent = Finish();
                } else {
                    if (Started())
                        FCurrent = Finish();
                    if (FCurrent.Sign != 0 || !FCurrent.Hemisphere.isNull())
                        return std::nullopt;
                    FCurrent.Hemisphere = c;
                }
                ++FAt;
            } else {
                return std::nullopt;
            }
        }
        if (Started())
            Finish();
        else if (FCurrent.Sign != 0 || !FCurrent.Hemisphere.isNull())
            return std::nullopt;
        return FDone;
    }

private:
    bool Started() const { return !FCurrent.Parts.empty(); }

    // Files the current coordinate and returns an empty one.
    TTypedCoordinate Finish()
    {
        FDone.push_back(FCurrent);
        return TTypedCoordinate{};
    }

    // A number, with decimals after a point (or a comma where the text has no point), and
    // the unit symbol that follows it.
    bool ReadPart()
    {
        const qsizetype start = FAt;
        const auto digits = [this] {
            while (FAt < FText.size() && FText[FAt].isDigit())
                ++FAt;
        };
        digits();
        TPart part;
        const bool decimalMark = FAt + 1 < FText.size() && FText[FAt + 1].isDigit() &&
                                 (FText[FAt] == u'.' || (FDecimalComma && FText[FAt] == u','));
        if (decimalMark) {
            ++FAt;
            digits();
            part.HasDecimals = true;
        }
        const QByteArray number = FText.mid(start, FAt - start).replace(u',', u'.').toLatin1();
        const auto [end, error] = std::from_chars(number.constData(), number.constData() + number.size(), part.Value);
        if (error != std::errc() || end != number.constData() + number.size())
            return false;
        while (FAt < FText.size() && FText[FAt].isSpace() && FAt + 1 < FText.size() &&
               UnitOf(FText[FAt + 1]) != TUnit::None)
            ++FAt; // a blank between a number and its symbol
        if (FAt < FText.size() && UnitOf(FText[FAt]) != TUnit::None) {
            part.Unit = UnitOf(FText[FAt]);
            ++FAt;
            // Two apostrophes stand for the seconds' symbol.
            if (part.Unit == TUnit::Minutes && FAt < FText.size() && UnitOf(FText[FAt]) == TUnit::Minutes) {
                part.Unit = TUnit::Seconds;
                ++FAt;
            }
        }
        // Degrees marked as such begin a coordinate.
        if (part.Unit == TUnit::Degrees && Started())
            FCurrent = Finish();
        FCurrent.Parts.push_back(part);
        return true;
    }

    const QString FText;
    const bool FDecimalComma;
    qsizetype FAt = 0;
    TTypedCoordinate FCurrent;
    std::vector<TTypedCoordinate> FDone;
};

// Degrees from the parts of one coordinate, or nothing when they are not degrees, minutes
// and seconds in order, with decimals only in the last and minutes and seconds below 60.
std::optional<long double> Degrees(const TTypedCoordinate &coordinate)
{
    const std::vector<TPart> &parts = coordinate.Parts;
    if (parts.empty() || parts.size() > 3 || (coordinate.Sign != 0 && !coordinate.Hemisphere.isNull()))
        return std::nullopt;
    long double degrees = 0;
    long double unit = 1;
    for (size_t i = 0; i < parts.size(); ++i) {
        const TPart &part = parts[i];
        if ((part.Unit != TUnit::None && int(part.Unit) != int(i)) || (part.HasDecimals && i + 1 < parts.size()) ||
            (i > 0 && part.Value >= 60))
            return std::nullopt;
        degrees += part.Value / unit;
        unit *= 60;
    }
    const bool negative = coordinate.Sign < 0 || coordinate.Hemisphere == u'S' || coordinate.Hemisphere == u'W' ||
                          coordinate.Hemisphere == u'O';
    return negative ? -degrees : degrees;
}

// Two coordinates typed without anything between them but blanks ("23 32 46 38", or
// "-23 46" where the first one's sign is all): the numbers split in two halves.
void SplitUnmarked(std::vector<TTypedCoordinate> &coordinates)
{
    if (coordinates.size() != 1 || !coordinates[0].Hemisphere.isNull())
        return;
    const std::vector<TPart> parts = coordinates[0].Parts;
    if (parts.size() != 2 && parts.size() != 4 && parts.size() != 6)
        return;
    const auto half = parts.begin() + qsizetype(parts.size() / 2);
    coordinates = {TTypedCoordinate{{parts.begin(), half}, coordinates[0].Sign, QChar()},
                   TTypedCoordinate{{half, parts.end()}, 0, QChar()}};
}

// ---------------------------------------------------------------------------------------
// Writing a position
// ---------------------------------------------------------------------------------------

// |degrees| in degrees, minutes and whole seconds, then the hemisphere letter.
QString DmsText(long double degrees, QChar positive, QChar negative)
{
    const long long seconds = std::llrint(std::fabs(degrees) * 3600);
    return QStringLiteral("%1°%2'%3\" %4")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(degrees < 0 && seconds > 0 ? negative : positive);
}
} // namespace

std::optional<TGeoPosition> ParseTypedPosition(const QString &text)
{
    std::optional<std::vector<TTypedCoordinate>> coordinates = TPositionReader(text).Coordinates();
    if (!coordinates)
        return std::nullopt;
    SplitUnmarked(*coordinates);
    if (coordinates->size() != 2)
        return std::nullopt;
    // Latitude first, unless the letters say otherwise.
    const TTypedCoordinate *latitude = &(*coordinates)[0];
    const TTypedCoordinate *longitude = &(*coordinates)[1];
    if (IsLongitudeLetter(latitude->Hemisphere) || IsLatitudeLetter(longitude->Hemisphere))
        std::swap(latitude, longitude);
    if (IsLongitudeLetter(latitude->Hemisphere) || IsLatitudeLetter(longitude->Hemisphere))
        return std::nullopt;
    const std::optional<long double> latitudeDegrees = Degrees(*latitude);
    const std::optional<long double> longitudeDegrees = Degrees(*longitude);
    if (!latitudeDegrees || !longitudeDegrees || std::fabs(*latitudeDegrees) > 90 ||
        std::fabs(*longitudeDegrees) > 180)
        return std::nullopt;
    return TGeoPosition{*latitudeDegrees, *longitudeDegrees};
}

QString PositionDmsText(const TGeoPosition &position)
{
    return DmsText(position.Latitude, u'N', u'S') + QStringLiteral("  ") + DmsText(position.Longitude, u'E', u'W');
}

QString PositionDecimalText(const TGeoPosition &position)
{
    return QString::number(double(position.Latitude), 'f', 6) + QLatin1Char(' ') +
           QString::number(double(position.Longitude), 'f', 6);
}
