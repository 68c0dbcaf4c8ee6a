#include "mapdata/names.h"

namespace {
bool IsWordSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-');
}

// A lenient integer conversion of a short text: an optional sign followed by decimal
// digits; any other text counts as 0.
int LenientInteger(const QString &text)
{
    int start = 0;
    int sign = 1;
    if (!text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+'))) {
        sign = text[0] == QLatin1Char('-') ? -1 : 1;
        start = 1;
    }
    if (start == text.size())
        return 0;
    int value = 0;
    for (int i = start; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c - u'0');
    }
    return sign * value;
}
} // namespace

QString UpperCase(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = c.toUpper();
    return result;
}

QString LowerCase(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = c.toLower();
    return result;
}

QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

// Splits the lower-cased name into words, each ending at (and keeping) a blank or hyphen;
// a word with more than two characters besides its separator gets an upper-case initial.
QString CapitalizeName(const QString &name)
{
    const QString lower = LowerCase(name);
    QString result;
    result.reserve(lower.size());
    qsizetype wordStart = 0;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        const bool lastCharacter = i == lower.size() - 1;
        if (!IsWordSeparator(lower[i]) && !lastCharacter)
            continue;
        QString word = lower.mid(wordStart, i - wordStart + 1);
        const qsizetype letters = IsWordSeparator(word.back()) ? word.size() - 1 : word.size();
        if (letters > 2)
            word[0] = word[0].toUpper();
        result += word;
        wordStart = i + 1;
    }
    return result;
}

std::optional<long double> ParseDMS(const QString &text)
{
    static constexpr long double kOneSixtieth = 1.0L / 60.0L;
    static constexpr long double kOneThreeThousandSixHundredth = 1.0L / 3600.0L;

    const QString trimmed = TrimBlanks(text);
    const qsizetype length = trimmed.size();
    if (length < 6)
        return std::nullopt;
    const long double sign = trimmed[0] == QLatin1Char('-') ? -1.0L : 1.0L;
    const long double seconds = LenientInteger(trimmed.mid(length - 2, 2));
    const long double minutes = LenientInteger(trimmed.mid(length - 4, 2));
    const long double degrees = LenientInteger(trimmed.mid(length - 6, 2));
    return (degrees + minutes * kOneSixtieth + seconds * kOneThreeThousandSixHundredth) * sign;
}
