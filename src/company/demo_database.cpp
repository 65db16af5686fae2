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

void buildSqliteFileInPlace(const QString& path, const std::function<void(const QString&)>& build) {
    const QFileInfo info(path);
    QTemporaryFile scratch(info.absoluteDir().filePath(info.fileName() + ".XXXXXX.tmp"));
    if (!scratch.open())
        throw DatabaseError(QStringLiteral("cannot create company database '%1': %2")
                                .arg(path, scratch.errorString())
                                .toStdString());
    scratch.close();
    build(scratch.fileName());
    std::error_code error;
    std::filesystem::rename(scratch.fileName().toStdString(), path.toStdString(), error);
    if (error)
        throw DatabaseError(QStringLiteral("cannot create company database '%1': %2")
                                .arg(path, QString::fromStdString(error.message()))
                                .toStdString());
    scratch.setAutoRemove(false);
}

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
    buildSqliteFileInPlace(path, [](const QString& scratch) {
        Connection connection;
        connection.Open(scratch, Connection::OpenMode::CreateIfMissing);
        DemoCompany::create(connection, DemoOptions{}.resolved());
        connection.Close();
    });
}

} // namespace bdg
