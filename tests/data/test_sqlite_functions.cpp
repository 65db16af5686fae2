// The exact ROUND and SUM hand their results to SQLite as doubles when a double holds the
// decimal, and as decimal text when it does not: either way the value read back is the
// decimal, digit for digit.
#include "data/decimal.h"
#include "data/sqlite_functions.h"
#include "support/text_rows.h"

#include <QTest>

#include <sqlite3.h>

#include <memory>

using namespace bdg;

class TestSqliteFunctions : public QObject {
    Q_OBJECT

private slots:
    void resultsReadBackAsTheExactDecimal_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const char* const rows[][3] = {
            {"a tenth", "SELECT ROUND(0.05, 1)", "0.1"},
            {"fifteen digits, as a double", "SELECT ROUND('1234567890123.455', 2)",
             "1234567890123.46"},
            {"seventeen digits, as text", "SELECT ROUND('123456789012345.675', 2)",
             "123456789012345.68"},
            {"more places than a double's exact powers of ten",
             "SELECT ROUND('0.0000000000000000000000012345', 27)", "0.000000000000000000000001235"},
            {"negative amount", "SELECT ROUND(-2.675, 2)", "-2.68"},
            {"sum of amounts with their sign",
             "SELECT SUM(X) FROM (SELECT ROUND(0.105, 2) AS X UNION ALL SELECT -0.3)", "-0.19"},
        };
        bdg::test::addTextRows(rows);
    }
    void resultsReadBackAsTheExactDecimal() {
        // Each result, read as the statement's next step would read it, is the decimal.
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(db, sqlite3_close);
        QVERIFY(registerExactDecimalFunctions(db));
        sqlite3_stmt* statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr),
                 SQLITE_OK);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalizer(statement,
                                                                              sqlite3_finalize);
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        const std::optional<Decimal> value =
            sqliteValueToDecimal(sqlite3_column_value(statement, 0));
        QVERIFY(value);
        QCOMPARE(value->normalized().toString(), expected);
    }

    void aDoubleReadsAsItsShortestDecimal_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.675, a hair below in binary") << 2.675 << "2.675";
        QTest::newRow("a tenth") << 0.1 << "0.1";
        QTest::newRow("a large amount") << -98765432.1 << "-98765432.1";
        QTest::newRow("a whole number") << 1e15 << "1000000000000000";
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
