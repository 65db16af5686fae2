// The demo company: size, determinism and the consistency the inquiry relies on. Counts follow
// from the scale-1 chart: 139 profit-and-loss accounts (45 on the budget structure), 15
// balance-sheet accounts, 21 CEE lines, 28 reclassified accounts, 47 + 15 criterion items.
// The criteria's trees and formulas are exercised by the demo runs of the command line.
#include "company/demo_company.h"
#include "company/demo_content.h"
#include "data/tsv_rows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <map>
#include <memory>

using namespace bdg;

namespace {

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
    std::map<QString, std::unique_ptr<test::FixtureCompany>> m_built;
    std::unique_ptr<test::FixtureCompany> m_again; // a second SQLite build, for determinism

    static std::unique_ptr<test::FixtureCompany> build(const QString& engine) {
        auto built = std::make_unique<test::FixtureCompany>(engine);
        if (!built->build([](Connection& c) { DemoCompany::create(c, DemoOptions{}); }))
            qFatal("%s", qPrintable(built->errorText()));
        return built;
    }

    Connection& connection(const QString& engine) { return m_built.at(engine)->connection(); }

private slots:
    void initTestCase() {
        for (const QString& engine : test::engines())
            m_built.emplace(engine, build(engine));
        m_again = build(QString::fromLatin1(test::SQLiteEngine));
    }

    void rowCounts_data() { test::addTsvRows("demo_righe", {"engine", "table", "expected"}); }

    void rowCounts() {
        // The scale-1 demo has exactly the rows its chart and subtypes imply.
        QFETCH(QString, engine);
        QFETCH(QString, table);
        QFETCH(QString, expected);
        QCOMPARE(scalar(connection(engine), "SELECT COUNT(*) FROM " + table),
                 expected.toLongLong());
    }

    void budgetPerSubtype_data() {
        test::addTsvRows("demo_sottotipi", {"engine", "subtype", "headers", "details",
                                            "lastActualPeriod", "maxKind"});
    }

    void budgetPerSubtype() {
        // Each subtype has its headers, its periods and forecasts, and the actuals
        // of 2026 stop at the period that holds September.
        QFETCH(QString, engine);
        QFETCH(QString, subtype);
        QFETCH(QString, headers);
        QFETCH(QString, details);
        QFETCH(QString, lastActualPeriod);
        QFETCH(QString, maxKind);
        Connection& db = connection(engine);
        const QString where = " WHERE BU65_SOTTOTIPO_BU01 = '" + subtype + "'";
        const QString join = " FROM BU66_DETBUDGET JOIN BU65_TESBUDGET ON BU65_ID = BU66_ID_BU65";
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM BU65_TESBUDGET" + where), headers.toLongLong());
        QCOMPARE(scalar(db, "SELECT COUNT(*)" + join + where), details.toLongLong());
        QCOMPARE(scalar(db, "SELECT MAX(BU66_PERIODO)" + join + where +
                                " AND BU66_TIPO = 1 AND BU65_ANNO = 2026"),
                 lastActualPeriod.toLongLong());
        QCOMPARE(scalar(db, "SELECT MAX(BU66_TIPO)" + join + where), maxKind.toLongLong());
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
        const QStringList expected = centsPerKind(m_again->connection());
        QCOMPARE(expected.size(), 4); // budget, actuals, forecast 1 and 2
        QCOMPARE(centsPerKind(connection(engine)), expected);
        QCOMPARE(countLines(connection(engine)), countLines(m_again->connection()));
    }

    void mappedAccountsExist_data() { test::addTsvRows("demo_orfani", {"engine", "orphans"}); }

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
