#pragma once

#include <QString>
#include <optional>

#include "mapdata/coordinates.h"

// Geographic positions as people type and read them.

// A position typed by a person: latitude then longitude, or in either order when both carry
// their hemisphere letter. Each coordinate is decimal degrees ("-23.5475"), degrees and
// minutes ("23 32.85") or degrees, minutes and seconds ("23°32'51\""), with the symbols
// °/º, ', " (or their typographic forms) or blanks between the parts, and a sign or one
// hemisphere letter before or after it: N or S for the latitude, E or L (leste), W or O
// (oeste) for the longitude, S and W/O being negative. The two coordinates stand apart by
// blanks, a comma or a semicolon: "-23.5475, -46.6361", "-23.5475 -46.6361",
// "23°32'51\"S 46°38'10\"W", "23 32 51 S 46 38 10 O". A decimal comma is read where the text
// holds no decimal point: "-23,5475 -46,6361". Minutes and seconds are below 60, and only the
// last part of a coordinate may have decimals; the latitude lies within 90 and the
// longitude within 180 degrees. Anything else, such as a city name with a number ("Rio 2"),
// is no position.
std::optional<TGeoPosition> ParseTypedPosition(const QString &text);

// A position in degrees, minutes and whole seconds (rounded) with its hemisphere letters,
// the latitude first and two blanks between: 23°32'51" S  46°38'10" W.
QString PositionDmsText(const TGeoPosition &position);

// A position in decimal degrees, '.' as the decimal point and six decimals (about 10 cm):
// -23.547500 -46.636100.
QString PositionDecimalText(const TGeoPosition &position);
