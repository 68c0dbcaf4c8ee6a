#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "mapdata/city_index.h"

class QLineEdit;
class QListWidget;

// The short list of cities of the whole country that opens under a city search box while
// the person types, one line "Campinas (SP)" each, best first. It is a frameless window
// that never takes the focus: the keys keep going to the box, which hands Down and Up
// (move through the list), Enter (choose the highlighted line) and Escape (close) to the
// list while it is open; every other key, and Enter with no line highlighted, does what
// the box does without the list. A click on a line chooses it too. The list closes when
// the box loses the focus, its window moves, changes size or state, is hidden or loses
// activation, and on Close. Owned by the box.
class TCitySuggestions : public QObject {
    Q_OBJECT

public:
    using TChoose = std::function<void(const TCitySuggestion &)>;
    // edit: the search box; index: the cities it suggests (it outlives the box); choose:
    // what choosing a line does (the list has closed by then).
    TCitySuggestions(QLineEdit &edit, const TCityIndex &index, TChoose choose);

    // Follows the box's text: the best suggestions for it, the current state first among
    // equals, or the list closed when the text is blank, begins selectedName (the name
    // the box's own search selected; case and accents aside) or matches no city.
    void Update(const QString &selectedName, const QString &currentUF);
    void Close();
    bool IsOpen() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool EditKeyPress(int key);
    void Highlight(int row);
    void Choose(int row);
    void Place();

    QLineEdit &FEdit;
    QListWidget *FList; // "lSugestoes", a window of its own, owned by the box's window
    const TCityIndex &FIndex;
    TChoose FChoose;
    std::vector<TCitySuggestion> FSuggestions; // what the list shows, line by line
};
