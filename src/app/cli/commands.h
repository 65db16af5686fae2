#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace bdg::cli {

/// Exit statuses shared by every command.
enum ExitStatus {
    ExitOk = 0,
    ExitFailure = 1,
    ExitUsage = 2,    ///< bad option or refused parameter
    ExitNoData = 3,   ///< nothing to show
    ExitDatabase = 4, ///< the database or a file failed
};

/// One verb of the tool: its name, one line of help and its body (arguments after the verb).
struct Command {
    QString name;
    QString summary;
    std::function<int(const QStringList& arguments)> run;
};

/// Registers a verb; each command file registers its own at start-up.
void registerCommand(Command command);

/// Dispatches argv (program name first) to a verb; prints help for none, --help or -h.
int run(const QStringList& arguments);

} // namespace bdg::cli
