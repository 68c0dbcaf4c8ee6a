#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The one comparison every sorted list of the system sorts and searches with: pt-BR
// collation, case ignored, accents weighed below letters, and a string sorts before every
// longer string that begins with it. Returns <0, 0 or >0.
int CatalogueCompare(const QString &a, const QString &b);
// A byte string whose plain byte order (memcmp, shorter first on a tie) is CatalogueCompare's
// order: for sorting many strings without comparing them through the collator again and again.
QByteArray CatalogueSortKey(const QString &text);

// A list of strings kept sorted by CatalogueCompare.
class TSortedStrings {
public:
    // With ignoreDuplicates, adding a string that compares equal to one already held adds nothing.
    explicit TSortedStrings(bool ignoreDuplicates = false);

    // Inserts in sorted position (after equal entries); returns its index, or the index of
    // the equal entry when duplicates are ignored.
    int Add(const QString &text);
    // Replaces the content by the given lines, sorted (equal lines keep their order).
    void Assign(QStringList lines);
    void Clear();

    // Lower-bound search: the index of the first entry not less than key (the index of an
    // equal entry when there is one), or Count() when every entry is less.
    int Find(const QString &key) const;

    int Count() const { return int(FItems.size()); }
    const QString &operator[](int index) const { return FItems[size_t(index)]; }
    const std::vector<QString> &Items() const { return FItems; }

private:
    std::vector<QString> FItems;
    bool FIgnoreDuplicates;
};

// Catalogue files are single-byte Windows-1252 text; inside the program text is Unicode.
QString DecodeCp1252(const QByteArray &bytes);
// Characters without a Windows-1252 byte become '?'.
QByteArray EncodeCp1252(const QString &text);

// The largest catalogue file the readers accept. The real city catalogue holds about 5,600
// lines in under 300 KiB; a file far beyond that is no catalogue, and its lines would cost
// the windows gigabytes of memory and many seconds to sort.
constexpr qint64 kMaxCatalogueBytes = 4 * 1024 * 1024;
constexpr int kMaxCatalogueLines = 65536;

// Reads a Windows-1252 text file as lines; CR LF, a lone CR and a lone LF each end a line.
// Empty lines are kept. Throws TovralError "Cannot open file <path>" when it cannot be opened
// (or is no regular file) and "Cannot read file <path>: ..." when it cannot be read whole or
// holds more than kMaxCatalogueBytes or kMaxCatalogueLines.
QStringList ReadCatalogueLines(const QString &path);

// The data folder's credit line, a file of one line beside the catalogues, written as they
// are (the path inside the data folder).
inline const QString kSourcesFile = QStringLiteral("txt/fontes.txt");
// Its first line, trimmed; "" when the folder has no such file. A file that exists but
// cannot be read throws as ReadCatalogueLines does.
QString ReadSourcesLine(const QString &path);

// The state catalogue (img/txt/ufs.txt): lines in file order, display names, and the sorted
// list of codes used to find where a state's block of city rows ends.
class TUFCatalogue {
public:
    void Load(const QStringList &lines);

    const QStringList &Lines() const { return FLines; }
    // Text after the first '=' (the whole line when it has none).
    QString DisplayName(int index) const;
    // First two characters of line index, upper-cased.
    QString CodeOf(int index) const;
    // The code that follows code in the sorted code list, or "" when code sorts last.
    QString NextUFCode(const QString &code) const;
    const TSortedStrings &Codes() const { return FCodes; }

private:
    QStringList FLines;
    TSortedStrings FCodes{true};
};

// Rows [First, End) of the sorted city catalogue that belong to one state.
struct TCityBlock {
    int First = 0;
    int End = 0;
};
// nextCode is NextUFCode(code) ("" when code sorts last).
TCityBlock StateCityBlock(const TSortedStrings &cityRows, const QString &code, const QString &nextCode);

// Field 2 of a city row (between the first and second TAB); "" when a TAB is missing.
QString RowCityName(const QString &row);

// The coordinate texts of a city row: the latitude between the second-to-last and last TAB,
// the longitude after the last TAB; a missing field is "".
struct TRowCoordinates {
    QString Latitude;
    QString Longitude;
};
TRowCoordinates ReadRowCoordinates(const QString &row);

// What the locator, the distance calculator and tovral-tool say when a city's row holds no
// usable position.
extern const QString kCityNotLocatedMessage;

// The upper-case city names of a block, sorted, without repeats.
TSortedStrings StateCityNames(const TSortedStrings &cityRows, const TCityBlock &block);

// The key that finds a city's row: code TAB name TAB.
QString CityRowKey(const QString &code, const QString &name);
