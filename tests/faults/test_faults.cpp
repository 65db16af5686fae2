#include "app/cli_runner.h"
#include "data/sql_literal.h"
#include "data/tsv_rows.h"

#include <QDirIterator>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

using namespace bdg;

// The command line as a hostile or unlucky user meets it, on the "totali" fixture company
// (subtype SB1 without sites, criterion CR02, budget of 2026, a rate currency and a stored
// profile "Base"): injection payloads through every option on every engine, PostgreSQL also
// with a database that still defaults to backslash escapes; databases holding what their
// columns cannot mean; formulas written to stall or crash a script engine; a save killed at
// any moment, a table locked by another program, the server dropping the connection in the
// middle of a run, a read-only or damaged database, and outputs that are not plain files.
// Whatever happens, nothing stored is lost or half-written and the exit status says why.

namespace {

const QString LegacyEngine = QStringLiteral("postgresql legacy escaping");

// Names a profile cannot take: a control character, and more than 60 characters.
const QStringList Unstorable = {QStringLiteral("SB1\n; DELETE FROM HS04_SOTTOTIPI"),
                                QString(5000, QLatin1Char('A'))};

// Texts that would end a literal, a statement or a comment if they ever reached SQL as
// code, on any engine and under either escaping.
const QStringList Payloads =
    QStringList{
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
        QStringLiteral("Società 'à' \u20ac\U0001F4C8"),
        QStringLiteral("Previsione più \u20ac") + QString(43, QLatin1Char('x')) +
            QStringLiteral("\U0001F4C8"), // 60 characters: the longest name
    } +
    Unstorable;

// The tables the payloads aim at, with the rows the fixture gives them.
const QStringList Targets = {QStringLiteral("BU68_BDGINTRIC"), QStringLiteral("HS03_CAMBI"),
                             QStringLiteral("HS04_SOTTOTIPI"),
                             QStringLiteral("BU20_STRUTTURACRIT")};

const QStringList Ok{"--subtype", "SB1", "--criterion", "CR02", "--set", "budget:2026:1"};

QStringList run(const QString& db, const QStringList& options) {
    return QStringList{"run", "--db", db} + options;
}

// A run of criterion CR02 on the budget of 2026, written in `format`.
QStringList runArguments(const QString& db, const QString& format) {
    return run(db, Ok + QStringList{"--format", format});
}

QStringList saveArguments(const QString& db, const QString& name,
                          const QStringList& sets = {"--set", "budget:2026:1"}) {
    return QStringList{"profile", "save", "--db", db, "--subtype", "SB1"} + sets +
           QStringList{"--", name};
}

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

/// The stored rows of a profile, one "sequence kind year progressive" line each.
QStringList storedRows(Connection& connection, const QString& name) {
    const RecordsetPtr rows = connection.Execute(
        QStringLiteral("SELECT BU68_SEQUENZA, BU68_TIPO, BU68_ANNO, BU68_PROGESER FROM "
                       "BU68_BDGINTRIC WHERE BU68_NOME = %1")
            .arg(sqlText(name)));
    QStringList lines;
    for (const QStringList& row : test::tableCells(*rows, QStringLiteral("BU68_SEQUENZA")).mid(1))
        lines << row.join(QLatin1Char(' '));
    return lines;
}

/// The save of `sets` comparison sets, each of another year, and the rows it stores.
QStringList saveOf(int sets, QStringList& rows) {
    QStringList arguments;
    rows.clear();
    for (int set = 1; set <= sets; ++set) {
        arguments << QStringLiteral("--set") << QStringLiteral("budget:%1:1").arg(2026 - set + 1);
        rows << QStringLiteral("%1 0 %2 1").arg(set).arg(2026 - set + 1);
    }
    return arguments;
}

bool isFifo(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

QStringList leftovers(const QString& folder) {
    QStringList names;
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext())
        names << QFileInfo(entries.next()).fileName();
    return names;
}

/// The fixture company on one engine, with a rate currency and a stored profile; for the
/// legacy variant the PostgreSQL database defaults to backslash escapes in literals. Null,
/// with a warning saying why, when it cannot be built.
std::unique_ptr<test::FixtureCompany> buildCompany(const QString& variant) {
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
        qWarning("%s: %s", qPrintable(variant),
                 qPrintable(sql && added ? company->errorText() : "a fixture is missing"));
    return built ? std::move(company) : nullptr;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        QVERIFY(m_home.isValid() && m_scratch.isValid() && m_tmp.isValid());
        // The tool's own temporary files go where the tests can see that none is left.
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        QStringList variants = test::engines();
        if (variants.contains(QLatin1String(test::PostgresEngine)))
            variants << LegacyEngine;
        for (const QString& variant : variants) {
            auto company = buildCompany(variant);
            QVERIFY(company);
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
        if (Unstorable.contains(payload)) {
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
        const auto company = buildCompany(engine);
        QVERIFY(company);
        company->connection().ExecuteNonQuery(breaking);
        const QString output = m_scratch.filePath(QStringLiteral("broken.csv"));
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
        test::FixtureCompany& company = sqlite();
        const QString description = QStringLiteral("Ostile:") + formula;
        company.connection().ExecuteNonQuery(
            QStringLiteral("UPDATE BU19_VOCICRITELAB SET BU19_DESCR = %1 WHERE BU19_CODICE = 'P'")
                .arg(sqlText(description)));
        const test::CliResult result = cli(runArguments(dbOf(company), "csv"));
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

    void killedSaveLeavesTheOldOrTheNewProfile_data() { test::addEngineRows(); }

    void killedSaveLeavesTheOldOrTheNewProfile() {
        // A save killed at any moment leaves the profile as it was or as it was being saved,
        // never part of each; the next save goes through.
        QFETCH(QString, engine);
        auto company = buildCompany(engine);
        QVERIFY(company);
        const QString db = dbOf(*company);
        QStringList small, large;
        const QStringList smallSave = saveOf(1, small);
        const QStringList largeSave = saveOf(12, large);
        const QString name = QStringLiteral("Interrotto");
        QCOMPARE(cli(saveArguments(db, name, smallSave)).status, 0);
        QStringList stored = small;
        const int loops = engine == QLatin1String(test::SQLiteEngine) ? 40 : 15;
        for (int loop = 0; loop < loops; ++loop) {
            const bool toLarge = stored == small;
            QProcess process;
            start(process, saveArguments(db, name, toLarge ? largeSave : smallSave));
            QThread::msleep((loop * 37) % 160); // from before the open to after the commit
            process.kill();
            process.waitForFinished();
            const QStringList now = storedRows(company->connection(), name);
            QVERIFY2(now == small || now == large, qPrintable(now.join(QLatin1String(" | "))));
            stored = now;
        }
        QCOMPARE(cli(saveArguments(db, name, largeSave)).status, 0);
        QCOMPARE(storedRows(company->connection(), name), large);
    }

    void lockedTableEndsWithAClearMessage_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("saving");
        for (const QString& engine : test::engines()) {
            QTest::newRow(qPrintable(engine + QStringLiteral(" run"))) << engine << false;
            QTest::newRow(qPrintable(engine + QStringLiteral(" profile save"))) << engine << true;
        }
    }

    void lockedTableEndsWithAClearMessage() {
        // Another program holds a table: the command waits the bounded time, then ends as a
        // database error saying so, and the stored profile "Base" is untouched.
        QFETCH(QString, engine);
        QFETCH(bool, saving);
        auto company = buildCompany(engine);
        QVERIFY(company);
        const QString db = dbOf(*company);
        const QStringList base = storedRows(company->connection(), QStringLiteral("Base"));
        Connection locker;
        locker.Open(db);
        if (engine == QLatin1String(test::SQLiteEngine)) {
            locker.ExecuteNonQuery(saving ? QStringLiteral("BEGIN IMMEDIATE")
                                          : QStringLiteral("BEGIN EXCLUSIVE"));
        } else {
            locker.BeginTrans();
            locker.ExecuteNonQuery(
                saving ? QStringLiteral("LOCK TABLE BU68_BDGINTRIC IN EXCLUSIVE MODE")
                       : QStringLiteral("LOCK TABLE BU66_DETBUDGET IN ACCESS "
                                        "EXCLUSIVE MODE"));
        }
        QStringList other;
        const test::CliResult result =
            saving ? cli(saveArguments(db, QStringLiteral("Base"), saveOf(3, other)))
                   : cli(runArguments(db, "csv"));
        locker.ExecuteNonQuery(QStringLiteral("ROLLBACK"));
        QCOMPARE(result.status, 4);
        QVERIFY2(
            result.err.contains("locked by another user or program; gave up after waiting 5 s"),
            qPrintable(result.err));
        QCOMPARE(base.size(), 1);
        QCOMPARE(storedRows(company->connection(), QStringLiteral("Base")), base);
    }

    void serverDroppingTheConnectionEndsTheRun() {
        // The server ends the session of a run waiting for a table: the run ends as a
        // database error and writes nothing.
        if (!test::engines().contains(QLatin1String(test::PostgresEngine)))
            QSKIP("no PostgreSQL test server");
        auto company = buildCompany(QString::fromLatin1(test::PostgresEngine));
        QVERIFY(company);
        const QString db = dbOf(*company);
        Connection locker;
        locker.Open(db);
        locker.BeginTrans();
        locker.ExecuteNonQuery(
            QStringLiteral("LOCK TABLE BU66_DETBUDGET IN ACCESS EXCLUSIVE MODE"));
        const QString output = m_scratch.filePath(QStringLiteral("dropped.csv"));
        QProcess process;
        start(process, runArguments(db, "csv") + QStringList{"--output", output});
        // Activity is read outside the locking transaction, which keeps one view of it.
        Connection watcher;
        watcher.Open(db);
        QString pid;
        for (int attempt = 0; attempt < 200 && pid.isEmpty(); ++attempt) {
            QThread::msleep(20);
            const RecordsetPtr waiting = watcher.Execute(
                "SELECT pid FROM pg_stat_activity WHERE datname = current_database() AND "
                "wait_event_type = 'Lock'");
            if (waiting->RecordCount() > 0)
                pid = waiting->value(0).toString();
        }
        if (pid.isEmpty()) {
            process.waitForFinished(60000);
            QFAIL(qPrintable(QStringLiteral("the run never waited for the locked table: ") +
                             QString::fromUtf8(process.readAllStandardError())));
        }
        watcher.Execute(QStringLiteral("SELECT pg_terminate_backend(%1) AS T").arg(pid));
        locker.RollbackTrans();
        QVERIFY(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 4);
        QVERIFY2(err.contains("terminating connection"), qPrintable(err));
        QVERIFY(!QFile::exists(output));
    }

    void readOnlyDatabaseRefusesSavesOnly() {
        // A company database the user may only read still runs; a save is a database error
        // and changes nothing.
        auto company = buildCompany(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company);
        const QString db = dbOf(*company);
        if (!setReadOnly(db, true))
            QSKIP("the file cannot be made read-only for this user (root without chattr)");
        QStringList rows;
        const test::CliResult saved = cli(saveArguments(db, QStringLiteral("X"), saveOf(1, rows)));
        const test::CliResult run = cli(runArguments(db, "csv"));
        setReadOnly(db, false);
        QCOMPARE(saved.status, 4);
        QVERIFY2(saved.err.contains("readonly"), qPrintable(saved.err));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(storedRows(company->connection(), QStringLiteral("X")).isEmpty());
    }

    void damagedDatabaseIsADatabaseError() {
        // A page of the criterion structure zeroed on disk: a database error, not a refused
        // criterion.
        auto company = buildCompany(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company);
        const QString db = dbOf(*company);
        const int page =
            *company->connection()
                 .Execute("SELECT rootpage FROM sqlite_master WHERE name = 'BU20_STRUTTURACRIT'")
                 ->value(0)
                 .toInt32();
        const int size = *company->connection().Execute("PRAGMA page_size")->value(0).toInt32();
        company->connection().Close();
        QFile file(db);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(qint64(page - 1) * size));
        QCOMPARE(file.write(QByteArray(size, '\0')), qint64(size));
        file.close();
        const test::CliResult result = cli(runArguments(db, "csv"));
        QCOMPARE(result.status, 4);
        QVERIFY2(result.err.contains("malformed"), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
    }

    void outputThatCannotBeWritten_data() {
        test::addTsvRows("uscite", {"target", "format", "status"});
    }

    void outputThatCannotBeWritten() {
        // Devices are written in place; a target that cannot take the result is a file
        // error; no temporary file is left anywhere.
        QFETCH(QString, target);
        QFETCH(QString, format);
        QFETCH(QString, status);
        const QString folder = m_scratch.filePath(QStringLiteral("outputs"));
        QVERIFY(QDir().mkpath(folder));
        target.replace(QStringLiteral("@scratch"), folder);
        const test::CliResult result =
            cli(runArguments(dbOf(sqlite()), format) + QStringList{"--output", target});
        QVERIFY2(result.status == status.toInt(), qPrintable(result.err));
        QCOMPARE(leftovers(folder), QStringList());
        QCOMPARE(leftovers(m_tmp.path()), QStringList());
        QVERIFY(QFileInfo(QStringLiteral("/dev/null")).isReadable());
    }

    void fifoReaderGetsTheWholeResult() {
        // A FIFO stays a FIFO and its reader gets what standard output would have shown.
        const QString fifo = m_scratch.filePath(QStringLiteral("result.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QStringList run = runArguments(dbOf(sqlite()), "csv");
        QProcess process;
        start(process, run + QStringList{"--output", fifo});
        QFile reader(fifo);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QByteArray received = reader.readAll();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(received), cli(run).out);
        QVERIFY(isFifo(fifo));
    }

    void workbookLeavesFilesBesideItAlone() {
        // A file named like the old temporary name stays as it was, and nothing else is left.
        const QString folder = m_scratch.filePath(QStringLiteral("workbook"));
        QVERIFY(QDir().mkpath(folder));
        QFile user(folder + QStringLiteral("/out.xlsx.tmp"));
        QVERIFY(user.open(QIODevice::WriteOnly));
        user.write("dati dell'utente");
        user.close();
        const test::CliResult result = cli(runArguments(dbOf(sqlite()), "xlsx") +
                                           QStringList{"--output", folder + "/out.xlsx"});
        QVERIFY2(result.status == 0, qPrintable(result.err));
        QCOMPARE(leftovers(folder), (QStringList{"out.xlsx", "out.xlsx.tmp"}));
        QVERIFY(user.open(QIODevice::ReadOnly));
        QCOMPARE(user.readAll(), QByteArray("dati dell'utente"));
    }

private:
    /// Permissions bind a user; root is bound only by the immutable attribute.
    static bool setReadOnly(const QString& path, bool readOnly) {
        if (::geteuid() != 0)
            return QFile::setPermissions(path, readOnly ? QFileDevice::ReadOwner
                                                        : QFileDevice::ReadOwner |
                                                              QFileDevice::WriteOwner);
        return QProcess::execute(QStringLiteral("chattr"),
                                 {readOnly ? QStringLiteral("+i") : QStringLiteral("-i"), path}) ==
               0;
    }

    static QString dbOf(test::FixtureCompany& company) {
        return company.connection().connectionString();
    }

    test::FixtureCompany& sqlite() {
        return *m_companies.at(QString::fromLatin1(test::SQLiteEngine));
    }

    void start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        environment.insert(QStringLiteral("HOME"), m_home.path());
        process.setProcessEnvironment(environment);
        process.start(test::bdgintricPath(), arguments);
        process.waitForStarted();
    }

    test::CliResult cli(const QStringList& arguments) const {
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
    QTemporaryDir m_scratch;
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
