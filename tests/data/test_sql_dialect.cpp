// The T-SQL the module writes, translated for SQLite and PostgreSQL; whole statements run on
// both engines in the engine, profile and fixture tests.
#include "data/sql_dialect.h"
#include "support/text_rows.h"

#include <QTest>

using bdg::SqlDialect;

class TestSqlDialect : public QObject {
    Q_OBJECT

private slots:
    void constructIsTranslated_data() {
        // An empty SQLite text means the statement is unchanged; "=" means PostgreSQL gets the
        // SQLite text.
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("postgres");
        const char* const rows[][4] = {
            {"hint without blank", "SELECT * FROM T WITH(NOLOCK) WHERE A = 1",
             "SELECT * FROM T   WHERE A = 1", "="},
            {"hint with blank", " FROM BU66_DETBUDGET WITH (NOLOCK) \r\n",
             " FROM BU66_DETBUDGET   \r\n", "="},
            {"hint in lower case, blanks inside", "FROM T with ( nolock )", "FROM T  ", "="},
            {"hint after an alias", "FROM BU66_DETBUDGET AS BU66_CONS WITH (NOLOCK) ON",
             "FROM BU66_DETBUDGET AS BU66_CONS   ON", "="},
            {"leading semicolon and CTEs",
             "; WITH CTE_BU50 AS \r\n  ( SELECT 1 AS X ) \r\n, CTE_1 AS \r\n  ( SELECT 2 AS Y ) "
             "\r\n SELECT X FROM CTE_BU50, CTE_1",
             "  WITH CTE_BU50 AS \r\n  ( SELECT 1 AS X ) \r\n, CTE_1 AS \r\n  ( SELECT 2 AS Y ) "
             "\r\n SELECT X FROM CTE_BU50, CTE_1",
             "="},
            {"semicolon after a comment line",
             " --# BdgIntRic_GetRstImportiPerContoPeriodo \r\n; WITH CTE_BUDGET AS (SELECT 1 AS X)",
             " --# BdgIntRic_GetRstImportiPerContoPeriodo \r\n  WITH CTE_BUDGET AS (SELECT 1 AS X)",
             "="},
            {"semicolon ending a statement stays", "SELECT 1; SELECT 2", "", ""},
            {"outer apply of the general ledger",
             " OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') AS "
             "CG24_TABPDC \r\n",
             " LEFT JOIN FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') AS "
             "CG24_TABPDC ON 1 \r\n",
             " LEFT JOIN LATERAL FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA "
             "') "
             "AS CG24_TABPDC ON TRUE \r\n"},
            {"outer apply with a parenthesis in a text argument",
             "OUTER APPLY F(')', (1 + 2)) AS Z WHERE 1 = 1",
             "LEFT JOIN F(')', (1 + 2)) AS Z ON 1 WHERE 1 = 1",
             "LEFT JOIN LATERAL F(')', (1 + 2)) AS Z ON TRUE WHERE 1 = 1"},
            {"outer apply with the alias on the next line", "OUTER\r\nAPPLY F(1)\r\n  Z",
             "LEFT JOIN F(1)\r\n  Z ON 1", "LEFT JOIN LATERAL F(1)\r\n  Z ON TRUE"},
            {"column of a self-joined table in an earlier join",
             "FROM BU66_DETBUDGET AS BU66_FORECAST WITH (NOLOCK) \r\n"
             "INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 \r\n"
             "LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS WITH (NOLOCK) \r\n"
             "ON BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 WHERE BU66_TIPO = 1",
             "FROM BU66_DETBUDGET AS BU66_FORECAST   \r\n"
             "INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_FORECAST.BU66_ID_BU65 \r\n"
             "LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS   \r\n"
             "ON BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 WHERE BU66_TIPO = 1",
             "FROM BU66_DETBUDGET AS BU66_FORECAST   \r\n"
             "INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 \r\n"
             "LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS   \r\n"
             "ON BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 WHERE BU66_TIPO = 1"},
            {"delete without from", " DELETE  BU68_BDGINTRIC \r\n WHERE   BU68_NOME = 'P1'\r\n",
             " DELETE FROM  BU68_BDGINTRIC \r\n WHERE   BU68_NOME = 'P1'\r\n", "="},
            {"delete with from", "DELETE FROM T WHERE A = 1", "", ""},
            {"delete rule of a foreign key",
             "CREATE TABLE A (B INT REFERENCES C (D) ON DELETE CASCADE)", "", ""},
            {"constructs inside a text literal",
             "SELECT 'X WITH(NOLOCK) OUTER APPLY F(1) AS Z; DELETE T' AS A FROM T", "", ""},
            {"doubled quote does not end a literal", "SELECT 'L''WITH(NOLOCK)' FROM T WITH(NOLOCK)",
             "SELECT 'L''WITH(NOLOCK)' FROM T  ", "="},
            {"constructs inside a comment",
             "SELECT 1 --# WITH(NOLOCK) OUTER APPLY F(1) AS Z / 2\r\nFROM T", "", ""},
            {"comment ended by a lone carriage return", "SELECT 1 --# note\rFROM T",
             "SELECT 1 --# note\r\nFROM T", ""},
            {"division by an integer rate",
             "ROUND(BU66_IMPORTO * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END) / 2 , 2)",
             "ROUND(BU66_IMPORTO * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END) / 2.0 , 2)",
             ""},
        };
        bdg::test::addTextRows(rows);
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
