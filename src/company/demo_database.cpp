#include "company/demo_database.h"

#include "company/demo_company.h"
#include "data/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace bdg {

QString defaultDemoDatabase() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder).filePath(QStringLiteral("demo.sqlite"));
}

// Built beside the target and moved into place only when complete.
void ensureDemoDatabase(const QString& path,
                        const std::function<void(const QString& path)>& building) {
    if (QFileInfo::exists(path))
        return;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        throw DatabaseError(
            QStringLiteral("cannot create folder '%1'").arg(info.absolutePath()).toStdString());
    if (building)
        building(path);
    QTemporaryFile scratch(info.absoluteDir().filePath(info.fileName() + ".XXXXXX.tmp"));
    if (!scratch.open())
        throw DatabaseError(QStringLiteral("cannot create demo database '%1': %2")
                                .arg(path, scratch.errorString())
                                .toStdString());
    scratch.close();
    {
        Connection connection;
        connection.Open(scratch.fileName(), Connection::OpenMode::CreateIfMissing);
        DemoCompany::create(connection, DemoOptions{}.resolved());
        connection.Close();
    }
    std::error_code error;
    std::filesystem::rename(scratch.fileName().toStdString(), path.toStdString(), error);
    if (error)
        throw DatabaseError(QStringLiteral("cannot create demo database '%1': %2")
                                .arg(path, QString::fromStdString(error.message()))
                                .toStdString());
    scratch.setAutoRemove(false);
}

} // namespace bdg
