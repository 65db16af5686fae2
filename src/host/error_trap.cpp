#include "host/error_trap.h"

#include "data/connection.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"

#include <QDebug>

namespace bdg {

namespace {

const QString TestoLogNonSettato = QStringLiteral("Classe Log non settata");
const QString TitoloAttenzione = QStringLiteral("Attenzione");

} // namespace

int VisualizzaErrore(const ErrorReporter& reporter, const QString& SubOrFunctionName,
                     const QString& errorText) {
    if (reporter.log == nullptr) {
        if (reporter.global != nullptr)
            reporter.global->ShowMessage(TestoLogNonSettato, MessageStyle::OkOnly,
                                         TitoloAttenzione);
        else
            qWarning("%s: %s", qUtf8Printable(SubOrFunctionName), qUtf8Printable(errorText));
        return MessageAnswer::Abort;
    }
    reporter.log->LogError(errorText, SubOrFunctionName);
    if (reporter.connection != nullptr)
        reporter.log->LogDbErrors(reporter.connection->Errors());
    const QString applicationTitle =
        reporter.global != nullptr ? reporter.global->applicationTitle() : QString();
    return reporter.log->ShowError(applicationTitle, reporter.caption, SubOrFunctionName,
                                   MessageStyle::ErrorDialog);
}

QString errorTextOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& exception) {
        return QString::fromUtf8(exception.what());
    } catch (...) {
        return QStringLiteral("errore sconosciuto");
    }
}

ErrorTrap::ErrorTrap(HostLog* log, Connection* connection, HostGlobal* global,
                     QString procedureName, QString caption)
    : m_reporter{log, connection, global, std::move(caption)},
      m_procedureName(std::move(procedureName)) {}

ErrorTrap::ErrorTrap(const FormState& state, QString procedureName, QString caption)
    : ErrorTrap(state.Gcls_Log, state.connection, state.Gcls_Global, std::move(procedureName),
                caption.isEmpty() ? state.Caption : std::move(caption)) {
    m_reporter.abandoned = &state.ProcedureAbbandonate;
}

ErrorTrap::ErrorTrap(QString procedureName, Question ask)
    : m_ask(std::move(ask)), m_procedureName(std::move(procedureName)) {}

bool ErrorTrap::handle(std::exception_ptr error) {
    ++m_errorCount;
    m_lastAnswer =
        m_ask ? m_ask(error) : VisualizzaErrore(m_reporter, m_procedureName, errorTextOf(error));
    if (m_lastAnswer == MessageAnswer::Retry)
        return true;
    if (m_lastAnswer != MessageAnswer::Ignore) {
        m_left = true;
        if (m_reporter.abandoned != nullptr)
            ++*m_reporter.abandoned;
    }
    return false;
}

} // namespace bdg
