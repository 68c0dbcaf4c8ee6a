// What a screen reader finds in the viewer's windows: each window walked through Qt's
// accessibility interfaces as assistive technology walks them (no bus needed), on the
// offscreen platform, against the small generated data folder. With TOVRAL_SHOW_NAMES set, the
// walk's list of controls and names is printed.
#include <QAccessible>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_area.h"
#include "dialogs/tovral_leg.h"
#include "dialogs/tovral_status.h"
#include "mapdata/app_path.h"
#include "search/tovral_distancias.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"

namespace {
// Roles of what only holds or separates other objects: a screen reader passes over them.
bool IsContainer(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Client:
    case QAccessible::Pane:
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::Grouping:
    case QAccessible::Separator:
    case QAccessible::Border:
    case QAccessible::Whitespace:
    case QAccessible::LayeredPane:
    case QAccessible::PageTabList:
        return true;
    default:
        return false;
    }
}

// What a screen reader says an object is. A choice box's accessible name is the entry it
// shows (so it on Linux): what it asks for is the label that names it.
QString SpokenName(QAccessibleInterface &node)
{
    if (node.role() != QAccessible::ComboBox)
        return node.text(QAccessible::Name);
    QStringList labels;
    for (const auto &[label, relation] : node.relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    return labels.join(QLatin1Char(' '));
}

// Walks the visible objects of windows as assistive technology does, listing each control with
// its role and the name a screen reader gives it.
class TAccessibleWalk {
public:
    void Window(QWidget *window)
    {
        FWindow = QString::fromLatin1(window->metaObject()->className());
        Walk(QAccessible::queryAccessibleInterface(window));
    }

    const QStringList &Lines() const { return FLines; }
    // "window: objectName (role)" of each visible control without a name.
    const QStringList &Unnamed() const { return FUnnamed; }

private:
    void Walk(QAccessibleInterface *node)
    {
        if (!node || node->state().invisible)
            return;
        const QString object = node->object() ? node->object()->objectName() : QString();
        const QString role = QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role()));
        const QString name = SpokenName(*node);
        if (!IsContainer(node->role())) {
            FLines << QStringLiteral("%1 %2 (%3): \"%4\"").arg(FWindow, object, role, name);
            if (name.trimmed().isEmpty())
                FUnnamed << QStringLiteral("%1: %2 (%3)").arg(FWindow, object, role);
        }
        for (int i = 0; i < node->childCount(); ++i)
            Walk(node->child(i));
    }

    QString FWindow;
    QStringList FLines;
    QStringList FUnnamed;
};

QAccessibleInterface &MapViewAccessible()
{
    return *QAccessible::queryAccessibleInterface(&MapControl<TViewImage>("Image"));
}
} // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FFolder;
    std::unique_ptr<TViewerWindows> FWindows;

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        WriteStandardTestFolder(FFolder.path());
        AppPath = FFolder.path() + QLatin1Char('/');
    }

    void cleanup() { FWindows.reset(); }

    // Guards against a control a screen reader can only call "button" or "edit": any visible
    // control of any window (controls added later included) that has no name.
    void everyVisibleControlOfEveryWindowHasAName()
    {
        TModalAnswers answers;
        TAccessibleWalk walk;
        FWindows = std::make_unique<TViewerWindows>();
        answers.Add([&walk](QWidget *picker) {
            walk.Window(picker);
            PickState(QStringLiteral("São Paulo"))(picker);
        });
        formTovralMain->show();
        QVERIFY(QTest::qWaitFor([] { return formTovralMain->Ready() && formTovralMain->isEnabled(); },
                                kViewerWaitMs));
        walk.Window(formTovralMain);

        answers.Add([&walk](QWidget *calculator) {
            walk.Window(calculator);
            Control<QPushButton>(*calculator, "Button2").click();
        });
        ClickButton("bCalcDist");
        answers.Add([&walk](QWidget *area) {
            walk.Window(area);
            Control<QPushButton>(*area, "bCancel").click();
        });
        formArea->SetQuestion(QStringLiteral("Escolha qual parte do mapa será gravada"));
        formArea->exec();

        ClickButton("bLegendas");
        QTabWidget &pages = Control<QTabWidget>(*formLegendas, "Pages");
        for (int page = 0; page < pages.count(); ++page) {
            pages.setCurrentIndex(page);
            walk.Window(formLegendas);
        }
        formStatus->SetStatusText(QStringLiteral("Aguarde. Carregando mapa..."));
        formStatus->show();
        walk.Window(formStatus);
        formStatus->hide();

        QVERIFY(answers.AllAnswered());
        if (qEnvironmentVariableIsSet("TOVRAL_SHOW_NAMES"))
            qInfo().noquote() << walk.Lines().join(QLatin1Char('\n'));
        QVERIFY2(walk.Unnamed().isEmpty(),
                 qPrintable(QStringLiteral("controls without a name: ") + walk.Unnamed().join(QStringLiteral("; "))));
    }

    // Guards against a map view that a screen reader cannot reach or that does not say what it
    // shows after a redraw: the state, the zoom and the city nearest the centre.
    void mapViewSaysWhatItShows()
    {
        TModalAnswers answers;
        FWindows = std::make_unique<TViewerWindows>();
        QCOMPARE(MapViewAccessible().text(QAccessible::Name), QStringLiteral("Mapa"));
        QVERIFY(ShowWithState(answers, QStringLiteral("São Paulo")));
        QAccessibleInterface &view = MapViewAccessible();
        QCOMPARE(view.role(), QAccessible::Graphic);
        QVERIFY(view.state().focusable);
        QVERIFY(view.text(QAccessible::Name).startsWith(QStringLiteral("Mapa: São Paulo, mapa inteiro, centro perto de ")));

        QLineEdit &search = MapControl<QLineEdit>("eCidade");
        search.setText(QStringLiteral("santos"));
        QTest::keyClick(&search, Qt::Key_Return);
        const QString atSantos = QStringLiteral("Mapa: São Paulo, zoom 100%, centro perto de Santos");
        QCOMPARE(view.text(QAccessible::Name), atSantos);
        QVERIFY(view.text(QAccessible::Description).startsWith(atSantos + QStringLiteral(". As setas")));
        SelectZoom(4);
        QCOMPARE(view.text(QAccessible::Name), QStringLiteral("Mapa: São Paulo, zoom 80%, centro perto de Santos"));
    }
};

int main(int argc, char *argv[])
{
    return RunViewerTests<TestAccessibleNames>(argc, argv);
}

#include "test_accessible_names.moc"
