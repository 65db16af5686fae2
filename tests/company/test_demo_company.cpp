// The demo company: size, determinism and the consistency the inquiry relies on. Counts follow
// from the scale-1 chart: 139 profit-and-loss accounts (45 on the budget structure), 15
// balance-sheet accounts, 21 CEE lines, 28 reclassified accounts, 47 + 15 criterion items.
// The criteria's trees and formulas are exercised by the demo runs of the command line.
#include "company/demo_company.h"
#include "company/demo_content.h"
#include "data/connection.h"
#include "support/test_databases.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <map>
#include <memory>

using namespace bdg;

namespace {

struct Built {
    std::unique_ptr<test::TestDatabase> database;
    std::unique_ptr<Connection> connection;
};

QSqlQuery run(Connection& connection, const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connection.qtConnectionName(), false));
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query;
}

qint64 scalar(Connection& connection, const QString& sql) {
    QSqlQuery query = run(connection, sql);
    return query.next() ? query.value(0).toLongLong() : -1;
}

// Sums in cents as integers, so that both engines answer exactly.
QStringList centsPerKind(Connection& connection) {
    QSqlQuery query = run(connection, "SELECT BU66_TIPO, COUNT(*), "
                                      "SUM(CAST(ROUND(BU66_IMPORTO * 100) AS BIGINT)) "
                                      "FROM BU66_DETBUDGET GROUP BY BU66_TIPO ORDER BY BU66_TIPO");
    QStringList lines;
    while (query.next())
        lines << QStringLiteral("%1:%2:%3")
                     .arg(query.value(0).toLongLong())
                     .arg(query.value(1).toLongLong())
                     .arg(query.value(2).toLongLong());
    return lines;
}

QStringList countLines(Connection& connection) {
    QStringList lines;
    for (const auto& [table, rows] : DemoCompany::rowCounts(connection))
        lines << table + ':' + QString::number(rows);
    return lines;
}

} // namespace

class TestDemoCompany : public QObject {
    Q_OBJECT

private:
    std::map<QString, Built> m_built;
    Built m_again; // a second SQLite build, for determinism

    Built build(const QString& engine) {
        Built built;
        built.database = std::make_unique<test::TestDatabase>(engine);
        if (!built.database->isValid())
            qFatal("%s", qPrintable(built.database->errorText()));
        built.connection = std::make_unique<Connection>();
        built.connection->Open(built.database->connectionString());
        DemoCompany::create(*built.connection, DemoOptions{});
        return built;
    }

    Connection& connection(const QString& engine) { return *m_built.at(engine).connection; }

private slots:
    void initTestCase() {
        for (const QString& engine : test::engines())
            m_built.emplace(engine, build(engine));
        m_again = build(QString::fromLatin1(test::SQLiteEngine));
    }

    void rowCounts_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("table");
        QTest::addColumn<qint64>("expected");
        // Only the counts that follow from the chart and the calendar; the short registers
        // are compared between builds below.
        const QList<QPair<const char*, qint64>> tables = {
            {"CG24_PIANOCONTI", 154},  // 139 + 15
            {"PC03_ANAGPDC", 84},      // 28 accounts x 3 companies
            {"BU19_VOCICRITELAB", 62}, // 47 + 15
            {"BU50_CORRPDCVOCI", 233}, // 139 ledger + 45 structure + 21 CEE + 28 reclassified
            {"BU65_TESBUDGET", 864},   // (278 + 22 + 87 + 45) lines x 2 years
            {"BU66_DETBUDGET", 31805}, // 278 x 93 + 22 x 23 + 87 x 45 + 45 x 34
            {"HS03_CAMBI", 1092},      // (261 + 261 working days + 24 months) x 2 currencies
            {"HS05_AZIENDECOLL", 6},   // 3 companies x 2 years
            {"BU68_BDGINTRIC", 11},    // 4 + 4 + 3 sets
        };
        for (const QString& engine : test::engines()) {
            for (const auto& [table, count] : tables)
                QTest::newRow(qPrintable(engine + ':' + table)) << engine << table << count;
        }
    }

    void rowCounts() {
        // The scale-1 demo has exactly the rows its chart and subtypes imply.
        QFETCH(QString, engine);
        QFETCH(QString, table);
        QFETCH(qint64, expected);
        QCOMPARE(scalar(connection(engine), "SELECT COUNT(*) FROM " + table), expected);
    }

    void budgetPerSubtype_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("subtype");
        QTest::addColumn<qint64>("headers");
        QTest::addColumn<qint64>("details");
        QTest::addColumn<qint64>("lastActualPeriod");
        QTest::addColumn<qint64>("maxKind");
        for (const QString& engine : test::engines()) {
            // 139 accounts x 2 sites; 2025: 12 x (budget + 2 forecasts) + 12 actuals,
            // 2026: 36 + 9.
            QTest::newRow(qPrintable(engine + ":MENS"))
                << engine << "MENS" << qint64(556) << qint64(25854) << qint64(9) << qint64(4);
            // 22 CEE lines and natures; 4 quarters x 2 + 4, then 8 + 3.
            QTest::newRow(qPrintable(engine + ":TRIM"))
                << engine << "TRIM" << qint64(44) << qint64(506) << qint64(3) << qint64(3);
            // 29 reclassified accounts and natures x 3 companies; 12 + 12, then 12 + 9.
            QTest::newRow(qPrintable(engine + ":GRUP"))
                << engine << "GRUP" << qint64(174) << qint64(3915) << qint64(9) << qint64(1);
            // 45 structure accounts; 6 bimesters x 2 + 6, then 12 + 4.
            QTest::newRow(qPrintable(engine + ":STRU"))
                << engine << "STRU" << qint64(90) << qint64(1530) << qint64(4) << qint64(3);
        }
    }

    void budgetPerSubtype() {
        // Each subtype has its headers, its periods and forecasts, and the actuals
        // of 2026 stop at the period that holds September.
        QFETCH(QString, engine);
        QFETCH(QString, subtype);
        QFETCH(qint64, headers);
        QFETCH(qint64, details);
        QFETCH(qint64, lastActualPeriod);
        QFETCH(qint64, maxKind);
        Connection& db = connection(engine);
        const QString where = " WHERE BU65_SOTTOTIPO_BU01 = '" + subtype + "'";
        const QString join = " FROM BU66_DETBUDGET JOIN BU65_TESBUDGET ON BU65_ID = BU66_ID_BU65";
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM BU65_TESBUDGET" + where), headers);
        QCOMPARE(scalar(db, "SELECT COUNT(*)" + join + where), details);
        QCOMPARE(scalar(db, "SELECT MAX(BU66_PERIODO)" + join + where +
                                " AND BU66_TIPO = 1 AND BU65_ANNO = 2026"),
                 lastActualPeriod);
        QCOMPARE(scalar(db, "SELECT MAX(BU66_TIPO)" + join + where), maxKind);
        QCOMPARE(scalar(db, "SELECT COUNT(*)" + join + where + " AND BU66_TIPO = 2"), qint64(0));
    }

    void revenueAccountsHaveNatureTwo_data() { test::addEngineRows(); }

    void revenueAccountsHaveNatureTwo() {
        // The 37 revenue and income accounts (categories 70xx, 8010, 8030) carry
        // nature 2 on both sites and years of the monthly budget; costs nature 1.
        QFETCH(QString, engine);
        Connection& db = connection(engine);
        const QString mens = "SELECT COUNT(*) FROM BU65_TESBUDGET WHERE BU65_SOTTOTIPO_BU01 = "
                             "'MENS' AND BU65_INDNATCONTO = ";
        QCOMPARE(scalar(db, mens + "2"), qint64(37 * 2 * 2));
        QCOMPARE(scalar(db, mens + "1"), qint64((139 - 37) * 2 * 2));
        QCOMPARE(scalar(db, mens + "2 AND BU65_CONTO_CG24 LIKE '60%'"), qint64(0));
    }

    void buildsAreIdentical_data() { test::addEngineRows(); }

    void buildsAreIdentical() {
        // A second build, on SQLite, gives the same amounts per kind of figures as
        // the build on each engine, to the cent.
        QFETCH(QString, engine);
        const QStringList expected = centsPerKind(*m_again.connection);
        QCOMPARE(expected.size(), 4); // budget, actuals, forecast 1 and 2
        QCOMPARE(centsPerKind(connection(engine)), expected);
        QCOMPARE(countLines(connection(engine)), countLines(*m_again.connection));
    }

    void mappedAccountsExist_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("orphans");
        // Rows of `table` matching `where` whose register has no row matching `match`.
        const auto orphans = [](const char* table, const char* where, const char* registerTable,
                                const char* match) {
            return QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 AND NOT EXISTS (SELECT 1 FROM "
                                  "%3 WHERE %4)")
                .arg(table, where, registerTable, match);
        };
        const char* mappings = "BU50_CORRPDCVOCI";
        const QList<QPair<const char*, QString>> checks = {
            {"ledger", orphans(mappings, "BU50_CONTO_CG24 IS NOT NULL", "CG24_PIANOCONTI",
                               "CG24_DITTA_CG18 = 1 AND CG24_GRUPPO_CG10 = BU50_GRUPPO_CG10 "
                               "AND CG24_CONTO = BU50_CONTO_CG24")},
            {"cee", orphans(mappings, "BU50_CODICE_CG23 IS NOT NULL", "CG23_RICLBILCEE",
                            "CG23_CODICE_CG21 = BU50_CODICE_CG21 AND CG23_CODICE = "
                            "BU50_CODICE_CG23")},
            {"reclassified", orphans(mappings, "BU50_CONTO_PC03 IS NOT NULL", "PC03_ANAGPDC",
                                     "PC03_DITTA_CG18 = 1 AND PC03_CODICE_PC01 = "
                                     "BU50_CODICE_PC01 AND PC03_CONTO = BU50_CONTO_PC03")},
            {"structure", orphans(mappings, "BU50_CONTO_BU61 IS NOT NULL", "CG24_PIANOCONTI",
                                  "CG24_DITTA_CG18 = 1 AND CG24_CONTO = BU50_CONTO_BU61")},
            {"items", orphans(mappings, "1 = 1", "BU20_STRUTTURACRIT",
                              "BU20_CODICE_BU51 = BU50_CODICE_BU51 AND BU20_CODICE_BU19 = "
                              "BU50_CODICE_BU19")},
            {"budget accounts", orphans("BU65_TESBUDGET", "BU65_CONTO_CG24 IS NOT NULL",
                                        "CG24_PIANOCONTI", "CG24_CONTO = BU65_CONTO_CG24")},
            {"sites", orphans("BU65_TESBUDGET", "BU65_CODICE_CG31 <> 0", "CG31_ANADITTASEDI",
                              "CG31_DITTA_CG18 = BU65_DITTA_CG18 AND CG31_CODICE = "
                              "BU65_CODICE_CG31")},
        };
        for (const QString& engine : test::engines()) {
            for (const auto& [name, sql] : checks)
                QTest::newRow(qPrintable(engine + ':' + name)) << engine << sql;
        }
    }

    void mappedAccountsExist() {
        // Every account, line, item and site that a mapping or a header names
        // exists in its register.
        QFETCH(QString, engine);
        QFETCH(QString, orphans);
        QCOMPARE(scalar(connection(engine), orphans), qint64(0));
    }

    void sizes_data() {
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("expectedAccounts"); // -1: refused
        QTest::addColumn<int>("expectedItems");
        QTest::newRow("demo") << 1 << 0 << 4 << 139 << 47;
        QTest::newRow("three levels") << 1 << 0 << 3 << 139 << 43;
        QTest::newRow("scale 2") << 2 << 0 << 4 << 278 << 57;
        QTest::newRow("benchmark") << 37 << 0 << 4 << 5143 << 400;
        QTest::newRow("scale 0") << 0 << 0 << 4 << -1 << 0;
        QTest::newRow("five levels") << 1 << 0 << 5 << -1 << 0;
        QTest::newRow("fewer items than the base") << 1 << 40 << 4 << -1 << 0;
        QTest::newRow("too many items") << 1 << 1001 << 4 << -1 << 0;
    }

    void sizes() {
        // Sizes are derived from the scale, and impossible sizes are refused
        // with DemoSizeError before anything is built.
        QFETCH(int, scale);
        QFETCH(int, items);
        QFETCH(int, levels);
        QFETCH(int, expectedAccounts);
        QFETCH(int, expectedItems);
        const DemoOptions options{scale, 0, items, levels};
        if (expectedAccounts < 0) {
            QVERIFY_THROWS_EXCEPTION(DemoSizeError, options.resolved());
            return;
        }
        const DemoOptions resolved = options.resolved();
        QCOMPARE(resolved.accounts, expectedAccounts);
        QCOMPARE(resolved.items, expectedItems);
    }
};

QTEST_GUILESS_MAIN(TestDemoCompany)
#include "test_demo_company.moc"
