#include "cli_runner.h"

#include "host/message_catalogue.h"

#include <QTest>

using namespace bdg;

// Every refusal of the command line on the "totali" fixture company (subtype SB1 with one
// forecast and three periods, criterion CR02, budget of 2026 only): its exit status and the
// message it prints.
class TestCliRefusals : public QObject {
    Q_OBJECT

public:
    TestCliRefusals() : m_company(QString::fromLatin1(test::SQLiteEngine)) {}

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        QVERIFY2(m_company.buildFixture(QStringLiteral("totali")),
                 qPrintable(m_company.errorText()));
        m_company.connection().ExecuteNonQuery(
            "INSERT INTO HS02_VALUTE (HS02_CODICE, HS02_DESCR, HS02_NRDECIMALI) VALUES ('USD', "
            "'Dollaro', 2)");
        m_db = m_company.connection().connectionString();
    }

    void refusalExitsWithItsStatusAndMessage_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QStringList ok{"--subtype", "SB1", "--criterion", "CR02", "--set", "budget:2026:1"};
        const QString parametri = QStringLiteral("Parametri di elaborazione mancanti o non validi");
        QTest::newRow("unknown option")
            << (ok + QStringList{"--bogus"}) << 2 << "unknown option '--bogus'";
        QTest::newRow("set without year")
            << QStringList{"--set", "budget"} << 2 << "--set 'budget' needs at least TYPE:YEAR";
        QTest::newRow("set year not a number") << QStringList{"--set", "budget:20x6"} << 2
                                               << "the year of --set must be a whole number";
        QTest::newRow("set with a stray word")
            << QStringList{"--set", "budget:2026:1:2:deltas"} << 2 << "'deltas' is neither";
        QTest::newRow("rate not a number")
            << (ok + QStringList{"--currency", "USD", "--rate", "1,5x"}) << 2
            << "--rate must be a positive number of at most 11 integer digits and 8 "
               "decimals, not '1,5x'";
        // 300.00 of budget times the rate has 16 integer digits; an amount holds 13.
        QTest::newRow("rate making amounts too large")
            << (ok + QStringList{"--currency", "USD", "--rate", "99999999999"}) << 2
            << "--rate: converted at 99999999999 the amounts have more digits than an amount "
               "holds";
        // Progressive 99 is allowed; the company has no figures for it: no data, status 3.
        QTest::newRow("progressive 99, no figures")
            << QStringList{"--subtype", "SB1", "--criterion", "CR02", "--set", "budget:2026:99"}
            << 3 << "Criterio non valorizzato";
        QTest::newRow("progressive beyond two digits")
            << QStringList{"--set", "budget:2026:999999999:1"} << 2
            << "--set 'budget:2026:999999999:1': the progressive is 0 to 99, not 999999999";
        QTest::newRow("rate without currency")
            << (ok + QStringList{"--rate", "1.5"}) << 2 << "--rate and --rate-date need --currency";
        QTest::newRow("unknown format") << (ok + QStringList{"--format", "pdf"}) << 2
                                        << "--format must be table, csv, json, xlsx or office";
        QTest::newRow("xlsx without a file")
            << (ok + QStringList{"--format", "xlsx"}) << 2 << "--format xlsx needs --output FILE";
        QTest::newRow("kind the subtype does not offer")
            << QStringList{"--subtype", "SB1", "--criterion", "CR02", "--set", "forecast2:2026:1"}
            << 2 << "'forecast2' is not a kind of figures of subtype SB1";
        QTest::newRow("code 2 is no kind")
            << QStringList{"--subtype", "SB1", "--criterion", "CR02", "--set", "2:2026:1"} << 2
            << "'2' is not a kind of figures";
        QTest::newRow("unknown company")
            << (ok + QStringList{"--company", "77"}) << 2 << "unknown company 77";
        QTest::newRow("periods the wrong way round")
            << (ok + QStringList{"--from", "3", "--to", "1"}) << 2 << parametri;
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

    void refusalExitsWithItsStatusAndMessage() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir home;
        const test::CliResult result =
            test::runCli(QStringList{"run", "--db", m_db} + options, home.path());
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.status, status);
        QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
    }

    void companyWithoutAUsableCurrencyIsRefusedAtStart() {
        // As the form, every command refuses to open a company without a management
        // currency: the host's message, then status 4.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company.build([](Connection& connection) {
            CompanySchema::create(connection);
            connection.ExecuteNonQuery(QStringLiteral("INSERT INTO HS01_DITTE (HS01_CODICE, "
                                                      "HS01_RAGSOC, HS01_VALUTA_HS02) VALUES "
                                                      "(1, 'Alfa', NULL)"));
        }));
        QTemporaryDir home;
        const test::CliResult result =
            test::runCli({"run", "--db", company.connection().connectionString(), "--subtype",
                          "SB1", "--criterion", "CR02", "--set", "budget:2026:1"},
                         home.path());
        QCOMPARE(result.status, 4);
        QVERIFY2(result.err.contains(MessageCatalogue::text(Msg::ValutaGestioneMancante).value()),
                 qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
    }

    void missingDatabaseIsADatabaseError() {
        QTemporaryDir home;
        const test::CliResult result = test::runCli(
            {"run", "--db", home.filePath("missing/company.sqlite"), "--subtype", "SB1"},
            home.path());
        QCOMPARE(result.status, 4);
        QVERIFY2(result.err.contains("company.sqlite"), qPrintable(result.err));
    }

private:
    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    test::FixtureCompany m_company;
    QString m_db;
};

QTEST_GUILESS_MAIN(TestCliRefusals)
#include "test_cli_refusals.moc"
