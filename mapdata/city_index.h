#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mapdata/catalogue.h"

// Finding any city of the city catalogue from a few typed letters, as people type them:
// case and accents aside, from the start of the name or of any word in it, and forgiving a
// typing error or two. Built once from the sorted catalogue rows (CityRows); plain data,
// no collator work per query.

// A text as the search compares it: case and accents folded (the catalogue comparison
// weighs both below letters), blanks trimmed and runs of blanks made one, a hyphen read as a
// blank and an apostrophe dropped ("Olhos-d'Água" -> "olhos dagua"). WordStarts holds the
// position in Text where each word begins; the letters after an apostrophe begin a word too
// ("dagua" begins words at d and at a).
struct TFoldedText {
    std::u16string Text;
    std::vector<int32_t> WordStarts;
};
TFoldedText FoldCityText(const QString &text);

// Whether name begins with typed, case, accents and extra blanks aside. An empty typed text
// begins every name.
bool BeginsCityName(const QString &typed, const QString &name);

// How a name matches the typed text, best first.
enum class TMatchQuality : uint8_t {
    Exact,      // the whole name
    Prefix,     // the beginning of the name
    WordPrefix, // the beginning of a later word of the name ("preto": São José do Rio Preto)
    Typo,       // the beginning of the name or of a word, with up to two typing errors
};

struct TCitySuggestion {
    int32_t Row = -1;   // index in CityRows: the first row of this state and name
    QString Name;       // display form, as the city lists show it (CapitalizeName)
    QString UF;         // the row's state code, upper case
    TMatchQuality Quality = TMatchQuality::Exact;
    int Edits = 0;      // typing errors forgiven (Typo only)
};

// A suggestion as the search box lists it: "Campinas (SP)".
QString CitySuggestionText(const TCitySuggestion &suggestion);

struct TCityQuery {
    QString Text;                    // as typed
    QString PreferredUF;             // the current state: first among equals; "" for none
    std::optional<TCityBlock> Within; // only the rows of this block (one state's cities)
    int Limit = 8;                   // at most this many suggestions
};

// The optimal string alignment distance (insertions, deletions, substitutions and swaps of
// two adjacent letters, no letter edited twice) between typed and the closest beginning of
// text, when it is at most limit; limit + 1 otherwise. Gives up as soon as every alignment
// costs more than limit. limit is 0 to 2.
int PrefixEditDistance(std::u16string_view typed, std::u16string_view text, int limit);

class TCityIndex {
public:
    TCityIndex() = default;
    // Indexes every city of the sorted catalogue rows once per state and name (the first row,
    // which the city lists find). A row's town rank is its fourth field when the row has
    // fields after it besides its two coordinates (the data folder's builder writes the rank
    // there: a whole number from 0 to 5, the capital 5); otherwise the city ranks by name only.
    explicit TCityIndex(const TSortedStrings &cityRows);

    // The best suggestions for the typed text, best first: by match quality (exact, prefix,
    // word prefix, then typing errors, fewer first), then the higher town rank, then the
    // preferred state, then by name and state. Namesakes of every state appear, each with its
    // own state code. Typing errors forgiven: one for each typed word of 4 to 7 letters, two
    // for each longer word, never more than two in all; words of 3 letters or fewer must be
    // right. Empty for a blank text.
    std::vector<TCitySuggestion> Suggest(const TCityQuery &query) const;

    // Cities indexed.
    int Count() const { return int(FEntries.size()); }

private:
    struct TEntry {
        int32_t Row = 0;        // index in CityRows
        int32_t Order = 0;      // position in the order by name, then state
        uint32_t NameStart = 0; // the name as the row writes it: FNames[NameStart, + NameLength)
        uint32_t KeyStart = 0;  // the folded name: FKeys[KeyStart, + KeyLength)
        uint32_t WordsStart = 0; // its words: FWords[WordsStart, + Words)
        uint16_t NameLength = 0;
        uint16_t KeyLength = 0;
        uint16_t Words = 0;
        uint16_t State = 0;     // index in FStates
        uint8_t Rank = 0;       // town rank, 0 when the row has none
    };
    // A word of a folded name: where it begins, and one bit for each letter from there to the
    // name's end (LetterBit), for passing over names that lack too many typed letters.
    struct TWord {
        uint16_t Start = 0;
        uint32_t Letters = 0;
    };
    struct TCandidate;

    std::u16string_view Key(const TEntry &entry) const;
    TCitySuggestion Suggestion(const TCandidate &candidate) const;
    std::optional<TMatchQuality> ExactQuality(const TEntry &entry, std::u16string_view typed) const;
    int TypoEdits(const TEntry &entry, std::u16string_view typed, uint32_t typedLetters, int budget) const;

    std::vector<TEntry> FEntries; // in row order
    std::u16string FNames;
    std::u16string FKeys;
    std::vector<TWord> FWords;
    std::vector<QString> FStates;
    int FLongestKey = 0;
};
