#include "cli_runner.h"
#include "data/tsv_rows.h"
#include "export/lettore_xlsx.h"

#include "host/message_catalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace bdg;

// The command line on the "totali" fixture company (subtype SB1 with one forecast and three
// periods, criterion CR02, budget of 2026 only, a USD currency added): its runs in several
// formats, its profiles and lookups, and every refusal with its exit status and message.
class TestCli : public QObject {
    Q_OBJECT

public:
    TestCli() : m_company(QString::fromLatin1(test::SQLiteEngine)) {}

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        QVERIFY2(m_company.buildFixture(QStringLiteral("totali")),
                 qPrintable(m_company.errorText()));
        m_company.connection().ExecuteNonQuery(
            "INSERT INTO HS02_VALUTE (HS02_CODICE, HS02_DESCR, HS02_NRDECIMALI) VALUES ('USD', "
            "'Dollaro', 2)");
        m_db = m_company.connection().connectionString();
        // The fixture's own parameters.
        m_arguments = QStringList{"run", "--db", m_db} +
                      QStringLiteral("--subtype SB1 --criterion CR02 --set budget:2026:1 --set "
                                     "forecast1:2026:1 --set actuals:2026:1 --from 1 --to 3 "
                                     "--show-null-accounts")
                          .split(u' ');
    }

    void jsonHoldsBothTablesOfTheRun() {
        // The command line runs the fixture's parameters: its JSON holds a row per row of
        // either hand-worked table (their figures are the engine's fixture test), amounts
        // as exact text and Nulls as null.
        const test::CliResult result =
            test::runCli(m_arguments + QStringList{"--format", "json", "--periods"}, m_home.path());
        QVERIFY2(result.status == 0, qPrintable(result.err));
        const QJsonObject root = QJsonDocument::fromJson(result.out.toUtf8()).object();
        for (const char* table : {"criterio", "periodi"}) {
            const QList<QStringList> want = test::readTsv(*test::readTextFile(
                test::fixturePath("totali", QStringLiteral(".%1.tsv").arg(table))));
            QCOMPARE(root.value(table).toArray().size(), want.size() - 1);
        }
        const QJsonObject radice = root.value("criterio").toArray().first().toObject();
        QVERIFY(radice.value("IMP1").isNull());
        // Item R's budget, worked out by hand beside the fixture.
        QCOMPARE(root.value("criterio").toArray().at(1).toObject().value("IMP1").toString(),
                 QStringLiteral("340.00"));
    }

    void workbooksHaveTheirOwnLayouts() {
        // Each workbook format has its own layout: the captions on row 3 or 8, a row per
        // node under them. The cells themselves are the export suite's test.
        if (QStandardPaths::findExecutable("unzip").isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        for (const auto& [formato, intestazione] : {std::pair{"xlsx", 3}, {"office", 8}}) {
            const QString file = m_home.filePath(QStringLiteral("%1.xlsx").arg(formato));
            const test::CliResult result = test::runCli(
                m_arguments + QStringList{"--format", formato, "--output", file}, m_home.path());
            QVERIFY2(result.status == 0, qPrintable(result.err));
            const test::LettoreXlsx foglio(file);
            QCOMPARE(foglio.riga(intestazione).value(2), QStringLiteral("Bdg 2026"));
            QVERIFY(!foglio.riga(intestazione + 10).isEmpty());
        }
    }

    void tableShowsOneNodesPeriods() {
        const test::CliResult result =
            test::runCli(m_arguments + QStringList{"--node", "R1"}, m_home.path());
        QVERIFY2(result.status == 0, qPrintable(result.err));
        // Periods 1 to 3 under R1 only.
        QCOMPARE(result.out.count(QStringLiteral("periodo ")), 3);
        const qsizetype node = result.out.indexOf(QRegularExpression("\\n +R1 "));
        QVERIFY(node > 0);
        QVERIFY(result.out.indexOf(QStringLiteral("periodo 1")) > node);
    }

    void demoRunsOnTheDemoCompany() {
        // The demo builds its database in the data folder on first use and compares four
        // sets with their differences.
        QTemporaryDir home;
        const test::CliResult result = test::runCli({"demo"}, home.path());
        QVERIFY2(result.status == 0, qPrintable(result.err));
        for (const char* caption :
             {"Bdg 2026", "Fo1 2026", "Con 2026", "Bdg 2025", "D Con2026", "% Bdg2025", "CE01"})
            QVERIFY2(result.out.contains(QLatin1String(caption)), caption);
        QVERIFY(QFile::exists(home.filePath("bdgintric/demo.sqlite")) ||
                QFile::exists(home.filePath("bdgintric/bdgintric/demo.sqlite")));
        const test::CliResult again = test::runCli({"run"}, home.path());
        QCOMPARE(again.status, 0);
        QCOMPARE(again.out, result.out);
    }

    void savedProfileIsShownListedRunAndDeleted() {
        // A name with a quote, a semicolon and a comment mark is stored as it is; forecast 1
        // is stored as kind 3.
        const QString name = QStringLiteral("Budget d'Italia; --");
        QCOMPARE(cli({"profile", "save", name, "--subtype", "SB1", "--set", "budget:2026:1",
                      "--set", "forecast1:2026:1:delta:perc"})
                     .status,
                 0);
        const QStringList rows = cli({"profile", "show", name}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(1).section('\t', 0, 3), QStringLiteral("1\t0\t2026\t1"));
        QCOMPARE(rows.at(2).section('\t', 0, 3), QStringLiteral("2\t3\t2026\t1"));
        QVERIFY(cli({"lookup", "profiles"}).out.split('\n').contains(name));
        const test::CliResult run = cli({"run", "--subtype", "SB1", "--criterion", "CR02",
                                         "--profile", name, "--format", "csv"});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(run.out.section("\r\n", 0, 0).contains("DELTA_PERC2"));
        QCOMPARE(cli({"profile", "delete", name}).status, 0);
        QVERIFY(!cli({"profile", "list"}).out.split('\n').contains(name));
    }

    void commandAnswersWithItsStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text"); // a line's start on the output, or the error's part
        QTest::newRow("subtypes") << QStringList{"lookup", "subtypes"} << 0 << "SB1\t";
        QTest::newRow("criteria") << QStringList{"lookup", "criteria"} << 0 << "CR02\t";
        QTest::newRow("currencies") << QStringList{"lookup", "currencies"} << 0 << "EUR\tEuro";
        // Every refusal is a usage error (status 2) saying what was wrong.
        QTest::newRow("no name") << QStringList{"profile", "save"} << 2
                                 << "profile save needs a NAME";
        QTest::newRow("unknown action")
            << QStringList{"profile", "rename", "x"} << 2 << "unknown action 'rename'";
        QTest::newRow("unknown subtype")
            << QStringList{"profile", "save", "x", "--subtype", "NO", "--set", "budget:2026:1"} << 2
            << "--subtype";
        QTest::newRow("no set fits the subtype's sites")
            << QStringList{"profile", "save", "x", "--subtype", "SB1", "--set", "budget:2026:1:1"}
            << 2 << "profilo non salvato";
        QTest::newRow("unknown list")
            << QStringList{"lookup", "accounts"} << 2 << "unknown list 'accounts'";
        QTest::newRow("deleting an unknown profile")
            << QStringList{"profile", "delete", "Mai"} << 2 << "no stored profile 'Mai'";
    }
    void commandAnswersWithItsStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, text);
        const test::CliResult result = cli(arguments);
        QCOMPARE(result.status, status);
        if (status == 0)
            QVERIFY2(result.out.startsWith(text) || result.out.contains('\n' + text),
                     qPrintable(result.out));
        else
            QVERIFY2(result.err.contains(text), qPrintable(result.err));
    }

    void refusalExitsWithItsStatusAndMessage_data() {
        test::addTsvRows("rifiuti_cli", {"options", "status", "message"});
    }
    void refusalExitsWithItsStatusAndMessage() {
        QFETCH(QString, options);
        QFETCH(QString, status);
        QFETCH(QString, message);
        QTemporaryDir home;
        const test::CliResult result = test::runCli(
            QStringList{"run", "--db", m_db} + options.split(QLatin1Char(' ')), home.path());
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.status, status.toInt());
        QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
    }

    void outputOntoTheDatabaseIsRefused() {
        // Through its own name, a link or a journal's name: the company is never overwritten.
        QTemporaryDir home;
        QVERIFY(QFile::link(m_db, home.filePath("link.sqlite")));
        const QByteArray before = readAll(m_db);
        for (const QString& target :
             {m_db, home.filePath("link.sqlite"), m_db + QStringLiteral("-journal"),
              m_db + QStringLiteral("-wal")}) {
            const test::CliResult result =
                test::runCli({"run", "--db", m_db, "--subtype", "SB1", "--criterion", "CR02",
                              "--set", "budget:2026:1", "--format", "csv", "--output", target},
                             home.path());
            QCOMPARE(result.status, 2);
            QVERIFY2(result.err.contains("is the company database"), qPrintable(result.err));
        }
        QCOMPARE(readAll(m_db), before);
    }

    void companyThatCannotBeOpenedIsADatabaseError() {
        // A missing file, or a company without a management currency (refused as the form
        // refuses it, with the host's message): status 4 and nothing on the output.
        test::FixtureCompany senzaValuta(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(senzaValuta.build([](Connection& connection) {
            CompanySchema::create(connection);
            connection.ExecuteNonQuery(QStringLiteral("INSERT INTO HS01_DITTE (HS01_CODICE, "
                                                      "HS01_RAGSOC, HS01_VALUTA_HS02) VALUES "
                                                      "(1, 'Alfa', NULL)"));
        }));
        const std::pair<QString, QString> casi[] = {
            {m_home.filePath("missing/company.sqlite"), QStringLiteral("company.sqlite")},
            {senzaValuta.connectionString(),
             MessageCatalogue::text(Msg::ValutaGestioneMancante).value_or("?")}};
        for (const auto& [db, message] : casi) {
            const test::CliResult result =
                test::runCli({"run", "--db", db, "--subtype", "SB1", "--criterion", "CR02", "--set",
                              "budget:2026:1"},
                             m_home.path());
            QCOMPARE(result.status, 4);
            QVERIFY2(result.err.contains(message), qPrintable(result.err));
            QVERIFY(result.out.isEmpty());
        }
    }

private:
    test::CliResult cli(const QStringList& arguments) {
        return test::runCli(arguments + QStringList{QStringLiteral("--db"), m_db}, m_home.path());
    }
    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    test::FixtureCompany m_company;
    QString m_db;
    QStringList m_arguments;
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
