#include "data/formato_numero.h"

#include <QTest>

using bdg::Decimal;
using bdg::FormatoNumero;

class TestFormatoNumero : public QObject {
    Q_OBJECT

private slots:
    void masksGiveItalianText_data() {
        QTest::addColumn<QString>("maschera");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("atteso");
        const QString importi = QStringLiteral("##,###,###,##0.00");
        const QString percentuali = QStringLiteral("#,###,##0.00%");
        QTest::newRow("millions") << importi << "1234567"
                                  << "1.234.567,00";
        QTest::newRow("thousand exactly") << importi << "1000"
                                          << "1.000,00";
        QTest::newRow("below a thousand") << importi << "999.99"
                                          << "999,99";
        QTest::newRow("negative") << importi << "-1234.5"
                                  << "-1.234,50";
        QTest::newRow("half rounds away from zero") << importi << "0.005"
                                                    << "0,01";
        QTest::newRow("negative half away from zero") << importi << "-2.345"
                                                      << "-2,35";
        QTest::newRow("tiny negative shows no sign") << importi << "-0.004"
                                                     << "0,00";
        QTest::newRow("zero") << importi << "0"
                              << "0,00";
        QTest::newRow("no decimals rounds up a digit group") << "##,###,###,##0"
                                                             << "999.5"
                                                             << "1.000";
        QTest::newRow("percentage of a ratio") << percentuali << "-0.464381"
                                               << "-46,44%";
        QTest::newRow("percentage above one") << percentuali << "2"
                                              << "200,00%";
        QTest::newRow("percentage grouped") << percentuali << "123.456789"
                                            << "12.345,68%";
        QTest::newRow("optional decimals dropped") << "#,##0.###"
                                                   << "1.5"
                                                   << "1,5";
        QTest::newRow("optional decimals kept") << "#,##0.0##"
                                                << "1.23456"
                                                << "1,235";
        QTest::newRow("mask without grouping") << "0.00"
                                               << "1234.5"
                                               << "1234,50";
        QTest::newRow("beyond 64 bits") << importi << "123456789012345678901.5"
                                        << "123.456.789.012.345.678.901,50";
    }
    void masksGiveItalianText() {
        QFETCH(QString, maschera);
        QFETCH(QString, valore);
        QFETCH(QString, atteso);
        QCOMPARE(FormatoNumero(maschera).format(Decimal::parse(valore)), atteso);
    }

    void maskFeaturesAreRead() {
        // The currency table's own masks carry their decimals after the point.
        const FormatoNumero yen(QStringLiteral("#,##0"));
        QCOMPARE(yen.decimali(), 0);
        QVERIFY(yen.hasRaggruppamento());
        QVERIFY(!yen.isPercentuale());
        const FormatoNumero percentuale(QStringLiteral("#,###,##0.00%"));
        QCOMPARE(percentuale.decimali(), 2);
        QVERIFY(percentuale.isPercentuale());
    }
};

QTEST_GUILESS_MAIN(TestFormatoNumero)
#include "test_formato_numero.moc"
