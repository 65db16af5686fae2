#pragma once

#include <QString>
#include <QTextStream>

#include <functional>

namespace bdg::cli {

class CompanySession;

/// Runs the body of a verb with the reporting every verb shares: a usage error prints the
/// message and the verb's usage (status 2), a refused parameter or an impossible size its
/// message (status 2), anything else is a database or file error (status 4).
int runVerb(const QString& verb, const char* usage,
            const std::function<int(QTextStream& out, QTextStream& err)>& body);

/// Opens the company database `db` for `company` and runs `body` on it. A parameter refused
/// after a database request failed was refused only because the database could not be
/// read: it ends as that database error, status 4, not as a refused parameter.
int withSession(const QString& db, int company, QTextStream& err,
                const std::function<int(CompanySession& session)>& body);

/// Raises the last database error of the session's connections, if a request failed: an
/// outcome reached after one (no data, because the amounts query failed) is that error.
void throwDatabaseFailure(CompanySession& session);

} // namespace bdg::cli
