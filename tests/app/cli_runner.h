#pragma once

// Runs the built command-line tool as a user would, with its own data folder so that the
// demo database and the log never touch the user's, and a fixture company to run it on.

#include "support/fixture_runner.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace bdg::test {

struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

/// The tool sits in the build tree's src/app, the tests in its tests folder.
inline QString bdgintricPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/bdgintric");
}

inline CliResult runCli(const QStringList& arguments, const QString& dataHome) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("HOME"), dataHome);
    environment.insert(QStringLiteral("COLUMNS"), QStringLiteral("160"));
    process.setProcessEnvironment(environment);
    process.start(bdgintricPath(), arguments);
    CliResult result;
    if (!process.waitForFinished(600000)) {
        process.kill();
        result.err = QStringLiteral("the tool did not finish: ") + process.errorString();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace bdg::test
