#pragma once

#include "data/decimal.h"
#include "data/variant.h"
#include "host/budget_object.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"

#include <QString>
#include <QTemporaryDir>

namespace bdg::test {

/// "Null" stands for a Null amount, anything else is a decimal.
inline Variant amount(const QString& text) {
    if (text == QLatin1String("Null"))
        return Variant::null();
    return Variant(Decimal::parse(text));
}

/// An amount as the tests write it: "Null", or the decimal without trailing zeros.
inline QString text(const Variant& value) {
    if (value.isNullOrEmpty())
        return QStringLiteral("Null");
    return value.toDecimal()->normalized().toString();
}

/// The host services an engine procedure needs, without a database: recorded messages, a
/// log in a temporary folder and a budget object for the differences.
struct EngineHost {
    RecordingMessageService messages;
    HostGlobal global{&messages, nullptr, QString()};
    QTemporaryDir logDir;
    HostLog log{&global, logDir.filePath(QStringLiteral("bdgintric.log"))};
    BudgetObject budget;
};

} // namespace bdg::test
