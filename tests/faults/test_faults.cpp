#include "app/cli_runner.h"
#include "data/sql_literal.h"
#include "data/tsv_rows.h"

#include <QDirIterator>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace bdg;

// Faults around the command line on the "totali" fixture company: a save killed at any
// moment, a table locked by another program, the server dropping the connection in the
// middle of a run, a read-only or damaged database, and outputs that are not plain files.
// Whatever happens, nothing stored is lost or half-written and the exit status says why.

namespace {

/// The stored rows of a profile, one "sequence kind year progressive" line each.
QStringList storedRows(Connection& connection, const QString& name) {
    const RecordsetPtr rows = connection.Execute(
        QStringLiteral("SELECT BU68_SEQUENZA, BU68_TIPO, BU68_ANNO, BU68_PROGESER FROM "
                       "BU68_BDGINTRIC WHERE BU68_NOME = %1 ORDER BY BU68_SEQUENZA")
            .arg(sqlText(name)));
    QStringList lines;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        QStringList fields;
        for (int field = 0; field < 4; ++field)
            fields << rows->value(field).toString();
        lines << fields.join(QLatin1Char(' '));
    }
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

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(test::bdgintricPath()), "build the bdgintric target first");
        QVERIFY(m_home.isValid() && m_scratch.isValid() && m_tmp.isValid());
        // The tool's own temporary files go where the tests can see that none is left.
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }

    void killedSaveLeavesTheOldOrTheNewProfile_data() { test::addEngineRows(); }

    void killedSaveLeavesTheOldOrTheNewProfile() {
        // A save killed at any moment leaves the profile as it was or as it was being saved,
        // never part of each; the next save goes through.
        QFETCH(QString, engine);
        auto company = build(engine);
        QVERIFY(company);
        const QString db = company->connection().connectionString();
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
        // database error saying so, and the stored profile is untouched.
        QFETCH(QString, engine);
        QFETCH(bool, saving);
        auto company = build(engine);
        QVERIFY(company);
        const QString db = company->connection().connectionString();
        QStringList base;
        QCOMPARE(cli(saveArguments(db, QStringLiteral("Base"), saveOf(1, base))).status, 0);
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
        QCOMPARE(storedRows(company->connection(), QStringLiteral("Base")), base);
    }

    void serverDroppingTheConnectionEndsTheRun() {
        // The server ends the session of a run waiting for a table: the run ends as a
        // database error and writes nothing.
        if (!test::engines().contains(QLatin1String(test::PostgresEngine)))
            QSKIP("no PostgreSQL test server");
        auto company = build(QString::fromLatin1(test::PostgresEngine));
        QVERIFY(company);
        const QString db = company->connection().connectionString();
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
        auto company = build(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company);
        const QString db = company->connection().connectionString();
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
        auto company = build(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company);
        const QString db = company->connection().connectionString();
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
            cli(runArguments(fixtureDb(), format) + QStringList{"--output", target});
        QVERIFY2(result.status == status.toInt(), qPrintable(result.err));
        QCOMPARE(leftovers(folder), QStringList());
        QCOMPARE(leftovers(m_tmp.path()), QStringList());
        QVERIFY(QFileInfo(QStringLiteral("/dev/null")).isReadable());
    }

    void fifoReaderGetsTheWholeResult() {
        // A FIFO stays a FIFO and its reader gets what standard output would have shown.
        const QString fifo = m_scratch.filePath(QStringLiteral("result.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QStringList run = runArguments(fixtureDb(), "csv");
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
        const test::CliResult result =
            cli(runArguments(fixtureDb(), "xlsx") + QStringList{"--output", folder + "/out.xlsx"});
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

    std::unique_ptr<test::FixtureCompany> build(const QString& engine) {
        auto company = std::make_unique<test::FixtureCompany>(engine);
        const auto sql = test::readTextFile(test::fixturePath("totali", ".sql"));
        if (!sql || !company->build(*sql)) {
            qWarning("%s", qPrintable(company->errorText()));
            return nullptr;
        }
        return company;
    }

    QString fixtureDb() {
        if (!m_fixture)
            m_fixture = build(QString::fromLatin1(test::SQLiteEngine));
        return m_fixture ? m_fixture->connection().connectionString() : QString();
    }

    // A run of criterion CR02 on the budget of 2026, written in `format`.
    static QStringList runArguments(const QString& db, const QString& format) {
        return {"run",   "--db",          db,         "--subtype", "SB1", "--criterion", "CR02",
                "--set", "budget:2026:1", "--format", format};
    }

    static QStringList saveArguments(const QString& db, const QString& name,
                                     const QStringList& sets) {
        return QStringList{"profile", "save", name, "--db", db, "--subtype", "SB1"} + sets;
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

    QTemporaryDir m_home;
    QTemporaryDir m_scratch;
    QTemporaryDir m_tmp;
    std::unique_ptr<test::FixtureCompany> m_fixture;
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
