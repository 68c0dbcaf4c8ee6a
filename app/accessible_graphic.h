#pragma once

#include <QAccessible>
#include <QString>

class QMetaObject;

// Makes the widgets of a class (and of its subclasses that do not say otherwise) appear to
// assistive technology as graphics: pictures named by their accessibleName, focusable when
// their focus policy lets them take the focus. Plain widgets are otherwise panels, which
// screen readers pass over. Call once the application object exists; calling it again for the
// same class changes nothing.
void ShowAsGraphic(const QMetaObject &widgetClass);

// A graphic widget (ShowAsGraphic) whose name and description cost work to tell: assistive
// technology asks it for them when it reads them, instead of the widget keeping them current
// for nobody.
class TSpokenGraphic {
public:
    virtual ~TSpokenGraphic() = default;
    // The text of that kind a screen reader reads (QAccessible::Name or Description); a null
    // string leaves the widget's accessibleName or accessibleDescription to be read. Must not
    // throw.
    virtual QString SpokenText(QAccessible::Text kind) const = 0;
};
