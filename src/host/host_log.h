#pragma once

#include "data/connection.h"

#include <QList>
#include <QString>

namespace bdg {

class HostGlobal;

/// The host's log (Gcls_Log): records trapped run-time errors and the database errors that
/// came with them in a log file, and asks the user what to do about an error.
///
/// The file lives in the user's application data folder unless a path is given (tests give
/// one). A line that cannot be written is not an error of its own: the user still sees the
/// dialog, and lastWriteFailed() tells whether the file was reached.
class HostLog {
public:
    /// `global` gives the message service and the application title; it may be null, in
    /// which case ShowError answers abort without asking.
    explicit HostLog(HostGlobal* global, const QString& logFilePath = QString());

    /// Appends one line with the time, the procedure and the error text; the text is also
    /// kept for the dialog that follows.
    void LogError(const QString& errorText, const QString& procedureName = QString());
    /// Appends one line with the time, the procedure and a note on how a run went, for
    /// whoever reads the log later; nobody is asked anything.
    void LogInfo(const QString& text, const QString& procedureName = QString());
    /// Appends one line per database error (native code, SQL state, text).
    void LogDbErrors(const QList<DbError>& errors);
    /// Shows the error dialog for the last logged error; returns the user's answer
    /// (MessageAnswer: 3 abort, 4 retry, 5 ignore).
    int ShowError(const QString& applicationTitle, const QString& caption,
                  const QString& procedureName, int buttons);

    QString logFilePath() const { return m_logFilePath; }
    /// The text of the last LogError.
    QString lastErrorText() const { return m_lastErrorText; }
    bool lastWriteFailed() const { return m_lastWriteFailed; }

    /// The default log file: bdgintric.log in the user's application data folder.
    static QString defaultLogFilePath();

private:
    void append(const QStringList& lines);

    HostGlobal* m_global;
    QString m_logFilePath;
    QString m_lastErrorText;
    bool m_lastWriteFailed = false;
};

} // namespace bdg
