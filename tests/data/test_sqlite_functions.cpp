// The doubles SQLite hands the exact ROUND and SUM; their results are read back through a
// connection in test_connection.
#include "data/decimal.h"
#include "data/sqlite_functions.h"

#include <QTest>

using namespace bdg;

class TestSqliteFunctions : public QObject {
    Q_OBJECT

private slots:
    void aDoubleReadsAsItsShortestDecimal_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.675, a hair below in binary") << 2.675 << "2.675";
        QTest::newRow("a tenth") << 0.1 << "0.1";
        QTest::newRow("a large amount") << -98765432.1 << "-98765432.1";
        QTest::newRow("a whole number") << 1e15 << "1000000000000000";
        QTest::newRow("cents of a large amount") << 1234567890.12 << "1234567890.12";
        QTest::newRow("negative cents") << -0.07 << "-0.07";
        QTest::newRow("a third, no short text") << 1.0 / 3 << "0.3333333333333333";
        QTest::newRow("just past the short path") << 1099511627776.5 << "1099511627776.5";
        QTest::newRow("tiny") << 1e-9 << "0.000000001";
    }
    void aDoubleReadsAsItsShortestDecimal() {
        // SQLite's REALs enter the sums as the decimal a person typed, not the binary expansion.
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(decimalFromDouble(value).toString(), expected);
    }
};

QTEST_GUILESS_MAIN(TestSqliteFunctions)
#include "test_sqlite_functions.moc"
