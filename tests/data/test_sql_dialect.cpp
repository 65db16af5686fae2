// The T-SQL the module writes, translated for SQLite and PostgreSQL; whole statements run on
// both engines in the engine, profile and fixture tests.
#include "data/sql_dialect.h"
#include "data/tsv_rows.h"

#include <QTest>

using bdg::SqlDialect;

class TestSqlDialect : public QObject {
    Q_OBJECT

private slots:
    void constructIsTranslated_data() {
        // Cases in tests/fixtures/dialetto.tsv. An empty SQLite text means the statement is
        // unchanged; "=" means PostgreSQL gets the SQLite text.
        bdg::test::addTsvRows("dialetto", {"sql", "sqlite", "postgres"});
    }

    void constructIsTranslated() {
        // Each T-SQL construct the module emits becomes its SQLite and PostgreSQL equivalent.
        QFETCH(QString, sql);
        QFETCH(QString, sqlite);
        QFETCH(QString, postgres);
        if (postgres.isEmpty())
            postgres = sql;
        else if (postgres == QLatin1String("="))
            postgres = sqlite;
        if (sqlite.isEmpty())
            sqlite = sql;
        QCOMPARE(SqlDialect::translate(sql, SqlDialect::Target::SQLite), sqlite);
        QCOMPARE(SqlDialect::translate(sql, SqlDialect::Target::PostgreSQL), postgres);
        // Through ODBC the company's own SQL Server runs the module's text as it is.
        QCOMPARE(SqlDialect::translate(sql, SqlDialect::Target::SqlServer), sql);
    }
};

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "test_sql_dialect.moc"
