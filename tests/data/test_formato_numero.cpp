#include "data/formato_numero.h"
#include "data/tsv_rows.h"

#include <QTest>

using bdg::Decimal;
using bdg::FormatoNumero;

class TestFormatoNumero : public QObject {
    Q_OBJECT

private slots:
    void masksGiveItalianText_data() {
        bdg::test::addTsvRows("maschere", {"maschera", "valore", "atteso"});
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
