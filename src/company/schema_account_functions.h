#pragma once

#include "company/company_schema.h"

#include <QString>
#include <QStringList>

struct sqlite3;

namespace bdg {

/// The account-description table functions the amount statements apply to every account:
///
///     FNCG_CG24_CONTO(group, account, company, language)   -> CG24_DESCR
///     FNPC03_ANAGPDC_COGE(chart, account, company, language) -> PC03_DESCR
///
/// Each gives one row for a known account and none for an unknown one, so that
/// OUTER APPLY leaves the description Null. A translation for the language (compared
/// without trailing blanks: the host's default code is "ITA ") wins over the account's own
/// description; a Null language asks for the account's own description.
///
/// PostgreSQL and SQL Server get them as SQL functions returning a table. SQLite has no
/// such functions, so each is an eponymous virtual table whose hidden columns are the
/// arguments; it runs the same SELECT on the same connection.
class AccountFunctions {
public:
    /// CREATE FUNCTION statements (empty for SQLite).
    static QStringList statements(SchemaDialect dialect);
    /// Registers both functions on an SQLite connection; false when SQLite refused.
    static bool registerOn(sqlite3* database);
};

} // namespace bdg
