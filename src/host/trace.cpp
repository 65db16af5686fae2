#include "host/trace.h"

#include <QLoggingCategory>
#include <QUuid>

namespace bdg {

namespace {

Q_LOGGING_CATEGORY(traceCategory, "bdgintric.trace", QtWarningMsg)

const QString Progetto = QStringLiteral("BUUO_BDGINTRIC");

} // namespace

QString NuovoIdIstanza() {
    return QUuid::createUuid().toString(QUuid::Id128).toUpper();
}

QString RigaTraccia(const QString& idIstanza, const QString& evento, const QString& nomeClasse) {
    return QStringList{QStringLiteral("WOBN:"), idIstanza, evento, Progetto, nomeClasse}.join(
        QLatin1Char('|'));
}

void DebugTraceSink::trace(const QString& line) {
    qCDebug(traceCategory, "%s", qUtf8Printable(line));
}

} // namespace bdg
