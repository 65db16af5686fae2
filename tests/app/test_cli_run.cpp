#include "cli_runner.h"
#include "export/lettore_xlsx.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace bdg;

namespace {

// A JSON value as the hand-written tables spell it: Null empty, numbers bare.
QString cellOf(const QJsonValue& value) {
    if (value.isNull() || value.isUndefined())
        return QString();
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

QList<QStringList> jsonCells(const QJsonArray& rows, const QStringList& header) {
    QList<QStringList> lines{header};
    for (const QJsonValue& row : rows) {
        QStringList line;
        for (const QString& field : header)
            line << cellOf(row.toObject().value(field));
        lines << line;
    }
    return lines;
}

} // namespace

class TestCliRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
    }

    void jsonMatchesTheHandWorkedFixture_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("table");
        for (const char* fixture : {"totali"}) {
            for (const char* table : {"criterio", "periodi"})
                QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(fixture, table)))
                    << QString::fromLatin1(fixture) << QString::fromLatin1(table);
        }
    }
    void jsonMatchesTheHandWorkedFixture() {
        // The command line runs the fixture's parameters; every field of every row of its
        // JSON equals the expected table worked out by hand beside the fixture.
        QFETCH(QString, fixture);
        QFETCH(QString, table);
        const auto sql = test::readTextFile(test::fixturePath(fixture, ".sql"));
        const auto expected = test::readTextFile(test::fixturePath(fixture, "." + table + ".tsv"));
        QVERIFY(sql && expected);
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(company.build(*sql), qPrintable(company.errorText()));
        QTemporaryDir home;
        const test::FixtureParams params = test::parseParams(*sql);
        QStringList arguments =
            test::fixtureArguments(params, company.connection().connectionString());
        arguments << "--format"
                  << "json"
                  << "--periods";
        const test::CliResult result = test::runCli(arguments, home.path());
        QVERIFY2(result.status == 0, qPrintable(result.err));
        const QJsonObject root = QJsonDocument::fromJson(result.out.toUtf8()).object();
        const QList<QStringList> want = test::readTsv(*expected);
        const QList<QStringList> got = jsonCells(root.value(table).toArray(), want.first());
        const QString differences = test::compareCells(want, got, 2);
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        QCOMPARE(root.value("parametri").toObject().value("criterio").toString(), params.criterio);
    }

    void workbooksHoldTheFiguresOfTheJson() {
        // Each workbook format has its own layout (captions on row 3 or 8); under the first
        // amount caption, every node's figure is the JSON's to the cent. The cells
        // themselves are the export suite's test.
        if (QStandardPaths::findExecutable("unzip").isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(sql && company.build(*sql));
        QTemporaryDir home;
        const QStringList arguments = test::fixtureArguments(
            test::parseParams(*sql), company.connection().connectionString());
        const test::CliResult json =
            test::runCli(arguments + QStringList{"--format", "json"}, home.path());
        QVERIFY2(json.status == 0, qPrintable(json.err));
        QMap<QString, QString> importi; // code -> IMP1
        for (const QJsonValue& riga :
             QJsonDocument::fromJson(json.out.toUtf8()).object().value("criterio").toArray())
            importi[riga.toObject().value("VOCE").toString()] =
                riga.toObject().value("IMP1").toString();
        for (const auto& [formato, intestazione] : {std::pair{"xlsx", 3}, {"office", 8}}) {
            const QString file = home.filePath(QStringLiteral("%1.xlsx").arg(formato));
            const test::CliResult result = test::runCli(
                arguments + QStringList{"--format", formato, "--output", file}, home.path());
            QVERIFY2(result.status == 0, qPrintable(result.err));
            const test::LettoreXlsx foglio(file);
            QCOMPARE(foglio.riga(intestazione).value(2), QStringLiteral("Bdg 2026"));
            int righe = 0;
            for (int riga = intestazione + 1; !foglio.riga(riga).isEmpty(); ++riga, ++righe) {
                const QStringList celle = foglio.riga(riga);
                const QString atteso = importi.value(celle.at(0).section(" * ", 1));
                QVERIFY2(celle.value(2).toDouble() == atteso.toDouble() &&
                             celle.value(2).isEmpty() == atteso.isEmpty(),
                         qPrintable(QStringLiteral("%1 row %2: %3, JSON %4")
                                        .arg(formato)
                                        .arg(riga)
                                        .arg(celle.value(2), atteso)));
            }
            QVERIFY(righe > 10);
        }
    }

    void tableShowsOneNodesPeriods() {
        const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
        QVERIFY(sql);
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(company.build(*sql), qPrintable(company.errorText()));
        QTemporaryDir home;
        QStringList arguments = test::fixtureArguments(test::parseParams(*sql),
                                                       company.connection().connectionString());
        arguments << "--node"
                  << "R1";
        const test::CliResult result = test::runCli(arguments, home.path());
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
};

QTEST_GUILESS_MAIN(TestCliRun)
#include "test_cli_run.moc"
