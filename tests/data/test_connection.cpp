#include "data/connection.h"
#include "data/error_of.h"
#include "data/sqlite_functions.h"
#include "data/tsv_rows.h"

#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <functional>

using bdg::Connection;
using bdg::DatabaseError;
using bdg::Decimal;
using bdg::FieldType;
using bdg::Variant;

Q_DECLARE_METATYPE(bdg::Connection::Engine)

namespace {

QString errorOf(const std::function<void()>& action) {
    return bdg::test::errorOf<DatabaseError>(action);
}

/// The single value of a one-row, one-column query, as normalized decimal text or "Null".
QString scalar(Connection& connection, const QString& sql) {
    const bdg::RecordsetPtr rows = connection.Execute(sql);
    if (rows->RecordCount() != 1 || rows->fieldCount() != 1)
        return QStringLiteral("not one value");
    const Variant value = rows->value(0);
    if (value.isNull())
        return QStringLiteral("Null");
    const std::optional<Decimal> number = value.toDecimal();
    return number ? number->normalized().toString() : value.toString();
}

// Runs `body` on a fresh empty database of `engine`; an exception fails the test.
template <typename Body> void onFreshDatabase(const QString& engine, Body body) {
    bdg::test::TestDatabase database(engine);
    QVERIFY2(database.isValid(), qPrintable(database.errorText()));
    try {
        Connection connection;
        connection.Open(database.connectionString());
        body(database, connection);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT

private slots:
    void errorsDescribeTheLastFailureOnly_data() { bdg::test::addEngineRows(); }
    void rolledBackTransactionLeavesNothing_data() { bdg::test::addEngineRows(); }
    void columnsAreTyped_data() { bdg::test::addEngineRows(); }

    void connectionStringNamesTheEngine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Connection::Engine>("engine");
        using Engine = Connection::Engine;
        QTest::newRow("file path") << "/data/company.sqlite" << Engine::SQLite;
        QTest::newRow("sqlite prefix") << "sqlite:/data/company.sqlite" << Engine::SQLite;
        QTest::newRow("path with an equals sign") << "/tmp/host=x.sqlite" << Engine::SQLite;
        QTest::newRow("postgresql url")
            << "postgresql://budget@db.local:5433/ditta1" << Engine::PostgreSQL;
        QTest::newRow("keywords") << "host=127.0.0.1 port=5432 dbname=ditta1 user=budget"
                                  << Engine::PostgreSQL;
        QTest::newRow("odbc data source") << "DSN=Ditta1;UID=budget" << Engine::Odbc;
        QTest::newRow("odbc data source after another key")
            << "UID=budget;dsn=Ditta1" << Engine::Odbc;
    }

    void connectionStringNamesTheEngine() {
        // The form hands over the host's connection string; its shape picks the engine.
        QFETCH(QString, text);
        QFETCH(Connection::Engine, engine);
        QCOMPARE(Connection::engineOf(text), engine);
    }

    void unreadableSqliteFileIsRefused_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("fault");
        QTest::newRow("missing path") << QString() << false << "file not found";
        QTest::newRow("missing, sqlite prefix") << "sqlite:" << false << "file not found";
        QTest::newRow("a spreadsheet") << QString() << true << "file is not a database";
    }

    void unreadableSqliteFileIsRefused() {
        // A mistyped path is reported and no empty company database appears in its place; a
        // spreadsheet picked by mistake is refused at once, not at the first query.
        QFETCH(QString, prefix);
        QFETCH(bool, exists);
        QFETCH(QString, fault);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("budget.xlsx"));
        if (exists) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
        }
        Connection connection;
        QCOMPARE(errorOf([&] { connection.Open(prefix + path); }),
                 QStringLiteral("cannot open company database '%1': %2").arg(path, fault));
        QCOMPARE(QFile::exists(path), exists);
        QVERIFY(!connection.isOpen());
        QCOMPARE(connection.Errors().size(), 1);
        QVERIFY(!QSqlDatabase::contains(connection.qtConnectionName()));
    }

    void closedConnectionRefusesStatements() {
        // A statement on a connection that was never opened is an error, not a crash.
        Connection connection;
        const QString error = errorOf([&] { connection.Execute(QStringLiteral("SELECT 1")); });
        QVERIFY2(error.endsWith(QLatin1String(": the database is not open")), qPrintable(error));
    }

    void errorsDescribeTheLastFailureOnly() {
        // A failed request logs the database's own code and text; a later success empties the log.
        QFETCH(QString, engine);
        onFreshDatabase(engine, [](bdg::test::TestDatabase& database, Connection& connection) {
            const QString message =
                errorOf([&] { connection.Execute(QStringLiteral("SELECT * FROM BU99_MANCANTE")); });
            QVERIFY2(message.startsWith(QLatin1String("cannot run query on company database '")),
                     qPrintable(message));
            QVERIFY2(message.contains(QLatin1String("bu99_mancante"), Qt::CaseInsensitive),
                     qPrintable(message));
            QCOMPARE(connection.Errors().size(), 1);
            const bdg::DbError error = connection.Errors().first();
            QVERIFY(message.endsWith(error.text));
            if (database.isSQLite()) {
                QCOMPARE(error.nativeCode, qint64(SQLITE_ERROR));
                QCOMPARE(error.text, QStringLiteral("no such table: BU99_MANCANTE"));
            } else {
                QCOMPARE(error.sqlState, QStringLiteral("42P01")); // undefined table
            }
            QCOMPARE(scalar(connection, QStringLiteral("SELECT 1 AS X")), QStringLiteral("1"));
            QVERIFY(connection.Errors().isEmpty());
        });
    }

    void rolledBackTransactionLeavesNothing() {
        // Saving a profile is all or nothing: a rollback takes back every row written.
        QFETCH(QString, engine);
        onFreshDatabase(engine, [](bdg::test::TestDatabase&, Connection& connection) {
            connection.ExecuteNonQuery(QStringLiteral("CREATE TABLE T (A INTEGER)"));
            connection.BeginTrans();
            QCOMPARE(
                connection.ExecuteNonQuery(QStringLiteral("INSERT INTO T (A) VALUES (1), (2)")), 2);
            connection.RollbackTrans();
            QCOMPARE(scalar(connection, QStringLiteral("SELECT COUNT(*) AS N FROM T")),
                     QStringLiteral("0"));
            connection.BeginTrans();
            connection.ExecuteNonQuery(QStringLiteral("INSERT INTO T (A) VALUES (3)"));
            connection.CommitTrans();
            QCOMPARE(connection.ExecuteNonQuery(QStringLiteral("DELETE T WHERE A = 3")), 1);
        });
    }

    void columnsAreTyped() {
        // Declared columns come back with their type; exact decimals keep every digit.
        // Computed columns are typed from their values and named in upper case on every engine.
        QFETCH(QString, engine);
        onFreshDatabase(engine, [](bdg::test::TestDatabase& database, Connection& connection) {
            connection.ExecuteNonQuery(
                QStringLiteral("CREATE TABLE T (N INTEGER, B BIGINT, D "
                               "DECIMAL(19,5), S VARCHAR(20), F DOUBLE PRECISION)"));
            // SQLite keeps DECIMAL columns as REAL, exact to 15 significant digits (every amount
            // of a budget); the server keeps all 19.
            const QString exact = database.isSQLite() ? QStringLiteral("1234567890.12345")
                                                      : QStringLiteral("1234567890123.45678");
            connection.ExecuteNonQuery(
                QStringLiteral("INSERT INTO T VALUES (7, 9000000000, %1, 'Società', 0.5), "
                               "(NULL, NULL, NULL, NULL, NULL)")
                    .arg(exact));
            const bdg::RecordsetPtr rows =
                connection.Execute(QStringLiteral("SELECT n, b, d, s, f FROM T ORDER BY N DESC"));
            const bdg::RecordsetPtr computed = connection.Execute(QStringLiteral(
                "SELECT 1 + 1 AS Somma, 3000000000 AS Grande, 2.5 * 3 AS Importo, 'x' AS Testo, "
                "NULL AS Niente"));
            const QStringList names{"N", "B", "D", "S", "F"};
            const QStringList computedNames{"SOMMA", "GRANDE", "IMPORTO", "TESTO", "NIENTE"};
            const FieldType types[] = {FieldType::Integer, FieldType::BigInt, FieldType::Decimal,
                                       FieldType::VarWChar, FieldType::Double};
            for (int field = 0; field < 5; ++field) {
                QCOMPARE(rows->field(field).name.toUpper(), names[field]);
                QCOMPARE(rows->field(field).type, types[field]);
                // PostgreSQL folds names to lower case; the module names everything in upper case.
                const QString name = computed->field(field).name;
                QCOMPARE(database.isPostgres() ? name : name.toUpper(), computedNames[field]);
                QCOMPARE(computed->field(field).type,
                         field == 4 ? FieldType::VarWChar : types[field]);
            }
            QCOMPARE(rows->field(2).precision, 19);
            QCOMPARE(rows->field(2).scale, 5);
            QCOMPARE(*computed->value(0).toInt32(), 2);
            QCOMPARE(*computed->value(1).toInt64(), std::int64_t(3000000000));
            QCOMPARE(computed->value(2).toDecimal()->normalized().toString(),
                     QStringLiteral("7.5"));
            QVERIFY(computed->value(4).isNull());
            // NULLs sort first on SQLite and last on PostgreSQL: find the rows by their values.
            rows->setFilter(QStringLiteral("N = 7"));
            QCOMPARE(rows->value(0).type(), Variant::Type::Int32);
            QCOMPARE(*rows->value(1).toInt64(), std::int64_t(9000000000));
            QCOMPARE(rows->value(2).toDecimal()->normalized().toString(), exact);
            QCOMPARE(rows->value(3).toString(), QStringLiteral("Società"));
            QCOMPARE(*rows->value(4).toDouble(), 0.5);
            rows->clearFilter();
            rows->MoveLast(); // the Null row, first or last by engine, is whichever is not N = 7
            if (!rows->value(0).isNull())
                rows->MoveFirst();
            for (int field = 0; field < 5; ++field)
                QVERIFY(rows->value(field).isNull());
        });
    }

    void roundAndSumAreExact_data() {
        bdg::test::addTsvRows("arrotondamenti", {"engine", "sql", "expected"});
    }

    void roundAndSumAreExact() {
        // Amounts are rounded and summed as decimals on every engine, half away from zero.
        QFETCH(QString, engine);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        onFreshDatabase(engine, [&](bdg::test::TestDatabase&, Connection& connection) {
            QCOMPARE(scalar(connection, sql), expected);
        });
    }

    void aDoubleReadsAsItsShortestDecimal_data() {
        bdg::test::addTsvRows("double_decimali", {"value", "expected"});
    }

    void aDoubleReadsAsItsShortestDecimal() {
        // SQLite's REALs enter its exact sums as the decimal a person typed, not the binary
        // expansion.
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(bdg::decimalFromDouble(value.toDouble()).toString(), expected);
    }

    void valuesTheirColumnCannotHoldAreRefused_data() {
        bdg::test::addTsvRows("valori_colonna", {"engine", "column", "value", "shown"});
    }

    void valuesTheirColumnCannotHoldAreRefused() {
        // A value its column cannot hold is a database error naming the column, the row and
        // the value, never a 0 that changes a total.
        QFETCH(QString, engine);
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        onFreshDatabase(engine, [&](bdg::test::TestDatabase&, Connection& connection) {
            connection.ExecuteNonQuery(
                QStringLiteral("CREATE TABLE T (K INTEGER, V %1)").arg(column));
            connection.ExecuteNonQuery(
                QStringLiteral("INSERT INTO T VALUES (1, 2), (2, %1)").arg(value));
            const QString message =
                errorOf([&] { connection.Execute(QStringLiteral("SELECT V FROM T ORDER BY K")); });
            QVERIFY2(message.contains(shown + QStringLiteral(" is not what column V holds (row 2)"),
                                      Qt::CaseInsensitive),
                     qPrintable(message));
        });
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"
