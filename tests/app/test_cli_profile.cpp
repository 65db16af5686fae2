#include "cli_runner.h"

#include <QTest>

using namespace bdg;

// Profiles and lookups from the command line on the "totali" fixture company (subtype SB1,
// no sites, one forecast).
class TestCliProfile : public QObject {
    Q_OBJECT

public:
    TestCliProfile() : m_company(QString::fromLatin1(test::SQLiteEngine)) {}

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        QVERIFY2(m_company.buildFixture(QStringLiteral("totali")),
                 qPrintable(m_company.errorText()));
        m_db = m_company.connection().connectionString();
    }

    void savedProfileIsShownListedRunReplacedAndDeleted() {
        // A name with a quote, a semicolon and a comment mark is stored as it is.
        const QString name = QStringLiteral("Budget d'Italia; --");
        QCOMPARE(cli({"profile", "save", name, "--subtype", "SB1", "--set", "budget:2026:1",
                      "--set", "forecast1:2026:1:delta:perc"})
                     .status,
                 0);
        QStringList rows = cli({"profile", "show", name}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(1).section('\t', 0, 3), QStringLiteral("1\t0\t2026\t1"));
        QCOMPARE(rows.at(2).section('\t', 0, 3), QStringLiteral("2\t3\t2026\t1"));
        QVERIFY(cli({"profile", "list"}).out.split('\n').contains(name));
        QVERIFY(cli({"lookup", "profiles"}).out.split('\n').contains(name));
        const test::CliResult run = cli({"run", "--subtype", "SB1", "--criterion", "CR02",
                                         "--profile", name, "--format", "csv"});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(run.out.startsWith("KEY_VOCE,"));
        QVERIFY(run.out.section("\r\n", 0, 0).contains("DELTA_PERC2"));
        // Saved again, with a set of a site the subtype does not keep: that set is left out.
        QCOMPARE(cli({"profile", "save", name, "--subtype", "SB1", "--set", "actuals:2026:1",
                      "--set", "budget:2026:1:5"})
                     .status,
                 0);
        rows = cli({"profile", "show", name}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(1).section('\t', 0, 3), QStringLiteral("1\t1\t2026\t1"));
        // A save left without any set is refused and keeps the stored one.
        const test::CliResult refused =
            cli({"profile", "save", name, "--subtype", "SB1", "--set", "budget:2026:1:1"});
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.contains("profilo non salvato"), qPrintable(refused.err));
        QCOMPARE(cli({"profile", "show", name}).out.split('\n', Qt::SkipEmptyParts).size(), 2);
        QCOMPARE(cli({"profile", "delete", name}).status, 0);
        QVERIFY(!cli({"profile", "list"}).out.split('\n').contains(name));
        QCOMPARE(cli({"profile", "show", name}).status, 2);
    }

    void profileRefusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << QStringList{"profile", "save"} << "profile save needs a NAME";
        QTest::newRow("unknown action")
            << QStringList{"profile", "rename", "x"} << "unknown action 'rename'";
        QTest::newRow("unknown subtype")
            << QStringList{"profile", "save", "x", "--subtype", "NO", "--set", "budget:2026:1"}
            << "--subtype";
        QTest::newRow("unknown list")
            << QStringList{"lookup", "accounts"} << "unknown list 'accounts'";
        QTest::newRow("deleting an unknown profile")
            << QStringList{"profile", "delete", "Mai salvato"} << "no stored profile 'Mai salvato'";
    }
    void profileRefusals() {
        // Every refusal is a usage error (status 2) saying what was wrong.
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const test::CliResult result = cli(arguments);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.status, 2);
    }

    void lookupsListWhatTheFormOffers_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("line");
        QTest::newRow("subtypes") << "subtypes"
                                  << "SB1\t";
        QTest::newRow("criteria") << "criteria"
                                  << "CR02\t";
        QTest::newRow("currencies") << "currencies"
                                    << "EUR\tEuro";
    }
    void lookupsListWhatTheFormOffers() {
        QFETCH(QString, list);
        QFETCH(QString, line);
        const test::CliResult result = cli({"lookup", list});
        QVERIFY2(result.status == 0, qPrintable(result.err));
        QVERIFY2(result.out.startsWith(line) || result.out.contains('\n' + line),
                 qPrintable(result.out));
    }

private:
    test::CliResult cli(const QStringList& arguments) {
        return test::runCli(arguments + QStringList{QStringLiteral("--db"), m_db}, m_home.path());
    }

    test::FixtureCompany m_company;
    QString m_db;
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestCliProfile)
#include "test_cli_profile.moc"
