#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace bdg {

class Connection;

/// Writes many rows into the tables of a company database, fast, inside the caller's
/// transaction.
///
/// SQLite gets one prepared statement per table with bound values; PostgreSQL gets
/// multi-row INSERT statements of a few hundred rows, which save the round trip per row
/// that dominates on a server. Values are QVariant: a null QVariant writes NULL, integers
/// and texts as they are. Amounts and dates are passed as their invariant text ("1234.50",
/// "2025-01-31"): both engines read such text into their decimal and date columns.
class DemoTableWriter {
public:
    explicit DemoTableWriter(Connection& connection);
    ~DemoTableWriter();
    DemoTableWriter(const DemoTableWriter&) = delete;
    DemoTableWriter& operator=(const DemoTableWriter&) = delete;

    /// Starts the rows of a table; the previous table is finished first.
    void begin(const QString& table, const QStringList& columns);
    /// One row, its values in the order of the columns given to begin().
    void add(const QVariantList& values);
    /// Writes what is still pending. DemoError naming the table on any database failure.
    void finish();

    /// Rows written so far into a table.
    qint64 rows(const QString& table) const { return m_rows.value(table); }
    qint64 totalRows() const { return m_total; }

private:
    void flushPostgres();
    QString literal(const QVariant& value) const;
    [[noreturn]] void fail(const QString& detail) const;

    QSqlDatabase m_db;
    bool m_postgres = false;
    QString m_table;
    QStringList m_columns;
    std::unique_ptr<QSqlQuery> m_query;
    QStringList m_pending;
    QHash<QString, qint64> m_rows;
    qint64 m_total = 0;
};

} // namespace bdg
