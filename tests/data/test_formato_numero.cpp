#include "data/formato_numero.h"
#include "support/text_rows.h"

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
        const char* const importi = "##,###,###,##0.00";
        const char* const percentuali = "#,###,##0.00%";
        const char* const rows[][4] = {
            {"millions", importi, "1234567", "1.234.567,00"},
            {"below a thousand", importi, "999.99", "999,99"},
            {"negative", importi, "-1234.5", "-1.234,50"},
            {"half rounds away from zero", importi, "0.005", "0,01"},
            {"negative half away from zero", importi, "-2.345", "-2,35"},
            {"tiny negative shows no sign", importi, "-0.004", "0,00"},
            {"no decimals rounds up a digit group", "##,###,###,##0", "999.5", "1.000"},
            {"percentage of a ratio", percentuali, "-0.464381", "-46,44%"},
            {"percentage grouped", percentuali, "123.456789", "12.345,68%"},
            {"optional decimals kept", "#,##0.0##", "1.23456", "1,235"},
            {"mask without grouping", "0.00", "1234.5", "1234,50"},
            {"beyond 64 bits", importi, "123456789012345678901.5",
             "123.456.789.012.345.678.901,50"},
        };
        bdg::test::addTextRows(rows);
    }
    void masksGiveItalianText() {
        QFETCH(QString, maschera);
        QFETCH(QString, valore);
        QFETCH(QString, atteso);
        QCOMPARE(FormatoNumero(maschera).format(Decimal::parse(valore)), atteso);
    }
};

QTEST_GUILESS_MAIN(TestFormatoNumero)
#include "test_formato_numero.moc"
