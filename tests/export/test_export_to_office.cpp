#include "export/clsbu_bdgintric_excel.h"
#include "export/esportazione_office.h"
#include "export/export_to_office.h"
#include "form/form_session.h"
#include "host/basic_module.h"
#include "host/host_global.h"
#include "host/message_service.h"
#include "lettore_xlsx.h"
#include "risultato_prova.h"
#include "support/fixture_runner.h"
#include "support/text_rows.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <map>

using namespace bdg;

namespace {

// The blocks the host receives from the form now, written as the host's workbook, read back.
test::LettoreXlsx esporta(FRMBU_BDGINTRIC& form, const QString& file) {
    EsportazioneOffice esportazione;
    bool cancel = false;
    ActiveNavigator_BeforeExportToOffice(&form, cancel, &esportazione);
    esportazione.scriviXlsx(file);
    return test::LettoreXlsx(file);
}

// A row of the sheet against the expected cells separated by "|": a number in the file must
// be the binary value nearest to the decimal worked out by hand ("-5" is "-5.00", and
// "-69.84999999999999" is the same binary value as "-69.85").
QString differenzeRiga(QStringList trovate, const QString& attese) {
    const QStringList celle = attese.isEmpty() ? QStringList() : attese.split(QLatin1Char('|'));
    while (trovate.size() > celle.size() && trovate.last().isEmpty())
        trovate.removeLast();
    for (qsizetype cella = 0; cella < std::max(celle.size(), trovate.size()); ++cella) {
        bool numero = false;
        bool atteso = false;
        const double valore = trovate.value(cella).toDouble(&numero);
        if (numero && valore == celle.value(cella).toDouble(&atteso) && atteso)
            continue;
        if (!numero && trovate.value(cella) == celle.value(cella))
            continue;
        return QStringLiteral("cell %1: expected '%2', found '%3'")
            .arg(cella + 1)
            .arg(celle.value(cella), trovate.value(cella));
    }
    return QString();
}

struct CsvCase {
    const char* name;
    int riga;
    const char* attesa;
};

struct RigaCase {
    const char* name;
    const char* modo;
    int riga;
    const char* attese;
};

// The proof result in the form's tree grid, the second set showing its difference and its
// percentage, item R's difference set to 0; the writer set up as a caller would.
struct GrigliaProva {
    GrigliaProva() : global(&messaggi, nullptr, QString()) {
        test::grigliaDiProva(form);
        Recordset& confronto = *form.state().RstConfronto;
        for (confronto.MoveFirst(); !confronto.Eof(); confronto.MoveNext())
            confronto.setValue(u"CFR_DELTA_PERC", Variant(1));
        form.state().RstCriterio->MoveFirst();
        form.state().RstCriterio->MoveNext(); // R
        form.state().RstCriterio->setValue(u"DELTA_IMP2", Variant(Decimal()));
        form.InitTGridCriteri();
        modulo.setClsGlobal(&global);
        scrittore.ActiveInterface = &modulo;
        scrittore.TGRID = &form.TGRID_BDGINTRIC;
        scrittore.Titolo = QStringLiteral("Budget per criterio CE01");
        scrittore.NomeFile = cartella.filePath(QStringLiteral("griglia.xlsx"));
    }

    test::LettoreXlsx foglio() {
        return test::LettoreXlsx(scrittore.ExportToExcel() ? scrittore.fileScritto() : QString());
    }

    RecordingMessageService messaggi;
    HostGlobal global;
    BasicModule modulo;
    FRMBU_BDGINTRIC form;
    CLSBU_BDGINTRIC_EXCEL scrittore;
    QTemporaryDir cartella;
};

} // namespace

class TestExportToOffice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        // One run of budget, forecast 1 with its difference (its percentage hidden) and
        // actuals with both, accounts without amounts shown; exported after each click.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(company.buildFixture(QStringLiteral("totali")), qPrintable(company.errorText()));
        test::FormSession session(company.global());
        session->Form_Activate();
        QVERIFY2(
            session.run({"sottotipo:SB1", "criterio:CR02", "set:0:2026:1", "set:3:2026:1::delta",
                         "set:1:2026:1::delta:perc", "spunta:CHK_NASCONDI_NULL", "BUT_ELABORA"}),
            qPrintable(session.failed));
        m_fogli.emplace("albero", esporta(*session, m_cartella.filePath("albero.xlsx")));
        bool cancel = false;
        ActiveNavigator_BeforeExportToOffice(session.form.get(), cancel, &m_csv);
        QVERIFY(session.run({"BUT_PERIODI_VISIBLE"}));
        m_fogli.emplace("periodi", esporta(*session, m_cartella.filePath("periodi.xlsx")));
        QVERIFY(session.run({"BUT_PERIODI_VISIBLE", "BUT_NODO_CONTI_VISIBILE"}));
        m_fogli.emplace("senzaConti", esporta(*session, m_cartella.filePath("conti.xlsx")));
        // Amounts are numbers in the run's format, under a frozen header.
        const test::LettoreXlsx& albero = m_fogli.at("albero");
        QVERIFY(albero.isNumero("H9") && !albero.isNumero("A9") && albero.stile("C8").grassetto);
        QCOMPARE(albero.stile("C9").formato, QStringLiteral("#,##0.00"));
        QCOMPARE(albero.bloccoRiquadri(), QStringLiteral("A9"));
    }

    void sheetHoldsParametersAndTheTreeAsShown_data() {
        // The export, a row of its sheet, the row's cells separated by "|".
        const RigaCase cases[] = {
            {"master title", "albero", 1, "Esportazione Budget per criterio"},
            {"subtype", "albero", 2, "Sottotipo budget|SB1 - Quadrimestrale"},
            {"period range", "albero", 4, "Da periodo|1"},
            {"no currency entries", "albero", 6, ""},
            {"detail title", "albero", 7,
             "Budget per criterio - Budget SB1 Criterio di elaborazione : CR02 Totali"},
            {"header without hidden percentage", "albero", 8,
             "Voce/Conto|Descrizione|Bdg 2026|Fo1 2026|D Fo12026|Con 2026|D Con2026|% Con2026"},
            {"first item, percentage times 100", "albero", 9,
             "----- * R|Ricavi|340.00|335.00|-5.00|101.00|-234.00|-69.85"},
            {"account at level 3, Null blank", "albero", 15,
             "--------------- * 120|Abbuoni|-10.00||10.00|-4.00|-4.00|"},
            {"nothing after it", "albero", 31, ""},
            {"accounts hidden: R2 follows R1", "senzaConti", 12,
             "---------- * R2|Ricavi estero|40.00|40.00|0.00|-4.00|-44.00|-110.00"},
            {"accounts hidden: 16 nodes", "senzaConti", 25, ""},
            {"periods header", "periodi", 8,
             "Voce/Conto|Descrizione|Periodi|Bdg 2026|Fo1 2026|D Fo12026|Con 2026|D Con2026|% "
             "Con2026"},
            {"period 1 compares set 3 with set 2", "periodi", 9,
             "----- * R|Ricavi|1° Quadrimestre 2026|150|110|-40|101|-9|-8.18"},
            {"period 3, actuals missing", "periodi", 11,
             "----- * R|Ricavi|3° Quadrimestre 2026|190|230|40||-230|-100"},
            {"node's own row closes the group", "periodi", 12,
             "----- * R|Ricavi|Totale|340|335|-5|101|-234|-69.85"},
            {"no reference, no percentage", "periodi", 25,
             "---------- * R2|Ricavi estero|1° Quadrimestre 2026|50||-50|-4|-4|"},
            {"costs, period 3", "periodi", 43,
             "----- * C|Costi|3° Quadrimestre 2026|-60|-70|-10||70|100"},
        };
        test::addCaseRows(cases);
    }
    void sheetHoldsParametersAndTheTreeAsShown() {
        // The host's workbook holds the parameters, then the tree as the form shows it:
        // every figure is the hand-worked one of the totals fixture.
        QFETCH(RigaCase, c);
        const QString differenze =
            differenzeRiga(m_fogli.at(c.modo).riga(c.riga), QString::fromUtf8(c.attese));
        QVERIFY2(differenze.isEmpty(), qPrintable(differenze));
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
        // Texts are 202; amounts and differences carry the run's decimals, 992 beyond six.
        QFETCH(int, decimali);
        QFETCH(int, tipo);
        FRMBU_BDGINTRIC form;
        test::grigliaDiProva(form);
        form.state().NrDecimali = std::int16_t(decimali);
        ArrayVariant testata;
        RecordsetPtr office;
        ExportToOffice_GetDati(form, testata, office);
        QVERIFY(office && testata.colonne() == 5);
        for (int colonna = 0; colonna < 5; ++colonna)
            QCOMPARE(testata(1, colonna).toInt32(), colonna < 2 ? 202 : tipo);
        QCOMPARE(office->field(office->requireField(u"IMP1")).scale, decimali);
        // VOCE 2100 and VOCEDES 3000 twips wide: 140 and 200 characters.
        QCOMPARE(office->field(0).definedSize, 140);
        QCOMPARE(office->field(1).definedSize, 200);
    }

    void nodesSharingACodeKeepTheirOwnPeriods() {
        // Account 100 stands twice under its item, once per nature: each row lists its own
        // two periods, not both rows' periods.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(company.buildFixture(QStringLiteral("nature")), qPrintable(company.errorText()));
        test::FormSession session(company.global());
        session->Form_Activate();
        QVERIFY2(session.run({"sottotipo:SB5", "criterio:CR05", "set:0:2026:1", "set:0:2025:1",
                              "set:1:2026:1", "BUT_ELABORA", "BUT_PERIODI_VISIBLE"}),
                 qPrintable(session.failed));
        ArrayVariant testata;
        RecordsetPtr office;
        ExportToOffice_GetDati(*session, testata, office);
        QVERIFY(office);
        office->setFilter(QStringLiteral("VOCE = '---------- * 100'"));
        QStringList righe;
        for (office->MoveFirst(); !office->Eof(); office->MoveNext())
            righe << (office->value(u"PERIODO").toString() == "Totale" ? "Totale|" : "|") +
                         office->value(u"IMP1").toString();
        QCOMPARE(righe, (QStringList{"|30.00", "|20.00", "Totale|50.00", "|", "|-20.00",
                                     "Totale|-20.00"}));
    }

    void csvRendersTheSameBlocks_data() {
        const CsvCase cases[] = {
            {"label and value", 1, "Sottotipo budget,SB1 - Quadrimestrale"},
            {"empty line between blocks", 5, ""},
            {"comma quoted", 20,
             "---------- * FC,\"Quota:[C1]*0,5\",-62.00,-63.50,-1.50,-37.50,26.00,40.94"},
            {"Null empty", 21,
             "--------------- * 590,Accantonamenti,8.00,9.00,1.00,,-9.00,-100.00"},
        };
        test::addCaseRows(cases);
    }
    void csvRendersTheSameBlocks() {
        QFETCH(CsvCase, c);
        QString testo;
        QTextStream out(&testo);
        m_csv.scriviCsv(out);
        out.flush();
        QCOMPARE(testo.split(QStringLiteral("\r\n")).value(c.riga), QString::fromUtf8(c.attesa));
    }

    void workbookHasTitleHeadersAndTheIndentedTree_data() {
        // cell, then value | number format | bold | alignment
        const char* const celle[][3] = {
            {"title", "A1", "Budget per criterio CE01|General|B|left"},
            {"text header left", "A3", "Voce/Conto|General|B|left"},
            {"amount header centred", "C3", "Bdg 2026|General|B|center"},
            {"percentage header", "F3", "% Con2026|General|B|center"},
            {"criterion at level 0", "A4", " * CE01|General||"},
            {"amount", "C5", "1234567|#,##0.00||"},
            {"half a unit", "D9", "-234566.5|#,##0.00||"},
            {"zero kept", "E5", "0|#,##0.00||"},
            {"percentage times 100", "F6", "-100|#,##0.00||"},
            {"tiny percentage rounds to 0", "F9", "0|#,##0.00||"},
            {"Null amount blank", "D6", "|#,##0.00||"},
        };
        QTest::addColumn<QString>("cella");
        QTest::addColumn<QString>("atteso");
        test::addTextRows(celle);
        const QString blanchi(12, QLatin1Char(' '));
        QTest::newRow("item at level 1") << "A5" << blanchi + " * R|General||";
        QTest::newRow("account at level 3") << "A9" << blanchi.repeated(3) + " * 6010|General||";
    }
    void workbookHasTitleHeadersAndTheIndentedTree() {
        // Every cell is bordered; the title spans the table; rows scroll under the header.
        QFETCH(QString, cella);
        QFETCH(QString, atteso);
        GrigliaProva prova;
        const test::LettoreXlsx foglio = prova.foglio();
        const test::StileCella stile = foglio.stile(cella);
        QVERIFY(foglio.esiste(cella) && stile.bordo);
        QCOMPARE(QStringList({foglio.valore(cella), stile.formato, stile.grassetto ? "B" : "",
                              stile.allineamento})
                     .join('|'),
                 atteso);
        QCOMPARE(foglio.unioni(), QStringList{"A1:F1"});
        QCOMPARE(foglio.bloccoRiquadri(), QStringLiteral("A4"));
        QVERIFY(!foglio.esiste("A10"));
        QVERIFY(prova.messaggi.messages().isEmpty());
    }

    void backColourShadesTitleAndHeadersAndZerosMayGoBlank() {
        // The default scheme, and another with zero amounts hidden (the other colours are a
        // table of the code): the title and the headers are shaded, the amounts not; a hidden
        // zero is blank, while a percentage of 0 and other amounts stay.
        for (const auto& [schema, sfondo] : {std::pair{0, "F5F5F5"}, std::pair{5, "D8D5EC"}}) {
            GrigliaProva prova;
            prova.scrittore.BackColor = schema;
            prova.scrittore.NascondiZero = schema != 0;
            const test::LettoreXlsx foglio = prova.foglio();
            QCOMPARE(foglio.stile("A1").sfondo + foglio.stile("E3").sfondo +
                         foglio.stile("E5").sfondo,
                     QString::fromLatin1(sfondo).repeated(2));
            QCOMPARE(QStringList({foglio.valore("E5"), foglio.valore("F5"), foglio.valore("E7")}),
                     (QStringList{schema != 0 ? "" : "0", "0", "0.5"}));
        }
    }

    void multiLetterCountsColumnsInLetters_data() {
        QTest::addColumn<Variant>("numero");
        QTest::addColumn<QString>("lettere");
        QTest::addColumn<int>("messaggi");
        const QList<std::pair<int, QString>> casi{{1, "A"},     {26, "Z"},  {27, "AA"},
                                                  {52, "AZ"},   {53, "BA"}, {702, "ZZ"},
                                                  {703, "AAA"}, {0, ""},    {-3, ""}};
        for (const auto& [numero, lettere] : casi)
            QTest::addRow("%d", numero) << Variant(numero) << lettere << 0;
        QTest::newRow("number as text") << Variant("28") << "AB" << 0;
        QTest::newRow("not a number") << Variant("X") << "" << 1;
    }
    void multiLetterCountsColumnsInLetters() {
        QFETCH(Variant, numero);
        QFETCH(QString, lettere);
        QFETCH(int, messaggi);
        GrigliaProva prova;
        QCOMPARE(prova.scrittore.MultiLetter(numero), lettere);
        QCOMPARE(prova.messaggi.messages().size(), messaggi);
    }

    void unwritableFileIsToldWithAbortRetryIgnore_data() {
        QTest::addColumn<QList<int>>("risposte");
        QTest::newRow("abort") << QList<int>{MessageAnswer::Abort};
        QTest::newRow("retry, then abort")
            << QList<int>{MessageAnswer::Retry, MessageAnswer::Abort};
        QTest::newRow("ignore") << QList<int>{MessageAnswer::Ignore};
    }
    void unwritableFileIsToldWithAbortRetryIgnore() {
        // A folder that does not exist: nothing is written, whatever the answer.
        QFETCH(QList<int>, risposte);
        GrigliaProva prova;
        for (const int risposta : risposte)
            prova.messaggi.queueAnswer(risposta);
        prova.scrittore.NomeFile = prova.cartella.filePath(QStringLiteral("manca/griglia.xlsx"));
        QVERIFY(!prova.scrittore.ExportToExcel());
        QVERIFY(QDir(prova.cartella.path()).entryList(QDir::Files).isEmpty());
        const QList<RecordedMessage> mostrati = prova.messaggi.messages();
        QCOMPARE(mostrati.size(), risposte.size());
        QCOMPARE(mostrati.last().style, 18);
        QCOMPARE(mostrati.last().title, QString());
        QVERIFY(mostrati.last().text.contains(QLatin1String("manca/griglia.xlsx")));
        QVERIFY(mostrati.last().text.endsWith(QLatin1String(" in ExportToExcel ")));
    }

private:
    QTemporaryDir m_cartella;
    EsportazioneOffice m_csv;
    std::map<QString, test::LettoreXlsx> m_fogli;
};

QTEST_GUILESS_MAIN(TestExportToOffice)
#include "test_export_to_office.moc"
