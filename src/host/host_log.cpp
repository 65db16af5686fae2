#include "host/host_log.h"

#include "host/host_global.h"
#include "host/message_service.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace bdg {

HostLog::HostLog(HostGlobal* global, const QString& logFilePath)
    : m_global(global), m_logFilePath(logFilePath.isEmpty() ? defaultLogFilePath() : logFilePath) {}

QString HostLog::defaultLogFilePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("bdgintric.log"));
}

void HostLog::LogError(const QString& errorText, const QString& procedureName) {
    m_lastErrorText = errorText;
    const QString where = procedureName.isEmpty() ? QStringLiteral("-") : procedureName;
    append({QStringLiteral("ERROR\t%1\t%2").arg(where, errorText.simplified())});
}

void HostLog::LogInfo(const QString& text, const QString& procedureName) {
    const QString where = procedureName.isEmpty() ? QStringLiteral("-") : procedureName;
    append({QStringLiteral("INFO\t%1\t%2").arg(where, text.simplified())});
}

void HostLog::LogDbErrors(const QList<DbError>& errors) {
    QStringList lines;
    for (const DbError& error : errors) {
        lines.append(
            QStringLiteral("DBERROR\t%1\t%2\t%3")
                .arg(QString::number(error.nativeCode), error.sqlState, error.text.simplified()));
    }
    if (!lines.isEmpty())
        append(lines);
}

int HostLog::ShowError(const QString& applicationTitle, const QString& caption,
                       const QString& procedureName, int buttons) {
    if (m_global == nullptr || m_global->messageService() == nullptr)
        return MessageAnswer::Abort;
    return m_global->messageService()->ShowError(applicationTitle, caption, procedureName,
                                                 m_lastErrorText, buttons);
}

void HostLog::append(const QStringList& lines) {
    // A log that cannot be written must not become a second error on top of the one being
    // reported: the failure is only remembered.
    m_lastWriteFailed = true;
    const QFileInfo info(m_logFilePath);
    if (!QDir().mkpath(info.absolutePath()))
        return;
    QFile file(m_logFilePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODate);
    for (const QString& line : lines)
        out << stamp << '\t' << line << '\n';
    out.flush();
    m_lastWriteFailed = out.status() != QTextStream::Ok;
}

} // namespace bdg
