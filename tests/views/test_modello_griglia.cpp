#include "form/grid_model.h"
#include "form/variant_metatype.h"
#include "support/text_rows.h"
#include "views/delegato_lista.h"
#include "views/formato_celle.h"
#include "views/modello_griglia.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

using namespace bdg;

namespace {

// A comparison list of two sets: budget 2026, and forecast 1 2026 with its difference.
struct Griglia {
    Griglia() {
        grid.addColumn(QStringLiteral("CFR_SEQUENZA"), QStringLiteral("Seq"), 1, 600);
        grid.addListColumn(QStringLiteral("CFR_TIPODETT"), 1,
                           {{{Variant(0), Variant(1), Variant(3)},
                             {Variant("Budget"), Variant("Consuntivo"), Variant("Forecast 1")}}},
                           QStringLiteral("TipoDettaglio"), 1100, true);
        grid.addListColumn(QStringLiteral("CFR_ANNO"), 1, {{{Variant(2026)}, {Variant(2026)}}},
                           QStringLiteral("Anno"), 1100, true);
        grid.addCheckColumn(QStringLiteral("CFR_DELTA"), QStringLiteral("Delta"),
                            QStringLiteral("1"), QStringLiteral("0"), 1000, true);
        grid.setColumnEditable(QStringLiteral("CFR_TIPODETT"), true);
        grid.setColumnEditable(QStringLiteral("CFR_ANNO"), true);
        grid.endSetUp();
        grid.setDataSource(
            test::table(QStringLiteral("CFR_SEQUENZA:i CFR_TIPODETT:v15 CFR_ANNO:i CFR_DELTA:v1"),
                        {"1|0|2026|0", "2|3|2026|1"}));
    }

    GridModel grid{QStringLiteral("QGRID_CONFRONTO")};
    ModelloGriglia modello{grid};
};

struct Caso {
    const char* name;
    int colonna;
    const char *digitato, *codice, *mostrato;
};

} // namespace

class TestModelloGriglia : public QObject {
    Q_OBJECT
private slots:
    void listCellsShowTextsAndTakeCodes_data() {
        // column, what is typed, the code the grid gets, the text the cell shows
        const Caso casi[] = {
            {"a text of the list", 1, "Forecast 1", "3", "Forecast 1"},
            {"a text in other case", 1, "consuntivo", "1", "Consuntivo"},
            {"a code of the list", 1, "0", "0", "Budget"},
            {"a year the list lacks", 2, "2024", "2024", "2024"},
        };
        test::addCaseRows(casi);
    }
    void listCellsShowTextsAndTakeCodes() {
        // A list cell shows the text of its code; what the user types in its drop-down reaches
        // the grid as a code: the list's when the text is one of its own, else as typed.
        QFETCH(Caso, c);
        const int colonna = c.colonna;
        Griglia griglia;
        QCOMPARE(griglia.modello.index(1, 1).data().toString(), QStringLiteral("Forecast 1"));
        DelegatoLista delegato;
        QWidget padre;
        const QModelIndex cella = griglia.modello.index(0, colonna);
        QWidget* editor = delegato.createEditor(&padre, QStyleOptionViewItem(), cella);
        auto* lista = qobject_cast<QComboBox*>(editor);
        QVERIFY(lista != nullptr && lista->isEditable());
        delegato.setEditorData(editor, cella);
        lista->setEditText(QString::fromUtf8(c.digitato));

        delegato.setModelData(editor, &griglia.modello, cella);

        QCOMPARE(griglia.grid.value(0, griglia.modello.field(colonna)).toString(),
                 QString(c.codice));
        QCOMPARE(griglia.modello.index(0, colonna).data().toString(), QString(c.mostrato));
    }

    void checkBoxIsClickedOnlyWhenItChangesAndPlainCellsTakeNoEdit() {
        // Ticking a box clicks the grid's check box once; ticking it again as it stands does
        // not click it a second time (the form would show or hide a column twice).
        Griglia griglia;
        QSignalSpy clic(&griglia.grid, &GridModel::selectionBoxClicked);
        const QModelIndex delta = griglia.modello.index(0, 3);
        QCOMPARE(delta.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(griglia.modello.flags(delta) & Qt::ItemIsUserCheckable);

        QVERIFY(griglia.modello.setData(delta, Qt::Checked, Qt::CheckStateRole));
        QVERIFY(griglia.modello.setData(delta, Qt::Checked, Qt::CheckStateRole));

        QCOMPARE(clic.size(), 1);
        QCOMPARE(griglia.grid.value(0, u"CFR_DELTA").toString(), QStringLiteral("1"));
        QCOMPARE(griglia.modello.index(0, 3).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        // The sequence is the form's to number: the cell is not editable and refuses a value.
        const QModelIndex sequenza = griglia.modello.index(1, 0);
        QVERIFY(!(griglia.modello.flags(sequenza) & Qt::ItemIsEditable));
        QVERIFY(!griglia.modello.setData(sequenza, QStringLiteral("7"), Qt::EditRole));
        QCOMPARE(griglia.grid.value(1, u"CFR_SEQUENZA").toString(), QStringLiteral("2"));
    }

    void valuesReadAsControllersReadThem_data() {
        // Masks themselves are the number format's to test; here what a cell adds to them.
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("shown");
        const QString importi = QStringLiteral("##,###,###,##0.00");
        QTest::newRow("negative, rounded half away from zero")
            << Variant(Decimal::parse(u"-13658538.835")) << importi << "-13.658.538,84";
        QTest::newRow("ratio as a percentage") << Variant(Decimal::parse(u"-0.464381"))
                                               << QStringLiteral("#,###,##0.00%") << "-46,44%";
        QTest::newRow("Null shows nothing") << Variant::null() << importi << "";
        QTest::newRow("text stays text") << Variant(QStringLiteral("A10")) << importi << "A10";
        QTest::newRow("no mask, plain text") << Variant(2026) << QString() << "2026";
    }

    void valuesReadAsControllersReadThem() {
        // An amount reaches the screen in the run's mask the Italian way; a missing one is blank.
        QFETCH(Variant, value);
        QFETCH(QString, mask);
        QFETCH(QString, shown);
        QCOMPARE(testoCella(value, mask), shown);
    }
};

QTEST_MAIN(TestModelloGriglia)
#include "test_modello_griglia.moc"
