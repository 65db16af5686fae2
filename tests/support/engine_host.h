#pragma once

#include "data/decimal.h"
#include "data/variant.h"
#include "host/budget_object.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"

#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>

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

/// Records and answers as RecordingMessageService does; before answering an error it runs
/// the next queued repair, so that a step answered with retry can meet a state in which it
/// succeeds, as after the user fixed what was wrong.
class RepairingMessageService : public RecordingMessageService {
public:
    void queueRepair(std::function<void()> repair) { m_repairs.push_back(std::move(repair)); }
    int ShowError(const QString& applicationTitle, const QString& caption,
                  const QString& procedureName, const QString& errorText, int buttons) override {
        if (!m_repairs.empty()) {
            const std::function<void()> repair = std::move(m_repairs.front());
            m_repairs.pop_front();
            repair();
        }
        return RecordingMessageService::ShowError(applicationTitle, caption, procedureName,
                                                  errorText, buttons);
    }

private:
    std::deque<std::function<void()>> m_repairs;
};

/// The host services an engine procedure needs, without a database: recorded messages, a
/// log in a temporary folder and a budget object for the differences.
struct EngineHost {
    RepairingMessageService messages;
    HostGlobal global{&messages, nullptr, QString()};
    QTemporaryDir logDir;
    HostLog log{&global, logDir.filePath(QStringLiteral("bdgintric.log"))};
    BudgetObject budget;
};

} // namespace bdg::test
