#pragma once

#include "company/ditta_aperta.h"
#include "data/connection.h"
#include "form/frmbu_bdgintric.h"
#include "host/basic_module.h"
#include "host/basic_navigator.h"
#include "host/form_state.h"
#include "host/host_global.h"
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

/// A company database opened for the commands as the desktop opens it: the connection,
/// the host's services printing on standard error (nobody answers, so an error abandons
/// the procedure), and the inquiry's form, started on the company. The commands fill the
/// form's fields and call its handlers, so that they refuse and compute what it does.
class CompanySession {
public:
    /// Opens `target` (the demo database, built on first use, when empty) for `company`
    /// and starts the form. DatabaseError when the database cannot be opened, SchemaError
    /// when it is not a company database of this program's schema version, Refused for an
    /// unknown company, std::runtime_error when the form refuses to start (a company
    /// without a usable management currency; the form's message was printed first). The
    /// values of both connections, the session's and the form's, are checked as they are
    /// read (CompanyDataCheck).
    CompanySession(const QString& target, int company, QTextStream& err);
    ~CompanySession();
    CompanySession(const CompanySession&) = delete;
    CompanySession& operator=(const CompanySession&) = delete;

    FRMBU_BDGINTRIC& form() { return *m_form; }
    FormState& state() { return m_form->state(); }
    Connection& connection() { return m_ditta->connection(); }
    HostGlobal& global() { return m_ditta->global(); }
    /// The database as a person would name it (a file path, or the server and database).
    QString label() const { return m_ditta->etichetta(); }

private:
    ConsoleMessageService m_messages;
    std::unique_ptr<DittaAperta> m_ditta;
    BasicNavigator m_navigator;
    BasicModule m_module;
    std::unique_ptr<FRMBU_BDGINTRIC> m_form;
};

/// Appends a `--set` to the form's comparison list as the grid's add button and the
/// user's choices in its cells would: Refused when the subtype does not offer its kind of
/// figures. Without a progressive the company's first one is taken. A site the subtype
/// keeps no column for is written into the set all the same, so that a stored profile
/// leaves that set out as the form's save does.
void appendSet(FRMBU_BDGINTRIC& form, const SetOption& set);

/// Makes the comparison list ready for sets when no criterion has laid it out yet (a
/// profile saved from the command line names no criterion).
void prepareComparisonList(FRMBU_BDGINTRIC& form);

/// The command-line option that sets a control of the form, for naming it in a refusal.
QString optionOfControl(const QString& controllo);

} // namespace bdg::cli
