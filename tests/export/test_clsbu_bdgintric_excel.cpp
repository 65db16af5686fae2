#include "export/clsbu_bdgintric_excel.h"
#include "form/frmbu_bdgintric.h"
#include "host/basic_module.h"
#include "host/host_global.h"
#include "host/message_service.h"
#include "host/trace.h"
#include "lettore_xlsx.h"
#include "risultato_prova.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace bdg;

namespace {

const QString Blanchi12(12, QLatin1Char(' '));

// The hand-built result in the form's tree grid: two sets, the second showing its
// difference and its percentage; item R's difference set to 0.
struct GrigliaProva {
    GrigliaProva() : global(&messaggi, nullptr, QString()) {
        test::statoDiProva(form.state());
        Recordset& confronto = *form.state().RstConfronto;
        for (confronto.MoveFirst(); !confronto.Eof(); confronto.MoveNext())
            confronto.setValue(u"CFR_DELTA_PERC", Variant(1));
        Recordset& criterio = *form.state().RstCriterio;
        criterio.setFilter(QStringLiteral("KEY_VOCE = 1"));
        criterio.setValue(u"DELTA_IMP2", Variant(Decimal()));
        criterio.clearFilter();
        form.InitTGridCriteri();
        form.TGRID_BDGINTRIC.setDataSource(form.state().RstCriterio);
        modulo.setClsGlobal(&global);
        excel.ActiveInterface = &modulo;
        excel.TGRID = &form.TGRID_BDGINTRIC;
        excel.Titolo = QStringLiteral("Budget per criterio CE01");
        excel.NomeFile = cartella.filePath(QStringLiteral("griglia.xlsx"));
    }

    RecordingMessageService messaggi;
    HostGlobal global;
    BasicModule modulo;
    FRMBU_BDGINTRIC form;
    RecordingTraceSink traccia;
    CLSBU_BDGINTRIC_EXCEL excel{&traccia};
    QTemporaryDir cartella;
};

} // namespace

class TestClsbuBdgintricExcel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
    }

    void workbookHasTitleHeadersAndTheIndentedTree_data() {
        QTest::addColumn<QString>("cella");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("formato");
        QTest::addColumn<bool>("grassetto");
        QTest::addColumn<QString>("allineamento");
        QTest::newRow("title") << "A1"
                               << "Budget per criterio CE01"
                               << "General" << true << "left";
        QTest::newRow("text header left") << "A3"
                                          << "Voce/Conto"
                                          << "General" << true << "left";
        QTest::newRow("amount header centred") << "C3"
                                               << "Bdg 2026"
                                               << "General" << true << "center";
        QTest::newRow("percentage header") << "F3"
                                           << "% Con2026"
                                           << "General" << true << "center";
        QTest::newRow("criterion at level 0") << "A4"
                                              << " * CE01"
                                              << "General" << false << "";
        QTest::newRow("item at level 1") << "A5" << Blanchi12 + " * R"
                                         << "General" << false << "";
        QTest::newRow("account at level 3") << "A9" << Blanchi12 + Blanchi12 + Blanchi12 + " * 6010"
                                            << "General" << false << "";
        QTest::newRow("amount") << "C5"
                                << "1234567"
                                << "#,##0.00" << false << "";
        QTest::newRow("half a unit") << "D9"
                                     << "-234566.5"
                                     << "#,##0.00" << false << "";
        QTest::newRow("zero kept") << "E5"
                                   << "0"
                                   << "#,##0.00" << false << "";
        QTest::newRow("percentage times 100") << "F6"
                                              << "-100"
                                              << "#,##0.00" << false << "";
        QTest::newRow("tiny percentage rounds to 0") << "F9"
                                                     << "0"
                                                     << "#,##0.00" << false << "";
        QTest::newRow("Null amount blank, bordered") << "D6"
                                                     << ""
                                                     << "#,##0.00" << false << "";
    }
    void workbookHasTitleHeadersAndTheIndentedTree() {
        QFETCH(QString, cella);
        QFETCH(QString, valore);
        QFETCH(QString, formato);
        QFETCH(bool, grassetto);
        QFETCH(QString, allineamento);
        GrigliaProva prova;
        QVERIFY(prova.excel.ExportToExcel());
        const test::LettoreXlsx foglio(prova.excel.fileScritto());
        QVERIFY(foglio.esiste(cella));
        QCOMPARE(foglio.valore(cella), valore);
        QCOMPARE(foglio.stile(cella).formato, formato);
        QCOMPARE(foglio.stile(cella).grassetto, grassetto);
        QCOMPARE(foglio.stile(cella).allineamento, allineamento);
        QVERIFY(foglio.stile(cella).bordo);
        QCOMPARE(foglio.unioni(), QStringList{"A1:F1"});
        QCOMPARE(foglio.bloccoRiquadri(), QStringLiteral("A4"));
        QVERIFY(!foglio.esiste("A10"));
        QVERIFY(prova.messaggi.messages().isEmpty());
    }

    void backColourShadesTitleAndHeaders_data() {
        QTest::addColumn<int>("schema");
        QTest::addColumn<QString>("sfondo");
        const char* const attesi[] = {"F5F5F5", "E8F2FF", "F5F5F5", "FAF0E6",
                                      "EEF7E6", "D8D5EC", "E5EAED"};
        for (int schema = 0; schema < 7; ++schema)
            QTest::addRow("%d", schema) << schema << attesi[schema];
        QTest::newRow("unknown scheme") << 9 << "F5F5F5";
    }
    void backColourShadesTitleAndHeaders() {
        QFETCH(int, schema);
        QFETCH(QString, sfondo);
        GrigliaProva prova;
        prova.excel.BackColor = schema;
        QVERIFY(prova.excel.ExportToExcel());
        const test::LettoreXlsx foglio(prova.excel.fileScritto());
        QCOMPARE(foglio.stile("A1").sfondo, sfondo);
        QCOMPARE(foglio.stile("E3").sfondo, sfondo);
        QCOMPARE(foglio.stile("E5").sfondo, QString());
    }

    void nascondiZeroBlanksZeroAmountsOnly() {
        GrigliaProva prova;
        prova.excel.NascondiZero = true;
        QVERIFY(prova.excel.ExportToExcel());
        const test::LettoreXlsx foglio(prova.excel.fileScritto());
        QCOMPARE(foglio.valore("E5"), QString());
        QCOMPARE(foglio.valore("F5"), QStringLiteral("0")); // a percentage stays
        QCOMPARE(foglio.valore("E7"), QStringLiteral("0.5"));
    }

    void multiLetterCountsColumnsInLetters_data() {
        QTest::addColumn<Variant>("numero");
        QTest::addColumn<QString>("lettere");
        QTest::addColumn<int>("messaggi");
        QTest::newRow("1") << Variant(1) << "A" << 0;
        QTest::newRow("26") << Variant(26) << "Z" << 0;
        QTest::newRow("27") << Variant(27) << "AA" << 0;
        QTest::newRow("52") << Variant(52) << "AZ" << 0;
        QTest::newRow("53") << Variant(53) << "BA" << 0;
        QTest::newRow("702") << Variant(702) << "ZZ" << 0;
        QTest::newRow("703") << Variant(703) << "AAA" << 0;
        QTest::newRow("number as text") << Variant("28") << "AB" << 0;
        QTest::newRow("0") << Variant(0) << "" << 0;
        QTest::newRow("negative") << Variant(-3) << "" << 0;
        QTest::newRow("not a number") << Variant("X") << "" << 1;
    }
    void multiLetterCountsColumnsInLetters() {
        QFETCH(Variant, numero);
        QFETCH(QString, lettere);
        QFETCH(int, messaggi);
        GrigliaProva prova;
        QCOMPARE(prova.excel.MultiLetter(numero), lettere);
        QCOMPARE(prova.messaggi.messages().size(), messaggi);
    }

    void unwritableFileIsToldWithAbortRetryIgnore_data() {
        QTest::addColumn<QList<int>>("risposte");
        QTest::addColumn<int>("messaggi");
        QTest::newRow("abort") << QList<int>{MessageAnswer::Abort} << 1;
        QTest::newRow("retry, then abort")
            << QList<int>{MessageAnswer::Retry, MessageAnswer::Abort} << 2;
        QTest::newRow("ignore") << QList<int>{MessageAnswer::Ignore} << 1;
    }
    void unwritableFileIsToldWithAbortRetryIgnore() {
        // A folder that does not exist: nothing is written, whatever the answer.
        QFETCH(QList<int>, risposte);
        QFETCH(int, messaggi);
        GrigliaProva prova;
        for (const int risposta : risposte)
            prova.messaggi.queueAnswer(risposta);
        prova.excel.NomeFile = prova.cartella.filePath(QStringLiteral("manca/griglia.xlsx"));
        QVERIFY(!prova.excel.ExportToExcel());
        QVERIFY(QDir(prova.cartella.path()).entryList(QDir::Files).isEmpty());
        const QList<RecordedMessage> mostrati = prova.messaggi.messages();
        QCOMPARE(mostrati.size(), messaggi);
        QCOMPARE(mostrati.last().style, 18);
        QCOMPARE(mostrati.last().title, QString());
        QVERIFY(mostrati.last().text.contains(QLatin1String("manca/griglia.xlsx")));
        QVERIFY(mostrati.last().text.endsWith(QLatin1String(" in ExportToExcel ")));
    }

    void creationAndDestructionAreTraced() {
        RecordingTraceSink traccia;
        { CLSBU_BDGINTRIC_EXCEL excel(&traccia); }
        QCOMPARE(traccia.lines().size(), 2);
        const QStringList nascita = traccia.lines().at(0).split(QLatin1Char('|'));
        const QStringList fine = traccia.lines().at(1).split(QLatin1Char('|'));
        QCOMPARE(nascita, (QStringList{"WOBN:", nascita.value(1), "INI", "BUUO_BDGINTRIC",
                                       "CLSBU_BDGINTRIC_EXCEL"}));
        QCOMPARE(fine, (QStringList{"WOBN:", nascita.value(1), "TER", "BUUO_BDGINTRIC",
                                    "CLSBU_BDGINTRIC_EXCEL"}));
        QCOMPARE(nascita.value(1).size(), 32);
    }
};

QTEST_GUILESS_MAIN(TestClsbuBdgintricExcel)
#include "test_clsbu_bdgintric_excel.moc"
