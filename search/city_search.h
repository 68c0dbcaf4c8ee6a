#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "mapdata/catalogue.h"
#include "mapdata/coordinates.h"
#include "mapdata/city_index.h"

class QLineEdit;
class QListWidget;

// The pieces that the city locator of the map window and the two sides of the distance
// calculator share: an edit box whose typing moves the selection of a sorted city list.
// Entry i of the list is always the display form of entry i of the upper-case name list, so
// a position found among the names is a position in the list.

// Where the incremental search goes for a typed text: the first name not less than the text
// (upper-cased, blanks trimmed), Count() when it sorts after every name, or -1 when the
// trimmed text is empty and the selection is to stay.
int IncrementalSearchPosition(const TSortedStrings &names, const QString &typed);

// The position of a city's name (any letter case) among a state's upper-case names, -1
// when the state has no such name.
int CityNamePosition(const TSortedStrings &names, const QString &name);

// Where a calculator side's search goes: the incremental search's position when the name
// there begins with the typed text (case and accents aside); otherwise the position of the
// city of the state's block that the index matches best, when it matches one; otherwise the
// incremental search's position. -1 for a blank text, as IncrementalSearchPosition.
int MatchedCityPosition(const TSortedStrings &names, const QString &typed, const TCityIndex &index,
                        const TCityBlock &block);

// Selects row of list without raising the list's own signals; a row outside the entries (a
// text that sorts after every name) is refused and the selection stays.
void SelectCityEntry(QListWidget &list, int row);

// The text of the selected entry, or "" when none is selected.
QString SelectedCityText(const QListWidget &list);
bool HasSelectedCity(const QListWidget &list);

// Sets an edit box's text without running its change handler.
void SetTextQuietly(QLineEdit &edit, const QString &text);

// The row of CityRows that starts with code TAB name TAB for the selected entry, or -1 when
// no entry is selected or the catalogue has no such row.
int32_t SelectedCityRow(const QListWidget &list, const TSortedStrings &cityRows, const QString &code);

// Where the locator puts a city: the position of its catalogue row, or for Fernando de
// Noronha (upperName is the city's upper-case name) the fixed position of the maps' inset;
// nothing when a coordinate text of the row is missing or not a coordinate.
std::optional<TGeoPosition> LocatorPosition(const QString &row, const QString &upperName);

// The upper-case names of a state's cities and their display forms, in the same order.
void FillCityList(QListWidget &list, TSortedStrings &names, const TSortedStrings &cityRows,
                  const QString &code, const QString &nextCode);

// Hands every character typed into an edit box to a key-press handler before the box sees
// it. A handler that replaces the character by 0 swallows it: it is neither inserted nor
// passed on (so Enter does not reach a dialog's default button either); any other value lets
// the key through unchanged. Owned by the edit box.
class TKeyPressHook : public QObject {
    Q_OBJECT

public:
    using THandler = std::function<void(QChar &key)>;
    TKeyPressHook(QLineEdit *edit, THandler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *FEdit; // the box it serves, its parent
    THandler FHandler;
};

// The character code of Enter as a key-press handler receives it.
inline constexpr char16_t kEnterKey = u'\r';
