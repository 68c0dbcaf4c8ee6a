#include <gtest/gtest.h>

#include "mapdata/display_probe.h"
#include "mapdata/names.h"

// Words of three letters or more get a capital, shorter ones and the particles stay lower.
TEST(CapitalizeName, DisplayCaseOfCatalogueNames)
{
    EXPECT_EQ(CapitalizeName(QStringLiteral("RIO DE JANEIRO")), QStringLiteral("Rio de Janeiro"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("rio de janeiro")), QStringLiteral("Rio de Janeiro"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("rIo De JaNeIrO")), QStringLiteral("Rio de Janeiro"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("SÃO JOÃO DEL-REI")), QStringLiteral("São João Del-Rei"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("ÁGUAS DE LINDÓIA")), QStringLiteral("Águas de Lindóia"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("ÉDEN")), QStringLiteral("Éden"));
}

// The separator belongs to the word before it; an apostrophe is no separator.
TEST(CapitalizeName, SeparatorsAndShortWords)
{
    EXPECT_EQ(CapitalizeName(QStringLiteral("D'OESTE")), QStringLiteral("D'oeste"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("IJU")), QStringLiteral("Iju"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("UB")), QStringLiteral("ub"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("A")), QStringLiteral("a"));
    EXPECT_EQ(CapitalizeName(QString()), QString());
    // "LA-" has two letters besides the hyphen: it stays lower case.
    EXPECT_EQ(CapitalizeName(QStringLiteral("LA-BAS")), QStringLiteral("la-Bas"));
    // Two adjacent separators: the second forms a word of its own and stays as it is.
    EXPECT_EQ(CapitalizeName(QStringLiteral("SANTA  RITA")), QStringLiteral("Santa  Rita"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("PAU -- ALTO")), QStringLiteral("Pau -- Alto"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("BOM JESUS ")), QStringLiteral("Bom Jesus "));
    EXPECT_EQ(CapitalizeName(QStringLiteral("-")), QStringLiteral("-"));
}

// Casing works character by character: accented letters convert, nothing grows.
TEST(Casing, PerCharacterIncludingAccents)
{
    EXPECT_EQ(UpperCase(QStringLiteral("são joão ç")), QStringLiteral("SÃO JOÃO Ç"));
    EXPECT_EQ(LowerCase(QStringLiteral("ÁÉÍÓÚÂÊÔÃÕÇÜ")), QStringLiteral("áéíóúâêôãõçü"));
    EXPECT_EQ(UpperCase(QStringLiteral("straße")).size(), 6);
}

// Trimming removes TABs, CR and other control characters, not just blanks.
TEST(TrimBlanks, RemovesEveryCodeUpTo32AtBothEnds)
{
    EXPECT_EQ(TrimBlanks(QStringLiteral("\t \r\x01são paulo\n \x1f")), QStringLiteral("são paulo"));
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \t ")), QString());
    EXPECT_EQ(TrimBlanks(QStringLiteral("a b")), QStringLiteral("a b"));
}

namespace {
long double Dms(int degrees, int minutes, int seconds)
{
    return degrees + minutes / 60.0L + seconds / 3600.0L;
}

void ExpectParsed(const char *text, long double expected)
{
    const std::optional<long double> value = ParseDMS(QString::fromLatin1(text));
    ASSERT_TRUE(value) << text;
    EXPECT_NEAR(double(*value), double(expected), 1e-12) << text;
}
} // namespace

// Too-short texts are refused.
TEST(ParseDMS, ShortTextIsRejected)
{
    EXPECT_FALSE(ParseDMS(QStringLiteral("12345")));
    EXPECT_FALSE(ParseDMS(QStringLiteral("  1234 \t")));
    EXPECT_FALSE(ParseDMS(QString()));
}

// Digits count from the end; sign from the first character; blanks around are ignored.
TEST(ParseDMS, ReadsDegreesMinutesSecondsFromTheEnd)
{
    ExpectParsed("123456", Dms(12, 34, 56));
    ExpectParsed("-0464512", -Dms(46, 45, 12));
    ExpectParsed("  -233000\t", -23.5L);
    ExpectParsed("+223000", 22.5L);
    ExpectParsed("1000000", 0);  // only the last two degree digits count
    ExpectParsed("12AB56", Dms(12, 0, 56));  // a part that does not convert counts as 0
    ExpectParsed("abcdef", 0);
    // A sign glued to a one-digit degree is read as part of the degrees.
    ExpectParsed("-53000", -(-5 + 0.5L));
    ExpectParsed("12+156", 12 + 1 / 60.0L + 56 / 3600.0L);
}

// The 80-bit result: 30 minutes times the constant 1/60 is exactly one half.
TEST(ParseDMS, ExactHalfDegree)
{
    EXPECT_EQ(ParseDMS(QStringLiteral("-463000")), -46.5L);
}

// Depth to colour count; palette displays report 256 so the start-up check refuses them.
TEST(DisplayProbe, ColorCounts)
{
    EXPECT_EQ(PowerOfTwo(0), 1.0);
    EXPECT_EQ(PowerOfTwo(10), 1024.0);
    EXPECT_EQ(ColorCountForDepth(16), 65536.0);
    EXPECT_EQ(ColorCountForDepth(24), 16777216.0);
    EXPECT_EQ(ColorCountForDepth(32), 4294967296.0);
    EXPECT_EQ(ColorCountForDepth(8), 256.0);
    EXPECT_EQ(ColorCountForDepth(4), 16.0);
    EXPECT_EQ(ColorCountForDepth(1), 256.0);
    EXPECT_EQ(DisplayColorCount(nullptr), 16777216.0);
}
