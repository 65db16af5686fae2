#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace bdg {

class Connection;
class HostGlobal;
class HostLog;
struct FormState;

/// Where a trapped error is reported: the log (may be null before start-up), the
/// connection whose database errors go with it (may be null), the global services (for the
/// "no log" message) and the caption of the form that shows the dialog.
struct ErrorReporter {
    HostLog* log = nullptr;
    Connection* connection = nullptr;
    HostGlobal* global = nullptr;
    QString caption;
    /// Counts the procedures left after an error (abort), so that a caller further up can
    /// tell that a step it called gave up; may be null.
    int* abandoned = nullptr;
};

/// Reports the run-time error `errorText` raised in `SubOrFunctionName` and returns the
/// user's choice: 3 abort, 4 retry, 5 ignore. Without a log object the user is told that
/// the log is not set and the answer is 3; with one the error and the connection's database
/// errors are logged and the host's abort/retry/ignore dialog decides.
int VisualizzaErrore(const ErrorReporter& reporter, const QString& SubOrFunctionName,
                     const QString& errorText);

/// The text of an exception caught by a trap.
QString errorTextOf(std::exception_ptr error);

/// The error convention of every trapped procedure, one statement at a time.
///
/// Each statement runs inside the trap. When it throws, VisualizzaErrore is asked with the
/// procedure's name: abort (or any unknown answer) leaves the procedure, retry runs the
/// same statement again, ignore goes on with the next statement. Once the procedure was
/// left, later statements are not run.
///
///     ErrorTrap trap(state, "BdgIntRic_Elabora");
///     if (!trap([&] { rst = BdgIntRic_RstCriterio_Definisci(); })) return false;
///     if (!trap([&] { BdgIntRic_RstCriterio_Popola(state, *rst); })) return false;
///     trap([&] { conn.ExecuteNonQuery(sql); }); // ignore lets it go on
///     return !trap.left();
class ErrorTrap {
public:
    ErrorTrap(HostLog* log, Connection* connection, HostGlobal* global, QString procedureName,
              QString caption = QString());
    /// The log, connection and global services of the run's state; the caption defaults to
    /// the form's, and every abort is counted in the state's ProcedureAbbandonate.
    ErrorTrap(const FormState& state, QString procedureName, QString caption = QString());
    /// A trap whose errors go to `ask` instead of VisualizzaErrore, for an object with a
    /// handler of its own; `ask` receives the error and returns the user's choice.
    using Question = std::function<int(std::exception_ptr error)>;
    ErrorTrap(QString procedureName, Question ask);

    /// Runs `statement`; true when the procedure goes on, false when it must be left.
    template <class F> bool operator()(F&& statement) {
        while (!m_left) {
            try {
                statement();
                return true;
            } catch (...) {
                if (!handle(std::current_exception()))
                    return !m_left;
            }
        }
        return false;
    }

    /// True once an error was answered with abort (or an unknown answer).
    bool left() const { return m_left; }
    /// The answer to the last error, 0 when none happened.
    int lastAnswer() const { return m_lastAnswer; }
    /// How many errors were reported.
    int errorCount() const { return m_errorCount; }
    const QString& procedureName() const { return m_procedureName; }

private:
    /// Reports the error; true to run the statement again (retry), false otherwise, with
    /// m_left set when the procedure is to be left.
    bool handle(std::exception_ptr error);

    ErrorReporter m_reporter;
    Question m_ask;
    QString m_procedureName;
    bool m_left = false;
    int m_lastAnswer = 0;
    int m_errorCount = 0;
};

} // namespace bdg
