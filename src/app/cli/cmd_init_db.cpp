// bdgintric init-db: creates an empty company database, or prints the schema's DDL.
#include "app/cli/commands.h"
#include "app/cli/verb_runner.h"
#include "company/company_schema.h"
#include "company/demo_database.h"
#include "data/connection.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <optional>

namespace bdg::cli {
namespace {

const char* const Usage =
    "Usage: bdgintric init-db [--force] TARGET\n"
    "       bdgintric init-db --print-ddl sqlite|postgresql|sqlserver\n\n"
    "Creates an empty company database: every table, index and description function,\n"
    "the schema version and the message catalogue.\n\n"
    "TARGET is an SQLite file (PATH or sqlite:PATH) or a PostgreSQL connection string\n"
    "(postgresql://user@host/db or \"host=... dbname=...\") naming an existing, empty\n"
    "database.\n\n"
    "  --force            replace an existing SQLite file (it is kept if creation fails)\n"
    "  --print-ddl WHAT   print the schema script for sqlite, postgresql or sqlserver\n"
    "                     instead of creating a database\n\n"
    "Exit status: 0 created, 2 usage error or existing file, 4 database error.\n";

struct Options {
    QString target;
    QString ddlDialect;
    bool force = false;
    bool help = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Options parseOptions(const QStringList& arguments) {
    Options options;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments.at(index);
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--print-ddl") {
            if (index + 1 >= arguments.size())
                throw UsageError("--print-ddl needs sqlite, postgresql or sqlserver");
            options.ddlDialect = arguments.at(++index);
        } else if (argument.startsWith('-')) {
            throw UsageError(QStringLiteral("unknown option '%1'").arg(argument).toStdString());
        } else if (!options.target.isEmpty()) {
            throw UsageError(
                QStringLiteral("one target only; '%1' is extra").arg(argument).toStdString());
        } else {
            options.target = argument;
        }
    }
    return options;
}

std::optional<SchemaDialect> dialectNamed(const QString& name) {
    const QString lower = name.toLower();
    if (lower == "sqlite")
        return SchemaDialect::SQLite;
    if (lower == "postgresql" || lower == "postgres" || lower == "pg")
        return SchemaDialect::PostgreSQL;
    if (lower == "sqlserver" || lower == "mssql")
        return SchemaDialect::SqlServer;
    return std::nullopt;
}

bool isServerTarget(const QString& target) {
    static const QRegularExpression keyword(
        QStringLiteral("^\\s*postgres(ql)?://|\\b(host|hostaddr|dbname|dsn|driver)\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    return keyword.match(target).hasMatch();
}

QString filePathOf(const QString& target) {
    return target.startsWith("sqlite:", Qt::CaseInsensitive) ? target.mid(7) : target;
}

void createOn(const QString& connectionString) {
    Connection connection;
    connection.Open(connectionString, Connection::OpenMode::CreateIfMissing);
    CompanySchema::create(connection);
    connection.Close();
}

// The new database is built beside the target and moved into place only when complete.
void createSqliteFile(const QString& path) {
    buildSqliteFileInPlace(path, createOn);
}

int printDdl(const QString& name, QTextStream& out, QTextStream& err) {
    const std::optional<SchemaDialect> dialect = dialectNamed(name);
    if (!dialect) {
        err << "bdgintric init-db: unknown dialect '" << name
            << "'; use sqlite, postgresql or sqlserver\n";
        return ExitUsage;
    }
    out << CompanySchema::script(*dialect);
    return ExitOk;
}

int initDb(const Options& options, QTextStream& out, QTextStream& err) {
    if (isServerTarget(options.target)) {
        createOn(options.target);
        out << "created company database '" << CompanySchema::databaseLabel(options.target)
            << "' (schema version " << CompanySchema::Version << ")\n";
        return ExitOk;
    }
    const QString path = filePathOf(options.target);
    if (QFileInfo::exists(path) && !options.force) {
        err << "bdgintric init-db: '" << path << "' already exists; use --force to replace it\n";
        return ExitUsage;
    }
    createSqliteFile(path);
    out << "created company database '" << path << "' (schema version " << CompanySchema::Version
        << ")\n";
    return ExitOk;
}

int runInitDb(const QStringList& arguments) {
    return runVerb(QStringLiteral("init-db"), Usage,
                   [&](QTextStream& out, QTextStream& err) -> int {
                       const Options options = parseOptions(arguments);
                       if (options.help) {
                           out << Usage;
                           return ExitOk;
                       }
                       if (!options.ddlDialect.isEmpty())
                           return printDdl(options.ddlDialect, out, err);
                       if (options.target.isEmpty())
                           throw UsageError("a target database is required");
                       return initDb(options, out, err);
                   });
}

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("init-db"),
                     QStringLiteral("create an empty company database (or print its DDL)"),
                     runInitDb});
    return true;
}();

} // namespace
} // namespace bdg::cli
