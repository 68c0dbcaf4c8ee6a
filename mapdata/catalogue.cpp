#include "mapdata/catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <memory>
#include <unicode/ucol.h>

#include "base/errors.h"
#include "mapdata/data_file.h"
#include "mapdata/names.h"

// ---------------------------------------------------------------------------------------
// Catalogue comparison
// ---------------------------------------------------------------------------------------

namespace {
struct CollatorCloser {
    void operator()(UCollator *collator) const { ucol_close(collator); }
};
using CollatorHandle = std::unique_ptr<UCollator, CollatorCloser>;

// Brazilian Portuguese collation at secondary strength: letters first, then accents, and
// case never. Blanks and punctuation are not ignorable, so a TAB (the field separator)
// sorts below a blank and below every letter.
CollatorHandle OpenCatalogueCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    CollatorHandle collator(ucol_open("pt_BR", &status));
    if (U_FAILURE(status))
        throw TovralError(QStringLiteral("Cannot create the pt-BR text collator: %1")
                              .arg(QString::fromLatin1(u_errorName(status))));
    ucol_setStrength(collator.get(), UCOL_SECONDARY);
    ucol_setAttribute(collator.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    ucol_setAttribute(collator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    if (U_FAILURE(status))
        throw TovralError(QStringLiteral("Cannot configure the pt-BR text collator: %1")
                              .arg(QString::fromLatin1(u_errorName(status))));
    return collator;
}

// One collator per thread: the viewer only uses one thread, but a collator must never be
// shared between threads that compare at the same time.
const UCollator *CatalogueCollator()
{
    thread_local const CollatorHandle collator = OpenCatalogueCollator();
    return collator.get();
}

const UChar *Utf16(const QString &text)
{
    return reinterpret_cast<const UChar *>(text.utf16());
}

bool CatalogueLess(const QString &a, const QString &b)
{
    return CatalogueCompare(a, b) < 0;
}
} // namespace

int CatalogueCompare(const QString &a, const QString &b)
{
    return ucol_strcoll(CatalogueCollator(), Utf16(a), int32_t(a.size()), Utf16(b), int32_t(b.size()));
}

QByteArray CatalogueSortKey(const QString &text)
{
    QByteArray key(64, Qt::Uninitialized);
    for (;;) {
        // The length includes the terminating zero byte, which the key keeps out.
        const int32_t length = ucol_getSortKey(CatalogueCollator(), Utf16(text), int32_t(text.size()),
                                               reinterpret_cast<uint8_t *>(key.data()), int32_t(key.size()));
        if (length <= key.size()) {
            key.truncate(std::max(0, length - 1));
            return key;
        }
        key.resize(length);
    }
}

// ---------------------------------------------------------------------------------------
// TSortedStrings
// ---------------------------------------------------------------------------------------

TSortedStrings::TSortedStrings(bool ignoreDuplicates) : FIgnoreDuplicates(ignoreDuplicates) {}

int TSortedStrings::Add(const QString &text)
{
    const int position = Find(text);
    if (FIgnoreDuplicates && position < Count() && CatalogueCompare(FItems[size_t(position)], text) == 0)
        return position;
    const auto after = std::upper_bound(FItems.begin() + position, FItems.end(), text, CatalogueLess);
    const auto inserted = FItems.insert(after, text);
    return int(inserted - FItems.begin());
}

void TSortedStrings::Assign(QStringList lines)
{
    FItems.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    std::stable_sort(FItems.begin(), FItems.end(), CatalogueLess);
    if (FIgnoreDuplicates) {
        const auto equal = [](const QString &a, const QString &b) { return CatalogueCompare(a, b) == 0; };
        FItems.erase(std::unique(FItems.begin(), FItems.end(), equal), FItems.end());
    }
}

void TSortedStrings::Clear()
{
    FItems.clear();
}

int TSortedStrings::Find(const QString &key) const
{
    return int(std::lower_bound(FItems.begin(), FItems.end(), key, CatalogueLess) - FItems.begin());
}

// ---------------------------------------------------------------------------------------
// Windows-1252 text
// ---------------------------------------------------------------------------------------

namespace {
// Code points of the bytes 0x80-0x9F. The five bytes Windows-1252 leaves undefined map to
// the control code points of the same value, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

char EncodeCp1252Char(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    const auto found = std::find(kCp1252High.begin(), kCp1252High.end(), c);
    if (found != kCp1252High.end())
        return char(0x80 + (found - kCp1252High.begin()));
    return '?';
}
} // namespace

QString DecodeCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t(byte));
    }
    return text;
}

QByteArray EncodeCp1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the Basic Multilingual Plane is one character, one '?'.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes += EncodeCp1252Char(text[i].unicode());
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------
// Catalogue files
// ---------------------------------------------------------------------------------------

namespace {
// The lines of text, up to maxLines + 1 of them: a caller that finds more than maxLines
// knows the text holds too many without paying for the rest.
QStringList SplitLines(const QString &text, int maxLines)
{
    QStringList lines;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size() && lines.size() <= maxLines; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(lineStart, i - lineStart));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < text.size() && lines.size() <= maxLines)
        lines.append(text.mid(lineStart));
    return lines;
}
} // namespace

QStringList ReadCatalogueLines(const QString &path)
{
    QFile file;
    OpenDataFile(file, path);
    const auto tooLarge = [&path](qint64 size) {
        return TovralError(QStringLiteral("Cannot read file %1: %2 bytes is more than a catalogue may hold (%3)")
                               .arg(QDir::toNativeSeparators(path)).arg(size).arg(kMaxCatalogueBytes));
    };
    if (file.size() > kMaxCatalogueBytes)
        throw tooLarge(file.size());
    // One byte past the limit tells a file that grew since its size was read.
    const QByteArray bytes = file.read(kMaxCatalogueBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw TovralError(QStringLiteral("Cannot read file %1").arg(QDir::toNativeSeparators(path)));
    if (bytes.size() > kMaxCatalogueBytes)
        throw tooLarge(bytes.size());
    QStringList lines = SplitLines(DecodeCp1252(bytes), kMaxCatalogueLines);
    if (lines.size() > kMaxCatalogueLines)
        throw TovralError(QStringLiteral("Cannot read file %1: it holds more lines than a catalogue may hold (%2)")
                              .arg(QDir::toNativeSeparators(path)).arg(kMaxCatalogueLines));
    return lines;
}

QString ReadSourcesLine(const QString &path)
{
    if (!QFileInfo::exists(path))
        return QString();
    return TrimBlanks(ReadCatalogueLines(path).value(0));
}

// ---------------------------------------------------------------------------------------
// State catalogue
// ---------------------------------------------------------------------------------------

void TUFCatalogue::Load(const QStringList &lines)
{
    FLines = lines;
    FCodes.Clear();
    for (const QString &line : FLines)
        FCodes.Add(line.left(2));
}

QString TUFCatalogue::DisplayName(int index) const
{
    if (index < 0 || index >= FLines.size())
        return QString();
    const QString &line = FLines[index];
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? line : line.mid(equals + 1);
}

QString TUFCatalogue::CodeOf(int index) const
{
    if (index < 0 || index >= FLines.size())
        return QString();
    return UpperCase(FLines[index].left(2));
}

QString TUFCatalogue::NextUFCode(const QString &code) const
{
    const int position = FCodes.Find(code);
    return position < FCodes.Count() - 1 ? FCodes[position + 1] : QString();
}

// ---------------------------------------------------------------------------------------
// City catalogue
// ---------------------------------------------------------------------------------------

TCityBlock StateCityBlock(const TSortedStrings &cityRows, const QString &code, const QString &nextCode)
{
    TCityBlock block;
    block.First = cityRows.Find(code);
    block.End = nextCode.isEmpty() ? cityRows.Count() : cityRows.Find(nextCode);
    block.End = std::max(block.First, block.End);
    return block;
}

QString RowCityName(const QString &row)
{
    const qsizetype first = row.indexOf(QLatin1Char('\t'));
    if (first < 0)
        return QString();
    const qsizetype second = row.indexOf(QLatin1Char('\t'), first + 1);
    if (second < 0)
        return QString();
    return row.mid(first + 1, second - first - 1);
}

const QString kCityNotLocatedMessage = QStringLiteral("Coordenadas da cidade não localizadas");

TRowCoordinates ReadRowCoordinates(const QString &row)
{
    TRowCoordinates coordinates;
    const qsizetype last = row.lastIndexOf(QLatin1Char('\t'));
    if (last < 0)
        return coordinates;
    coordinates.Longitude = row.mid(last + 1);
    // lastIndexOf with a negative start would search from the end again: stop at the row's start.
    const qsizetype previous = last > 0 ? row.lastIndexOf(QLatin1Char('\t'), last - 1) : -1;
    if (previous >= 0)
        coordinates.Latitude = row.mid(previous + 1, last - previous - 1);
    return coordinates;
}

TSortedStrings StateCityNames(const TSortedStrings &cityRows, const TCityBlock &block)
{
    TSortedStrings names(true);
    for (int row = block.First; row < block.End; ++row)
        names.Add(UpperCase(RowCityName(cityRows[row])));
    return names;
}

QString CityRowKey(const QString &code, const QString &name)
{
    return code + QLatin1Char('\t') + name + QLatin1Char('\t');
}
