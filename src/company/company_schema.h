#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace bdg {

class Connection;

/// The SQL flavour a piece of schema text is written for. SQL Server is text only: sites
/// run it on their own servers (through ODBC the same text is executed unchanged).
enum class SchemaDialect { SQLite, PostgreSQL, SqlServer };

/// Raised when a database cannot be created or is not a company database this program reads.
/// what() is an English sentence naming the database.
class SchemaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Who owns a table, and so what a site loading its own company must provide.
enum class TableRole {
    Read,    ///< company data that the inquiry reads
    Written, ///< written (and read back) by the inquiry
    Host,    ///< the host's own tables: company context, currencies, subtypes, messages
};

/// Kinds of column. Codes are short texts compared by value; amounts are exact decimals
/// so that sums and ROUND give the same figures on every engine.
enum class ColumnKind {
    Code,    ///< short code, VARCHAR(length)
    Text,    ///< description or message, NVARCHAR on SQL Server
    Integer, ///< company codes, years, periods, indicators and flags
    Amount,  ///< DECIMAL(19,5)
    Rate,    ///< DECIMAL(19,8): exchange rates need more decimals than amounts
    Date,    ///< DATE
};

struct ColumnDef {
    QString name;
    ColumnKind kind = ColumnKind::Code;
    int length = 0; ///< Code and Text only
    bool nullable = true;
    QString defaultValue; ///< SQL literal, empty for none
    QString meaning;      ///< one line for the schema documentation
    /// The values an Integer column may hold, when its meaning closes them: an indicator,
    /// or a count that sizes what the inquiry builds. Outside them the database is refused.
    std::optional<qint64> minimum;
    std::optional<qint64> maximum;
};

struct TableDef {
    QString name;
    TableRole role = TableRole::Read;
    QString meaning;
    QList<ColumnDef> columns;
    QStringList primaryKey;

    const ColumnDef* column(const QString& columnName) const;
};

struct IndexDef {
    QString name;
    QString table;
    QStringList columns;
    QString meaning;
};

/// The company database: every table, index and description function that the inquiry
/// and its host need, for SQLite, PostgreSQL and SQL Server, built from one table model so
/// that the three engines cannot drift apart.
///
/// A company database carries its schema version in HS00_VERSIONESCHEMA; opening checks it
/// so that a newer or foreign file is refused before any statement of the inquiry runs.
class CompanySchema {
public:
    /// The version written by create() and the only one check() accepts.
    static constexpr int Version = 1;

    static const QList<TableDef>& tables();
    static const QList<IndexDef>& indexes();
    static const TableDef* table(const QString& name);

    /// CREATE TABLE and CREATE INDEX statements, one per entry, in creation order.
    static QStringList tableStatements(SchemaDialect dialect);
    /// The description functions as the engine's own objects (none for SQLite, whose
    /// functions are virtual tables registered on the connection).
    static QStringList functionStatements(SchemaDialect dialect);
    /// The whole schema as one script: tables, indexes, functions, version row and the
    /// message catalogue. SQL Server statements are separated by GO.
    static QString script(SchemaDialect dialect);

    /// Creates every table, index and function on an open, empty database, writes the
    /// version row and the message catalogue; all or nothing (one transaction). SchemaError
    /// naming the database when a statement fails.
    static void create(Connection& connection);
    /// Brings the table statistics up to date after rows were written, so that the amount
    /// statements are planned on what the tables now hold: ANALYZE on SQLite and
    /// PostgreSQL; SQL Server keeps its statistics by itself.
    static void analyze(Connection& connection);
    /// Refuses a database that is not a company database, has another schema version or
    /// lacks one of the tables; then installs CompanyDataCheck on the connection, so that
    /// from here on a value its column cannot hold is refused before it is read.
    static void check(Connection& connection);
    /// The dialect of the engine a connection is open on (ODBC reaches SQL Server).
    static SchemaDialect dialectOf(const Connection& connection);
    /// The database's name as the messages show it: the file for SQLite, the connection
    /// string without its password otherwise.
    static QString databaseLabel(const QString& connectionString);
};

} // namespace bdg
