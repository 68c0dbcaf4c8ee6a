#include <gtest/gtest.h>
#include <random>

#include "mapdata/city_index.h"

namespace {
// Code, name, town rank (5: the capital), as the data folder's builder writes the rows.
struct TTown {
    const char *UF;
    const char *Name;
    int Rank;
};
const TTown kTowns[] = {
    {"SP", "São Paulo", 5},           {"SP", "São José do Rio Preto", 3}, {"SP", "Ribeirão Preto", 4},
    {"SP", "Campinas", 4},            {"SP", "Presidente Prudente", 3},   {"RS", "Campinas do Sul", 1},
    {"PI", "Campinas do Piauí", 0},   {"GO", "Goiânia", 5},               {"PE", "Goiana", 2},
    {"MG", "Goianá", 0},              {"MG", "Ouro Preto", 2},            {"PI", "Bom Jesus", 1},
    {"RN", "Bom Jesus", 1},           {"RS", "Bom Jesus", 1},             {"BA", "Bom Jesus da Lapa", 3},
    {"PR", "Lapa", 2},                {"BA", "São Domingos", 1},          {"GO", "São Domingos", 0},
    {"PB", "Olho d'Água", 0},         {"BA", "Xique-Xique", 2},           {"RJ", "Rio de Janeiro", 5},
    {"RJ", "Rio Bonito", 2},
};

TSortedStrings Catalogue()
{
    QStringList rows;
    for (const TTown &town : kTowns)
        rows << QStringLiteral("%1\t%2\t9999999\t%3\t-233000\t-463000")
                    .arg(QLatin1String(town.UF), QString::fromUtf8(town.Name))
                    .arg(town.Rank);
    TSortedStrings sorted;
    sorted.Assign(rows);
    return sorted;
}

QStringList Suggestions(const TCityIndex &index, const QString &text, const QString &preferredUF = QString())
{
    TCityQuery query;
    query.Text = text;
    query.PreferredUF = preferredUF;
    QStringList lines;
    for (const TCitySuggestion &suggestion : index.Suggest(query))
        lines << CitySuggestionText(suggestion);
    return lines;
}

// The optimal string alignment distance of a and the closest beginning of b, the whole table
// computed: what the banded search must agree with.
int ReferencePrefixDistance(const std::u16string &a, const std::u16string &b)
{
    const size_t m = a.size(), n = b.size();
    std::vector<std::vector<int>> d(m + 1, std::vector<int>(n + 1));
    for (size_t i = 0; i <= m; ++i)
        d[i][0] = int(i);
    for (size_t j = 0; j <= n; ++j)
        d[0][j] = int(j);
    for (size_t i = 1; i <= m; ++i)
        for (size_t j = 1; j <= n; ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return *std::min_element(d[m].begin(), d[m].end());
}
} // namespace

// Guards against a search that minds accents, case or blanks, misses a word inside a name,
// forgives no typing error or a swap, ranks an error above a correct match or a small town
// above a large one, drops a namesake or ignores the current state.
TEST(CityIndex, FirstSuggestionTable)
{
    const TCityIndex index(Catalogue());
    const struct {
        const char *Typed;
        const char *Preferred;
        const char *First; // "" when nothing matches
    } cases[] = {
        {"sao jose do rio preto", "", "São José do Rio Preto (SP)"}, // accents missing
        {"  SÃO   JOSÉ ", "", "São José do Rio Preto (SP)"},       // case, blanks
        {"rio preto", "", "São José do Rio Preto (SP)"},           // words inside the name
        {"preto", "", "Ribeirão Preto (SP)"},                      // the larger town first
        {"goianya", "", "Goiânia (GO)"},                           // a substitution
        {"campinsa", "", "Campinas (SP)"},                         // a swap
        {"riberao prteo", "", "Ribeirão Preto (SP)"},              // two errors in long words
        {"goa", "", ""},                                           // no error in 3 letters
        {"sao", "", "São Paulo (SP)"},                             // the capital first
        {"lapa", "", "Lapa (PR)"},                                 // exact above word prefix
        {"pre", "", "Presidente Prudente (SP)"},                   // prefix above word prefix
        {"bom jesus", "", "Bom Jesus (PI)"},                       // namesakes by state
        {"bom jesus", "RS", "Bom Jesus (RS)"},                     // the current state first
        {"sao domingos", "GO", "São Domingos (BA)"},               // the larger town still first
        {"olho dagua", "", "Olho D'água (PB)"},                    // the apostrophe dropped
        {"agua", "", "Olho D'água (PB)"},                          // a word after it
        {"xique xique", "", "Xique-Xique (BA)"},                   // the hyphen a blank
        {"   ", "", ""},
    };
    for (const auto &row : cases) {
        const QStringList lines = Suggestions(index, QString::fromUtf8(row.Typed), QLatin1String(row.Preferred));
        EXPECT_EQ(lines.value(0), QString::fromUtf8(row.First)) << row.Typed << " / " << row.Preferred;
    }
}

// Guards against namesakes folded into one line, a state's duplicate rows shown twice, a row
// index that is not the row the city lists find, and more lines than asked for.
TEST(CityIndex, NamesakesOncePerStateWithTheirFirstRow)
{
    TSortedStrings rows = Catalogue();
    rows.Add(QStringLiteral("rs\tBOM JESUS\t1\t0\t-100000\t-100000"));
    const TCityIndex index(rows);
    EXPECT_EQ(Suggestions(index, QStringLiteral("bom jesus")),
              (QStringList{QStringLiteral("Bom Jesus (PI)"), QStringLiteral("Bom Jesus (RN)"),
                           QStringLiteral("Bom Jesus (RS)"), QStringLiteral("Bom Jesus da Lapa (BA)")}));
    TCityQuery query;
    query.Text = QStringLiteral("bom jesus");
    for (const TCitySuggestion &suggestion : index.Suggest(query))
        EXPECT_EQ(suggestion.Row, rows.Find(CityRowKey(suggestion.UF, suggestion.Name)));
    query.Limit = 2;
    EXPECT_EQ(index.Suggest(query).size(), 2u);
}

// Guards against a search of one state that offers another state's city.
TEST(CityIndex, WithinOneStatesBlock)
{
    const TSortedStrings rows = Catalogue();
    const TCityIndex index(rows);
    TCityQuery query;
    query.Text = QStringLiteral("bom jesus");
    query.Within = StateCityBlock(rows, QStringLiteral("RS"), QStringLiteral("SP"));
    const std::vector<TCitySuggestion> found = index.Suggest(query);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].UF, QStringLiteral("RS"));
}

// Guards against a rank read from the IBGE code (or a coordinate) of a catalogue written
// without ranks, where the cities rank by name alone.
TEST(CityIndex, CatalogueWithoutRanksRanksByName)
{
    TSortedStrings rows;
    rows.Assign({QStringLiteral("RJ\tRIO DE JANEIRO\t3304557\t-225400\t-431200"),
                 QStringLiteral("RJ\tRIO BONITO\t5\t-224300\t-423700"), QStringLiteral("RJ\tRIO CLARO\t-224300\t-4")});
    EXPECT_EQ(Suggestions(TCityIndex(rows), QStringLiteral("rio")),
              (QStringList{QStringLiteral("Rio Bonito (RJ)"), QStringLiteral("Rio Claro (RJ)"),
                           QStringLiteral("Rio de Janeiro (RJ)")}));
}

// Guards against a banded, early-ending distance that disagrees with the whole table: a
// diagonal left out, a stale cell read, a swap counted wrong, a bound passed, a long text
// overrunning the rows.
TEST(PrefixEditDistance, AgreesWithTheWholeTable)
{
    std::mt19937 random(24);
    std::uniform_int_distribution<int> letter(0, 2), length(0, 9);
    const auto word = [&] {
        std::u16string text(size_t(length(random)), u'a');
        for (char16_t &c : text)
            c = char16_t(u'a' + letter(random));
        return text;
    };
    for (int trial = 0; trial < 20000; ++trial) {
        const std::u16string typed = word(), text = word();
        const int limit = trial % 3;
        const int expected = std::min(ReferencePrefixDistance(typed, text), limit + 1);
        ASSERT_EQ(PrefixEditDistance(typed, text, limit), expected)
            << QString::fromStdU16String(typed).toStdString() << " / " << QString::fromStdU16String(text).toStdString()
            << " limit " << limit;
    }
    // Texts longer than the rows kept on the stack.
    std::u16string text(300, u'a'), typed = text;
    typed[150] = u'b';
    EXPECT_EQ(PrefixEditDistance(typed, text, 2), 1);
    EXPECT_EQ(PrefixEditDistance(typed + u"bbb", text, 2), 3);
}
