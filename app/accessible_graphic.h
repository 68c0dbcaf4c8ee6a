#pragma once

class QMetaObject;

// Makes the widgets of a class (and of its subclasses that do not say otherwise) appear to
// assistive technology as graphics: pictures named by their accessibleName, focusable when
// their focus policy lets them take the focus. Plain widgets are otherwise panels, which
// screen readers pass over. Call once the application object exists; calling it again for the
// same class changes nothing.
void ShowAsGraphic(const QMetaObject &widgetClass);
