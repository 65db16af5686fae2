#pragma once

#include <QString>

#include <functional>
#include <optional>

class QTextStream;

namespace bdg {

/// A file the program writes a result to (the command line's `--output`, the desktop's
/// office export).
///
/// A regular file, or a name that does not exist yet, is written whole or not at all: the
/// result goes to a temporary file with a unique name in the target's folder, which
/// replaces the target only once complete and is removed on every failure. Anything else
/// (/dev/null, /dev/stdout, a FIFO, a socket, a terminal) is written directly, as a shell
/// redirection would: a temporary file must never take the place of a device, and a FIFO's
/// reader must get the data. Failures raise DatabaseError naming the file.
class OutputTarget {
public:
    explicit OutputTarget(QString path);

    /// The company database file a path reaches: the database and, for one of its journal
    /// files, the journal's kind ("wal"; empty for the database itself).
    struct DatabaseFile {
        QString database;
        QString journal;
    };
    /// Set when `path` is the SQLite company database named by `connectionString`, or one
    /// of its journal files, through any path, symbolic or hard link: writing there would
    /// destroy the company.
    static std::optional<DatabaseFile> companyDatabaseFile(const QString& path,
                                                           const QString& connectionString);

    /// Writes what `write` puts on the stream.
    void writeText(const std::function<void(QTextStream& stream)>& write) const;
    /// Writes the file that `write` makes complete at the path it is given (a workbook).
    void writeFile(const std::function<void(const QString& path)>& write) const;

private:
    /// True when the target is written in place rather than replaced.
    bool isDirect() const;

    QString m_path;
};

} // namespace bdg
