#include "search/city_search.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "app/error_report.h"
#include "mapdata/coordinates.h"
#include "mapdata/names.h"

namespace {
// Fernando de Noronha is drawn far from the mainland on the state's map; its fixed position
// replaces the catalogue's when it is located.
const QString kFixedPositionCity = QStringLiteral("FERNANDO DE NORONHA");
} // namespace

int IncrementalSearchPosition(const TSortedStrings &names, const QString &typed)
{
    const QString key = TrimBlanks(UpperCase(typed));
    if (key.isEmpty())
        return -1;
    return names.Find(key);
}

int CityNamePosition(const TSortedStrings &names, const QString &name)
{
    const QString upper = UpperCase(name);
    const int position = names.Find(upper);
    return position < names.Count() && CatalogueCompare(names[position], upper) == 0 ? position : -1;
}

int MatchedCityPosition(const TSortedStrings &names, const QString &typed, const TCityIndex &index,
                        const TCityBlock &block)
{
    const int position = IncrementalSearchPosition(names, typed);
    if (position < 0 || (position < names.Count() && BeginsCityName(typed, names[position])))
        return position;
    TCityQuery query;
    query.Text = typed;
    query.Within = block;
    query.Limit = 1;
    const std::vector<TCitySuggestion> best = index.Suggest(query);
    const int matched = best.empty() ? -1 : CityNamePosition(names, best.front().Name);
    return matched >= 0 ? matched : position;
}

void SelectCityEntry(QListWidget &list, int row)
{
    if (row < 0 || row >= list.count() || row == list.currentRow())
        return;
    const QSignalBlocker quiet(list);
    list.setCurrentRow(row);
}

bool HasSelectedCity(const QListWidget &list)
{
    const int row = list.currentRow();
    return row >= 0 && row < list.count();
}

QString SelectedCityText(const QListWidget &list)
{
    return HasSelectedCity(list) ? list.item(list.currentRow())->text() : QString();
}

void SetTextQuietly(QLineEdit &edit, const QString &text)
{
    const QSignalBlocker quiet(edit);
    edit.setText(text);
}

int32_t SelectedCityRow(const QListWidget &list, const TSortedStrings &cityRows, const QString &code)
{
    if (!HasSelectedCity(list))
        return -1;
    return cityRows.Find(CityRowKey(code, SelectedCityText(list)));
}

std::optional<TGeoPosition> LocatorPosition(const QString &row, const QString &upperName)
{
    const TRowCoordinates texts = ReadRowCoordinates(row);
    if (texts.Latitude.isEmpty() || texts.Longitude.isEmpty())
        return std::nullopt;
    const std::optional<long double> latitude = ParseDMS(texts.Latitude);
    const std::optional<long double> longitude = ParseDMS(texts.Longitude);
    if (!latitude || !longitude)
        return std::nullopt;
    if (upperName == kFixedPositionCity)
        return TGeoPosition{kNoronhaFixedLatitude, kNoronhaFixedLongitude};
    return TGeoPosition{*latitude, *longitude};
}

void FillCityList(QListWidget &list, TSortedStrings &names, const TSortedStrings &cityRows,
                  const QString &code, const QString &nextCode)
{
    const QSignalBlocker quiet(list);
    list.clear();
    names = StateCityNames(cityRows, StateCityBlock(cityRows, code, nextCode));
    for (const QString &name : names.Items())
        list.addItem(CapitalizeName(name));
}

TKeyPressHook::TKeyPressHook(QLineEdit *edit, THandler handler)
    : QObject(edit), FEdit(edit), FHandler(std::move(handler))
{
    edit->installEventFilter(this);
}

bool TKeyPressHook::eventFilter(QObject *watched, QEvent *event)
{
    // A key whose handler failed counts as taken: the box does not act on it as well.
    return RunReported(FEdit->window(), true, [&] {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *press = static_cast<QKeyEvent *>(event);
        // Enter arrives as a key without text on some platforms; it is carriage return here.
        const bool enter = press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter;
        if (!enter && press->text().size() != 1)
            return false;
        QChar key = enter ? QChar(kEnterKey) : press->text().front();
        FHandler(key);
        return key.isNull();
    });
}
