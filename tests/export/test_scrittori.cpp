#include "export/risultato.h"
#include "export/scrittore_csv.h"
#include "export/scrittore_json.h"
#include "risultato_prova.h"

#include <QJsonArray>
#include <QJsonObject>
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
};

QTEST_GUILESS_MAIN(TestScrittori)
#include "test_scrittori.moc"
