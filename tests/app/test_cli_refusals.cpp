#include "cli_runner.h"
#include "data/tsv_rows.h"

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
        test::addTsvRows("rifiuti_cli", {"options", "status", "message"});
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
