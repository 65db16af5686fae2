#include "company/company_schema.h"
#include "data/connection.h"
#include "data/sql_dialect.h"
#include "support/test_databases.h"

#include <QTest>

#include <initializer_list>

using bdg::Connection;
using bdg::Decimal;
using bdg::SqlDialect;
using bdg::Variant;

namespace {

/// Statement lines as the module writes them: each one ended by CR LF.
QString lines(std::initializer_list<QString> parts) {
    QString text;
    for (const QString& part : parts)
        text += part + QStringLiteral("\r\n");
    return text;
}

const QString Sign = QStringLiteral(" * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END)");

/// The amounts-per-account batch for a general-ledger criterion without budget structure,
/// company 1, language "ITA ", subtype SUB, periods 1 to 12, two decimals and two sets: a
/// budget set (detail type 0) and a forecast set (type 3), both for 2026.
QString amountsPerAccountBatch(const QString& factor) {
    const QString rounding = Sign + factor + QStringLiteral(" , 2)");
    QString sql =
        QStringLiteral("; WITH CTE_BU50 AS \r\n  ( \r\n     SELECT  DISTINCT  BU50_CODICE_BU19, ");
    sql += lines({" BU50_GRUPPO_CG10 AS BU50_PDC , BU50_CONTO_CG24 AS BU50_CONTO ",
                  "     FROM    BU50_CORRPDCVOCI    WITH(NOLOCK) ",
                  "     WHERE   BU50_CODICE_BU51 = 'CR1'", "     AND     BU50_GRUPPO_CG10 = 'G1'",
                  "  ) "});
    // Set 1: budget figures.
    sql += QStringLiteral(", CTE_1 AS \r\n  ( \r\n     SELECT ");
    sql += lines({"            BU65_GRUPPO_CG10 AS PDC , BU65_CONTO_CG24  AS CONTO  ",
                  "         ,   BU65_INDNATCONTO  ",
                  "         ,   SUM(ROUND(BU66_IMPORTO" + rounding + ") AS IMPORTO ",
                  "     FROM    BU66_DETBUDGET WITH (NOLOCK)    ",
                  "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ",
                  "     INNER JOIN CTE_BU50 ON ",
                  "             BU65_GRUPPO_CG10 = CTE_BU50.BU50_PDC   ",
                  "     AND     BU65_CONTO_CG24 = CTE_BU50.BU50_CONTO  ",
                  "     WHERE   BU65_INDTIPO_BU01 = 5", "     AND     BU65_SOTTOTIPO_BU01 = 'SUB'",
                  "     AND     BU65_DITTA_CG18 = 1", "     AND     BU65_ANNO = 2026",
                  "     AND     BU65_PROGESER = 0", "     AND     BU66_TIPO = 0",
                  "     AND     BU66_PERIODO BETWEEN 1 AND 12"});
    sql += QStringLiteral(
        "     GROUP BY BU65_GRUPPO_CG10, BU65_CONTO_CG24  , BU65_INDNATCONTO \r\n  ) \r\n");
    // Set 2: forecast figures, replaced by the actual figures where a period has them.
    const QString forecastNote = QStringLiteral(
        "--# Se Set di Confronto è di TipoDettaglio Forecast Join con relativo Consuntivo ");
    sql += QStringLiteral(", CTE_2 AS \r\n  ( \r\n     SELECT ");
    sql += lines({"            BU65_GRUPPO_CG10 AS PDC , BU65_CONTO_CG24  AS CONTO  ",
                  "         ,   BU65_INDNATCONTO  ",
                  "             " + forecastNote,
                  "         ,   SUM(CASE WHEN BU66_CONS.BU66_IMPORTO IS NULL ",
                  "                 THEN    ROUND(BU66_FORECAST.BU66_IMPORTO " + rounding,
                  "                 ELSE    ROUND(BU66_CONS.BU66_IMPORTO     " + rounding,
                  "                 END) AS IMPORTO ",
                  "     FROM    BU66_DETBUDGET AS BU66_FORECAST WITH (NOLOCK) ",
                  "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ",
                  "     INNER JOIN CTE_BU50 ON ",
                  "             BU65_GRUPPO_CG10 = CTE_BU50.BU50_PDC   ",
                  "     AND     BU65_CONTO_CG24 = CTE_BU50.BU50_CONTO  ",
                  "     " + forecastNote,
                  "     LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS WITH (NOLOCK) ",
                  "     ON      BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 ",
                  "     AND     BU66_CONS.BU66_PERIODO = BU66_FORECAST.BU66_PERIODO ",
                  "     AND     BU66_CONS.BU66_TIPO = 1 ",
                  "     --# ",
                  "     WHERE   BU65_INDTIPO_BU01 = 5",
                  "     AND     BU65_SOTTOTIPO_BU01 = 'SUB'",
                  "     AND     BU65_DITTA_CG18 = 1",
                  "     AND     BU65_ANNO = 2026",
                  "     AND     BU65_PROGESER = 0",
                  "     " + forecastNote,
                  "     AND     BU66_FORECAST.BU66_TIPO = 3",
                  "     AND     BU66_FORECAST.BU66_PERIODO BETWEEN 1 AND 12"});
    sql += QStringLiteral(
        "     GROUP BY BU65_GRUPPO_CG10, BU65_CONTO_CG24  , BU65_INDNATCONTO \r\n  ) \r\n");
    // Final select.
    sql += lines({" SELECT  CTE_BU50.BU50_CODICE_BU19 AS VOCE , ",
                  "         CTE_BU50.BU50_PDC AS PDC, CTE_BU50.BU50_CONTO AS CONTO , ",
                  "         CG24_DESCR                      AS CONTO_DES , ",
                  " CTE_1.IMPORTO AS IMP1\r\n ,  CTE_2.IMPORTO AS IMP2\r\n", " FROM    CTE_BU50 ",
                  " --# LeftOuterJoin da CTE_BU50 alle CTE_N ",
                  " LEFT OUTER JOIN CTE_1 ON  CTE_BU50.BU50_PDC = CTE_1.PDC AND  "
                  "CTE_BU50.BU50_CONTO = CTE_1.CONTO \r\n LEFT OUTER JOIN CTE_2 ON  "
                  "CTE_BU50.BU50_PDC = CTE_2.PDC AND  CTE_BU50.BU50_CONTO = CTE_2.CONTO \r\n",
                  " OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') "
                  "AS CG24_TABPDC "});
    return sql;
}

/// The structure query of level 2: items whose parent is a top item of criterion CR1.
QString secondLevelQuery() {
    const QString first =
        lines({"  SELECT BU20_CODICE_BU19 ", "  FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ",
               "  INNER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ",
               "  ON     BU20_CODICE_BU19 = BU19_CODICE ", "  WHERE  BU20_CODICE_BU51 = 'CR1'",
               "  AND    BU20_CODPADRE_BU19 IS NULL "});
    return lines({" SELECT * ", " FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ",
                  " INNER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ",
                  " ON     BU20_CODICE_BU19 = BU19_CODICE ", " WHERE  BU20_CODICE_BU51 = 'CR1'",
                  " AND    BU20_CODPADRE_BU19 IN ", "        ( ", "          " + first + " ",
                  "        ) "});
}

/// Saving a comparison profile: the old rows of the name go, one row per set comes.
QString profileDelete(const QString& name) {
    return lines({" DELETE  BU68_BDGINTRIC ", " WHERE   BU68_NOME = '" + name + "'"});
}

QString profileInsert(const QString& name, int sequence, int type) {
    QString sql = lines({" INSERT INTO BU68_BDGINTRIC ", "     ( ", "        BU68_NOME ",
                         "       ,BU68_SEQUENZA ", "       ,BU68_TIPO ", "       ,BU68_ANNO ",
                         "       ,BU68_PROGESER ", "       ,BU68_DELTA ",
                         "       ,BU68_DELTA_PERC ", "     ) "});
    sql += QStringLiteral(" VALUES ");
    sql += lines({"     ( ", "        '" + name + "'", "       ," + QString::number(sequence),
                  "       ," + QString::number(type), "       ,2026", "       ,0", "       ,0",
                  "       ,0", "     ) "});
    return sql;
}

void run(Connection& connection, const QStringList& statements) {
    for (const QString& statement : statements)
        connection.ExecuteNonQuery(statement);
}

/// A small general-ledger company: criterion CR1 maps A1 and A2 to item V1 and A3 to V2.
/// A1 has budget amounts 2.675 and 0.105 (periods 1, 2), forecast 50 and 60 and an actual
/// 41 in period 1; A3 has nature 2 and a budget amount of 10.004; A2 has no amounts.
void fillCompany(Connection& connection) {
    run(connection,
        {"INSERT INTO BU19_VOCICRITELAB (BU19_CODICE, BU19_DESCR, BU19_INDTIPOVOCE) VALUES "
         "('V1', 'Attivo', 0), ('V2', 'Ricavi', 0), ('V11', 'Liquidità', 0)",
         "INSERT INTO BU20_STRUTTURACRIT (BU20_CODICE_BU51, BU20_CODICE_BU19, "
         "BU20_CODPADRE_BU19, BU20_POSIZIONE) VALUES ('CR1', 'V1', NULL, 1), "
         "('CR1', 'V2', NULL, 2), ('CR1', 'V11', 'V1', 1)",
         "INSERT INTO BU50_CORRPDCVOCI (BU50_ID, BU50_CODICE_BU51, BU50_CODICE_BU19, "
         "BU50_GRUPPO_CG10, BU50_CONTO_CG24) VALUES (1, 'CR1', 'V1', 'G1', 'A1'), "
         "(2, 'CR1', 'V1', 'G1', 'A2'), (3, 'CR1', 'V2', 'G1', 'A3')",
         "INSERT INTO CG24_PIANOCONTI (CG24_DITTA_CG18, CG24_GRUPPO_CG10, CG24_CONTO, "
         "CG24_DESCR) VALUES (1, 'G1', 'A1', 'Cassa'), (1, 'G1', 'A2', 'Banca'), "
         "(1, 'G1', 'A3', 'Vendite')",
         "INSERT INTO BU65_TESBUDGET (BU65_ID, BU65_INDTIPO_BU01, BU65_SOTTOTIPO_BU01, "
         "BU65_DITTA_CG18, BU65_ANNO, BU65_PROGESER, BU65_CODICE_CG31, BU65_INDNATCONTO, "
         "BU65_GRUPPO_CG10, BU65_CONTO_CG24) VALUES (1, 5, 'SUB', 1, 2026, 0, 0, 1, 'G1', 'A1'), "
         "(2, 5, 'SUB', 1, 2026, 0, 0, 2, 'G1', 'A3'), (3, 5, 'SUB', 1, 2026, 0, 0, 1, 'G1', 'A2')",
         "INSERT INTO BU66_DETBUDGET (BU66_ID_BU65, BU66_TIPO, BU66_PERIODO, BU66_IMPORTO) VALUES "
         "(1, 0, 1, 2.675), (1, 0, 2, 0.105), (1, 3, 1, 50), (1, 3, 2, 60), (1, 1, 1, 41), "
         "(2, 0, 1, 10.004)"});
}

/// Opens a fresh company database on `engine`; false (with a test failure) when it cannot.
bool openCompany(bdg::test::TestDatabase& database, Connection& connection) {
    if (!database.isValid()) {
        qWarning("%s", qPrintable(database.errorText()));
        return false;
    }
    connection.Open(database.connectionString());
    bdg::CompanySchema::create(connection);
    fillCompany(connection);
    return true;
}

QString valueText(bdg::Recordset& rows, const char* field) {
    const Variant value = rows.value(QString::fromLatin1(field));
    return value.isNull() ? QStringLiteral("Null") : value.toString();
}

} // namespace

class TestSqlDialect : public QObject {
    Q_OBJECT

private slots:
    void constructIsTranslated_data();
    void constructIsTranslated();
    void sqlServerTextPassesUnchanged();
    void amountsBatchLosesEveryHintAndApply();
    void amountsBatchGivesTheSameFiguresOnEveryEngine_data();
    void amountsBatchGivesTheSameFiguresOnEveryEngine();
    void nestedStructureQueryRunsOnEveryEngine_data() { bdg::test::addEngineRows(); }
    void nestedStructureQueryRunsOnEveryEngine();
    void profileDeleteWithoutFromRunsOnEveryEngine_data() { bdg::test::addEngineRows(); }
    void profileDeleteWithoutFromRunsOnEveryEngine();
};

void TestSqlDialect::constructIsTranslated_data() {
    // An empty SQLite text means the statement is unchanged; "=" means PostgreSQL gets the
    // SQLite text.
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("postgres");
    const QString same = QStringLiteral("=");
    QTest::newRow("hint without blank") << "SELECT * FROM T WITH(NOLOCK) WHERE A = 1"
                                        << "SELECT * FROM T   WHERE A = 1" << same;
    QTest::newRow("hint with blank") << " FROM BU66_DETBUDGET WITH (NOLOCK) \r\n"
                                     << " FROM BU66_DETBUDGET   \r\n"
                                     << same;
    QTest::newRow("hint in lower case, blanks inside") << "FROM T with ( nolock )"
                                                       << "FROM T  " << same;
    QTest::newRow("hint after an alias") << "FROM BU66_DETBUDGET AS BU66_CONS WITH (NOLOCK) ON"
                                         << "FROM BU66_DETBUDGET AS BU66_CONS   ON" << same;
    QTest::newRow("leading semicolon and CTEs")
        << "; WITH CTE_BU50 AS \r\n  ( SELECT 1 AS X ) \r\n, CTE_1 AS \r\n  ( SELECT 2 AS Y ) "
           "\r\n SELECT X FROM CTE_BU50, CTE_1"
        << "  WITH CTE_BU50 AS \r\n  ( SELECT 1 AS X ) \r\n, CTE_1 AS \r\n  ( SELECT 2 AS Y ) "
           "\r\n SELECT X FROM CTE_BU50, CTE_1"
        << same;
    QTest::newRow("semicolon after a comment line")
        << " --# BdgIntRic_GetRstImportiPerContoPeriodo \r\n; WITH CTE_BUDGET AS (SELECT 1 AS X)"
        << " --# BdgIntRic_GetRstImportiPerContoPeriodo \r\n  WITH CTE_BUDGET AS (SELECT 1 AS X)"
        << same;
    QTest::newRow("semicolon ending a statement stays") << "SELECT 1; SELECT 2"
                                                        << ""
                                                        << "";
    QTest::newRow("outer apply of the general ledger")
        << " OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') AS "
           "CG24_TABPDC \r\n"
        << " LEFT JOIN FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') AS "
           "CG24_TABPDC ON 1 \r\n"
        << " LEFT JOIN LATERAL FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') "
           "AS CG24_TABPDC ON TRUE \r\n";
    QTest::newRow("outer apply with a parenthesis in a text argument")
        << "OUTER APPLY F(')', (1 + 2)) AS Z WHERE 1 = 1"
        << "LEFT JOIN F(')', (1 + 2)) AS Z ON 1 WHERE 1 = 1"
        << "LEFT JOIN LATERAL F(')', (1 + 2)) AS Z ON TRUE WHERE 1 = 1";
    QTest::newRow("outer apply with the alias on the next line")
        << "OUTER\r\nAPPLY F(1)\r\n  Z"
        << "LEFT JOIN F(1)\r\n  Z ON 1"
        << "LEFT JOIN LATERAL F(1)\r\n  Z ON TRUE";
    QTest::newRow("column of a self-joined table in an earlier join")
        << "FROM BU66_DETBUDGET AS BU66_FORECAST WITH (NOLOCK) \r\n"
           "INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 \r\n"
           "LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS WITH (NOLOCK) \r\n"
           "ON BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 WHERE BU66_TIPO = 1"
        << "FROM BU66_DETBUDGET AS BU66_FORECAST   \r\n"
           "INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_FORECAST.BU66_ID_BU65 \r\n"
           "LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS   \r\n"
           "ON BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 WHERE BU66_TIPO = 1"
        << "FROM BU66_DETBUDGET AS BU66_FORECAST   \r\n"
           "INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 \r\n"
           "LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS   \r\n"
           "ON BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 WHERE BU66_TIPO = 1";
    QTest::newRow("delete without from")
        << " DELETE  BU68_BDGINTRIC \r\n WHERE   BU68_NOME = 'P1'\r\n"
        << " DELETE FROM  BU68_BDGINTRIC \r\n WHERE   BU68_NOME = 'P1'\r\n"
        << same;
    QTest::newRow("delete with from") << "DELETE FROM T WHERE A = 1"
                                      << ""
                                      << "";
    QTest::newRow("delete rule of a foreign key")
        << "CREATE TABLE A (B INT REFERENCES C (D) ON DELETE CASCADE)"
        << ""
        << "";
    QTest::newRow("constructs inside a text literal")
        << "SELECT 'X WITH(NOLOCK) OUTER APPLY F(1) AS Z; DELETE T' AS A FROM T"
        << ""
        << "";
    QTest::newRow("doubled quote does not end a literal")
        << "SELECT 'L''WITH(NOLOCK)' FROM T WITH(NOLOCK)"
        << "SELECT 'L''WITH(NOLOCK)' FROM T  " << same;
    QTest::newRow("constructs inside a comment")
        << "SELECT 1 --# WITH(NOLOCK) OUTER APPLY F(1) AS Z / 2\r\nFROM T"
        << ""
        << "";
    QTest::newRow("comment with an accented letter")
        << "     --# Se Set di Confronto è di TipoDettaglio Forecast Join \r\n SELECT 1"
        << ""
        << "";
    QTest::newRow("comment ended by a lone carriage return") << "SELECT 1 --# note\rFROM T"
                                                             << "SELECT 1 --# note\r\nFROM T"
                                                             << "";
    QTest::newRow("division by an integer rate")
        << "ROUND(BU66_IMPORTO * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END) / 2 , 2)"
        << "ROUND(BU66_IMPORTO * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END) / 2.0 , 2)"
        << "";
    QTest::newRow("division by a decimal rate") << "ROUND(BU66_IMPORTO / 1.5 , 2)"
                                                << ""
                                                << "";
    QTest::newRow("multiplication untouched") << "ROUND(BU66_IMPORTO * 2 , 2)"
                                              << ""
                                              << "";
}

void TestSqlDialect::constructIsTranslated() {
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
}

void TestSqlDialect::sqlServerTextPassesUnchanged() {
    // Through ODBC the company's own SQL Server runs the module's text as it is.
    const QString batch = amountsPerAccountBatch(QStringLiteral(" / 2")) + profileDelete("P1");
    QCOMPARE(SqlDialect::translate(batch, SqlDialect::Target::SqlServer), batch);
}

void TestSqlDialect::amountsBatchLosesEveryHintAndApply() {
    // The whole batch keeps its CTEs, comments and line ends and loses only hints and applies.
    const QString batch = amountsPerAccountBatch(QString());
    for (auto target : {SqlDialect::Target::SQLite, SqlDialect::Target::PostgreSQL}) {
        const QString translated = SqlDialect::translate(batch, target);
        QVERIFY(!translated.contains(QLatin1String("NOLOCK")));
        QVERIFY(!translated.contains(QLatin1String("APPLY")));
        QVERIFY(translated.startsWith(QLatin1String("  WITH CTE_BU50 AS \r\n")));
        QCOMPARE(translated.count(QLatin1String(", CTE_1 AS \r\n")), 1);
        QCOMPARE(translated.count(QLatin1String(", CTE_2 AS \r\n")), 1);
        QCOMPARE(translated.count(QLatin1String("--#")), batch.count(QLatin1String("--#")));
        QCOMPARE(translated.count(QStringLiteral("è")), 3);
        QCOMPARE(translated.count(QLatin1String("\r\n")), batch.count(QLatin1String("\r\n")));
    }
}

void TestSqlDialect::amountsBatchGivesTheSameFiguresOnEveryEngine_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("a1Budget");
    QTest::addColumn<QString>("a1Forecast");
    QTest::addColumn<QString>("a3Budget");
    // A1 budget: ROUND(2.675, 2) + ROUND(0.105, 2) = 2.68 + 0.11. A1 forecast: actual 41
    // replaces the forecast 50 of period 1, plus 60. A3: nature 2 turns 10.004 into -10.00.
    // Divided by 2: 1.3375 -> 1.34, 0.0525 -> 0.05; 20.5 + 30; -5.002 -> -5.00.
    for (const QString& engine : bdg::test::engines()) {
        QTest::newRow(qPrintable(engine + " without conversion"))
            << engine << QString() << QStringLiteral("2.79") << QStringLiteral("101")
            << QStringLiteral("-10");
        QTest::newRow(qPrintable(engine + " divided by 2"))
            << engine << QStringLiteral(" / 2") << QStringLiteral("1.39") << QStringLiteral("50.5")
            << QStringLiteral("-5");
    }
}

void TestSqlDialect::amountsBatchGivesTheSameFiguresOnEveryEngine() {
    // The amounts batch, written for SQL Server, runs on each engine with exact figures.
    try {
        QFETCH(QString, engine);
        QFETCH(QString, factor);
        QFETCH(QString, a1Budget);
        QFETCH(QString, a1Forecast);
        QFETCH(QString, a3Budget);
        bdg::test::TestDatabase database(engine);
        Connection connection;
        QVERIFY(openCompany(database, connection));

        const bdg::RecordsetPtr rows = connection.Execute(amountsPerAccountBatch(factor));
        QCOMPARE(rows->RecordCount(), 3);
        rows->setSort(QStringLiteral("CONTO"));
        rows->MoveFirst();
        const QStringList expected[] = {{"V1", "G1", "A1", "Cassa", a1Budget, a1Forecast},
                                        {"V1", "G1", "A2", "Banca", "Null", "Null"},
                                        {"V2", "G1", "A3", "Vendite", a3Budget, "Null"}};
        for (const QStringList& row : expected) {
            QVERIFY(!rows->Eof());
            QStringList actual;
            for (const char* field : {"VOCE", "PDC", "CONTO", "CONTO_DES", "IMP1", "IMP2"})
                actual << valueText(*rows, field);
            for (qsizetype amount = 4; amount < actual.size(); ++amount) {
                if (actual[amount] != QLatin1String("Null"))
                    actual[amount] = Decimal::parse(actual[amount]).normalized().toString();
            }
            QCOMPARE(actual, row);
            rows->MoveNext();
        }
        QCOMPARE(rows->field(*rows->fieldIndex(u"IMP1")).type, bdg::FieldType::Decimal);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

void TestSqlDialect::nestedStructureQueryRunsOnEveryEngine() {
    // The level-2 query embeds the level-1 query, hints and all, as a sub-select.
    try {
        QFETCH(QString, engine);
        bdg::test::TestDatabase database(engine);
        Connection connection;
        QVERIFY(openCompany(database, connection));

        const bdg::RecordsetPtr rows = connection.Execute(secondLevelQuery());
        QCOMPARE(rows->RecordCount(), 1);
        QCOMPARE(rows->value(u"BU20_CODICE_BU19").toString(), QStringLiteral("V11"));
        QCOMPARE(rows->value(u"BU19_DESCR").toString(), QStringLiteral("Liquidità"));
        QCOMPARE(rows->value(u"BU20_CODPADRE_BU19").toString(), QStringLiteral("V1"));
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

void TestSqlDialect::profileDeleteWithoutFromRunsOnEveryEngine() {
    // Saving a profile twice under one name leaves one copy: delete, then insert.
    try {
        QFETCH(QString, engine);
        bdg::test::TestDatabase database(engine);
        Connection connection;
        QVERIFY(openCompany(database, connection));

        for (int save = 0; save < 2; ++save) {
            connection.ExecuteNonQuery(profileDelete("P1"));
            QCOMPARE(connection.ExecuteNonQuery(profileInsert("P1", 1, 0)), 1);
            QCOMPARE(connection.ExecuteNonQuery(profileInsert("P1", 2, 3)), 1);
        }
        const bdg::RecordsetPtr rows = connection.Execute(lines(
            {" SELECT  * ", " FROM    BU68_BDGINTRIC WITH(NOLOCK) ", " WHERE   BU68_NOME = 'P1'"}));
        QCOMPARE(rows->RecordCount(), 2);
        rows->setSort(QStringLiteral("BU68_SEQUENZA"));
        rows->MoveLast();
        QCOMPARE(rows->value(u"BU68_TIPO").toString(), QStringLiteral("3"));
        QVERIFY(rows->value(u"BU68_CODICE_CG31").isNull());
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "test_sql_dialect.moc"
