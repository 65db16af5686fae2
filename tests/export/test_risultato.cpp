#include "export/risultato.h"
#include "export/tabella_testo.h"
#include "risultato_prova.h"

#include <QTest>
#include <QTextStream>

using namespace bdg;

class TestRisultato : public QObject {
    Q_OBJECT

private slots:
    void treeIsDepthFirstWithChildrenByKey() {
        // Rows arrive with the accounts before a deeper item; the display puts each node
        // right after its parent, siblings by KEY_VOCE.
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QList<std::int64_t> chiavi;
        QList<int> livelli;
        for (const NodoRisultato& nodo : risultato.albero()) {
            chiavi << nodo.chiave;
            livelli << nodo.livello;
        }
        QCOMPARE(chiavi, (QList<std::int64_t>{0, 1, 501, 2, 21, 10501}));
        QCOMPARE(livelli, (QList<int>{0, 1, 2, 1, 2, 3}));
    }

    void columnsFollowTheSequenceAndTheSetsFlags() {
        // Set 1 has only its amount; set 2 asked for its difference, not its percentage.
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QStringList campi;
        QStringList visibili;
        for (const ColonnaRisultato& colonna : risultato.colonne())
            campi << colonna.campo + QLatin1Char('=') + colonna.didascalia;
        for (const ColonnaRisultato& colonna : risultato.colonneVisibili())
            visibili << colonna.campo;
        QCOMPARE(campi, (QStringList{"IMP1=Bdg 2026", "IMP2=Con 2026", "DELTA_IMP2=D Con2026",
                                     "DELTA_PERC2=% Con2026"}));
        QCOMPARE(visibili, (QStringList{"IMP1", "IMP2", "DELTA_IMP2"}));
    }

    void tableIndentsByLevelAndFormatsAmounts_data() {
        QTest::addColumn<int>("riga");
        QTest::addColumn<QString>("inizio");
        QTest::addColumn<QStringList>("importi");
        // Line 0 is the header, line 1 its rule.
        QTest::newRow("root") << 2 << "CE01 " << QStringList{};
        QTest::newRow("top item") << 3 << "  R "
                                  << QStringList{"1.234.567,00", "1.234.567,50", "0,50"};
        QTest::newRow("account of a top item")
            << 4 << "    4010 " << QStringList{"1.234.567,00", "-1.234.567,00"};
        QTest::newRow("second top item")
            << 5 << "  C " << QStringList{"-234.567,00", "-234.566,50"};
        QTest::newRow("level two item") << 6 << "    C1 " << QStringList{"-234.567,00"};
        QTest::newRow("account of a level two item") << 7 << "      6010 " << QStringList{"0,50"};
    }
    void tableIndentsByLevelAndFormatsAmounts() {
        QFETCH(int, riga);
        QFETCH(QString, inizio);
        QFETCH(QStringList, importi);
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QString testo;
        QTextStream out(&testo);
        TabellaTesto(120).write(risultato, out);
        out.flush();
        const QStringList righe = testo.split(QLatin1Char('\n'));
        QVERIFY2(righe.value(riga).startsWith(inizio), qPrintable(righe.value(riga)));
        for (const QString& importo : importi)
            QVERIFY2(righe.value(riga).contains(QLatin1Char(' ') + importo),
                     qPrintable(righe.value(riga)));
    }

    void tableHeaderShowsOnlyTheColumnsAskedFor() {
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QString testo;
        QTextStream out(&testo);
        TabellaTesto(120).write(risultato, out);
        out.flush();
        const QString intestazione = testo.section(QLatin1Char('\n'), 0, 0);
        QVERIFY(intestazione.startsWith(QStringLiteral("Voce/Conto")));
        QVERIFY(intestazione.contains(QStringLiteral("Bdg 2026")));
        QVERIFY(intestazione.contains(QStringLiteral("D Con2026")));
        QVERIFY(!intestazione.contains(QStringLiteral("% Con2026")));
        // A Null amount is an empty cell, not a zero.
        QVERIFY(!testo.section(QLatin1Char('\n'), 4, 4).contains(QStringLiteral("0,00")));
    }

    void narrowTerminalCutsDescriptionsNotAmounts() {
        FormState state;
        test::statoDiProva(state);
        Risultato risultato(state, {});
        QString testo;
        QTextStream out(&testo);
        TabellaTesto(40).write(risultato, out);
        out.flush();
        const QString radice = testo.section(QLatin1Char('\n'), 2, 2);
        QVERIFY2(radice.contains(QChar(0x2026)), qPrintable(radice));
        QVERIFY(testo.section(QLatin1Char('\n'), 3, 3).contains(QStringLiteral("1.234.567,50")));
    }
};

QTEST_GUILESS_MAIN(TestRisultato)
#include "test_risultato.moc"
