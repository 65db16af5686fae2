// bdgintric demo-db: builds the demo company into a new company database.
#include "app/cli/commands.h"
#include "app/cli/verb_runner.h"
#include "company/company_schema.h"
#include "company/demo_company.h"
#include "company/demo_database.h"
#include "data/connection.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTextStream>

namespace bdg::cli {
namespace {

const char* const Usage =
    "Usage: bdgintric demo-db [--scale N] [--items N] [--levels 3|4] [--force] TARGET\n\n"
    "Builds the demo company \"Demo Manifatture S.p.A.\" (company 1, main company of a\n"
    "group of three) into a new company database: charts of accounts, criteria CE01 and\n"
    "ST01, budget subtypes MENS, TRIM, GRUP and STRU with budget, actuals and forecasts for\n"
    "2025 and 2026, financial years, sites, currencies with rates and comparison profiles.\n"
    "The same options always give the same rows, on every engine.\n\n"
    "TARGET is an SQLite file (PATH or sqlite:PATH) or a PostgreSQL connection string\n"
    "(postgresql://user@host/db or \"host=... dbname=...\") naming an existing, empty\n"
    "database.\n\n"
    "  --scale N      size for benchmarks: 1 (default) gives about 31,000 budget amounts;\n"
    "                 the accounts grow with N and the criterion by 10 items per step up to\n"
    "                 400 (scale 37: about 1,000,000 amounts, 5,150 accounts, 400 items)\n"
    "  --items N      items of the profit-and-loss criterion instead of the scale's\n"
    "  --levels N     levels of the profit-and-loss criterion, 3 or 4 (default 4)\n"
    "  --force        replace an existing SQLite file (it is kept if the build fails)\n\n"
    "Prints the row count of every table at the end.\n"
    "Exit status: 0 built, 2 usage error or existing database, 4 database error.\n";

struct Options {
    QString target;
    DemoOptions demo;
    bool force = false;
    bool help = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int numberAfter(const QStringList& arguments, qsizetype& index) {
    const QString option = arguments.at(index);
    if (index + 1 >= arguments.size())
        throw UsageError(QStringLiteral("%1 needs a number").arg(option).toStdString());
    bool ok = false;
    const int value = arguments.at(++index).toInt(&ok);
    if (!ok || value < 1)
        throw UsageError(QStringLiteral("%1 needs a positive whole number, not '%2'")
                             .arg(option, arguments.at(index))
                             .toStdString());
    return value;
}

Options parseOptions(const QStringList& arguments) {
    Options options;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments.at(index);
        if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument == "--force")
            options.force = true;
        else if (argument == "--scale")
            options.demo.scale = numberAfter(arguments, index);
        else if (argument == "--items")
            options.demo.items = numberAfter(arguments, index);
        else if (argument == "--levels")
            options.demo.levels = numberAfter(arguments, index);
        else if (argument.startsWith('-'))
            throw UsageError(QStringLiteral("unknown option '%1'").arg(argument).toStdString());
        else if (!options.target.isEmpty())
            throw UsageError(
                QStringLiteral("one target only; '%1' is extra").arg(argument).toStdString());
        else
            options.target = argument;
    }
    return options;
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

void printCounts(Connection& connection, QTextStream& out) {
    for (const auto& [table, rows] : DemoCompany::rowCounts(connection))
        out << table.leftJustified(22) << QString::number(rows).rightJustified(10) << '\n';
}

// Large builds report every 100,000 amounts, so a long run shows it is alive.
DemoCompany::Progress progressReporter(QTextStream& err) {
    return [&err](std::int64_t written, std::int64_t total) {
        err << "bdgintric demo-db: " << written << " of " << total << " budget amounts\n";
        err.flush();
    };
}

void buildOn(const QString& connectionString, const DemoOptions& demo, QTextStream& out,
             QTextStream& err) {
    Connection connection;
    connection.Open(connectionString, Connection::OpenMode::CreateIfMissing);
    if (QSqlDatabase::database(connection.qtConnectionName(), false)
            .tables()
            .contains("HS00_VERSIONESCHEMA", Qt::CaseInsensitive))
        throw UsageError(QStringLiteral("'%1' is already a company database; use an empty one")
                             .arg(CompanySchema::databaseLabel(connectionString))
                             .toStdString());
    QElapsedTimer timer;
    timer.start();
    DemoCompany::create(connection, demo, progressReporter(err));
    err << "bdgintric demo-db: built in " << QString::number(timer.elapsed() / 1000.0, 'f', 1)
        << " s\n";
    printCounts(connection, out);
    connection.Close();
}

// The file is built beside the target and moved into place only when complete.
void buildSqliteFile(const QString& path, const DemoOptions& demo, QTextStream& out,
                     QTextStream& err) {
    buildSqliteFileInPlace(path, [&](const QString& scratch) { buildOn(scratch, demo, out, err); });
}

int demoDb(const Options& options, QTextStream& out, QTextStream& err) {
    const DemoOptions demo = options.demo.resolved();
    if (isServerTarget(options.target)) {
        buildOn(options.target, demo, out, err);
        return ExitOk;
    }
    const QString path = filePathOf(options.target);
    if (QFileInfo::exists(path) && !options.force) {
        err << "bdgintric demo-db: '" << path << "' already exists; use --force to replace it\n";
        return ExitUsage;
    }
    buildSqliteFile(path, demo, out, err);
    return ExitOk;
}

int runDemoDb(const QStringList& arguments) {
    return runVerb(QStringLiteral("demo-db"), Usage,
                   [&](QTextStream& out, QTextStream& err) -> int {
                       const Options options = parseOptions(arguments);
                       if (options.help) {
                           out << Usage;
                           return ExitOk;
                       }
                       if (options.target.isEmpty())
                           throw UsageError("a target database is required");
                       return demoDb(options, out, err);
                   });
}

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("demo-db"),
                     QStringLiteral("build the demo company into a new company database"),
                     runDemoDb});
    return true;
}();

} // namespace
} // namespace bdg::cli
