// bdgintric demo: the inquiry on the demo company, built on first use.
#include "app/cli/cli_options.h"
#include "app/cli/commands.h"
#include "app/cli/verb_runner.h"

#include <QTextStream>

namespace bdg::cli {
namespace {

const char* const Usage =
    "Usage: bdgintric demo [--db TARGET] [--format F] [--output FILE] [--periods]\n\n"
    "Runs the inquiry on the demo company \"Demo Manifatture S.p.A.\": the monthly budget\n"
    "MENS of the Milan site reclassified by the value-added criterion CE01, comparing\n"
    "budget 2026, forecast 1 2026, actuals 2026 and budget 2025, each with its difference\n"
    "and percentage against the set before. Without --db the demo database is built in the user's "
    "data folder on\n"
    "first use. The options are those of 'bdgintric run'.\n";

int runDemo(const QStringList& arguments) {
    return runVerb(QStringLiteral("demo"), Usage, [&](QTextStream& out, QTextStream& err) -> int {
        const RunOptions given = parseRunOptions(arguments);
        if (given.help) {
            out << Usage;
            return ExitOk;
        }
        RunOptions options = demoRunOptions();
        options.db = given.db;
        options.format = given.format;
        options.output = given.output;
        options.periods = given.periods;
        options.node = given.node;
        return runInquiry(options, out, err);
    });
}

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("demo"),
                     QStringLiteral("run the inquiry on the demo company (built on first use)"),
                     runDemo});
    return true;
}();

} // namespace
} // namespace bdg::cli
