#include "cli_runner.h"
#include "export/lettore_xlsx.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace bdg;

// The runs of the "totali" fixture company with its own parameters, in several formats.
class TestCliRun : public QObject {
    Q_OBJECT

public:
    TestCliRun() : m_company(QString::fromLatin1(test::SQLiteEngine)) {}

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
        QVERIFY(sql);
        QVERIFY2(m_company.build(*sql), qPrintable(m_company.errorText()));
        m_arguments = test::fixtureArguments(test::parseParams(*sql),
                                             m_company.connection().connectionString());
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

private:
    test::FixtureCompany m_company;
    QStringList m_arguments;
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestCliRun)
#include "test_cli_run.moc"
