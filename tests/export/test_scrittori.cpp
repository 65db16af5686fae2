#include "export/risultato.h"
#include "export/scrittore_csv.h"
#include "export/scrittore_json.h"
#include "export/tabella_testo.h"
#include "risultato_prova.h"

#include <QJsonArray>
#include <QJsonDocument>
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

// The written text read back by Qt's own parser; a text that is not JSON gives an empty object.
QJsonObject jsonOf(Risultato& risultato, bool periodi = false) {
    QString testo;
    QTextStream out(&testo);
    ScrittoreJson(periodi).write(risultato, out);
    out.flush();
    QJsonParseError errore;
    const QJsonDocument documento = QJsonDocument::fromJson(testo.toUtf8(), &errore);
    if (errore.error != QJsonParseError::NoError)
        qWarning("not JSON: %s", qPrintable(errore.errorString()));
    return documento.object();
}

// The proof result as the text table of a terminal `larghezza` characters wide, by lines.
QStringList tabella(int larghezza) {
    FormState state;
    test::statoDiProva(state);
    Risultato risultato(state, {});
    QString testo;
    QTextStream out(&testo);
    TabellaTesto(larghezza).write(risultato, out);
    out.flush();
    return testo.split(QLatin1Char('\n'));
}

struct LineCase {
    const char* name;
    int riga;
    const char* inizio;
    QStringList importi;
};

} // namespace

class TestScrittori : public QObject {
    Q_OBJECT

    FormState state;

private slots:
    void init() {
        state = FormState();
        test::statoDiProva(state);
    }

    void tableIndentsByLevelAndFormatsAmounts_data() {
        // Line 0 is the header, line 1 its rule; each node follows its parent, siblings by
        // KEY_VOCE, though the accounts were added before the deeper item.
        const LineCase cases[] = {
            {"root", 2, "CE01 ", {}},
            {"top item", 3, "  R ", {"1.234.567,00", "1.234.567,50", "0,50"}},
            {"account of a top item", 4, "    4010 ", {"1.234.567,00", "-1.234.567,00"}},
            {"second top item", 5, "  C ", {"-234.567,00", "-234.566,50"}},
            {"level two item", 6, "    C1 ", {"-234.567,00"}},
            {"account of a level two item", 7, "      6010 ", {"0,50"}},
        };
        test::addCaseRows(cases);
    }
    void tableIndentsByLevelAndFormatsAmounts() {
        QFETCH(LineCase, c);
        const QString riga = tabella(120).value(c.riga);
        QVERIFY2(riga.startsWith(QLatin1String(c.inizio)), qPrintable(riga));
        for (const QString& importo : c.importi)
            QVERIFY2(riga.contains(QLatin1Char(' ') + importo), qPrintable(riga));
    }

    void tableShowsOnlyTheColumnsAskedForAndCutsDescriptions() {
        const QStringList righe = tabella(120);
        QVERIFY(righe.value(0).startsWith(QStringLiteral("Voce/Conto")));
        QVERIFY(righe.value(0).contains(QStringLiteral("D Con2026")));
        QVERIFY(!righe.value(0).contains(QStringLiteral("% Con2026")));
        // A Null amount is an empty cell, not a zero.
        QVERIFY(!righe.value(4).contains(QStringLiteral("0,00")));
        // A narrow terminal cuts descriptions, never amounts.
        const QStringList strette = tabella(40);
        QVERIFY2(strette.value(2).contains(QChar(0x2026)), qPrintable(strette.value(2)));
        QVERIFY(strette.value(3).contains(QStringLiteral("1.234.567,50")));
    }

    void csvHasEveryFieldExactInKeyOrder() {
        // Every field in KEY_VOCE order: Null amounts empty, a comma quoted, quotes doubled,
        // every line ended by CR LF.
        Risultato risultato(state, {});
        QCOMPARE(
            csvOf(risultato).split(QStringLiteral("\r\n")),
            (QStringList{
                "KEY_VOCE,KEY_VOCEPADRE,VOCE,VOCEDES,TIPOVOCE,TIPORECORD,IMP1,IMP2,DELTA_IMP2,"
                "DELTA_PERC2",
                "0,,CE01,CE01 - Criterio di elaborazione,4,K,,,,",
                "1,0,R,Ricavi,1,V,1234567.00,1234567.50,0.50,0.000000",
                "2,0,C,Costi,1,V,-234567.00,-234566.50,0.50,-0.000002",
                "21,2,C1,Acquisti,0,V,-234567.00,-234566.50,0.50,-0.000002",
                "501,1,4010,\"Vendite, Italia\",5,C,1234567.00,,-1234567.00,-1.000000",
                "10501,21,6010,\"Materie \"\"prime\"\"\",5,C,-234567.00,-234566.50,0.50,-0.000002",
                ""}));
    }

    void jsonKeepsDecimalsAsTextNullAsNullCaptionsAndPeriods() {
        Risultato risultato(state, {});
        const QJsonObject radice = jsonOf(risultato);
        const QJsonArray righe = radice.value("criterio").toArray();
        QCOMPARE(righe.size(), 6);
        const QJsonObject conto = righe.at(4).toObject();
        QCOMPARE(conto.value("KEY_VOCE").toInteger(), 501);
        QVERIFY(conto.value("KEY_VOCE").isDouble());
        QCOMPARE(conto.value("IMP1").toString(), QStringLiteral("1234567.00"));
        QVERIFY(conto.value("IMP2").isNull());
        QCOMPARE(conto.value("DELTA_PERC2").toString(), QStringLiteral("-1.000000"));
        QVERIFY(righe.at(0).toObject().value("KEY_VOCEPADRE").isNull());
        QVERIFY(!radice.contains("periodi"));
        QCOMPARE(radice.value("didascalie").toArray(),
                 (QJsonArray{QJsonObject{{"insieme", 1}, {"IMP1", "Bdg 2026"}},
                             QJsonObject{{"insieme", 2},
                                         {"IMP2", "Con 2026"},
                                         {"DELTA_IMP2", "D Con2026"},
                                         {"DELTA_PERC2", "% Con2026"}}}));
        // Asked for, the node-by-period table follows in KEY_VOCE, PERIODO order, although
        // its rows were added out of order.
        state.RstCriterioPeriodi = test::table(QStringLiteral("KEY_VOCE:i PERIODO:i IMP1:d2"),
                                               {"501|2|7.50", "1|2|-1.25", "501|1|2.00", "1|1|"});
        Risultato conPeriodi(state, {});
        QStringList periodi;
        for (const QJsonValue& riga : jsonOf(conPeriodi, true).value("periodi").toArray()) {
            const QJsonObject campi = riga.toObject();
            periodi << QStringLiteral("%1/%2=%3")
                           .arg(campi.value("KEY_VOCE").toInteger())
                           .arg(campi.value("PERIODO").toInteger())
                           .arg(campi.value("IMP1").isNull() ? "null"
                                                             : campi.value("IMP1").toString());
        }
        QCOMPARE(periodi, QStringList({"1/1=null", "1/2=-1.25", "501/1=2.00", "501/2=7.50"}));
    }

    void jsonEscapesWhatADescriptionMayHold_data() {
        QTest::addColumn<QString>("descrizione");
        QTest::newRow("quotes and backslash") << QStringLiteral("Costi \"fissi\" \\ variabili");
        QTest::newRow("line breaks and tab") << QStringLiteral("Riga 1\r\nRiga 2\tfine");
        QTest::newRow("control character") << QStringLiteral("Prima") + QChar(0x01) + "dopo";
        QTest::newRow("accents and euro") << QStringLiteral("Attività in €");
    }
    void jsonEscapesWhatADescriptionMayHold() {
        // A description with characters that JSON must escape reads back unchanged.
        QFETCH(QString, descrizione);
        Recordset righe = state.RstCriterio->Clone();
        righe.setFilter(QStringLiteral("KEY_VOCE = 1"));
        righe.setValue(u"VOCEDES", Variant(descrizione));
        righe.Update();
        Risultato risultato(state, {{QStringLiteral("db"), descrizione}});
        const QJsonObject radice = jsonOf(risultato);
        QCOMPARE(radice.value("criterio").toArray().at(1).toObject().value("VOCEDES").toString(),
                 descrizione);
        QCOMPARE(radice.value("parametri").toObject().value("db").toString(), descrizione);
    }
};

QTEST_GUILESS_MAIN(TestScrittori)
#include "test_scrittori.moc"
