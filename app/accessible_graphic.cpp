#include "app/accessible_graphic.h"

#include <QAccessibleWidget>
#include <QSet>
#include <QString>
#include <QWidget>

namespace {
QSet<QString> &GraphicClasses()
{
    static QSet<QString> classes;
    return classes;
}

// Qt's factory for the registered classes; nullptr leaves an object to Qt's own interfaces.
QAccessibleInterface *GraphicAccessible(const QString &className, QObject *object) noexcept
{
    if (!object || !object->isWidgetType() || !GraphicClasses().contains(className))
        return nullptr;
    try {
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    } catch (...) {
        return nullptr; // without memory for it, the widget stays a plain panel
    }
}
} // namespace

void ShowAsGraphic(const QMetaObject &widgetClass)
{
    if (GraphicClasses().isEmpty())
        QAccessible::installFactory(GraphicAccessible);
    GraphicClasses().insert(QString::fromLatin1(widgetClass.className()));
}
