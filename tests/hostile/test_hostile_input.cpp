#include "app/cli_runner.h"
#include "data/sql_literal.h"
#include "data/tsv_rows.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

using namespace bdg;

// The command line as a hostile or unlucky user meets it, on the "totali" fixture company
// (subtype SB1 without sites, criterion CR02, budget of 2026, a stored profile "Base"):
// injection payloads through every option on every engine, PostgreSQL also with a database
// that still defaults to backslash escapes; databases holding what their columns cannot
// mean; formulas written to stall or crash a script engine.

namespace {

const QString LegacyEngine = QStringLiteral("postgresql legacy escaping");

// Texts that would end a literal, a statement or a comment if they ever reached SQL as
// code, on any engine and under either escaping.
const QStringList Payloads = {
    QStringLiteral("\\'; DELETE FROM BU68_BDGINTRIC; --"),
    QStringLiteral("\\'; DROP TABLE HS03_CAMBI; --"),
    QStringLiteral("'; DELETE FROM BU68_BDGINTRIC; --"),
    QStringLiteral("x' OR '1'='1"),
    QStringLiteral("' UNION SELECT HS04_CODICE FROM HS04_SOTTOTIPI --"),
    QStringLiteral("x'); DROP TABLE BU68_BDGINTRIC; --"),
    QStringLiteral("\\\\'; DELETE FROM HS04_SOTTOTIPI; --"),
    QStringLiteral("SB1\" OR \"1\"=\"1"),
    QStringLiteral("$$; DROP TABLE BU20_STRUTTURACRIT; $$"),
    QStringLiteral("E'\\x27; DELETE FROM BU68_BDGINTRIC; --"),
    QStringLiteral("/* */ SB1 --"),
    QStringLiteral("--solo nome"), // an option's look, after the "--" that ends the options
    QStringLiteral("SB1\n; DELETE FROM HS04_SOTTOTIPI"),
    QStringLiteral("Società 'à' \u20ac\U0001F4C8"),
    QStringLiteral("Previsione più \u20ac") + QString(43, QLatin1Char('x')) +
        QStringLiteral("\U0001F4C8"), // 60 characters: the longest name
    QString(5000, QLatin1Char('A')),
};

// The tables the payloads aim at, with the rows the fixture gives them.
const QStringList Targets = {QStringLiteral("BU68_BDGINTRIC"), QStringLiteral("HS03_CAMBI"),
                             QStringLiteral("HS04_SOTTOTIPI"),
                             QStringLiteral("BU20_STRUTTURACRIT")};

QStringList run(const QString& db, const QStringList& options) {
    return QStringList{"run", "--db", db} + options;
}

const QStringList Ok{"--subtype", "SB1", "--criterion", "CR02", "--set", "budget:2026:1"};

/// How a payload is passed: the arguments around it, "@db" and "@" standing for the
/// database and the payload. Every way must end as an unknown code.
const QList<QStringList> Ways = {
    QStringList{"run", "--db", "@db", "--subtype", "@", "--criterion", "CR02", "--set",
                "budget:2026:1"},
    QStringList{"run", "--db", "@db", "--subtype", "SB1", "--criterion", "@", "--set",
                "budget:2026:1"},
    QStringList{"run", "--db", "@db", "--subtype", "SB1", "--criterion", "CR02", "--profile", "@"},
    QStringList{"run", "--db", "@db"} + Ok + QStringList{"--currency", "@"},
    QStringList{"run", "--db", "@db"} + Ok + QStringList{"--currency", "USD", "--rate-date", "@"},
    QStringList{"lookup", "criteria", "--db", "@db", "--subtype", "@"},
    QStringList{"profile", "show", "--db", "@db", "--", "@"},
    QStringList{"profile", "delete", "--db", "@db", "--", "@"},
};

// The way's name in the test rows: the option taking the payload, or the command.
QString wayName(const QStringList& arguments) {
    return arguments[0] == QLatin1String("run") ? arguments[arguments.indexOf("@") - 1]
                                                : arguments.mid(0, 2).join(' ');
}

QStringList filledIn(QStringList arguments, const QString& db, const QString& payload) {
    for (QString& argument : arguments) {
        if (argument == QLatin1String("@db"))
            argument = db;
        else if (argument == QLatin1String("@"))
            argument = payload;
    }
    return arguments;
}

QStringList saveArguments(const QString& db, const QString& name) {
    return {"profile", "save",  "--db",          db,   "--subtype",
            "SB1",     "--set", "budget:2026:1", "--", name};
}

/// Whether a profile may be stored under `name`: not blank, at most 60 characters, no
/// control characters (line breaks included).
bool storable(const QString& name) {
    if (name.trimmed().isEmpty() || name.toUcs4().size() > 60)
        return false;
    for (const QChar character : name) {
        if (character.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

/// The fixture company on one engine, with a rate currency and a stored profile; for the
/// legacy variant the PostgreSQL database defaults to backslash escapes in literals.
std::unique_ptr<test::FixtureCompany> buildCompany(const QString& variant, QString& error) {
    const QString engine =
        variant == LegacyEngine ? QString::fromLatin1(test::PostgresEngine) : variant;
    auto company = std::make_unique<test::FixtureCompany>(engine);
    const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
    const auto added = test::readTextFile(test::fixturePath("totali_ostile", ".sql"));
    const bool built = sql && added && company->build([&](Connection& connection) {
        if (variant == LegacyEngine) {
            const QString name =
                connection.Execute("SELECT current_database() AS N")->value(0).toString();
            connection.ExecuteNonQuery(
                QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off")
                    .arg(name));
        }
        CompanySchema::create(connection);
        for (const QString& statement : test::scriptStatements(*sql + '\n' + *added))
            connection.ExecuteNonQuery(statement);
    });
    if (!built)
        error = sql && added ? company->errorText() : QStringLiteral("a fixture is missing");
    return built ? std::move(company) : nullptr;
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        QStringList variants = test::engines();
        if (variants.contains(QLatin1String(test::PostgresEngine)))
            variants << LegacyEngine;
        for (const QString& variant : variants) {
            QString error;
            auto company = buildCompany(variant, error);
            QVERIFY2(company, qPrintable(variant + QStringLiteral(": ") + error));
            m_counts[variant] = counts(*company);
            m_companies[variant] = std::move(company);
        }
    }

    void payloadThroughAnOptionIsJustAnUnknownCode_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("payload");
        for (const auto& [variant, company] : m_companies) {
            for (int way = 0; way < Ways.size(); ++way) {
                for (int index = 0; index < Payloads.size(); ++index)
                    QTest::newRow(qPrintable(QStringLiteral("%1 %2 #%3")
                                                 .arg(variant, wayName(Ways[way]))
                                                 .arg(index + 1)))
                        << variant << way << Payloads[index];
            }
        }
    }

    void payloadThroughAnOptionIsJustAnUnknownCode() {
        // Whatever it holds, a code is data: an unknown code (status 2), no table touched.
        QFETCH(QString, variant);
        QFETCH(int, way);
        QFETCH(QString, payload);
        test::FixtureCompany& company = *m_companies.at(variant);
        const test::CliResult result = cli(filledIn(Ways[way], dbOf(company), payload));
        QVERIFY2(result.status == 2, qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
        QCOMPARE(counts(company), m_counts.at(variant));
    }

    void payloadAsAProfileNameIsStoredAsItIs_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("payload");
        for (const auto& [variant, company] : m_companies) {
            for (int index = 0; index < Payloads.size(); ++index)
                QTest::newRow(qPrintable(QStringLiteral("%1 #%2").arg(variant).arg(index + 1)))
                    << variant << Payloads[index];
        }
    }

    void payloadAsAProfileNameIsStoredAsItIs() {
        // A name that fits is stored, shown and deleted exactly as typed; one that does not
        // is refused; no other table is touched either way.
        QFETCH(QString, variant);
        QFETCH(QString, payload);
        test::FixtureCompany& company = *m_companies.at(variant);
        const QString db = dbOf(company);
        const test::CliResult saved = cli(saveArguments(db, payload));
        if (!storable(payload)) {
            QVERIFY2(saved.status == 2, qPrintable(saved.err));
        } else {
            QVERIFY2(saved.status == 0, qPrintable(saved.err));
            const test::CliResult shown = cli({"profile", "show", "--db", db, "--", payload});
            QCOMPARE(shown.out.section('\n', 1, 1).section('\t', 0, 3),
                     QStringLiteral("1\t0\t2026\t1"));
            QCOMPARE(cli({"profile", "delete", "--db", db, "--", payload}).status, 0);
        }
        QCOMPARE(counts(company), m_counts.at(variant));
    }

    void brokenDatabaseIsADatabaseError_data() {
        test::addTsvRows("basi_rotte", {"engine", "breaking", "options", "message"});
    }

    void brokenDatabaseIsADatabaseError() {
        // A database that cannot be read as a company database is a database error
        // (status 4) naming what is wrong; nothing is written. Which values and tables are
        // refused is the company schema's test; here the command line's answer to them.
        QFETCH(QString, engine);
        QFETCH(QString, breaking);
        QFETCH(QString, options);
        QFETCH(QString, message);
        QString error;
        const auto company = buildCompany(engine, error);
        QVERIFY2(company, qPrintable(error));
        company->connection().ExecuteNonQuery(breaking);
        const QString output = m_home.filePath(QStringLiteral("broken.csv"));
        const test::CliResult result =
            cli(run(dbOf(*company), options.split(QLatin1Char(' ')) +
                                        QStringList{"--format", "csv", "--output", output}));
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.status, 4);
        QVERIFY(!QFile::exists(output));
    }

    void hostileFormulaEndsAsAWrongFormula_data() {
        test::addTsvRows("formule_ostili", {"formula", "wrong"});
    }

    void hostileFormulaEndsAsAWrongFormula() {
        // However a formula is written, the run finishes; a wrong one is reported once per
        // set with the usual message, an overflow leaves the amount empty in silence.
        QFETCH(QString, formula);
        QFETCH(QString, wrong);
        test::FixtureCompany& company = *m_companies.at(QString::fromLatin1(test::SQLiteEngine));
        const QString description = QStringLiteral("Ostile:") + formula;
        company.connection().ExecuteNonQuery(
            QStringLiteral("UPDATE BU19_VOCICRITELAB SET BU19_DESCR = %1 WHERE BU19_CODICE = 'P'")
                .arg(sqlText(description)));
        const test::CliResult result = cli(run(dbOf(company), Ok + QStringList{"--format", "csv"}));
        company.connection().ExecuteNonQuery(
            "UPDATE BU19_VOCICRITELAB SET BU19_DESCR = 'Incidenza:[M]/[R]*100' WHERE "
            "BU19_CODICE = 'P'");
        QVERIFY2(result.status == 0, qPrintable(result.err));
        const QString message = QStringLiteral("Formula ") + description.left(60);
        QCOMPARE(result.err.contains(message), wrong == QLatin1String("1"));
        // The formula item's row is there, its amount empty.
        const QStringList lines = result.out.split(QStringLiteral("\r\n"));
        const auto item = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
            return line.startsWith(QLatin1String("4,0,P,0,"));
        });
        QVERIFY(item != lines.end());
        QVERIFY(item->endsWith(QLatin1Char(',')));
    }

private:
    static QString dbOf(test::FixtureCompany& company) {
        return company.connection().connectionString();
    }

    test::CliResult cli(const QStringList& arguments) {
        return test::runCli(arguments, m_home.path());
    }

    static std::map<QString, int> counts(test::FixtureCompany& company) {
        std::map<QString, int> rows;
        for (const QString& table : Targets) {
            const RecordsetPtr count = company.connection().Execute(
                QStringLiteral("SELECT COUNT(*) AS N FROM %1").arg(table));
            rows[table] = count->value(0).toInt32().value_or(-1);
        }
        return rows;
    }

    std::map<QString, std::unique_ptr<test::FixtureCompany>> m_companies;
    std::map<QString, std::map<QString, int>> m_counts;
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
