#include "export/clsbu_bdgintric_excel.h"
#include "host/basic_module.h"
#include "host/host_global.h"
#include "host/message_service.h"
#include "lettore_xlsx.h"
#include "risultato_prova.h"
#include "support/text_rows.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace bdg;

namespace {

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

class TestClsbuBdgintricExcel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
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

    void backColourShadesTitleAndHeaders() {
        // The default scheme and another; the other colours are a table of the code.
        for (const auto& [schema, sfondo] : {std::pair{0, "F5F5F5"}, std::pair{5, "D8D5EC"}}) {
            GrigliaProva prova;
            prova.scrittore.BackColor = schema;
            const test::LettoreXlsx foglio = prova.foglio();
            QCOMPARE(foglio.stile("A1").sfondo, QString::fromLatin1(sfondo));
            QCOMPARE(foglio.stile("E3").sfondo, QString::fromLatin1(sfondo));
            QCOMPARE(foglio.stile("E5").sfondo, QString());
        }
    }

    void nascondiZeroBlanksZeroAmountsOnly() {
        GrigliaProva prova;
        prova.scrittore.NascondiZero = true;
        const test::LettoreXlsx foglio = prova.foglio();
        QCOMPARE(foglio.valore("E5"), QString());
        QCOMPARE(foglio.valore("F5"), QStringLiteral("0")); // a percentage stays
        QCOMPARE(foglio.valore("E7"), QStringLiteral("0.5"));
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
};

QTEST_GUILESS_MAIN(TestClsbuBdgintricExcel)
#include "test_clsbu_bdgintric_excel.moc"
