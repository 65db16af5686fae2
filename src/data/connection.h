#pragma once

#include "data/recordset.h"

#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

struct sqlite3;

namespace bdg {

/// One error reported by the database for the last failed request.
struct DbError {
    qint64 nativeCode = 0;
    QString sqlState;
    QString text;
};

/// Raised when the database refuses to open or to run a statement. what() carries the
/// database's own text, prefixed with what could not be done.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A connection to a company database.
///
/// The module writes SQL Server text; the connection translates it to the dialect of the
/// engine it is open on (SqlDialect) before running it. Query results come back as
/// disconnected recordsets with typed fields.
///
/// Connection strings: a file path (or "sqlite:PATH") opens SQLite; "postgresql://..."
/// or a keyword string with "host=" / "dbname=" opens PostgreSQL; "DSN=..." or
/// "Driver=..." opens ODBC and passes every text unchanged.
class Connection {
public:
    enum class Engine { SQLite, PostgreSQL, Odbc };

    /// Whether opening an SQLite file that does not exist creates it. Opening a company
    /// database requires it to exist, so that a mistyped path is reported instead of
    /// silently giving an empty database; creating a company asks for CreateIfMissing.
    enum class OpenMode { MustExist, CreateIfMissing };

    /// How long a statement waits for a table that another user or program holds locked
    /// before it gives up with a DatabaseError saying so; the same on every engine.
    static constexpr std::chrono::milliseconds LockWait{5000};

    /// A check run before every statement with the text about to be executed (already in
    /// the engine's dialect); a DatabaseError it raises fails the statement as the database
    /// would. The statements the check runs on the same connection are not checked. The
    /// company schema installs one that refuses values that are not what their column holds.
    using ReadCheck = std::function<void(const QString& sql)>;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// The engine a connection string names, without opening anything.
    static Engine engineOf(const QString& connectionString);

    /// Opens the database; DatabaseError with the database's text on failure.
    void Open(const QString& connectionString, OpenMode mode = OpenMode::MustExist);
    void Close();
    bool isOpen() const;
    Engine engine() const;
    QString connectionString() const;

    /// Runs a query and returns its rows, or raises DatabaseError (Errors() filled).
    RecordsetPtr Execute(const QString& sql);
    /// Runs a statement that returns no rows; the number of affected rows.
    int ExecuteNonQuery(const QString& sql);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    /// The database errors of the last failed request (empty after a success).
    const QList<DbError>& Errors() const;
    /// How many requests failed since the connection was made. A caller compares two
    /// readings to tell whether a step met a database error, even one the step reported and
    /// went past.
    int failureCount() const;
    /// The message of the last failed request, kept after later successes.
    QString lastFailure() const;

    /// Installs (or, with an empty function, removes) the check run before every statement.
    void setReadCheck(ReadCheck check);

    /// Name of the underlying QSqlDatabase connection, for code that needs QtSql directly.
    QString qtConnectionName() const;

    /// Registers a function run on the raw handle of every SQLite connection opened from
    /// now on, right after the exact ROUND and SUM (the company schema adds its table
    /// functions this way). Safe to call from static initializers.
    static void addSqliteInitializer(std::function<void(sqlite3*)> initializer);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace bdg
