#pragma once

#include "host/contract/trace_sink.h"

#include <QStringList>

namespace bdg {

/// A fresh instance id for the trace lines: the 32 uppercase hexadecimal digits of a new
/// GUID (its first three fields, then its last eight bytes), without separators.
QString NuovoIdIstanza();

/// The line that traces the creation ("INI") or destruction ("TER") of an object of the
/// module: "WOBN:|<id>|INI|BUUO_BDGINTRIC|<class name>".
QString RigaTraccia(const QString& idIstanza, const QString& evento, const QString& nomeClasse);

/// Trace lines as debug messages of the logging category "bdgintric.trace", off unless
/// QT_LOGGING_RULES turns it on, as a debugger output is silent unless a debugger listens.
class DebugTraceSink : public TraceSink {
public:
    void trace(const QString& line) override;
};

/// Keeps the trace lines, for tests.
class RecordingTraceSink : public TraceSink {
public:
    void trace(const QString& line) override { m_lines.append(line); }
    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};

} // namespace bdg
