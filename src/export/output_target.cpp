#include "export/output_target.h"

#include "data/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextStream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <system_error>

namespace bdg {

namespace {

[[noreturn]] void cannotWrite(const QString& path, const QString& reason) {
    throw DatabaseError(QStringLiteral("cannot write '%1': %2").arg(path, reason).toStdString());
}

/// The file a path ends at, symbolic links followed; the path itself when it does not exist.
QString resolved(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

/// Whether two names are one file: the same inode when both exist, the same name in the
/// same folder otherwise.
bool sameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    const QByteArray firstName = QFile::encodeName(first);
    const QByteArray secondName = QFile::encodeName(second);
    if (::stat(firstName.constData(), &a) == 0 && ::stat(secondName.constData(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    const auto placed = [](const QString& path) {
        const QFileInfo info(path);
        const QString folder = info.absoluteDir().canonicalPath();
        return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
    };
    return placed(first) == placed(second);
}

/// Permissions a new file gets from the user's umask; an existing target keeps its own.
QFileDevice::Permissions permissionsFor(const QString& target) {
    if (QFileInfo::exists(target))
        return QFile::permissions(target);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions permissions;
    const std::pair<mode_t, QFileDevice::Permissions> bits[] = {
        {S_IRUSR, QFileDevice::ReadOwner | QFileDevice::ReadUser},
        {S_IWUSR, QFileDevice::WriteOwner | QFileDevice::WriteUser},
        {S_IRGRP, QFileDevice::ReadGroup},
        {S_IWGRP, QFileDevice::WriteGroup},
        {S_IROTH, QFileDevice::ReadOther},
        {S_IWOTH, QFileDevice::WriteOther}};
    for (const auto& [bit, permission] : bits) {
        if (mode & bit)
            permissions |= permission;
    }
    return permissions;
}

/// Opens a target that is written in place, without truncating it: a file behind
/// /dev/stdout keeps what the shell put there (and is appended to after `>>`).
void openDirect(QFile& file) {
    const QByteArray name = QFile::encodeName(file.fileName());
    const int descriptor = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (descriptor < 0)
        cannotWrite(file.fileName(), QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        cannotWrite(file.fileName(), file.errorString());
}

void copyInto(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        cannotWrite(target, in.errorString());
    QFile out(target);
    openDirect(out);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (out.write(chunk) != chunk.size())
            cannotWrite(target, out.errorString());
    }
    if (!out.flush())
        cannotWrite(target, out.errorString());
}

} // namespace

OutputTarget::OutputTarget(QString path) : m_path(std::move(path)) {}

std::optional<OutputTarget::DatabaseFile>
OutputTarget::companyDatabaseFile(const QString& path, const QString& connectionString) {
    if (path.isEmpty() || Connection::engineOf(connectionString) != Connection::Engine::SQLite)
        return std::nullopt;
    QString database = connectionString.trimmed();
    if (database.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive))
        database = database.mid(7);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        if (sameFile(path, database + QLatin1String(suffix)))
            return DatabaseFile{database, *suffix ? QString::fromLatin1(suffix + 1) : QString()};
    }
    return std::nullopt;
}

bool OutputTarget::isDirect() const {
    // Devices and the process's own descriptors (/dev/stdout is /proc/self/fd/1) are never
    // replaced, whatever they lead to.
    const QString absolute = QFileInfo(m_path).absoluteFilePath();
    const QString target = resolved(m_path);
    for (const QString& path : {absolute, target}) {
        if (path.startsWith(QLatin1String("/dev/")) || path.startsWith(QLatin1String("/proc/")))
            return true;
    }
    struct stat status {};
    const QByteArray name = QFile::encodeName(target);
    return ::stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode);
}

void OutputTarget::writeText(const std::function<void(QTextStream& stream)>& write) const {
    if (isDirect()) {
        QFile file(m_path);
        openDirect(file);
        QTextStream stream(&file);
        write(stream);
        stream.flush();
        if (stream.status() != QTextStream::Ok || !file.flush())
            cannotWrite(m_path, file.errorString());
        return;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        cannotWrite(m_path, file.errorString());
    QTextStream stream(&file);
    write(stream);
    stream.flush();
    if (!file.commit())
        cannotWrite(m_path, file.errorString());
}

void OutputTarget::writeFile(const std::function<void(const QString& path)>& write) const {
    const bool direct = isDirect();
    const QString target = resolved(m_path);
    const QString pattern =
        direct ? QDir(QDir::tempPath()).filePath(QStringLiteral("bdgintric")) : target;
    QTemporaryFile scratch(pattern + QStringLiteral(".XXXXXX.part"));
    if (!scratch.open())
        cannotWrite(m_path, scratch.errorString());
    scratch.close();
    const QString part = scratch.fileName();
    try {
        write(part);
    } catch (...) {
        QFile::remove(part + QStringLiteral(".tmp")); // what a writer leaves beside it
        throw;
    }
    if (direct) {
        copyInto(part, m_path);
        return;
    }
    QFile::setPermissions(part, permissionsFor(target));
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(part).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error)
        cannotWrite(m_path, QString::fromStdString(error.message()));
    scratch.setAutoRemove(false);
}

} // namespace bdg
