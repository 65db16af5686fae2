#pragma once

// Database tests run the same cases on every engine that is reachable: SQLite always,
// PostgreSQL when BDGINTRIC_TEST_PG holds a keyword connection string to a server on which
// we may create databases (scripts/run-tests.sh starts a private one and sets it).
//
// A test adds one data row per engine (addEngineRows, or addCaseRows with perEngine) and
// opens a fresh database for each (OPEN_TEST_DATABASE); declare a TestDatabase before the
// connections that use it, so that they are closed before the database is dropped.

#include "company/company_schema.h"
#include "data/connection.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace bdg::test {

inline constexpr const char* SQLiteEngine = "sqlite";
inline constexpr const char* PostgresEngine = "postgresql";

/// The keyword connection string of the PostgreSQL test server, empty when there is none.
inline QString postgresServer() {
    return qEnvironmentVariable("BDGINTRIC_TEST_PG").trimmed();
}

/// The engines the database tests run on; the first call prints them once per test run.
inline QStringList engines() {
    static const QStringList names = [] {
        QStringList list{QString::fromLatin1(SQLiteEngine)};
        if (!postgresServer().isEmpty())
            list << QString::fromLatin1(PostgresEngine);
        std::fprintf(stderr, "database tests: %s\n", qPrintable(list.join(QStringLiteral(", "))));
        return list;
    }();
    return names;
}

/// Adds the column "engine" (QString) and one row per available engine to a _data() table.
inline void addEngineRows() {
    QTest::addColumn<QString>("engine");
    for (const QString& engine : engines())
        QTest::newRow(qPrintable(engine)) << engine;
}

namespace detail {

/// Splits "host=h port=5432 dbname='my db'" into pairs; quoted values may hold blanks and
/// escaped quotes (\').
inline QList<std::pair<QString, QString>> parseKeywords(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"((\w+)\s*=\s*(?:'((?:[^'\\]|\\.)*)'|(\S+)))"));
    QList<std::pair<QString, QString>> pairs;
    auto matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        QString value = match.captured(2).isNull() ? match.captured(3) : match.captured(2);
        value.replace(QStringLiteral("\\'"), QStringLiteral("'"));
        pairs.append({match.captured(1).toLower(), value});
    }
    return pairs;
}

inline QString quoteKeywordValue(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

/// The same keyword string with dbname replaced (or added).
inline QString withDatabase(const QString& server, const QString& database) {
    QStringList parts;
    for (const auto& [key, value] : parseKeywords(server)) {
        if (key != QLatin1String("dbname"))
            parts << key + QLatin1Char('=') + quoteKeywordValue(value);
    }
    parts << QStringLiteral("dbname=") + quoteKeywordValue(database);
    return parts.join(QLatin1Char(' '));
}

inline QString uniqueSuffix() {
    static std::atomic<int> counter{0};
    return QStringLiteral("%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(QUuid::createUuid().toString(QUuid::Id128).left(8));
}

/// Runs one statement (CREATE or DROP DATABASE) on the server's maintenance database
/// "postgres"; empty when it ran, otherwise why it did not.
inline QString runOnServer(const QString& statement) {
    try {
        Connection admin;
        admin.Open(withDatabase(postgresServer(), QStringLiteral("postgres")));
        admin.ExecuteNonQuery(statement);
        return QString();
    } catch (const std::exception& error) {
        return QStringLiteral("PostgreSQL test server: ") + QString::fromUtf8(error.what());
    }
}

} // namespace detail

/// A fresh, empty database on one engine for the life of the object.
///
/// SQLite: an empty file in a temporary folder (the file exists, so it can be opened as an
/// existing company database). PostgreSQL: a database created with a unique name on the
/// test server and dropped again at the end, connections still open to it included.
class TestDatabase {
public:
    explicit TestDatabase(const QString& engine) : m_engine(engine) {
        if (engine == QLatin1String(SQLiteEngine))
            createSQLite();
        else if (engine == QLatin1String(PostgresEngine))
            createPostgres();
        else
            m_error = QStringLiteral("unknown test engine '%1'").arg(engine);
    }
    ~TestDatabase() {
        if (!m_postgresName.isEmpty())
            detail::runOnServer(
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_postgresName));
    }
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    bool isValid() const { return m_error.isEmpty(); }
    QString errorText() const { return m_error; }
    bool isSQLite() const { return m_engine == QLatin1String(SQLiteEngine); }
    bool isPostgres() const { return m_engine == QLatin1String(PostgresEngine); }
    /// What Connection::Open takes: the file path, or a PostgreSQL keyword string.
    QString connectionString() const { return m_connectionString; }

private:
    void createSQLite() {
        m_folder = std::make_unique<QTemporaryDir>();
        if (!m_folder->isValid()) {
            m_error = QStringLiteral("cannot create a temporary folder for the test database");
            return;
        }
        const QString path = m_folder->filePath(QStringLiteral("company.sqlite"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            m_error = QStringLiteral("cannot create '%1': %2").arg(path, file.errorString());
            return;
        }
        m_connectionString = path;
    }

    void createPostgres() {
        if (postgresServer().isEmpty()) {
            m_error = QStringLiteral("BDGINTRIC_TEST_PG is not set: no PostgreSQL test server");
            return;
        }
        const QString name = QStringLiteral("bdgintric_test_") + detail::uniqueSuffix();
        m_error = detail::runOnServer(
            QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name));
        if (!m_error.isEmpty())
            return;
        m_postgresName = name;
        m_connectionString = detail::withDatabase(postgresServer(), name);
    }

    QString m_engine;
    QString m_error;
    QString m_connectionString;
    QString m_postgresName;
    std::unique_ptr<QTemporaryDir> m_folder;
};

inline QString fixturePath(const QString& name, const QString& suffix) {
    return QStringLiteral(BDGINTRIC_FIXTURES "/") + name + suffix;
}

inline std::optional<QString> readTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

/// The statements of a fixture script: comment lines dropped, split at a ";" that ends a
/// line (the rows' texts never end a line with one).
inline QStringList scriptStatements(const QString& sql) {
    QStringList statements;
    QString current;
    for (const QString& rawLine : sql.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char(' ');
        if (!line.endsWith(QLatin1Char(';')))
            continue;
        current.chop(2);
        statements << current;
        current.clear();
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

/// The statements of the fixture script tests/fixtures/NAME.sql; none when it is missing.
inline QStringList fixtureRows(const QString& name) {
    return scriptStatements(
        readTextFile(fixturePath(name, QStringLiteral(".sql"))).value_or(QString()));
}

/// A fresh company database on one engine, open, with the company's tables and `rows` run in
/// order; check `database.isValid()` before use.
struct CompanyDatabase {
    explicit CompanyDatabase(const QString& engine, const QStringList& rows = {})
        : database(engine) {
        if (!database.isValid())
            return;
        connection.Open(database.connectionString());
        CompanySchema::create(connection);
        for (const QString& row : rows)
            connection.ExecuteNonQuery(row);
    }
    TestDatabase database;
    Connection connection;
};

/// A company database with the host's recorded messages and global services, and the state
/// a procedure of the form reads the company from.
struct HostedCompany : CompanyDatabase {
    using CompanyDatabase::CompanyDatabase;
    FormState state(int codDitta) {
        FormState result;
        result.CodDitta = codDitta;
        result.Caption = QStringLiteral("Interrogazione budget");
        result.connection = &connection;
        result.Gcls_Global = &global;
        result.StringaConnessione = database.connectionString();
        return result;
    }
    RecordingMessageService messages;
    HostGlobal global{&messages, &connection, database.connectionString()};
};

} // namespace bdg::test

/// Declares `name`, a `Type` holding a test `database`, built from the further arguments,
/// and fails the test unless that database could be created.
#define OPEN_TEST_DATABASE(Type, name, ...)                                                        \
    Type name(__VA_ARGS__);                                                                        \
    QVERIFY2(name.database.isValid(), qPrintable(name.database.errorText()))
