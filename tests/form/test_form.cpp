#include "company/company_schema.h"
#include "export/esportazione_office.h"
#include "export/export_to_office.h"
#include "form/tree_grid_model.h"
#include "form_session.h"
#include "host/message_catalogue.h"
#include "params/params_company.h"
#include "support/fixture_runner.h"
#include "support/text_rows.h"

#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>

#include <tuple>

using namespace bdg;
using bdg::test::shipped;

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

// A company whose management currency is `valuta` (SQL literal), with the currency rows.
std::unique_ptr<test::FixtureCompany> company(const QString& valuta, const QString& valute) {
    auto result = std::make_unique<test::FixtureCompany>(QString::fromLatin1(test::SQLiteEngine));
    const bool built = result->build([&](Connection& connection) {
        CompanySchema::create(connection);
        connection.ExecuteNonQuery(
            QStringLiteral("INSERT INTO HS01_DITTE (HS01_CODICE, HS01_RAGSOC, HS01_VALUTA_HS02, "
                           "HS01_GESTIONESEDI) VALUES (1, 'Alfa', %1, 0)")
                .arg(valuta));
        if (!valute.isEmpty())
            connection.ExecuteNonQuery(QStringLiteral("INSERT INTO HS02_VALUTE (HS02_CODICE, "
                                                      "HS02_DESCR, HS02_NRDECIMALI, "
                                                      "HS02_MASCHERA) VALUES %1")
                                           .arg(valute));
    });
    return built ? std::move(result) : nullptr;
}

// The currency row of the euro with two decimals.
constexpr const char* Euro = "('EUR', 'Euro', 2, NULL)";

/// The management currency (an SQL literal), the currency rows, the host's message refusing
/// the start (0 when the form starts), and the decimals and mask of the amounts.
struct Valuta {
    const char *name, *valuta, *valute;
    int messaggio, decimali;
    const char* formato;
};

struct Caso {
    const char* name;
    int ditta;
    const char *passi, *messaggio;
    int stile;
    const char* focus;
    int aziende;
};

// A criterion table given out of key order: the root, items A (1) and B (2), A's items A1
// (11) and A2 (12, kind Null), accounts 100 under A (501) and 110 under A1 (5501), an item
// whose parent is missing (99) and a row without a key.
RecordsetPtr tabella() {
    return test::table(QStringLiteral("KEY_VOCE:i KEY_VOCEPADRE:i VOCE:v20 TIPORECORD:v1 "
                                      "TIPOVOCE:i IMP1:d2"),
                       {"0||CR|K|4|", "2|0|B|V|1|7.50", "501|1|100|C|5|3.00", "1|0|A|V|1|4.00",
                        "5501|11|110|C|5|1.00", "12|1|A2|V||", "11|1|A1|V|0|1.00", "99|77|X|V|0|",
                        "||Y|V|0|"});
}

void imposta(TreeGridModel& model) {
    model.reset();
    model.addColumn(QStringLiteral("VOCE"), QStringLiteral("VOCE"), QStringLiteral("Voce/Conto"), 1,
                    2100, true);
    model.addColumn(QStringLiteral("IMP1"), QStringLiteral("IMP1"), QStringLiteral("Bdg 2026"), 11,
                    1300, true);
    model.endSetUp();
}

} // namespace

// The form as a host starts it and a user works it: start-up, whole sessions on fixture
// companies, every refusal with its message and focus, and the tree grid it shows.
class TestForm : public QObject {
    Q_OBJECT

private slots:
    void wholeSessionOnTheTotalsCompany_data() { test::addEngineRows(); }
    void wholeSessionOnTheTotalsCompany() {
        // Subtype from the key-button menu, criterion from its lookup, three sets added in the
        // wrong order and moved, a run, node selections, accounts hidden, the periods pane, a
        // difference hidden after the run, a new selection and the close.
        QFETCH(QString, engine);
        test::FixtureCompany company(engine);
        QVERIFY2(company.buildFixture(QStringLiteral("totali")), qPrintable(company.errorText()));
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
        const auto company = aziendaValuta(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company);
        test::FormSession session(company->global());
        FRMBU_BDGINTRIC& form = *session;
        form.Form_Activate();
        const std::tuple<const char*, bool, bool, const char*> cases[] = {
            {"USD", true, true, "15/06/2026"}, // code, taken, date and rate offered, date
            {"XYZ", false, true, "15/06/2026"},
            {"EUR", true, false, ""},
        };
        for (const auto& [codice, preso, cambio, data] : cases) {
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

    void managementCurrencyDecidesStartAndFormats_data() {
        // messaggio 0: the form starts.
        const Valuta cases[] = {
            {"no currency", "NULL", Euro, 76205, 0, ""},
            {"blank code", "'  '", Euro, 76205, 0, ""},
            {"code not in the table", "'USD'", Euro, 76206, 0, ""},
            {"no decimals", "'EUR'", "('EUR', 'Euro', NULL, NULL)", 76206, 0, ""},
            {"no description", "'EUR'", "('EUR', '  ', 2, NULL)", 76206, 0, ""},
            {"two decimals", "'EUR'", Euro, 0, 2, "##,###,###,##0.00"},
            {"no decimals at all", "'JPY'", "('JPY', 'Yen', 0, NULL)", 0, 0, "##,###,###,##0"},
            {"own mask", "' JPY '", "('JPY', 'Yen', 0, '#,##0')", 0, 0, "#,##0"},
        };
        test::addCaseRows(cases);
    }
    void managementCurrencyDecidesStartAndFormats() {
        // A company that cannot show an amount in its own currency is refused at start-up with
        // the host's message; otherwise the amounts start in that currency's decimals and mask.
        QFETCH(Valuta, c);
        QString valuta = QString::fromLatin1(c.valuta);
        const int messaggio = c.messaggio;
        auto ditta = company(valuta, QString::fromLatin1(c.valute));
        QVERIFY(ditta);
        test::FormSession session(ditta->global());
        QSignalSpy unloaded(session.form.get(), &FRMBU_BDGINTRIC::unloaded);
        session->Form_Activate();

        const auto shown = ditta->messages().messages();
        if (messaggio != 0) {
            QCOMPARE(test::shown(shown), shipped(messaggio) + "|64|Budget per criterio");
            QVERIFY(!session->isLoaded());
            QCOMPARE(unloaded.size(), 1);
            // The host's close later finds the form gone.
            QVERIFY(session->Unload());
            QCOMPARE(session.navigator.closedMenus(), QList<Variant>{Variant(4711)});
            return;
        }
        QVERIFY(shown.isEmpty());
        QVERIFY(session->isActivated());
        QCOMPARE(int(session->state().NrDecimali), c.decimali);
        QCOMPARE(session->state().FormatoImporti, QString::fromLatin1(c.formato));
        QCOMPARE(session->state().CodValutaGestione.toString(), valuta.remove('\'').trimmed());
    }
    void formFromStartToClose() {
        // A form still starting cannot be closed. After start-up only the subtype can be worked
        // on; the navigator knows the form is open and the creation was traced.
        auto ditta = company(QStringLiteral("'EUR'"), QString::fromLatin1(Euro));
        QVERIFY(ditta);
        test::FormSession session(ditta->global());
        bool cancel = false;
        session->Form_QueryUnload(cancel);
        QVERIFY(cancel);
        session->Form_Activate();
        FRMBU_BDGINTRIC& form = *session;

        QCOMPARE(form.focus(), QStringLiteral("TXT_SOTTOTIPO"));
        QVERIFY(form.TXT_SOTTOTIPO.enabled() && form.BUT_ELABORA.enabled());
        for (const char* name : {"BUT_PARAMETRI", "BUT_NODO_CONTI_VISIBILE", "BUT_PERIODI_VISIBLE",
                                 "BUT_QGRID_PIU", "TXT_PROFILO", "TXT_CAMBIO", "BUT_EXCEL"})
            QVERIFY2(!qobject_cast<ControlModel*>(form.controllo(name))->enabled(), name);
        QVERIFY(!form.BUT_EXCEL.visible());
        QCOMPARE(form.CHK_NASCONDI_NULL.value().toString(), QStringLiteral("1"));
        // The periods pane starts collapsed under the tree.
        QCOMPARE(std::pair(form.ZEL_SPLIT.lowerPaneSize, form.ZEL_SPLIT.proportion),
                 std::pair(0, 100.0f));
        QVERIFY(session.navigator.formStates().first().aperta);

        // Hiding the parameters moves the tree up to their place and makes it taller by as
        // much; showing them shares the room below them, two thirds to the tree. A form twice
        // as large scales every length, and the grids follow their frames.
        const QRect parametri = form.FRAME_PARAMETRI.geometry(); // 60, 60, 15000 x 3900
        const QRect albero = form.FRAME_TGRID.geometry();        // top 4065, height 2760

        form.BUT_PARAMETRI_ButtonClick();
        QVERIFY(!form.FRAME_PARAMETRI.visible() && !form.BUT_NUOVO.enabled());
        QCOMPARE(form.FRAME_TGRID.geometry().top(), parametri.top());
        QCOMPARE(form.FRAME_TGRID.geometry().height(), 2760 + 4005);
        form.BUT_PARAMETRI_ButtonClick();
        QVERIFY(form.FRAME_PARAMETRI.visible() && form.BUT_NUOVO.enabled());
        // Room: 8640 - 120 - 3900 - 105 = 4515; the tree 3010 from 4005, the periods 1445.
        QCOMPARE(form.FRAME_TGRID.geometry().top(), 4005);
        QCOMPARE(form.FRAME_TGRID.geometry().height(), 3010);
        QCOMPARE(form.FRAME_PERIODI.geometry().height(), 1445);
        QCOMPARE(form.ZEL_SPLIT.geometry().height(), 4515);

        const int applicati = form.ZEL_SPLIT.appliedCount();
        form.Ridimensiona(2 * 15180, 2 * 8640);
        QCOMPARE(form.ZEL_SPLIT.appliedCount(), applicati + 1);
        QCOMPARE(form.FRAME_TGRID.geometry().height(), 2 * albero.height());
        QCOMPARE(form.TGRID_BDGINTRIC.geometry(), QRect(60, 300, 30000 - 240, 5520 - 420));

        // The close is asked of the navigator, and releases the form.
        session.navigator.setRefuseClose(true);
        QVERIFY(!session->Unload());
        QVERIFY(session->isLoaded());
        session.navigator.setRefuseClose(false);
        QVERIFY(session->Unload());

        QVERIFY(!session->isLoaded());
        QVERIFY(session->ActiveInterface() == nullptr);
        QVERIFY(session.module.Connection() == nullptr);
        QVERIFY(!session->connection().isOpen());
        QCOMPARE(session.navigator.formStates().last().aperta, false);
        QCOMPARE(session.navigator.closedMenus(), QList<Variant>{Variant(4711)});
        // Creation and release are traced under one identifier of the form.
        const auto creazione =
            QRegularExpression(QStringLiteral("^WOBN:\\|([0-9A-F]{32})\\|INI\\|BUUO_BDGINTRIC\\|"
                                              "FRMBU_BDGINTRIC$"))
                .match(session.trace.lines().first());
        QVERIFY(creazione.hasMatch());
        session.form.reset();
        QCOMPARE(session.trace.lines(),
                 QStringList({session.trace.lines().first(),
                              QStringLiteral("WOBN:|%1|TER|BUUO_BDGINTRIC|FRMBU_BDGINTRIC")
                                  .arg(creazione.captured(1))}));
    }

    void initTestCase() {
        m_company = std::make_unique<test::ParamsCompany>(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(m_company->database.isValid(), qPrintable(m_company->database.errorText()));
    }
    void refusalShowsItsMessageAndKeepsTheFocus_data() {
        // The company, the steps, the message ("#n": catalogue message n; empty: none), its
        // style, the control with the focus (empty: not the refusal's to choose) and the
        // questions to the main-company service (-1: any).
        const Caso casi[] = {
            {"empty subtype", 1, "sottotipo:", "", 0, "TXT_SOTTOTIPO", 0},
            {"unknown subtype", 1, "sottotipo:NO", "", 0, "TXT_SOTTOTIPO", 0},
            {"chart kind 0", 1, "sottotipo:KPDC0", "#61949", 64, "TXT_SOTTOTIPO", 0},
            {"chart kind 4 before its missing chart", 1, "sottotipo:KPDC4", "#61949", 64,
             "TXT_SOTTOTIPO", 0},
            {"no chart", 1, "sottotipo:NOPDC", "#61950", 64, "TXT_SOTTOTIPO", 0},
            {"sites in a company without", 1, "sottotipo:SEDI", "#61948", 64, "TXT_SOTTOTIPO", 0},
            {"kept by the main company only", 1, "sottotipo:MULTI2", "#61833", 64, "TXT_SOTTOTIPO",
             1},
            {"empty criterion", 1, "sottotipo:MENS criterio:", "", 0, "TXT_CRITERIO", -1},
            {"unknown criterion", 1, "sottotipo:MENS criterio:CRX", "", 0, "TXT_CRITERIO", -1},
            {"empty list", 1, "M BUT_ELABORA", "#9636", 64, "QGRID_CONFRONTO", -1},
            {"no from-period", 1, "P da: BUT_ELABORA", "#9636", 64, "TXT_PERIODO_DA", -1},
            {"quarterly 1 to 5", 1, "sottotipo:TRIM criterio:CR1 set:0:2026:1 a:5 BUT_ELABORA",
             "#9636", 64, "TXT_PERIODO_A", -1},
            {"currency without a usable rate", 1, "P valuta:JPY BUT_ELABORA", "#9636", 64,
             "TXT_CAMBIO", -1},
            {"profile with sites, subtype without", 1, "M profilo:CON_SEDI",
             "Il budget non gestisce le sedi, il profilo/confronto selezionato si!", 48,
             "TXT_PROFILO", -1},
            {"profile without sites, subtype with", 2,
             "sottotipo:SEDI criterio:CR1 profilo:SENZA_SEDI",
             "Il budget gestisce le sedi, il profilo/confronto selezionato no ! ", 48,
             "TXT_PROFILO", -1},
        };
        test::addCaseRows(casi);
    }
    void refusalShowsItsMessageAndKeepsTheFocus() {
        QFETCH(Caso, c);
        QString passi = QString::fromUtf8(c.passi);
        passi.replace(QRegularExpression(QStringLiteral("^M ")),
                      QStringLiteral("sottotipo:MENS criterio:CR1 "));
        passi.replace(QRegularExpression(QStringLiteral("^P ")),
                      QStringLiteral("sottotipo:MENS criterio:CR1 set:0:2026:1 "));
        const QString messaggio = QString::fromUtf8(c.messaggio);
        const QString focus = QString::fromUtf8(c.focus);
        m_company->global.ApriDitta(c.ditta);
        m_company->messages.clear();
        int domande = 0;
        ServiziForm servizi;
        servizi.aziende = [&domande] {
            ++domande;
            return std::make_unique<AssociatedCompanies>();
        };
        test::FormSession session(m_company->global, servizi);
        session->Form_Activate();
        QVERIFY(session->isActivated());

        QVERIFY2(session.run(passi.split(QLatin1Char(' '))), qPrintable(session.failed));

        const QString testo =
            messaggio.startsWith('#') ? shipped(messaggio.mid(1).toInt()) : messaggio;
        QCOMPARE(test::shown(m_company->messages.plainMessages()),
                 messaggio.isEmpty()
                     ? QString()
                     : testo + '|' + QString::number(c.stile) + '|' + session->caption());
        if (!focus.isEmpty())
            QCOMPARE(session->focus(), focus);
        QVERIFY(!session->isStatoRisultato());
        if (c.aziende >= 0)
            QCOMPARE(domande, c.aziende);
    }

    void treeFollowsParentKeysInKeyOrder_data() {
        QTest::addColumn<bool>("nascondiConti");
        QTest::addColumn<QStringList>("ordine"); // code and level in display order
        QTest::addColumn<int>("figliDiA");
        QTest::newRow("every row")
            << false << QStringList{"CR0", "A1", "A12", "1103", "A22", "1002", "B1", "X0", "Y0"}
            << 3;
        QTest::newRow("accounts hidden")
            << true << QStringList{"CR0", "A1", "A12", "A22", "B1", "X0", "Y0"} << 2;
    }
    void treeFollowsParentKeysInKeyOrder() {
        // The walk the exports read is depth first with siblings by key; rows whose parent is
        // missing, or that have no key, come last at the top instead of being lost.
        QFETCH(bool, nascondiConti);
        QFETCH(QStringList, ordine);
        QFETCH(int, figliDiA);
        TreeGridModel model(QStringLiteral("TGRID_BDGINTRIC"));
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        imposta(model);
        model.setDataSource(tabella());
        model.setAccountsHidden(nascondiConti);

        QStringList visti;
        for (int node = model.firstNode(); node >= 0; node = model.nextNode(node))
            visti << model.nodeValue(node, u"VOCE").toString() +
                         QString::number(model.nodeLevel(node));
        QCOMPARE(visti, ordine);
        const QModelIndex a = model.indexOfKey(1);
        QCOMPARE(model.rowCount(a), figliDiA);
        QCOMPARE(model.parent(model.indexOfKey(12)), a);
        QCOMPARE(model.data(model.indexOfKey(2, 1)).toString(), QStringLiteral("7.50"));
        QCOMPARE(model.data(model.indexOfKey(2), TreeGridModel::LevelRole).toInt(), 1);
        QVERIFY(!model.data(model.indexOfKey(12), TreeGridModel::NodeKindRole).isValid());
        QCOMPARE(model.data(model.indexOfKey(2, 1), TreeGridModel::RawValueRole).value<Variant>(),
                 Variant(Decimal::parse(u"7.5")));
    }
    void hidingAccountsDropsAChosenAccount() {
        TreeGridModel model(QStringLiteral("TGRID_BDGINTRIC"));
        imposta(model);
        const RecordsetPtr rst = tabella();
        model.setDataSource(rst);
        QSignalSpy changed(&model, &TreeGridModel::rowChanged);
        QVERIFY(model.selectKey(501));
        QCOMPARE(model.currentValue(u"VOCE").toString(), QStringLiteral("100"));

        model.setAccountsHidden(true);
        model.setDataSource(rst); // the same table again: its index is kept
        QVERIFY(!model.currentIndex().isValid());
        QCOMPARE(changed.size(), 2);
        QVERIFY(!model.selectKey(5501));
        QVERIFY(model.accountsHidden());
        model.setDataSource(tabella()); // a new run's table shows every row again
        QVERIFY(!model.accountsHidden());
        QVERIFY(model.selectKey(5501));
    }

private:
    std::unique_ptr<test::ParamsCompany> m_company;
};

QTEST_GUILESS_MAIN(TestForm)
#include "test_form.moc"
