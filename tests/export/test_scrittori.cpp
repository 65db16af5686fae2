#include "export/risultato.h"
#include "export/scrittore_csv.h"
#include "export/scrittore_json.h"
#include "export/scrittore_xlsx.h"
#include "risultato_prova.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace bdg;

namespace {

QString csvOf(Risultato& risultato) {
    QString testo;
    QTextStream out(&testo);
    ScrittoreCsv().write(risultato, out);
    out.flush();
    return testo;
}

QByteArray unzipped(const QString& archive, const QString& member) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    if (!unzip.waitForFinished(30000))
        return {};
    return unzip.readAllStandardOutput();
}

} // namespace

class TestScrittori : public QObject {
    Q_OBJECT

private slots:
    void csvHasEveryFieldExactInKeyOrder_data() {
        QTest::addColumn<int>("riga");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("header") << 0
                                << "KEY_VOCE,KEY_VOCEPADRE,VOCE,VOCEDES,TIPOVOCE,TIPORECORD,IMP1,"
                                   "IMP2,DELTA_IMP2,DELTA_PERC2";
        QTest::newRow("root with Null amounts")
            << 1 << "0,,CE01,CE01 - Criterio di elaborazione,4,K,,,,";
        QTest::newRow("item") << 2 << "1,0,R,Ricavi,1,V,1234567.00,1234567.50,0.50,0.000000";
        QTest::newRow("second item") << 3 << "2,0,C,Costi,1,V,-234567.00,-234566.50,0.50,-0.000002";
        QTest::newRow("deeper item before accounts")
            << 4 << "21,2,C1,Acquisti,0,V,-234567.00,-234566.50,0.50,-0.000002";
        QTest::newRow("comma quoted, Null empty")
            << 5 << "501,1,4010,\"Vendite, Italia\",5,C,1234567.00,,-1234567.00,-1.000000";
        QTest::newRow("quotes doubled")
            << 6
            << "10501,21,6010,\"Materie \"\"prime\"\"\",5,C,-234567.00,-234566.50,0.50,-0.000002";
    }
    void csvHasEveryFieldExactInKeyOrder() {
        QFETCH(int, riga);
        QFETCH(QString, atteso);
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        const QStringList righe = csvOf(risultato).split(QStringLiteral("\r\n"));
        QCOMPARE(righe.size(), 8); // six rows, the header and the empty text after the last end
        QCOMPARE(righe.value(riga), atteso);
    }

    void jsonKeepsDecimalsAsTextAndNullAsNull() {
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {{QStringLiteral("sottotipo"), QStringLiteral("TRIM")}});
        const QJsonObject radice = ScrittoreJson().document(risultato).object();
        QCOMPARE(radice.value("parametri").toObject().value("sottotipo").toString(),
                 QStringLiteral("TRIM"));
        const QJsonArray righe = radice.value("criterio").toArray();
        QCOMPARE(righe.size(), 6);
        const QJsonObject conto = righe.at(4).toObject();
        QCOMPARE(conto.value("KEY_VOCE").toInteger(), 501);
        QVERIFY(conto.value("KEY_VOCE").isDouble());
        QCOMPARE(conto.value("IMP1").toString(), QStringLiteral("1234567.00"));
        QVERIFY(conto.value("IMP2").isNull());
        QCOMPARE(conto.value("DELTA_PERC2").toString(), QStringLiteral("-1.000000"));
        QCOMPARE(conto.value("VOCE").toString(), QStringLiteral("4010"));
        QVERIFY(righe.at(0).toObject().value("KEY_VOCEPADRE").isNull());
        QVERIFY(!radice.contains("periodi"));
    }

    void jsonCarriesTheCaptionsPerSet() {
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        const QJsonArray didascalie =
            ScrittoreJson().document(risultato).object().value("didascalie").toArray();
        QCOMPARE(didascalie.size(), 2);
        QCOMPARE(didascalie.at(0).toObject(), (QJsonObject{{"insieme", 1}, {"IMP1", "Bdg 2026"}}));
        QCOMPARE(didascalie.at(1).toObject(), (QJsonObject{{"insieme", 2},
                                                           {"IMP2", "Con 2026"},
                                                           {"DELTA_IMP2", "D Con2026"},
                                                           {"DELTA_PERC2", "% Con2026"}}));
    }

    void xlsxHoldsTitleCaptionsIndentedTreeAndNumbers() {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QTemporaryDir cartella;
        const QString file = cartella.filePath(QStringLiteral("risultato.xlsx"));
        ScrittoreXlsx(QStringLiteral("Budget per criterio CE01")).write(risultato, file);
        QVERIFY(!QFile::exists(file + QStringLiteral(".tmp")));
        const QString stringhe = QString::fromUtf8(unzipped(file, "xl/sharedStrings.xml"));
        for (const char* testo : {"Budget per criterio CE01", "Voce/Conto", "Bdg 2026", "Con 2026",
                                  "D Con2026", "Vendite, Italia"})
            QVERIFY2(stringhe.contains(QLatin1String(testo)), testo);
        QVERIFY(!stringhe.contains(QLatin1String("% Con2026")));
        const QString foglio = QString::fromUtf8(unzipped(file, "xl/worksheets/sheet1.xml"));
        // Row 5 is item R: both amounts and the difference as numbers.
        for (const char* cella :
             {"r=\"C5\"", "<v>1234567</v>", "<v>1234567.5</v>", "<v>0.5</v>", "<v>-234566.5</v>"})
            QVERIFY2(foglio.contains(QLatin1String(cella)), cella);
        // The account's missing second amount is no cell at all.
        QVERIFY(foglio.contains(QLatin1String("r=\"C6\"")));
        QVERIFY(!foglio.contains(QLatin1String("r=\"D6\"")));
        const QString stili = QString::fromUtf8(unzipped(file, "xl/styles.xml"));
        QVERIFY(stili.contains(QLatin1String("formatCode=\"##,###,###,##0.00\"")));
        QVERIFY(stili.contains(QLatin1String("indent=\"3\"")));
    }

    void xlsxIntoAMissingFolderFailsAndLeavesNothing() {
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QTemporaryDir cartella;
        const QString file = cartella.filePath(QStringLiteral("manca/risultato.xlsx"));
        QVERIFY_THROWS_EXCEPTION(ErroreXlsx,
                                 ScrittoreXlsx(QStringLiteral("t")).write(risultato, file));
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestScrittori)
#include "test_scrittori.moc"
