// The doubles SQLite hands the exact ROUND and SUM; their results are read back through a
// connection in test_connection.
#include "data/decimal.h"
#include "data/sqlite_functions.h"
#include "data/tsv_rows.h"

#include <QTest>

using namespace bdg;

class TestSqliteFunctions : public QObject {
    Q_OBJECT

private slots:
    void aDoubleReadsAsItsShortestDecimal_data() {
        test::addTsvRows("double_decimali", {"value", "expected"});
    }
    void aDoubleReadsAsItsShortestDecimal() {
        // SQLite's REALs enter the sums as the decimal a person typed, not the binary expansion.
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(decimalFromDouble(value.toDouble()).toString(), expected);
    }
};

QTEST_GUILESS_MAIN(TestSqliteFunctions)
#include "test_sqlite_functions.moc"
