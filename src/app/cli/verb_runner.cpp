#include "app/cli/verb_runner.h"

#include "app/cli/cli_options.h"
#include "app/cli/commands.h"
#include "app/cli/company_session.h"
#include "company/demo_content.h"

namespace bdg::cli {

int runVerb(const QString& verb, const char* usage,
            const std::function<int(QTextStream& out, QTextStream& err)>& body) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString prefix = QStringLiteral("bdgintric ") + verb + QStringLiteral(": ");
    try {
        return body(out, err);
    } catch (const UsageError& error) {
        err << prefix << error.what() << "\n\n" << usage;
        return ExitUsage;
    } catch (const Refused& refusal) {
        err << prefix << refusal.what() << '\n';
        return ExitUsage;
    } catch (const DemoSizeError& error) {
        err << prefix << error.what() << '\n';
        return ExitUsage;
    } catch (const std::exception& error) {
        err << prefix << error.what() << '\n';
        return ExitDatabase;
    }
}

int withSession(const QString& db, int company, QTextStream& err,
                const std::function<int(CompanySession& session)>& body) {
    CompanySession session(db, company, err);
    try {
        return body(session);
    } catch (const Refused&) {
        throwDatabaseFailure(session);
        throw;
    }
}

void throwDatabaseFailure(CompanySession& session) {
    // The form reads through its own connection, the host's services through the session's.
    for (const Connection* connection : {&session.form().connection(), &session.connection()}) {
        if (connection->failureCount() > 0)
            throw DatabaseError(connection->lastFailure().toStdString());
    }
}

} // namespace bdg::cli
