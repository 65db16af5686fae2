#include "export/esportazione_office.h"
#include "export/export_to_office.h"
#include "form/form_session.h"
#include "host/basic_module.h"
#include "lettore_xlsx.h"
#include "risultato_prova.h"
#include "support/fixture_runner.h"

#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

#include <map>

using namespace bdg;

namespace {

// The totals company after one run of budget, forecast 1 with its difference (its
// percentage hidden) and actuals with both, accounts without amounts shown.
struct EsportazioneTotali {
    EsportazioneTotali() : company(QString::fromLatin1(test::SQLiteEngine)) {
        const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
        if (!sql || !company.build(*sql))
            return;
        session = std::make_unique<test::FormSession>(company.global());
        (*session)->Form_Activate();
        pronta =
            session->run({"sottotipo:SB1", "criterio:CR02", "set:0:2026:1", "set:3:2026:1::delta",
                          "set:1:2026:1::delta:perc", "spunta:CHK_NASCONDI_NULL", "BUT_ELABORA"});
    }

    // The blocks as the host receives them now, written as the host's workbook, read back.
    test::LettoreXlsx foglio(const QString& nome) {
        EsportazioneOffice esportazione;
        bool cancel = false;
        ActiveNavigator_BeforeExportToOffice(session->form.get(), cancel, &esportazione);
        const QString file = cartella.filePath(nome + QStringLiteral(".xlsx"));
        esportazione.scriviXlsx(file);
        return test::LettoreXlsx(file);
    }

    test::FixtureCompany company;
    std::unique_ptr<test::FormSession> session;
    QTemporaryDir cartella;
    bool pronta = false;
};

// A row of the sheet against the expected cells separated by "|": a number in the file must
// be the binary value nearest to the decimal worked out by hand ("-5" is "-5.00", and
// "-69.84999999999999" is the same binary value as "-69.85").
QString differenzeRiga(QStringList trovate, const QString& attese) {
    while (!trovate.isEmpty() && trovate.last().isEmpty())
        trovate.removeLast();
    const QStringList celle = attese.isEmpty() ? QStringList() : attese.split(QLatin1Char('|'));
    if (trovate.size() > celle.size())
        return QStringLiteral("more cells than expected: ") + trovate.join(QLatin1Char('|'));
    for (qsizetype cella = 0; cella < celle.size(); ++cella) {
        const QString trovata = trovate.value(cella);
        bool numero = false;
        bool atteso = false;
        const double valore = trovata.toDouble(&numero);
        const double valoreAtteso = celle.at(cella).toDouble(&atteso);
        if (numero && atteso ? valore == valoreAtteso : trovata == celle.at(cella))
            continue;
        return QStringLiteral("cell %1: expected '%2', found '%3'")
            .arg(cella + 1)
            .arg(celle.at(cella), trovata);
    }
    return QString();
}

} // namespace

class TestExportToOffice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        // One run, exported as the user sees it after each click.
        EsportazioneTotali esportazione;
        QVERIFY2(esportazione.pronta, qPrintable(esportazione.session ? esportazione.session->failed
                                                                      : QStringLiteral("company")));
        m_fogli.emplace("albero", esportazione.foglio("albero"));
        QVERIFY(esportazione.session->run({"BUT_PERIODI_VISIBLE"}));
        m_fogli.emplace("periodi", esportazione.foglio("periodi"));
        QVERIFY(esportazione.session->run({"BUT_PERIODI_VISIBLE", "BUT_NODO_CONTI_VISIBILE"}));
        m_fogli.emplace("senzaConti", esportazione.foglio("senzaConti"));
    }

    void sheetHoldsParametersAndTheTreeAsShown_data() {
        QTest::addColumn<QString>("modo");
        QTest::addColumn<int>("riga");
        QTest::addColumn<QString>("attese");
        const QString albero = QStringLiteral("albero");
        const QString periodi = QStringLiteral("periodi");
        const QString senzaConti = QStringLiteral("senzaConti");
        QTest::newRow("master title") << albero << 1 << "Esportazione Budget per criterio";
        QTest::newRow("subtype") << albero << 2 << "Sottotipo budget|SB1 - Quadrimestrale";
        QTest::newRow("criterion") << albero << 3 << "Criterio di elaborazione|CR02 - Totali";
        QTest::newRow("periods") << albero << 5 << "A periodo|3";
        QTest::newRow("no currency entries") << albero << 6 << "";
        QTest::newRow("detail title")
            << albero << 7
            << "Budget per criterio - Budget SB1 Criterio di elaborazione : CR02 Totali";
        QTest::newRow("header without hidden percentage")
            << albero << 8
            << "Voce/Conto|Descrizione|Bdg 2026|Fo1 2026|D Fo12026|Con 2026|D Con2026|% Con2026";
        QTest::newRow("first item, percentage times 100")
            << albero << 9 << "----- * R|Ricavi|340.00|335.00|-5.00|101.00|-234.00|-69.85";
        QTest::newRow("account at level 3, Null blank")
            << albero << 15 << "--------------- * 120|Abbuoni|-10.00||10.00|-4.00|-4.00|";
        QTest::newRow("formula item") << albero << 25
                                      << "----- * P|Incidenza:[M]/[R]*100|58.82|56.72|-2.10|25.74|"
                                         "-30.98|-54.62";
        QTest::newRow("last node") << albero << 30 << "----- * L|Ciclo:while(true){}";
        QTest::newRow("nothing after it") << albero << 31 << "";
        QTest::newRow("accounts hidden: R2 follows R1")
            << senzaConti << 12
            << "---------- * R2|Ricavi estero|40.00|40.00|0.00|-4.00|-44.00|-110.00";
        QTest::newRow("accounts hidden: 16 nodes") << senzaConti << 25 << "";
        QTest::newRow("periods header")
            << periodi << 8
            << "Voce/Conto|Descrizione|Periodi|Bdg 2026|Fo1 2026|D Fo12026|Con 2026|D Con2026|% "
               "Con2026";
        QTest::newRow("period 1 compares set 3 with set 2")
            << periodi << 9 << "----- * R|Ricavi|1° Quadrimestre 2026|150|110|-40|101|-9|-8.18";
        QTest::newRow("empty period") << periodi << 10 << "----- * R|Ricavi|2° Quadrimestre 2026";
        QTest::newRow("period 3, actuals missing")
            << periodi << 11 << "----- * R|Ricavi|3° Quadrimestre 2026|190|230|40||-230|-100";
        QTest::newRow("node's own row closes the group")
            << periodi << 12 << "----- * R|Ricavi|Totale|340|335|-5|101|-234|-69.85";
        QTest::newRow("no reference, no percentage")
            << periodi << 25 << "---------- * R2|Ricavi estero|1° Quadrimestre 2026|50||-50|-4|-4|";
        QTest::newRow("second item's last period")
            << periodi << 27
            << "---------- * R2|Ricavi estero|3° Quadrimestre 2026|-10|40|50||-40|-100";
        QTest::newRow("costs, period 3")
            << periodi << 43 << "----- * C|Costi|3° Quadrimestre 2026|-60|-70|-10||70|100";
    }
    void sheetHoldsParametersAndTheTreeAsShown() {
        // The host's workbook holds the parameters, then the tree as the form shows it:
        // every figure is the hand-worked one of the totals fixture.
        QFETCH(QString, modo);
        QFETCH(int, riga);
        QFETCH(QString, attese);
        const QString differenze = differenzeRiga(m_fogli.at(modo).riga(riga), attese);
        QVERIFY2(differenze.isEmpty(), qPrintable(differenze));
    }

    void amountsAreNumbersWithTheRunsDecimalsUnderAFrozenHeader() {
        const test::LettoreXlsx& foglio = m_fogli.at("albero");
        QVERIFY(foglio.isNumero("C9") && foglio.isNumero("H9"));
        QVERIFY(!foglio.isNumero("A9"));
        QCOMPARE(foglio.stile("C9").formato, QStringLiteral("#,##0.00"));
        QVERIFY(foglio.stile("C8").grassetto);
        QCOMPARE(foglio.bloccoRiquadri(), QStringLiteral("A9"));
    }

    void kindCodesFollowTheRunsDecimals_data() {
        QTest::addColumn<int>("decimali");
        QTest::addColumn<int>("tipo");
        QTest::newRow("none") << 0 << 990;
        QTest::newRow("two") << 2 << 992;
        QTest::newRow("six") << 6 << 996;
        QTest::newRow("eight: two shown") << 8 << 992;
    }
    void kindCodesFollowTheRunsDecimals() {
        // The hand-built result: the second set shows its difference, not its percentage.
        QFETCH(int, decimali);
        QFETCH(int, tipo);
        FRMBU_BDGINTRIC form;
        test::statoDiProva(form.state());
        form.state().NrDecimali = std::int16_t(decimali);
        form.InitTGridCriteri();
        form.TGRID_BDGINTRIC.setDataSource(form.state().RstCriterio);
        ArrayVariant testata;
        RecordsetPtr office;
        ExportToOffice_GetDati(form, testata, office);
        QVERIFY(office);
        QStringList campi;
        for (int campo = 0; campo < office->fieldCount(); ++campo)
            campi << office->field(campo).name;
        QCOMPARE(campi, (QStringList{"VOCE", "VOCEDES", "IMP1", "IMP2", "DELTA_IMP2"}));
        QCOMPARE(testata.colonne(), 5);
        const QList<int> tipi{202, 202, tipo, tipo, tipo};
        for (int colonna = 0; colonna < 5; ++colonna)
            QCOMPARE(testata(1, colonna).toInt32(), tipi.at(colonna));
        QCOMPARE(office->field(2).scale, decimali);
        // 2100 and 3000 twips wide: 140 and 200 characters.
        QCOMPARE(office->field(0).definedSize, 140);
        QCOMPARE(office->field(1).definedSize, 200);
        // Five rows below the criterion, the deepest account at level 3.
        QCOMPARE(office->RecordCount(), 5);
        office->MoveLast();
        QCOMPARE(office->value(u"VOCE").toString(), QStringLiteral("--------------- * 6010"));
    }

    void masterShowsTheConvertedCurrencyAndItsRate() {
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        const auto sql = test::readTextFile(test::fixturePath("valuta", ".sql"));
        QVERIFY(sql && company.build(*sql));
        company.connection().ExecuteNonQuery(
            "INSERT INTO HS03_CAMBI (HS03_CODICE_HS02, HS03_VALRIF_HS02, HS03_DATA, "
            "HS03_TIPOCAMBIO, HS03_CAMBIO, HS03_INDCERTOINCERTO) "
            "VALUES ('USD', 'EUR', '2026-06-01', 1, 1.4, 1)");
        test::FormSession session(company.global());
        session->Form_Activate();
        QVERIFY2(session.run({"sottotipo:SB3", "criterio:CR03", "set:0:2026:1:1",
                              "set:0:2026:1:2:delta:perc", "a:3", "valuta:USD", "cambio:1,5",
                              "BUT_ELABORA"}),
                 qPrintable(session.failed));
        EsportazioneOffice esportazione;
        bool cancel = false;
        ActiveNavigator_BeforeExportToOffice(session.form.get(), cancel, &esportazione);
        QTemporaryDir cartella;
        esportazione.scriviXlsx(cartella.filePath("valuta.xlsx"));
        const test::LettoreXlsx foglio(cartella.filePath("valuta.xlsx"));
        QCOMPARE(foglio.riga(6), (QStringList{"Valuta", "USD"}));
        QCOMPARE(foglio.riga(7), (QStringList{"Cambio/Data cambio", "1,5 -  15/06/2026"}));
        // Attivo: 18.67 and 10.00 dollars, -8.67, -46.44 %.
        const QString differenze =
            differenzeRiga(foglio.riga(11), "----- * A|Attivo|18.67|10.00|-8.67|-46.44");
        QVERIFY2(differenze.isEmpty(), qPrintable(differenze));
    }

    void nothingIsHandedOverWithoutAnActiveModuleAndAResult_data() {
        QTest::addColumn<bool>("attivo");
        QTest::addColumn<bool>("risultato");
        QTest::addColumn<int>("blocchi");
        QTest::newRow("inactive") << false << true << 0;
        QTest::newRow("no result bound") << true << false << 0;
        // Without the host's services the parameters cannot be labelled: the tree only.
        QTest::newRow("active with a result") << true << true << 1;
    }
    void nothingIsHandedOverWithoutAnActiveModuleAndAResult() {
        QFETCH(bool, attivo);
        QFETCH(bool, risultato);
        QFETCH(int, blocchi);
        BasicModule modulo;
        modulo.setIsActive(attivo);
        FRMBU_BDGINTRIC form;
        form.setActiveInterface(&modulo);
        test::statoDiProva(form.state());
        form.InitTGridCriteri();
        if (risultato)
            form.TGRID_BDGINTRIC.setDataSource(form.state().RstCriterio);
        EsportazioneOffice esportazione;
        bool cancel = false;
        ActiveNavigator_BeforeExportToOffice(&form, cancel, &esportazione);
        QCOMPARE(esportazione.blocchi().size(), blocchi);
        QVERIFY(!cancel);
    }

    void csvRendersTheBlocksExactly() {
        EsportazioneOffice esportazione;
        ArrayVariant etichette(2);
        ArrayVariant valori(2);
        etichette(0) = Variant("Sottotipo budget");
        valori(0) = Variant("SB1 - Quadrimestrale");
        etichette(1) = Variant("Cambio/Data cambio");
        valori(1) = Variant("1,5 -  15/06/2026");
        esportazione.AddMasterDetail(etichette, valori, "Esportazione");
        ArrayVariant testata(2, 3);
        const QStringList didascalie{"Voce/Conto", "Bdg 2026", "% Con2026"};
        for (int colonna = 0; colonna < 3; ++colonna) {
            testata(0, colonna) = Variant(didascalie.at(colonna));
            testata(1, colonna) = Variant(colonna == 0 ? 202 : 992);
        }
        ArrayVariant dati(2, 3);
        dati(0, 0) = Variant("----- * R");
        dati(0, 1) = Variant(Decimal::parse(u"340.00"));
        dati(0, 2) = Variant(Decimal::parse(u"-69.8500"));
        dati(1, 0) = Variant("----- * \"Q\"");
        dati(1, 1) = Variant(QString());
        dati(1, 2) = Variant(Decimal::parse(u"1.23456789"));
        esportazione.AddMasterDetail(testata, dati, "Dettaglio");
        QString testo;
        QTextStream out(&testo);
        esportazione.scriviCsv(out);
        out.flush();
        QCOMPARE(testo, QStringLiteral("Esportazione\r\n"
                                       "Sottotipo budget,SB1 - Quadrimestrale\r\n"
                                       "Cambio/Data cambio,\"1,5 -  15/06/2026\"\r\n"
                                       "\r\n"
                                       "Dettaglio\r\n"
                                       "Voce/Conto,Bdg 2026,% Con2026\r\n"
                                       "----- * R,340.00,-69.85\r\n"
                                       "\"----- * \"\"Q\"\"\",,1.23456789\r\n"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 esportazione.AddMasterDetail(etichette, ArrayVariant(3), "x"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 esportazione.AddMasterDetail(testata, ArrayVariant(1, 2), "x"));
        QCOMPARE(esportazione.blocchi().size(), 2);
    }

private:
    std::map<QString, test::LettoreXlsx> m_fogli;
};

QTEST_GUILESS_MAIN(TestExportToOffice)
#include "test_export_to_office.moc"
