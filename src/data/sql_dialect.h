#pragma once

#include <QString>

namespace bdg {

/// Translates the SQL Server text that the module writes into the dialect of the engine a
/// company database lives on.
///
/// The module speaks T-SQL because the company databases it was written for do. Rather
/// than teaching every query builder three dialects, the few T-SQL constructs the module
/// emits are rewritten here, as text, just before a statement runs:
///
/// - table hints `WITH(NOLOCK)` / `WITH (NOLOCK)` are dropped (a CTE's "WITH name AS" is
///   not a hint and stays);
/// - `OUTER APPLY fn(args) AS x` becomes `LEFT JOIN fn(args) AS x ON 1` on SQLite (table
///   functions are eponymous virtual tables there) and `LEFT JOIN LATERAL fn(args) AS x
///   ON TRUE` on PostgreSQL;
/// - `DELETE table WHERE ...` at the start of a statement gets its `FROM`;
/// - empty statements (the `;` in front of "; WITH") are dropped;
/// - on SQLite, a division by an integer literal (the exchange rate typed as "2") divides
///   by a real literal, as SQLite would otherwise divide two integers with a truncated
///   result where SQL Server and PostgreSQL, working on decimal amounts, do not;
/// - on SQLite, in "FROM T AS A ... JOIN T AS B", the unqualified columns of T named in the
///   joins between the two copies are qualified with A: SQLite would find them ambiguous,
///   where the other engines look only at the tables joined so far;
/// - a line comment ended by a lone carriage return gets a line feed, since SQLite ends
///   comments at line feeds only and would swallow the code of the next line.
///
/// String literals, quoted identifiers and comments are never rewritten. Text for SQL
/// Server (reached through ODBC) passes unchanged.
class SqlDialect {
public:
    enum class Target { SqlServer, SQLite, PostgreSQL };

    explicit SqlDialect(Target target) : m_target(target) {}

    Target target() const { return m_target; }
    /// The statement in this dialect.
    QString translate(const QString& sql) const;

    /// One-off translation.
    static QString translate(const QString& sql, Target target) {
        return SqlDialect(target).translate(sql);
    }

private:
    Target m_target;
};

} // namespace bdg
