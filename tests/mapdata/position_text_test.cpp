#include <gtest/gtest.h>

#include "mapdata/position_text.h"

// Guards against typed positions read wrongly (a hemisphere, a unit or a decimal comma
// misread, latitude and longitude swapped) and against a city search taken for a position:
// each accepted form gives the place a person meant; names with numbers, lone numbers,
// out-of-range values and mixed-up units are no position.
TEST(ParseTypedPosition, ReadsWhatPeopleTypeAndNothingElse)
{
    const long double sePaulo = -(23 + 32 / 60.0L + 51 / 3600.0L), sePauloLon = -(46 + 38 / 60.0L + 10 / 3600.0L);
    const struct {
        const char *text;
        long double latitude, longitude;
    } accepted[] = {
        {"-23.5475, -46.6361", -23.5475L, -46.6361L},
        {"-23.5475 -46.6361", -23.5475L, -46.6361L},
        {"-23.5475,-46.6361", -23.5475L, -46.6361L},
        {"  -23.5475;-46.6361 ", -23.5475L, -46.6361L},
        {"-23,5475 -46,6361", -23.5475L, -46.6361L},
        {"-23,5475, -46,6361", -23.5475L, -46.6361L},
        {"23°32'51\"S 46°38'10\"W", sePaulo, sePauloLon},
        {"23º32’51” S, 46º38’10” O", sePaulo, sePauloLon},
        {"23 32 51 S 46 38 10 W", sePaulo, sePauloLon},
        {"S 23 32 51 O 46 38 10", sePaulo, sePauloLon},
        {"s23°32'51'' w46°38'10''", sePaulo, sePauloLon},
        {"-23 32 51 -46 38 10", sePaulo, sePauloLon},
        {"23 32 51 46 38 10", -sePaulo, -sePauloLon},
        {"46°38'10\"W 23°32'51\"S", sePaulo, sePauloLon}, // letters decide which is which
        {"23°32.85'S 46°38.1667'W", -(23 + 32.85L / 60), -(46 + 38.1667L / 60)},
        {"3.5 N 60 L", 3.5L, 60},
        {"-90 180", -90, 180},
    };
    for (const auto &c : accepted) {
        const std::optional<TGeoPosition> position = ParseTypedPosition(QString::fromUtf8(c.text));
        ASSERT_TRUE(position) << c.text;
        EXPECT_NEAR(double(position->Latitude), double(c.latitude), 1e-9) << c.text;
        EXPECT_NEAR(double(position->Longitude), double(c.longitude), 1e-9) << c.text;
    }
    for (const char *text : {"Rio 2", "São José 3", "Santos", "2", "-23.5", "23,46", "", "S 23", "N 2 S 3",
                             "23°32'S 46°38'S", "-23 S 46 W", "23 60 S 46 10 W", "23.5 30 S 46 W",
                             "91 45", "10 181", "23 32' 46", "- 23 46", "23 46 10", "23 46 sul",
                             "1, 2, 3", "23°32'51\"51 S 46 W", "12AB56 10"})
        EXPECT_FALSE(ParseTypedPosition(QString::fromUtf8(text))) << text;
}

// Guards against a position written with the wrong hemisphere or a rounding that gives 60
// seconds: the catalogue's way, degrees, minutes and whole seconds with S/W or N/E.
TEST(PositionText, DegreesMinutesSecondsAndDecimal)
{
    EXPECT_EQ(PositionDmsText({-(23 + 32 / 60.0L + 51 / 3600.0L), -(46 + 38 / 60.0L + 10 / 3600.0L)}),
              QString::fromUtf8("23°32'51\" S  46°38'10\" W"));
    EXPECT_EQ(PositionDmsText({2.99999L, 0.5L}), QString::fromUtf8("3°00'00\" N  0°30'00\" E"));
    EXPECT_EQ(PositionDmsText({-0.00001L, -7.25L}), QString::fromUtf8("0°00'00\" N  7°15'00\" W"));
    EXPECT_EQ(PositionDecimalText({-23.5475L, -46.6361L}), QStringLiteral("-23.547500 -46.636100"));
}
