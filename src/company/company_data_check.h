#pragma once

#include <QString>

#include <optional>

namespace bdg {

class Connection;
struct TableDef;

/// Refuses the values a column of the company database cannot mean, before any statement
/// reads them.
///
/// SQLite keeps whatever it is given in any column, and its arithmetic reads a text as a
/// number ('abc' as 0, '1,5' as 1), so a wrong value would change a total or a sign in
/// silence; PostgreSQL keeps NaN and infinite amounts. The first time a statement names a
/// table of the company schema, every column of that table is checked once for the life of
/// the connection: whole-number columns hold whole numbers, within the column's range when
/// its meaning closes it (an indicator, a count that sizes the lists the inquiry builds);
/// amount and rate columns hold finite numbers within their digits; on SQLite, texts are no
/// longer than their column (PostgreSQL enforces it itself). The first value that does not
/// fit is a DatabaseError naming the table, the row by its key and the value.
class CompanyDataCheck {
public:
    /// Installs the check on an open company database connection.
    static void install(Connection& connection);
    /// The first value of `table` that its column cannot hold, as a sentence naming the
    /// table, the row and the value; nothing when every value fits.
    static std::optional<QString> firstFault(Connection& connection, const TableDef& table);
};

} // namespace bdg
