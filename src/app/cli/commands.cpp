#include "app/cli/commands.h"

#include <QTextStream>

#include <algorithm>
#include <vector>

namespace bdg::cli {
namespace {

std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

void printHelp(QTextStream& out) {
    out << "bdgintric - budget reclassified by an elaboration criterion\n\n"
        << "Usage: bdgintric COMMAND [OPTIONS]\n\n"
        << "Commands:\n";
    auto commands = registry();
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& command : commands)
        out << "  " << command.name.leftJustified(12) << command.summary << '\n';
    out << "\n'bdgintric COMMAND --help' describes the options of a command.\n";
}

} // namespace

void registerCommand(Command command) {
    registry().push_back(std::move(command));
}

int run(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString verb = arguments.size() > 1 ? arguments.at(1) : QString();
    if (verb.isEmpty() || verb == QLatin1String("--help") || verb == QLatin1String("-h") ||
        verb == QLatin1String("help")) {
        printHelp(out);
        return ExitOk;
    }
    if (verb == QLatin1String("--version")) {
        out << "bdgintric " << BDGINTRIC_VERSION << '\n';
        return ExitOk;
    }
    for (const Command& command : registry()) {
        if (command.name == verb)
            return command.run(arguments.mid(2));
    }
    err << "bdgintric: unknown command '" << verb << "'; see 'bdgintric --help'\n";
    return ExitUsage;
}

} // namespace bdg::cli
