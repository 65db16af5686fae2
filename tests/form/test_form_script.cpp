#include "form_session.h"

#include "export/esportazione_office.h"
#include "export/export_to_office.h"
#include "support/fixture_runner.h"
#include "support/text_rows.h"

#include <QTest>
#include <QTextStream>

#include <tuple>

using namespace bdg;

namespace {

// The footer of the periods grid shows the chosen node's own figures, column by column.
void piedeDelNodo(FRMBU_BDGINTRIC& form, std::int64_t key) {
    TreeGridModel& tree = form.TGRID_BDGINTRIC;
    QVERIFY(tree.selectKey(key));
    const int node = tree.nodeOf(tree.indexOfKey(key));
    for (const GridColumn& column : form.QGRID_PERIODI.columns().list()) {
        if (column.field != QLatin1String("PERIODO"))
            QCOMPARE(form.QGRID_PERIODI.footer(column.field).toString(),
                     tree.nodeValue(node, column.field).toString());
    }
}

// The currency fixture with a dividing rate of 1.4 for the dollar from 1 June 2026.
std::unique_ptr<test::FixtureCompany> aziendaValuta(const QString& engine) {
    auto company = std::make_unique<test::FixtureCompany>(engine);
    if (!company->buildFixture(QStringLiteral("valuta")))
        return nullptr;
    company->connection().ExecuteNonQuery(
        "INSERT INTO HS03_CAMBI (HS03_CODICE_HS02, HS03_VALRIF_HS02, HS03_DATA, HS03_TIPOCAMBIO, "
        "HS03_CAMBIO, HS03_INDCERTOINCERTO) VALUES ('USD', 'EUR', '2026-06-01', 1, 1.4, 1)");
    return company;
}

} // namespace

class TestFormScript : public QObject {
    Q_OBJECT

private slots:
    void wholeSessionOnTheTotalsCompany_data() { test::addEngineRows(); }
    void wholeSessionOnTheTotalsCompany() {
        // Subtype from the key-button menu, criterion from its lookup, three sets added in the
        // wrong order and moved, a run, node selections, accounts hidden, the periods pane, a
        // difference hidden after the run, a new selection and the close.
        QFETCH(QString, engine);
        test::FixtureCompany company(engine);
        const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
        QVERIFY(sql && company.build(*sql));
        test::FormSession session(company.global());
        FRMBU_BDGINTRIC& form = *session;
        form.Form_Activate();

        form.TXT_SOTTOTIPO.pressMenu(QStringLiteral("Kpers1"));
        QVERIFY(form.TXT_SOTTOTIPO.lookup());
        QCOMPARE(form.TXT_SOTTOTIPO.lookup()->didascalia, QStringLiteral("Budget in uso"));
        QCOMPARE(form.TXT_SOTTOTIPO.lookup()->voci.size(), 1); // SB2 holds no budget
        QVERIFY(form.TXT_SOTTOTIPO.pick(QStringLiteral("SB1")));
        QVERIFY(form.TXT_SOTTOTIPO.leave());
        QCOMPARE(form.TXT_SOTTOTIPO_DES.text(), QStringLiteral("Quadrimestrale"));
        QCOMPARE(form.TXT_PERIODO_A.text().toString(), QStringLiteral("3"));
        QCOMPARE(form.LBB_NUMFORECAST.text(), QStringLiteral("1"));

        QVERIFY(form.TXT_CRITERIO.openLookup());
        QVERIFY(form.TXT_CRITERIO.pick(QStringLiteral("CR02")));
        QVERIFY(form.TXT_CRITERIO.leave());
        // Budget, actuals, forecast 1 (code 3): code 2 is never offered.
        const auto& tipi = form.QGRID_CONFRONTO.column(u"CFR_TIPODETT")->listValues[0];
        QCOMPARE(QStringList({tipi.at(0).toString(), tipi.at(1).toString(), tipi.at(2).toString()}),
                 (QStringList{"0", "1", "3"}));

        QVERIFY2(session.run({"set:1:2026:1:::perc", "set:0:2026:1", "set:3:2026:1::delta",
                              "set:0:2025:1", "BUT_QGRID_MENO", "riga:1", "BUT_QGRID_SU", "riga:2",
                              "BUT_QGRID_SU", "spunta:CHK_NASCONDI_NULL"}),
                 qPrintable(session.failed));
        QStringList ordine;
        for (int row = 0; row < form.QGRID_CONFRONTO.rowCount(); ++row)
            ordine << form.QGRID_CONFRONTO.value(row, u"CFR_SEQUENZA").toString() + ':' +
                          form.QGRID_CONFRONTO.value(row, u"CFR_TIPODETT").toString();
        QCOMPARE(ordine, (QStringList{"1:0", "2:3", "3:1"}));

        QVERIFY(form.BUT_ELABORA.click());
        QCOMPARE(form.esitoElaborazione(), std::optional(EsitoElaborazione::Completata));
        QStringList formule;
        for (const RecordedMessage& shown : company.messages().plainMessages())
            formule << shown.text;
        QCOMPARE(formule, test::parseParams(*sql).messaggi);
        QVERIFY(form.isStatoRisultato());
        QVERIFY(!form.TXT_SOTTOTIPO.enabled() && !form.BUT_ELABORA.enabled());
        QVERIFY(!form.TXT_VALUTA.enabled() && !form.TXT_PERIODO_DA.enabled());
        QVERIFY(!form.BUT_QGRID_PIU.enabled() && form.BUT_NODO_CONTI_VISIBILE.enabled());
        QVERIFY(!form.QGRID_CONFRONTO.column(u"CFR_ANNO")->editable);

        // The figures are the engine's fixture test; here what the form makes of them.
        TreeGridModel& tree = form.TGRID_BDGINTRIC;
        // The node images follow the kinds: the criterion, a total, a formula, an account.
        for (const auto& [key, image] :
             {std::pair{0, 4}, std::pair{1, 1}, std::pair{4, 3}, std::pair{6001, 5}})
            QCOMPARE(tree.data(tree.indexOfKey(key), TreeGridModel::NodeImageRole).toInt(), image);
        QVERIFY(tree.columns().find(u"DELTA_IMP2")->visible);
        QVERIFY(!tree.columns().find(u"DELTA_PERC2")->visible);
        QVERIFY(!tree.columns().find(u"DELTA_IMP3")->visible);
        QVERIFY(tree.columns().find(u"DELTA_PERC3")->visible);

        // R1 (key 12): its three four-monthly periods, budget as worked out by hand.
        GridModel& grid = form.QGRID_PERIODI;
        piedeDelNodo(form, 12);
        QStringList periodi;
        for (int row = 0; row < grid.rowCount(); ++row)
            periodi << grid.cellText(row, QStringLiteral("PERIODO")) + '=' +
                           grid.value(row, u"IMP1").toString();
        QCOMPARE(periodi, (QStringList{"1° Quadrimestre 2026=100.00",
                                       "2° Quadrimestre 2026=", "3° Quadrimestre 2026=200.00"}));
        // The criterion and a formula item show no periods; an account shows its own.
        for (const auto& [key, rows] :
             {std::pair{"0", 0}, std::pair{"4", 0}, std::pair{"6502", 3}}) {
            QVERIFY(tree.selectKey(QString::fromLatin1(key).toLongLong()));
            QCOMPARE(grid.rowCount(), rows);
        }

        QVERIFY(form.BUT_NODO_CONTI_VISIBILE.click());
        int conti = 0;
        for (int node = tree.firstNode(); node >= 0; node = tree.nextNode(node))
            conti += tree.nodeValue(node, u"TIPORECORD").toString() == QLatin1String("C");
        QCOMPARE(conti, 0);
        QVERIFY(!tree.currentIndex().isValid()); // the chosen account went with the others
        QCOMPARE(grid.rowCount(), 0);
        QVERIFY(form.BUT_NODO_CONTI_VISIBILE.click());
        QCOMPARE(tree.rowCount(tree.indexOfKey(12)), 1);

        QVERIFY(form.BUT_PERIODI_VISIBLE.click());
        QCOMPARE(std::pair(form.ZEL_SPLIT.lowerPaneSize, form.ZEL_SPLIT.proportion),
                 std::pair(750, 76.0f));
        form.ZEL_SPLIT.proportion = 60; // the user moves the splitter
        QVERIFY(form.BUT_PERIODI_VISIBLE.click());
        QCOMPARE(std::pair(form.ZEL_SPLIT.lowerPaneSize, form.ZEL_SPLIT.proportion),
                 std::pair(0, 100.0f));
        QVERIFY(form.BUT_PERIODI_VISIBLE.click());
        QCOMPARE(form.ZEL_SPLIT.proportion, 60.0f);

        QVERIFY2(session.run({"riga:1", "casella:CFR_DELTA"}), qPrintable(session.failed));
        QVERIFY(!tree.columns().find(u"DELTA_IMP2")->visible);
        QVERIFY(!form.QGRID_PERIODI.column(u"DELTA_IMP2")->visible);

        QVERIFY(form.BUT_NUOVO.click());
        QVERIFY(!form.isStatoRisultato());
        QCOMPARE(form.focus(), QStringLiteral("TXT_SOTTOTIPO"));
        QVERIFY(form.TXT_SOTTOTIPO.enabled() && form.TXT_SOTTOTIPO.code().isEmpty());
        QVERIFY(!tree.dataSource() && !form.state().RstConfronto);
        QVERIFY(tree.columns().find(u"IMP1")->caption.isEmpty());
        QVERIFY(form.Unload());
    }
    void currencyTakenFromTheLookupDividesByTheHostsRate_data() { test::addEngineRows(); }
    void currencyTakenFromTheLookupDividesByTheHostsRate() {
        // USD taken from its lookup brings today's date and the host's dividing rate; the user
        // types the rate again with a decimal comma, and the amounts are divided by it.
        QFETCH(QString, engine);
        const auto company = aziendaValuta(engine);
        QVERIFY(company);
        test::FormSession session(company->global());
        FRMBU_BDGINTRIC& form = *session;
        form.Form_Activate();
        QVERIFY2(session.run({"sottotipo:SB3", "criterio:CR03", "set:0:2026:1:1",
                              "set:0:2026:1:2:delta:perc", "a:3", "valuta:USD"}),
                 qPrintable(session.failed));
        QCOMPARE(form.TXT_DATACAMBIO.text().toString(), QStringLiteral("15/06/2026"));
        QVERIFY(form.TXT_CAMBIO.text().toDecimal() == Decimal::parse(u"1.4"));
        QVERIFY2(session.run({"cambio:1,5", "BUT_ELABORA"}), qPrintable(session.failed));
        QCOMPARE(form.state().FattoreCambio, QStringLiteral(" / 1.5"));
        QCOMPARE(form.esitoElaborazione(), std::optional(EsitoElaborazione::Completata));
        // Attivo's budget in dollars, worked out by hand beside the fixture.
        TreeGridModel& tree = form.TGRID_BDGINTRIC;
        int attivo = tree.firstNode();
        while (attivo >= 0 && tree.nodeValue(attivo, u"VOCE").toString() != QLatin1String("A"))
            attivo = tree.nextNode(attivo);
        QVERIFY(attivo >= 0);
        QVERIFY(tree.nodeValue(attivo, u"IMP1").toDecimal() == Decimal::parse(u"18.67"));
        // The host's export names the currency and the rate as typed, with its date.
        EsportazioneOffice esportazione;
        bool cancel = false;
        ActiveNavigator_BeforeExportToOffice(&form, cancel, &esportazione);
        QString csv;
        QTextStream out(&csv);
        esportazione.scriviCsv(out);
        out.flush();
        QVERIFY2(csv.contains("\r\nValuta,USD\r\nCambio/Data cambio,\"1,5 -  15/06/2026\"\r\n"),
                 qPrintable(csv));
    }
    void typedCurrencyIsTakenAsAPickedOne() {
        // A currency typed and confirmed brings its date and rate as one taken from the list;
        // a code the decode does not find is not taken and changes nothing.
        const std::tuple<const char*, bool, bool, const char*> cases[] = {
            {"USD", true, true, "15/06/2026"}, // code, taken, date and rate offered, date
            {"EUR", true, false, ""},
            {"XYZ", false, false, ""},
        };
        for (const auto& [codice, preso, cambio, data] : cases) {
            const auto company = aziendaValuta(QString::fromLatin1(test::SQLiteEngine));
            QVERIFY(company);
            test::FormSession session(company->global());
            FRMBU_BDGINTRIC& form = *session;
            form.Form_Activate();
            form.TXT_VALUTA.type(Variant(codice));
            QCOMPARE(form.TXT_VALUTA.takeTyped(), preso);
            QCOMPARE(form.TXT_CAMBIO.enabled(), cambio);
            QCOMPARE(form.TXT_DATACAMBIO.enabled(), cambio);
            QCOMPARE(form.TXT_DATACAMBIO.text().toString(), QString::fromLatin1(data));
            QCOMPARE(form.TXT_CAMBIO.text().toString().isEmpty(), !cambio);
        }
    }
    void profileFieldAsksSavesAndReloads_data() {
        QTest::addColumn<QStringList>("passi");
        QTest::addColumn<int>("risposta");    // to "Salvare nuovo profilo ?"; 0 when not asked
        QTest::addColumn<int>("insiemi");     // sets in the list afterwards
        QTest::addColumn<int>("memorizzati"); // sets stored as NUOVO
        const QStringList due{"sottotipo:SB1", "criterio:CR01", "set:0:2026:1", "set:0:2025:1"};
        QTest::newRow("new name, saved") << (due + QStringList{"profilo:NUOVO"}) << 6 << 2 << 2;
        QTest::newRow("new name, not saved") << (due + QStringList{"profilo:NUOVO"}) << 7 << 0 << 0;
        // Leaving the field with the name it had on entry reloads the stored list.
        QTest::newRow("same name reloads")
            << (due + QStringList{"profilo:NUOVO", "set:1:2026:1", "profilo:NUOVO"}) << 6 << 2 << 2;
        // A name typed with no list asks nothing and finds nothing; the button stores the list.
        QTest::newRow("saved by the button")
            << QStringList{"sottotipo:SB1", "criterio:CR01",  "profilo:NUOVO", "set:0:2026:1",
                           "set:0:2025:1",  "BUT_QGRID_MENO", "BUT_BU68_SALVA"}
            << 0 << 1 << 1;
    }
    void profileFieldAsksSavesAndReloads() {
        QFETCH(QStringList, passi);
        QFETCH(int, risposta);
        QFETCH(int, insiemi);
        QFETCH(int, memorizzati);
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(company.buildFixture(QStringLiteral("chiavi")), qPrintable(company.errorText()));
        test::FormSession session(company.global());
        session->Form_Activate();
        if (risposta != 0)
            company.messages().queueAnswer(risposta);

        QVERIFY2(session.run(passi), qPrintable(session.failed));

        QCOMPARE(test::shown(company.messages().plainMessages()),
                 risposta != 0 ? QStringLiteral("Salvare nuovo profilo ?|36|Budget per criterio")
                               : QString());
        QCOMPARE(session->state().RstConfronto->RecordCount(), insiemi);
        const RecordsetPtr stored = company.connection().Execute(
            "SELECT COUNT(*) AS N FROM BU68_BDGINTRIC WHERE BU68_NOME = 'NUOVO'");
        QCOMPARE(stored->value(0).toInt32().value_or(-1), memorizzati);
        // Opening the profile list drops the current list, even if nothing is then picked.
        QVERIFY(session->TXT_PROFILO.openLookup());
        QCOMPARE(session->state().RstConfronto->RecordCount(), 0);
    }
    void runLeftAfterAnErrorShowsNoFigures_data() { test::addEngineRows(); }
    void runLeftAfterAnErrorShowsNoFigures() {
        // A second run whose amounts cannot be read (the user aborts the error) tells that the
        // criterion has no amounts and shows nothing: not the first run's figures.
        QFETCH(QString, engine);
        test::FixtureCompany company(engine);
        QVERIFY2(company.buildFixture(QStringLiteral("chiavi")), qPrintable(company.errorText()));
        test::FormSession session(company.global());
        session->Form_Activate();
        QVERIFY2(session.run({"sottotipo:SB1", "criterio:CR01", "set:0:2026:1", "BUT_ELABORA"}),
                 qPrintable(session.failed));
        QVERIFY(session->TGRID_BDGINTRIC.firstNode() >= 0);
        company.connection().ExecuteNonQuery("ALTER TABLE BU66_DETBUDGET RENAME TO BU66_ALTROVE");
        company.messages().clear();

        session->BUT_ELABORA_ButtonClick();

        const auto shown = company.messages().messages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).kind, RecordedMessage::Kind::Error);
        QCOMPARE(shown.at(1).text, QStringLiteral("Criterio non valorizzato"));
        QCOMPARE(shown.at(1).style, 2);
        QCOMPARE(session->esitoElaborazione(),
                 std::optional(EsitoElaborazione::CriterioNonValorizzato));
        QVERIFY(session->isStatoRisultato());
        QCOMPARE(session->TGRID_BDGINTRIC.firstNode(), -1);
        QCOMPARE(session->TGRID_BDGINTRIC.columnCount(), 0);
        Recordset conti = session->state().RstCriterio->Clone();
        conti.setFilter(QStringLiteral("TIPORECORD = 'C'"));
        QCOMPARE(conti.RecordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestFormScript)
#include "test_form_script.moc"
