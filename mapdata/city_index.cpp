#include "mapdata/city_index.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <numeric>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>

#include "mapdata/names.h"

namespace {
// What FoldUnit makes of a character besides a folded letter.
constexpr char16_t kDropped = 0;        // an accent on its own: nothing
constexpr char16_t kBlank = u' ';       // a blank, a control character or a dash
constexpr char16_t kWordJoint = 0xFFFF; // an apostrophe: nothing, but a word begins after it

// Names longer than this are not indexed: nobody types them (the search boxes take 200
// characters) and no city has one.
constexpr qsizetype kMaxIndexedName = 200;

// The folded form of a character: its base letter without accents (canonical
// decomposition), case-folded.
char16_t FoldLetter(char16_t c)
{
    if (u_getCombiningClass(c) != 0 || u_charType(c) == U_NON_SPACING_MARK)
        return kDropped;
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2 *nfd = unorm2_getNFDInstance(&status);
    UChar decomposed[8];
    const int32_t length = U_SUCCESS(status) ? unorm2_getDecomposition(nfd, c, decomposed, 8, &status) : -1;
    const UChar32 base = length > 0 && U_SUCCESS(status) && !U16_IS_SURROGATE(decomposed[0]) ? decomposed[0] : c;
    const UChar32 folded = u_foldCase(base, U_FOLD_CASE_DEFAULT);
    return folded <= 0xFFFF ? char16_t(folded) : c;
}

char16_t FoldUnitUncached(char16_t c)
{
    if (c <= 32 || c == 0xA0 || c == u'-' || (c >= 0x2010 && c <= 0x2015))
        return kBlank;
    if (c == u'\'' || c == u'`' || c == 0xB4 || c == 0x2018 || c == 0x2019)
        return kWordJoint;
    if (U16_IS_SURROGATE(c))
        return c;
    return FoldLetter(c);
}

// Latin-1 and Latin Extended-A and B cover every catalogue name: their folded forms are
// computed once.
constexpr char16_t kTabledUnits = 0x250;
const std::array<char16_t, kTabledUnits> &FoldTable()
{
    static const std::array<char16_t, kTabledUnits> table = [] {
        std::array<char16_t, kTabledUnits> folded{};
        for (char16_t c = 0; c < kTabledUnits; ++c)
            folded[c] = FoldUnitUncached(c);
        return folded;
    }();
    return table;
}

char16_t FoldUnit(char16_t c)
{
    return c < kTabledUnits ? FoldTable()[c] : FoldUnitUncached(c);
}

// One bit per folded letter a to z, and one shared by every other character: a text that
// lacks the letters of another needs at least one edit per letter lacking.
uint32_t LetterBit(char16_t c)
{
    return c >= u'a' && c <= u'z' ? 1u << (c - u'a') : 1u << 26;
}

uint32_t LetterBits(std::u16string_view text)
{
    uint32_t bits = 0;
    for (const char16_t c : text)
        if (c != kBlank)
            bits |= LetterBit(c);
    return bits;
}

// Whether more than count bits are set (count is small).
bool MoreBitsThan(uint32_t bits, int count)
{
    for (int i = 0; i <= count; ++i) {
        if (bits == 0)
            return false;
        bits &= bits - 1;
    }
    return true;
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// What the index reads from a catalogue row.
struct TRowFields {
    QStringView UF;
    QStringView Name;
    int Rank = 0;
};

// The state code (field 1), the name (field 2; empty without a second TAB) and the town rank:
// field 4 of a row that has at least six fields, a whole number from 0 to 5. Anything else
// there ranks 0, as every reader ignores the fields between a name and its coordinates.
TRowFields SplitRow(const QString &row)
{
    TRowFields fields;
    std::array<qsizetype, 5> tabs{};
    int found = 0;
    for (qsizetype at = row.indexOf(QLatin1Char('\t')); at >= 0 && found < 5; at = row.indexOf(QLatin1Char('\t'), at + 1))
        tabs[size_t(found++)] = at;
    if (found < 2)
        return fields;
    fields.UF = QStringView(row).left(tabs[0]);
    fields.Name = QStringView(row).mid(tabs[0] + 1, tabs[1] - tabs[0] - 1);
    if (found == 5) {
        const QStringView rank = QStringView(row).mid(tabs[2] + 1, tabs[3] - tabs[2] - 1);
        if (rank.size() == 1 && rank[0] >= u'0' && rank[0] <= u'5')
            fields.Rank = rank[0].unicode() - u'0';
    }
    return fields;
}

// Typing errors forgiven in a folded text (see TCityIndex::Suggest).
int TypoBudget(std::u16string_view foldedText)
{
    int budget = 0;
    size_t wordStart = 0;
    while (wordStart <= foldedText.size()) {
        size_t wordEnd = foldedText.find(kBlank, wordStart);
        if (wordEnd == std::u16string_view::npos)
            wordEnd = foldedText.size();
        const size_t letters = wordEnd - wordStart;
        budget += letters >= 8 ? 2 : letters >= 4 ? 1 : 0;
        wordStart = wordEnd + 1;
    }
    return std::min(budget, 2);
}
} // namespace

TFoldedText FoldCityText(const QString &text)
{
    TFoldedText folded;
    folded.Text.reserve(size_t(text.size()));
    bool wordBegins = true;
    for (const QChar character : text) {
        const char16_t c = FoldUnit(character.unicode());
        if (c == kDropped)
            continue;
        if (c == kWordJoint) {
            wordBegins = true;
            continue;
        }
        if (c == kBlank) {
            if (!folded.Text.empty() && folded.Text.back() != kBlank)
                folded.Text.push_back(kBlank);
            wordBegins = true;
            continue;
        }
        if (wordBegins)
            folded.WordStarts.push_back(int32_t(folded.Text.size()));
        wordBegins = false;
        folded.Text.push_back(c);
    }
    if (!folded.Text.empty() && folded.Text.back() == kBlank)
        folded.Text.pop_back();
    return folded;
}

bool BeginsCityName(const QString &typed, const QString &name)
{
    return StartsWith(FoldCityText(name).Text, FoldCityText(typed).Text);
}

QString CitySuggestionText(const TCitySuggestion &suggestion)
{
    return QStringLiteral("%1 (%2)").arg(suggestion.Name, suggestion.UF);
}

int PrefixEditDistance(std::u16string_view typed, std::u16string_view text, int limit)
{
    // Rows i (typed letters used) of the distance table, banded to the diagonals within
    // limit of i (every other cell is beyond limit); column j counts letters of text. Only
    // the beginning of text that limit insertions can reach counts.
    const int beyond = limit + 1;
    const int m = int(typed.size());
    const int n = std::min(int(text.size()), m + limit);
    if (n < m - limit)
        return beyond;
    // Three rows; on the stack for every name (a longer text takes the heap).
    constexpr int kStackColumns = 256;
    std::array<uint8_t, 3 * kStackColumns> stackRows;
    std::vector<uint8_t> heapRows;
    uint8_t *table = stackRows.data();
    if (n + 1 > kStackColumns) {
        heapRows.resize(3 * size_t(n + 1));
        table = heapRows.data();
    }
    // A row is written from the left edge of its band to its right edge; the cells right of
    // it keep this first value, beyond, in every row that reads them.
    std::fill(table, table + 3 * (n + 1), uint8_t(beyond));
    uint8_t *before = table;              // row i - 2
    uint8_t *previous = before + n + 1;   // row i - 1
    uint8_t *current = previous + n + 1;  // row i
    for (int j = 0; j <= std::min(n, limit); ++j)
        previous[j] = uint8_t(j);
    for (int i = 1; i <= m; ++i) {
        const int first = std::max(1, i - limit);
        const int last = std::min(n, i + limit);
        current[first - 1] = uint8_t(first == 1 ? std::min(i, beyond) : beyond);
        int rowBest = current[first - 1];
        for (int j = first; j <= last; ++j) {
            const char16_t letter = typed[size_t(i - 1)];
            int cost = std::min({previous[j] + 1, current[j - 1] + 1,
                                 previous[j - 1] + (letter == text[size_t(j - 1)] ? 0 : 1)});
            if (i > 1 && j > 1 && letter == text[size_t(j - 2)] && typed[size_t(i - 2)] == text[size_t(j - 1)])
                cost = std::min(cost, before[j - 2] + 1);
            current[j] = uint8_t(std::min(cost, beyond));
            rowBest = std::min(rowBest, int(current[j]));
        }
        if (rowBest > limit)
            return beyond;
        std::swap(before, previous);
        std::swap(previous, current);
    }
    // previous is row m: the best beginning of text within the band.
    int best = beyond;
    for (int j = std::max(0, m - limit); j <= std::min(n, m + limit); ++j)
        best = std::min(best, int(previous[j]));
    return best;
}

// ---------------------------------------------------------------------------------------
// TCityIndex
// ---------------------------------------------------------------------------------------

struct TCityIndex::TCandidate {
    const TEntry *Entry = nullptr;
    TMatchQuality Quality = TMatchQuality::Exact;
    int Edits = 0;
    bool Preferred = false;
};

TCityIndex::TCityIndex(const TSortedStrings &cityRows)
{
    QHash<QString, int> stateIds;
    std::vector<QSet<QString>> namesOfState; // upper-case names already indexed, per state
    std::vector<QByteArray> nameKeys;        // per entry, its name's CatalogueSortKey
    QStringView rowUF;                       // the state code as the last row wrote it
    int state = -1;
    for (int row = 0; row < cityRows.Count(); ++row) {
        const TRowFields fields = SplitRow(cityRows[row]);
        if (fields.Name.isEmpty() || fields.Name.size() > kMaxIndexedName)
            continue;
        // The rows are sorted: a state's rows follow each other.
        if (state < 0 || fields.UF != rowUF) {
            rowUF = fields.UF;
            const QString uf = UpperCase(fields.UF.toString());
            auto known = stateIds.find(uf);
            if (known == stateIds.end()) {
                known = stateIds.insert(uf, int(FStates.size()));
                FStates.push_back(uf);
                namesOfState.emplace_back();
            }
            state = *known;
        }
        const QString name = fields.Name.toString();
        // A state's list shows a name once; its row is the first one in catalogue order.
        const QString upperName = UpperCase(name);
        QSet<QString> &seen = namesOfState[size_t(state)];
        if (seen.contains(upperName))
            continue;
        seen.insert(upperName);
        const TFoldedText folded = FoldCityText(name);
        if (folded.Text.empty())
            continue;
        TEntry entry;
        entry.Row = row;
        entry.State = uint16_t(state);
        entry.Rank = uint8_t(fields.Rank);
        entry.NameStart = uint32_t(FNames.size());
        entry.NameLength = uint16_t(name.size());
        FNames.append(reinterpret_cast<const char16_t *>(name.utf16()), size_t(name.size()));
        entry.KeyStart = uint32_t(FKeys.size());
        entry.KeyLength = uint16_t(folded.Text.size());
        FKeys += folded.Text;
        entry.WordsStart = uint32_t(FWords.size());
        entry.Words = uint16_t(folded.WordStarts.size());
        for (const int32_t start : folded.WordStarts)
            FWords.push_back({uint16_t(start), LetterBits(std::u16string_view(folded.Text).substr(size_t(start)))});
        FLongestKey = std::max(FLongestKey, int(folded.Text.size()));
        FEntries.push_back(entry);
        nameKeys.push_back(CatalogueSortKey(name));
    }
    // The order by name (the catalogue comparison), then state.
    std::vector<int> byName(FEntries.size());
    std::iota(byName.begin(), byName.end(), 0);
    std::sort(byName.begin(), byName.end(), [this, &nameKeys](int a, int b) {
        if (nameKeys[size_t(a)] != nameKeys[size_t(b)])
            return nameKeys[size_t(a)] < nameKeys[size_t(b)];
        return FStates[FEntries[size_t(a)].State] < FStates[FEntries[size_t(b)].State];
    });
    for (size_t position = 0; position < byName.size(); ++position)
        FEntries[size_t(byName[position])].Order = int32_t(position);
}

std::u16string_view TCityIndex::Key(const TEntry &entry) const
{
    return std::u16string_view(FKeys).substr(entry.KeyStart, entry.KeyLength);
}

std::optional<TMatchQuality> TCityIndex::ExactQuality(const TEntry &entry, std::u16string_view typed) const
{
    const std::u16string_view key = Key(entry);
    for (uint32_t word = 0; word < entry.Words; ++word) {
        const size_t start = FWords[entry.WordsStart + word].Start;
        if (key[start] != typed[0] || !StartsWith(key.substr(start), typed))
            continue;
        if (word > 0)
            return TMatchQuality::WordPrefix;
        return key.size() == typed.size() ? TMatchQuality::Exact : TMatchQuality::Prefix;
    }
    return std::nullopt;
}

int TCityIndex::TypoEdits(const TEntry &entry, std::u16string_view typed, uint32_t typedLetters, int budget) const
{
    const std::u16string_view key = Key(entry);
    int best = budget + 1;
    for (uint32_t word = 0; word < entry.Words && best > 0; ++word) {
        const TWord &from = FWords[entry.WordsStart + word];
        // Each typed letter that the rest of the name lacks costs an edit; later words lack
        // at least as many.
        if (MoreBitsThan(typedLetters & ~from.Letters, budget))
            break;
        best = std::min(best, PrefixEditDistance(typed, key.substr(from.Start), std::min(budget, best)));
    }
    return best;
}

TCitySuggestion TCityIndex::Suggestion(const TCandidate &candidate) const
{
    const TEntry &entry = *candidate.Entry;
    TCitySuggestion suggestion;
    suggestion.Row = entry.Row;
    const QString name = QString::fromUtf16(FNames.data() + entry.NameStart, entry.NameLength);
    suggestion.Name = CapitalizeName(UpperCase(name));
    suggestion.UF = FStates[entry.State];
    suggestion.Quality = candidate.Quality;
    suggestion.Edits = candidate.Edits;
    return suggestion;
}

std::vector<TCitySuggestion> TCityIndex::Suggest(const TCityQuery &query) const
{
    const std::u16string typed = FoldCityText(query.Text).Text;
    // A text longer than every name by more than two letters matches none, not even with errors.
    if (typed.empty() || int(typed.size()) > FLongestKey + 2 || query.Limit <= 0)
        return {};
    auto first = FEntries.begin();
    auto end = FEntries.end();
    if (query.Within) {
        const auto rowLess = [](const TEntry &entry, int32_t row) { return entry.Row < row; };
        first = std::lower_bound(FEntries.begin(), FEntries.end(), query.Within->First, rowLess);
        end = std::lower_bound(first, FEntries.end(), std::max(query.Within->First, query.Within->End), rowLess);
    }
    const auto preferred = std::find(FStates.begin(), FStates.end(), UpperCase(query.PreferredUF));
    const int preferredState = preferred == FStates.end() ? -1 : int(preferred - FStates.begin());

    std::vector<TCandidate> candidates;
    std::vector<const TEntry *> others;
    for (auto entry = first; entry != end; ++entry) {
        if (const std::optional<TMatchQuality> quality = ExactQuality(*entry, typed))
            candidates.push_back({&*entry, *quality, 0, false});
        else
            others.push_back(&*entry);
    }
    // Errors are looked for only when the correct matches leave room: they rank below them.
    const int budget = TypoBudget(typed);
    if (int(candidates.size()) < query.Limit && budget > 0) {
        const uint32_t typedLetters = LetterBits(typed);
        for (const TEntry *entry : others) {
            const int edits = TypoEdits(*entry, typed, typedLetters, budget);
            if (edits <= budget)
                candidates.push_back({entry, TMatchQuality::Typo, edits, false});
        }
    }
    for (TCandidate &candidate : candidates)
        candidate.Preferred = candidate.Entry->State == preferredState;

    const auto better = [](const TCandidate &a, const TCandidate &b) {
        if (a.Quality != b.Quality)
            return a.Quality < b.Quality;
        if (a.Edits != b.Edits)
            return a.Edits < b.Edits;
        if (a.Entry->Rank != b.Entry->Rank)
            return a.Entry->Rank > b.Entry->Rank;
        if (a.Preferred != b.Preferred)
            return a.Preferred;
        return a.Entry->Order < b.Entry->Order;
    };
    const size_t shown = std::min(candidates.size(), size_t(query.Limit));
    std::partial_sort(candidates.begin(), candidates.begin() + qsizetype(shown), candidates.end(), better);
    std::vector<TCitySuggestion> suggestions;
    suggestions.reserve(shown);
    for (size_t i = 0; i < shown; ++i)
        suggestions.push_back(Suggestion(candidates[i]));
    return suggestions;
}
