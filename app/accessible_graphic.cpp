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

QAccessibleInterface *GraphicAccessible(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType() || !GraphicClasses().contains(className))
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
}
} // namespace

void ShowAsGraphic(const QMetaObject &widgetClass)
{
    if (GraphicClasses().isEmpty())
        QAccessible::installFactory(GraphicAccessible);
    GraphicClasses().insert(QString::fromLatin1(widgetClass.className()));
}
