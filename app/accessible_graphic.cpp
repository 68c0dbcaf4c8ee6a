#include "app/accessible_graphic.h"

#include <QAccessibleWidget>
#include <QSet>
#include <QWidget>

namespace {
QSet<QString> &GraphicClasses()
{
    static QSet<QString> classes;
    return classes;
}

// A graphic that reads its name and description from the widget when it is a TSpokenGraphic.
class TGraphicAccessible : public QAccessibleWidget {
public:
    explicit TGraphicAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Graphic) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name || kind == QAccessible::Description)
            if (const auto *spoken = dynamic_cast<const TSpokenGraphic *>(widget()))
                if (const QString text = spoken->SpokenText(kind); !text.isNull())
                    return text;
        return QAccessibleWidget::text(kind);
    }
};

// Qt's factory for the registered classes; nullptr leaves an object to Qt's own interfaces.
QAccessibleInterface *GraphicAccessible(const QString &className, QObject *object) noexcept
{
    if (!object || !object->isWidgetType() || !GraphicClasses().contains(className))
        return nullptr;
    try {
        return new TGraphicAccessible(static_cast<QWidget *>(object));
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
