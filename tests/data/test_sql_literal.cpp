#include "data/error_of.h"
#include "data/sql_dialect.h"
#include "data/sql_literal.h"
#include "data/tsv_rows.h"

#include <QTest>

#include <cstdint>

using bdg::Decimal;
using bdg::SqlValueError;
using bdg::Variant;

Q_DECLARE_METATYPE(bdg::Variant)

class TestSqlLiteral : public QObject {
    Q_OBJECT

private slots:
    void textIsQuotedWithQuotesDoubled_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain code") << Variant("CRIT01") << "'CRIT01'";
        QTest::newRow("quote inside a code") << Variant("DELL'ANNO") << "'DELL''ANNO'";
        QTest::newRow("quote at both ends") << Variant("'X'") << "'''X'''";
        QTest::newRow("injection attempt")
            << Variant("X'; DELETE BU68_BDGINTRIC --") << "'X''; DELETE BU68_BDGINTRIC --'";
        QTest::newRow("empty") << Variant("") << "''";
        QTest::newRow("trailing blanks kept") << Variant("ITA ") << "'ITA '";
        QTest::newRow("null as empty text") << Variant::null() << "''";
    }

    void textIsQuotedWithQuotesDoubled() {
        // A code typed by a user becomes one literal, whatever quotes it holds.
        QFETCH(Variant, value);
        QFETCH(QString, expected);
        QCOMPARE(bdg::sqlText(value), expected);
        if (value.isText())
            QCOMPARE(bdg::sqlText(value.toString()), expected);
    }

    void numberIsWrittenOnlyWhenItIsOne_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("int64") << Variant(std::int64_t(9000000000)) << "9000000000";
        QTest::newRow("decimal keeps its digits")
            << Variant(Decimal::fromMantissa(-123450, 4)) << "-12.3450";
        QTest::newRow("double written out, not as an exponent")
            << Variant(1e20) << "100000000000000000000";
        QTest::newRow("double 0.1 as typed, not its binary expansion") << Variant(0.1) << "0.1";
        QTest::newRow("text integer stays an integer") << Variant("12") << "12";
        QTest::newRow("text with blanks around") << Variant(" 7 ") << "7";
        QTest::newRow("text decimal with comma") << Variant("1,50") << "1.50";
    }

    void numberIsWrittenOnlyWhenItIsOne() {
        // Numbers reach a statement bare, in invariant notation, after being parsed.
        QFETCH(Variant, value);
        QFETCH(QString, expected);
        QCOMPARE(bdg::sqlNumber(value, QStringLiteral("the value")), expected);
    }

    void nonNumberIsRefusedNamingWhatAndValue_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("injection after a year")
            << Variant("2026; DROP TABLE X") << "the year"
            << "not a number for the year: '2026; DROP TABLE X'";
        QTest::newRow("letters") << Variant("abc") << "the period"
                                 << "not a number for the period: 'abc'";
        QTest::newRow("grouping separators") << Variant("1.000,50") << "the rate"
                                             << "not a number for the rate: '1.000,50'";
        QTest::newRow("empty text") << Variant("") << "the site"
                                    << "not a number for the site: ''";
        QTest::newRow("never assigned") << Variant() << "the year"
                                        << "not a number for the year: ''";
        QTest::newRow("no name given") << Variant("x") << ""
                                       << "not a number: 'x'";
    }

    void nonNumberIsRefusedNamingWhatAndValue() {
        // Anything that is not a number is refused before it can reach a statement.
        QFETCH(Variant, value);
        QFETCH(QString, what);
        QFETCH(QString, message);
        QCOMPARE(bdg::test::errorOf<SqlValueError>([&] { bdg::sqlNumber(value, what); }), message);
    }

    void constructIsTranslated_data() {
        // An empty SQLite text means the statement is unchanged; "=" means PostgreSQL gets the
        // SQLite text.
        bdg::test::addTsvRows("dialetto", {"sql", "sqlite", "postgres"});
    }

    void constructIsTranslated() {
        // Each T-SQL construct the module emits becomes its SQLite and PostgreSQL equivalent;
        // through ODBC the company's own SQL Server runs the module's text as it is. Whole
        // statements run on both engines in the engine, profile and fixture tests.
        using bdg::SqlDialect;
        QFETCH(QString, sql);
        QFETCH(QString, sqlite);
        QFETCH(QString, postgres);
        if (sqlite.isEmpty())
            sqlite = sql;
        postgres = postgres.isEmpty() ? sql : postgres == QLatin1String("=") ? sqlite : postgres;
        QCOMPARE(SqlDialect::translate(sql, SqlDialect::Target::SQLite), sqlite);
        QCOMPARE(SqlDialect::translate(sql, SqlDialect::Target::PostgreSQL), postgres);
        QCOMPARE(SqlDialect::translate(sql, SqlDialect::Target::SqlServer), sql);
    }
};

QTEST_GUILESS_MAIN(TestSqlLiteral)
#include "test_sql_literal.moc"
