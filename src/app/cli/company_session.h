#pragma once

#include "data/connection.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"

#include <QString>

#include <memory>
#include <stdexcept>

class QTextStream;

namespace bdg::cli {

struct SetOption;

/// A parameter that the inquiry refused, already told to the user; the command ends with
/// the usage status.
class Refused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A company database opened for the commands as the form opens it at start-up: the
/// connection, the host's services printing on standard error (nobody answers, so an error
/// abandons the procedure), the log, the budget object and the form state holding the
/// company's context.
class CompanySession {
public:
    /// Opens `target` (the demo database, built on first use, when empty) for `company`.
    /// DatabaseError when the database cannot be opened, Refused for an unknown company.
    CompanySession(const QString& target, int company, QTextStream& err);
    ~CompanySession();
    CompanySession(const CompanySession&) = delete;
    CompanySession& operator=(const CompanySession&) = delete;

    FormState& state() { return m_state; }
    Connection& connection() { return m_connection; }
    HostGlobal& global() { return *m_global; }
    /// The database as a person would name it (a file path, or the server and database).
    QString label() const { return m_label; }

private:
    Connection m_connection;
    ConsoleMessageService m_messages;
    std::unique_ptr<HostGlobal> m_global;
    std::unique_ptr<HostLog> m_log;
    std::unique_ptr<BudgetObject> m_budget;
    FormState m_state;
    QString m_label;
};

/// Appends a `--set` to the comparison list as the grid's add button and the user's
/// choices would: Refused when the subtype does not offer its kind of figures. Without a
/// progressive the company's first one is taken.
void appendSet(FormState& state, const SetOption& set);

/// The command-line option that sets a control of the form, for naming it in a refusal.
QString optionOfControl(const QString& controllo);

} // namespace bdg::cli
