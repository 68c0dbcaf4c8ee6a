// The city locator and the distance calculator driven as a user drives them, on the
// offscreen platform, against a generated data folder.
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/tovral_main.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "mapdata/names.h"
#include "search/road_answer.h"
#include "search/tovral_distancias.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"
#include "tools/mkdata/road_network_builder.h"
#include "tools/pts_writer.h"
#include "tools/road_network_writer.h"

namespace {
const QString kNotLocated = QStringLiteral("Coordenadas da cidade não localizadas");

// States in file order; TO has no cities, XX a single reference point (nothing can be
// placed), AM only the catalogue rows of the equator cases.
const QStringList kStates = {
    QStringLiteral("SP=São Paulo"),  QStringLiteral("PE=Pernambuco"), QStringLiteral("RJ=Rio de Janeiro"),
    QStringLiteral("TO=Tocantins"),  QStringLiteral("XX=Sem Pontos"), QStringLiteral("AM=Amazonas"),
};
const QStringList kCities = {
    QStringLiteral("SP\tSÃO PAULO\t-233000\t-463000"),
    QStringLiteral("SP\tSANTOS\t-235700\t-461950"),
    QStringLiteral("SP\tSÃO BENTO DO SAPUCAÍ\t-224120\t-454350"),
    QStringLiteral("SP\tCAMPINAS\t-225420\t-470340"),
    QStringLiteral("SP\tCOORDENADA CURTA\t-2330\t-4630"),
    QStringLiteral("SP\tCOORDENADA VAZIA\t-233000\t"),
    QStringLiteral("PE\tFERNANDO DE NORONHA\t-035100\t-322500"),
    QStringLiteral("PE\tRECIFE\t-080300\t-345300"),
    QStringLiteral("RJ\tRIO DE JANEIRO\t-223000\t-430000"),
    QStringLiteral("XX\tCIDADE PERDIDA\t-233000\t-463000"),
    QStringLiteral("AM\tEQUADOR ZERO\t000000\t000000"),
    QStringLiteral("AM\tEQUADOR NOVENTA\t000000\t-900000"),
};

QString SelectedEntry(const QListWidget &list)
{
    return list.currentItem() ? list.currentItem()->text() : QString();
}

// The full-map point of a catalogue row, through the loaded reference points.
QPoint RowPoint(const QString &row)
{
    const TRowCoordinates texts = ReadRowCoordinates(row);
    const std::optional<long double> lat = ParseDMS(texts.Latitude);
    const std::optional<long double> lon = ParseDMS(texts.Longitude);
    if (!lat || !lon)
        return QPoint(-2, -2);
    return formTovralMain->View()->Coordinates().GeoToPixel(*lon, *lat);
}

// The row's city name in display case, for comparing with the selected entry.
QString RowDisplayName(const QString &row)
{
    return CapitalizeName(UpperCase(RowCityName(row)));
}

// Lets the modal answerer notice that the last message box has gone, so that a next box
// (which may reuse its address) is recognised as a new one.
void SettleModals()
{
    QTest::qWait(30);
}

// Types text key by key into an edit box as it stands (accented letters included).
void TypeKeys(QLineEdit &edit, const QString &text)
{
    edit.setFocus();
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

// Types text into an emptied edit box.
void Type(QLineEdit &edit, const QString &text)
{
    edit.clear();
    TypeKeys(edit, text);
}

// The city locator of the map window, as a user sees it.
struct TLocator {
    QLineEdit &eCidade = MapControl<QLineEdit>("eCidade");
    QListWidget &lCidades = MapControl<QListWidget>("lCidades");
    QPushButton &bCidadeMapa = MapControl<QPushButton>("bCidadeMapa");
    QComboBox &cZoom = MapControl<QComboBox>("cZoom");
};

using TSide = TformDistancias::TSide;

// One column of the distance calculator: its controls, named after the column ("In", "Out").
struct TCalculatorSide {
    explicit TCalculatorSide(TSide side)
        : Side(side),
          cbUF(Control<QComboBox>(*formDistancias, Name("cbUF").constData())),
          eCidade(Control<QLineEdit>(*formDistancias, Name("eCidade").constData())),
          lCidades(Control<QListWidget>(*formDistancias, Name("lCidades").constData()))
    {
    }
    TSide Side;
    QComboBox &cbUF;
    QLineEdit &eCidade;
    QListWidget &lCidades;

    // Puts the side on a state, as a user's pick in its state box does, and types a city
    // name into it.
    void ChooseCity(const QString &state, const QString &city)
    {
        ChooseEntry(cbUF, cbUF.findText(state));
        Type(eCidade, city);
    }

    // What the side has chosen: the state's code and the CityRows index of the city.
    QString UF() const { return formDistancias->SideUF(Side); }
    int CityRow() const { return formDistancias->SideCityRow(Side); }

private:
    // The name of one of its controls: the member name and the column's.
    QByteArray Name(const char *control) const
    {
        return QByteArray(control) + (Side == TSide::In ? "In" : "Out");
    }
};
} // namespace

class TestCitySearch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FFolder;
    std::unique_ptr<TViewerWindows> FWindows;

    // Row row of the shared city catalogue; "" for -1 (no city).
    QString CityRow(int row) const
    {
        return row < 0 ? QString() : FWindows->Data().CityRows()[row];
    }

    // Starts the viewer on a state and waits until its map is shown.
    bool StartWithState(TModalAnswers &answers, const QString &displayName)
    {
        FWindows = std::make_unique<TViewerWindows>();
        return ShowWithState(answers, displayName);
    }

    bool ChangeState(TModalAnswers &answers, const QString &displayName)
    {
        answers.Add(PickState(displayName));
        ClickButton("bChangeUF");
        return MapControl<QLabel>("lUF").text() == displayName && formTovralMain->isEnabled();
    }

    // Shows the calculator without blocking the test (the map window's button shows it
    // modally; reopeningResetsBothSides goes through it).
    void OpenCalculator()
    {
        formDistancias->hide();
        formDistancias->setWindowModality(Qt::NonModal);
        formDistancias->show();
    }

    static QString RoadNetworkPath() { return DataPath(kRoadNetworkFileName); }

    // BR-116 from São Paulo to Rio de Janeiro by way of a bend, SP-150 from São Paulo down to
    // Santos; a road near Recife that meets neither.
    static TRoadNetworkData TestRoadNetwork()
    {
        const auto road = [](const char *reference, QPolygonF line) {
            return TRoad{QString::fromLatin1(reference), TRoadKind::Federal, QStringLiteral("SP"), line};
        };
        return BuildRoadNetwork({road("BR-116", QPolygonF({{-46.5, -23.5}, {-45.0, -23.2}, {-43.0, -22.5}})),
                                 road("SP-150", QPolygonF({{-46.5, -23.5}, {-46.33, -23.95}})),
                                 road("BR-232", QPolygonF({{-34.9, -8.05}, {-35.5, -8.2}}))},
                                kCities);
    }

    // Presses "Rota por estrada" and reads the answer in the window.
    QString RoadAnswer()
    {
        Control<QPushButton>(*formDistancias, "bRotaEstrada").click();
        SettleModals();
        return Control<QPlainTextEdit>(*formDistancias, "mRota").toPlainText();
    }

    QString Calculate(TModalAnswers &answers)
    {
        answers.AddMessageBoxOk();
        Control<QPushButton>(*formDistancias, "Button1").click();
        SettleModals();
        return answers.Messages().value(answers.Messages().size() - 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        WriteDataFolder(FFolder.path(), kStates, kCities,
                        {{QStringLiteral("sp"), QSize(2400, 1200)},
                         {QStringLiteral("pe"), QSize(1600, 800)},
                         {QStringLiteral("rj"), QSize(800, 600)},
                         {QStringLiteral("to"), QSize(400, 300)},
                         {QStringLiteral("xx"), QSize(800, 600)}});
        // One reference point gives no pair to interpolate between: nothing can be placed.
        WritePtsFile(FFolder.path() + QStringLiteral("/img/xx.pts"), {TCoordinateItem{-46.5L, -23.5L, 10, 10}});
        AppPath = FFolder.path() + QLatin1Char('/');
        WriteRoadNetworkFile(RoadNetworkPath(), TestRoadNetwork());
    }

    void cleanup() { FWindows.reset(); }

    // Guards against a search that minds case, blanks or accents, that loses the selection
    // for a text past every name or an empty text, or a row out of step with the selection.
    void incrementalSearchFollowsTyping()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        auto *main = formTovralMain;
        TLocator locator;
        const auto expectSelected = [this, main, &locator](const QString &entry) {
            QCOMPARE(SelectedEntry(locator.lCidades), entry);
            QCOMPARE(RowDisplayName(CityRow(main->SelectedCityRow())), entry);
            QVERIFY(locator.bCidadeMapa.isEnabled());
        };

        Type(locator.eCidade, QStringLiteral("  são  "));
        expectSelected(QStringLiteral("São Bento do Sapucaí"));
        Type(locator.eCidade, QStringLiteral("SÃO"));
        expectSelected(QStringLiteral("São Bento do Sapucaí"));
        // Accents weigh below letters: SAO sorts after SANTOS and before SÃO BENTO.
        Type(locator.eCidade, QStringLiteral("sao"));
        expectSelected(QStringLiteral("São Bento do Sapucaí"));
        Type(locator.eCidade, QStringLiteral("santos"));
        expectSelected(QStringLiteral("Santos"));
        Type(locator.eCidade, QStringLiteral("sao p"));
        expectSelected(QStringLiteral("São Paulo"));
        // The typed text is left as typed.
        QCOMPARE(locator.eCidade.text(), QStringLiteral("sao p"));

        const int row = main->SelectedCityRow();
        Type(locator.eCidade, QStringLiteral("ZZZ"));
        expectSelected(QStringLiteral("São Paulo"));
        QCOMPARE(main->SelectedCityRow(), row);
        locator.eCidade.clear();
        expectSelected(QStringLiteral("São Paulo"));

        // Choosing an entry in the list copies its name without searching again.
        locator.lCidades.setFocus();
        locator.lCidades.setCurrentRow(0);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("Campinas"));
        expectSelected(QStringLiteral("Campinas"));
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against Enter, a double click or the button that fail to centre the view on the
    // city at 100%, Enter that keeps the typed text or inserts a character, a located name that
    // the next name typed is added to, and a locate that takes the focus from where the user
    // put it.
    void enterDoubleClickAndButtonCentreAt100()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        auto *main = formTovralMain;
        TLocator locator;
        const auto expectCentredOn = [this, main, &locator](const QString &entry) {
            QCOMPARE(SelectedEntry(locator.lCidades), entry);
            QCOMPARE(locator.cZoom.currentIndex(), 5);
            QCOMPARE(double(main->View()->Scale()), 1.0);
            QCOMPARE(main->View()->Center(), RowPoint(CityRow(main->SelectedCityRow())));
        };

        Type(locator.eCidade, QStringLiteral("sao p"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("São Paulo"));
        QVERIFY(locator.eCidade.hasFocus()); // the next name can be typed at once
        expectCentredOn(QStringLiteral("São Paulo"));
        QVERIFY(main->View()->Center().x() > 0 && main->View()->Center().y() > 0);

        // The located name is selected: the next name typed replaces it.
        QCOMPARE(locator.eCidade.selectedText(), QStringLiteral("São Paulo"));
        TypeKeys(locator.eCidade, QStringLiteral("sant"));
        QCOMPARE(locator.eCidade.text(), QStringLiteral("sant"));
        // A text past every name keeps the selection, and Enter locates that entry.
        Type(locator.eCidade, QStringLiteral("zzz"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Enter);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("Santos"));
        expectCentredOn(QStringLiteral("Santos"));

        SelectZoom(0);
        QListWidgetItem *campinas = locator.lCidades.item(0);
        const QPoint entryCentre = locator.lCidades.visualItemRect(campinas).center();
        locator.lCidades.setFocus(Qt::MouseFocusReason); // where a person's click puts it
        QTest::mouseClick(locator.lCidades.viewport(), Qt::LeftButton, {}, entryCentre);
        QTest::mouseDClick(locator.lCidades.viewport(), Qt::LeftButton, {}, entryCentre);
        expectCentredOn(QStringLiteral("Campinas"));
        QVERIFY(locator.lCidades.hasFocus());

        SelectZoom(0);
        Type(locator.eCidade, QStringLiteral("são b"));
        locator.bCidadeMapa.click();
        expectCentredOn(QStringLiteral("São Bento do Sapucaí"));
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against a suggestion list that takes the keys or the focus from eCidade, Escape
    // or an Enter with no line highlighted that does not leave the state's own search alone,
    // and a chosen city of another state that is not loaded and centred at 100%, or one of
    // the current state that loads it again.
    void suggestionsByKeyboard()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        auto *main = formTovralMain;
        TLocator locator;
        QListWidget &suggestions = MapControl<QListWidget>("lSugestoes");
        const auto expectCentredOn = [this, main, &locator](const QString &state, const QString &entry) {
            QCOMPARE(MapControl<QLabel>("lUF").text(), state);
            QCOMPARE(locator.eCidade.text(), entry);
            QCOMPARE(SelectedEntry(locator.lCidades), entry);
            QCOMPARE(locator.cZoom.currentIndex(), 5);
            QCOMPARE(main->View()->Center(), RowPoint(CityRow(main->SelectedCityRow())));
            QVERIFY(locator.eCidade.hasFocus());
        };

        // A city of another state: the list opens, the keys stay with eCidade.
        Type(locator.eCidade, QStringLiteral("recif"));
        QVERIFY(suggestions.isVisible());
        QCOMPARE(suggestions.item(0)->text(), QStringLiteral("Recife (PE)"));
        QVERIFY(locator.eCidade.hasFocus());
        QTest::keyClick(&locator.eCidade, Qt::Key_Escape);
        QVERIFY(!suggestions.isVisible());
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        expectCentredOn(QStringLiteral("São Paulo"), QStringLiteral("Santos"));

        Type(locator.eCidade, QStringLiteral("recif"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Return); // nothing highlighted
        QVERIFY(!suggestions.isVisible());
        expectCentredOn(QStringLiteral("São Paulo"), QStringLiteral("Santos"));

        Type(locator.eCidade, QStringLiteral("recif"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Down);
        QCOMPARE(suggestions.currentRow(), 0);
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        QVERIFY(!suggestions.isVisible());
        expectCentredOn(QStringLiteral("Pernambuco"), QStringLiteral("Recife"));
        QCOMPARE(formPickUF->SelectedUF(), QStringLiteral("PE"));

        // A word inside a name of the current state: located without a load.
        Type(locator.eCidade, QStringLiteral("noronha"));
        QCOMPARE(suggestions.item(0)->text(), QStringLiteral("Fernando de Noronha (PE)"));
        main->View()->CentreOn(QPoint(0, 0));
        QTest::keyClick(&locator.eCidade, Qt::Key_Down);
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("Fernando de Noronha"));
        QCOMPARE(main->View()->Center(), main->View()->Coordinates().GeoToPixel(-35.2L, -10.6L));
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against a typed position not centred at "100%" like a located city or left
    // unselected for the next text, one outside the state that moves the view or goes
    // unreported, and a city name with a number taken for a position rather than searched.
    void typedPositionsAreCentredOrReported()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        auto *main = formTovralMain;
        TLocator locator;
        const QPoint expected = main->View()->Coordinates().GeoToPixel(-46.25L, -23.5L);
        for (const QString &typed : {QStringLiteral("-23.5, -46.25"), QStringLiteral("23°30'S 46°15'O")}) {
            SelectZoom(0);
            Type(locator.eCidade, typed);
            QTest::keyClick(&locator.eCidade, Qt::Key_Return);
            QCOMPARE(locator.eCidade.selectedText(), typed); // the next text typed replaces it
            QCOMPARE(locator.cZoom.currentIndex(), 5);
            QCOMPARE(main->View()->Center(), expected);
        }

        SelectZoom(0);
        const QPoint centre = main->View()->Center();
        Type(locator.eCidade, QStringLiteral("-5 -10"));
        answers.AddMessageBoxOk();
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        SettleModals();
        QCOMPARE(answers.Messages().last(), QStringLiteral("Coordenadas fora do mapa deste estado"));
        QCOMPARE(main->View()->Center(), centre);
        QCOMPARE(locator.cZoom.currentIndex(), 0);

        // Searched as any text: the first name not less than it, located.
        Type(locator.eCidade, QStringLiteral("Santos 2"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("São Bento do Sapucaí"));
        QCOMPARE(main->View()->Center(), RowPoint(CityRow(main->SelectedCityRow())));
        QCOMPARE(answers.Messages().size(), 1);
    }

    // Guards against Fernando de Noronha being placed from its catalogue row by the locator,
    // or by the map view's account of the city nearest its centre.
    void fernandoDeNoronhaUsesItsFixedPosition()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("Pernambuco")));
        auto *main = formTovralMain;
        TLocator locator;
        Type(locator.eCidade, QStringLiteral("fernando"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("Fernando de Noronha"));
        QCOMPARE(main->View()->Center(), main->View()->Coordinates().GeoToPixel(-35.2L, -10.6L));
        QVERIFY(main->View()->Center() != RowPoint(CityRow(main->SelectedCityRow())));
        QCOMPARE(locator.cZoom.currentIndex(), 5);
        // The map view tells a screen reader the same place.
        const QAccessibleInterface *view = QAccessible::queryAccessibleInterface(&MapControl<QWidget>("Image"));
        QVERIFY(view->text(QAccessible::Name).endsWith(QStringLiteral("centro perto de Fernando de Noronha")));
    }

    // Guards against a failed location (a missing coordinate text, a text too short to
    // convert, a position nowhere on the map) that moves or zooms the view, that is not
    // reported, or that leaves the name to be added to.
    void failuresReportAndLeaveTheViewAlone()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        auto *main = formTovralMain;
        TLocator locator;
        for (const QString &city : {QStringLiteral("coordenada curta"), QStringLiteral("coordenada vazia")}) {
            const QPoint centre = main->View()->Center();
            const long double scale = main->View()->Scale();
            Type(locator.eCidade, city);
            answers.AddMessageBoxOk();
            QTest::keyClick(&locator.eCidade, Qt::Key_Return);
            SettleModals();
            QCOMPARE(answers.Messages().last(), kNotLocated);
            QCOMPARE(main->View()->Center(), centre);
            QCOMPARE(double(main->View()->Scale()), double(scale));
            QCOMPARE(locator.cZoom.currentIndex(), 0);
            // The name stays selected after the message, to be replaced by the next one.
            QCOMPARE(locator.eCidade.selectedText(), locator.eCidade.text());
        }

        QVERIFY(ChangeState(answers, QStringLiteral("Sem Pontos")));
        const QPoint centre = main->View()->Center();
        answers.AddMessageBoxOk();
        locator.bCidadeMapa.click();
        QCOMPARE(answers.Messages().last(), kNotLocated);
        QCOMPARE(main->View()->Center(), centre);
        QCOMPARE(locator.cZoom.currentIndex(), 0);
        QCOMPARE(answers.Messages().size(), 3);
    }

    // Guards against an index error or a location attempt for Enter in a state without cities.
    void enterWithAnEmptyListIsIgnored()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("Tocantins")));
        auto *main = formTovralMain;
        TLocator locator;
        QCOMPARE(locator.lCidades.count(), 0);
        QVERIFY(!locator.bCidadeMapa.isEnabled());
        QCOMPARE(main->SelectedCityRow(), -1);
        Type(locator.eCidade, QStringLiteral("abc"));
        QTest::keyClick(&locator.eCidade, Qt::Key_Return);
        QCOMPARE(locator.eCidade.text(), QStringLiteral("abc"));
        QCOMPARE(locator.cZoom.currentIndex(), 0);
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against a road answer for other cities than those chosen (not cleared when a
    // side changes), a far join not said, a number where no road links the cities, "Mostrar
    // no mapa" offered without a route, and a missing or broken network file that crashes or
    // reports at every press.
    void roadAnswerFollowsTheChosenCities()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        TCalculatorSide in(TSide::In);
        TCalculatorSide out(TSide::Out);
        QPushButton &showOnMap = Control<QPushButton>(*formDistancias, "bMostrarRota");
        formDistancias->FDecimalSeparator = QStringLiteral(",");
        in.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("são paulo"));
        out.ChooseCity(QStringLiteral("Rio de Janeiro"), QStringLiteral("rio"));
        QVERIFY(!showOnMap.isEnabled());
        const QStringList found = RoadAnswer().split(QLatin1Char('\n'));
        QVERIFY2(found.value(0).startsWith(QStringLiteral("Por estrada: ")), qPrintable(found.join('|')));
        QCOMPARE(found.value(1), QStringLiteral("Em linha reta: 376,2 km"));
        QVERIFY(found.value(2).startsWith(QStringLiteral("Fora da malha")));
        QCOMPARE(found.value(3), QStringLiteral("Rodovias:"));
        QVERIFY2(found.value(4).startsWith(QStringLiteral("BR-116 ")) && found.value(4).endsWith(QStringLiteral(" km")),
                 qPrintable(found.join('|')));
        QVERIFY(showOnMap.isEnabled());

        out.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("santos"));
        QCOMPARE(Control<QPlainTextEdit>(*formDistancias, "mRota").toPlainText(), QString());
        QVERIFY(!showOnMap.isEnabled());
        QVERIFY(RoadAnswer().contains(QStringLiteral("SP-150 ")));

        out.ChooseCity(QStringLiteral("Pernambuco"), QStringLiteral("recife"));
        QVERIFY(RoadAnswer().contains(QStringLiteral("\nRecife/PE: fora da malha, ")));
        QCOMPARE(answers.ModalsSeen(), 1); // the state picker's only

        // No network file: the answer says so. A broken one: reported once, then said.
        const QString saved = RoadNetworkPath() + QStringLiteral(".saved");
        QVERIFY(QFile::rename(RoadNetworkPath(), saved));
        const auto restore = qScopeGuard([&] {
            QFile::remove(RoadNetworkPath());
            QFile::rename(saved, RoadNetworkPath());
        });
        cleanup();
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        QCOMPARE(RoadAnswer(), kNoRoadNetworkText);
        cleanup();
        WriteRoadNetworkFile(RoadNetworkPath(), BuildRoadNetwork({}, kCities));
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        QVERIFY(RoadAnswer().startsWith(QStringLiteral("Por estrada: sem ligação rodoviária conhecida\n")));
        QVERIFY(!Control<QPushButton>(*formDistancias, "bMostrarRota").isEnabled());
        cleanup();
        QFile broken(RoadNetworkPath());
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("RODOVIAS but no network") > 0);
        broken.close();
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        const int modals = answers.ModalsSeen();
        answers.AddMessageBoxOk();
        QCOMPARE(RoadAnswer(), kUnusableRoadNetworkText);
        QCOMPARE(answers.ModalsSeen(), modals + 1);
        QVERIFY(answers.Messages().last().contains(kRoadNetworkFileName));
        QCOMPARE(RoadAnswer(), kUnusableRoadNetworkText);
        QCOMPARE(answers.ModalsSeen(), modals + 1);
    }

    // Guards against a wrong formula (the origin-weighted radius included), a wrong decimal
    // separator or number format, and Enter in an edit box that starts the calculation.
    void distanceWorkedCasesThroughTheWindow()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        TCalculatorSide in(TSide::In);
        TCalculatorSide out(TSide::Out);

        formDistancias->FDecimalSeparator = QStringLiteral(",");
        in.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("são paulo"));
        out.ChooseCity(QStringLiteral("Rio de Janeiro"), QStringLiteral("rio"));
        QCOMPARE(Calculate(answers), QStringLiteral("Distância aproximada: 376,21Km"));

        formDistancias->FDecimalSeparator = QStringLiteral(".");
        in.ChooseCity(QStringLiteral("Rio de Janeiro"), QStringLiteral("rio"));
        out.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("são paulo"));
        QCOMPARE(Calculate(answers), QStringLiteral("Distância aproximada: 376.20Km"));

        in.ChooseCity(QStringLiteral("Amazonas"), QStringLiteral("equador z"));
        out.ChooseCity(QStringLiteral("Amazonas"), QStringLiteral("equador n"));
        QCOMPARE(Calculate(answers), QStringLiteral("Distância aproximada: 10018.54Km"));

        // Enter copies the selected name and does not calculate.
        const int modals = answers.ModalsSeen();
        Type(out.eCidade, QStringLiteral("equador z"));
        QTest::keyClick(&out.eCidade, Qt::Key_Return);
        QCOMPARE(out.eCidade.text(), QStringLiteral("Equador Zero"));
        QCOMPARE(answers.ModalsSeen(), modals);
        QCOMPARE(Calculate(answers), QStringLiteral("Distância aproximada: 0.00Km"));
        // Fernando de Noronha is measured from its catalogue row.
        out.ChooseCity(QStringLiteral("Pernambuco"), QStringLiteral("fernando"));
        QVERIFY(Calculate(answers).startsWith(QStringLiteral("Distância aproximada: 3")));
    }

    // Guards against calculator boxes that find no city for a typing error or a word inside
    // the name, that reach into another state, or that override a name the text begins.
    void calculatorBoxesForgiveWithinTheirState()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        TCalculatorSide in(TSide::In);
        const struct {
            const char *Typed;
            const char *Selected;
        } cases[] = {
            {"campinsa", "Campinas"}, // a swap
            {"paulo", "São Paulo"},   // a word inside the name
            {"sao", "São Bento do Sapucaí"}, // the incremental search's choice, kept
            {"recife", "Santos"},     // another state's city: the incremental search's choice
        };
        for (const auto &row : cases) {
            in.ChooseCity(QStringLiteral("São Paulo"), QString::fromUtf8(row.Typed));
            QCOMPARE(SelectedEntry(in.lCidades), QString::fromUtf8(row.Selected));
            QCOMPARE(RowDisplayName(CityRow(in.CityRow())), QString::fromUtf8(row.Selected));
        }
    }

    // Guards against a side without a city that raises an index error instead of the failure
    // message, a bad catalogue row that gives a distance, and Enter in an empty list.
    void distanceFailures()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        OpenCalculator();
        TCalculatorSide in(TSide::In);
        TCalculatorSide out(TSide::Out);
        in.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("coordenada vazia"));
        QCOMPARE(Calculate(answers), kNotLocated);
        in.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("santos"));
        out.ChooseCity(QStringLiteral("Tocantins"), QStringLiteral("abc"));
        QCOMPARE(out.CityRow(), -1);
        QTest::keyClick(&out.eCidade, Qt::Key_Return);
        QCOMPARE(out.eCidade.text(), QStringLiteral("abc"));
        QCOMPARE(Calculate(answers), kNotLocated);
    }

    // Guards against a reopened calculator that keeps the previous choices, one restored after
    // being minimised that loses them, and a button that does not open it modally.
    void reopeningResetsBothSides()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("Rio de Janeiro")));
        TCalculatorSide in(TSide::In);
        TCalculatorSide out(TSide::Out);
        bool typedApart = false;
        bool keptWhenRestored = false;
        answers.Add([&](QWidget *modal) {
            in.ChooseCity(QStringLiteral("São Paulo"), QStringLiteral("santos"));
            out.ChooseCity(QStringLiteral("Amazonas"), QStringLiteral("equador z"));
            // Typing on one side never moves the other.
            typedApart = SelectedEntry(in.lCidades) == QStringLiteral("Santos") && modal == formDistancias;
            // Restored after being minimised, it keeps both sides' choices.
            formDistancias->setWindowState(Qt::WindowMinimized);
            formDistancias->setWindowState(Qt::WindowNoState);
            keptWhenRestored = SelectedEntry(in.lCidades) == QStringLiteral("Santos") &&
                               out.cbUF.currentText() == QStringLiteral("Amazonas");
            // Enter on the focused "Voltar" presses it.
            QPushButton &back = Control<QPushButton>(*formDistancias, "Button2");
            back.setFocus();
            QTest::keyClick(&back, Qt::Key_Return);
        });
        ClickButton("bCalcDist");
        QVERIFY(typedApart);
        QVERIFY(keptWhenRestored);
        QVERIFY(!formDistancias->isVisible());

        QStringList reopened;
        answers.Add([&](QWidget *) {
            for (const TCalculatorSide *side : {&in, &out})
                reopened << side->cbUF.currentText() << side->UF() << side->eCidade.text()
                         << QString::number(side->lCidades.currentRow()) << SelectedEntry(side->lCidades)
                         << RowDisplayName(CityRow(side->CityRow()));
            Control<QPushButton>(*formDistancias, "Button2").click();
        });
        ClickButton("bCalcDist");
        const QStringList sideReset = {QStringLiteral("Rio de Janeiro"), QStringLiteral("RJ"), QString(),
                                       QStringLiteral("0"), QStringLiteral("Rio de Janeiro"),
                                       QStringLiteral("Rio de Janeiro")};
        QCOMPARE(reopened, sideReset + sideReset);
        QVERIFY(answers.AllAnswered());
    }
};

int main(int argc, char *argv[])
{
    return RunViewerTests<TestCitySearch>(argc, argv);
}

#include "test_city_search.moc"
