#include "engine/rst_criterio.h"

#include <QTest>

using namespace bdg;

class TestRstCriterio : public QObject {
    Q_OBJECT

private slots:
    void levelMultiplier_data() {
        QTest::addColumn<QString>("count"); // "Null" or a number
        QTest::addColumn<int>("multiplier");

        QTest::newRow("Null") << "Null" << 10;
        QTest::newRow("9") << "9" << 10;
        QTest::newRow("10 strictly greater") << "10" << 20;
        QTest::newRow("199") << "199" << 200;
        QTest::newRow("200 not 210") << "200" << 200;
        QTest::newRow("201") << "201" << 200;
        QTest::newRow("-5") << "-5" << 200;
    }

    void levelMultiplier() {
        // The smallest multiple of 10 above the count, capped at 200.
        QFETCH(QString, count);
        QFETCH(int, multiplier);
        const Variant rows =
            count == QLatin1String("Null") ? Variant::null() : Variant(count.toInt());
        QCOMPARE(GetNrVociPerLivello(rows), multiplier);
    }
};

QTEST_GUILESS_MAIN(TestRstCriterio)
#include "test_rst_criterio.moc"
