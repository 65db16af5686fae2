// Command-line tool: creates company databases and runs the inquiry from a terminal or a script.
#include "app/cli/commands.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bdgintric"));
    QCoreApplication::setOrganizationName(QStringLiteral("bdgintric"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BDGINTRIC_VERSION));
    return bdg::cli::run(QCoreApplication::arguments());
}
