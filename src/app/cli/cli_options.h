#pragma once

#include "data/decimal.h"
#include "data/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

class QTextStream;

namespace bdg::cli {

/// A command line that cannot be run as given: an unknown option, a missing or malformed
/// value. Nothing has been read or written when it is raised.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One comparison set as `--set TYPE:YEAR[:PROGRESSIVE[:SITE]][:delta][:perc]` gives it.
/// TYPE is kept as typed: its code depends on the subtype's forecasts (tipoDettaglio).
struct SetOption {
    QString tipo;
    int anno = 0;
    std::optional<int> progressivo; ///< nothing: the company's first progressive
    QString sede;                   ///< empty: no site; digits otherwise
    bool delta = false;
    bool perc = false;
};

/// Reads a `--set` value; UsageError naming the part that is wrong.
SetOption parseSet(const QString& text);

/// The detail type code of a set's TYPE for a subtype with `nrForecast` forecasts:
/// "budget" 0, "actuals" 1, "forecast N" (also "forecastN", "fN") N + 2, or the numeric
/// code itself; nothing for a kind the subtype does not offer (code 2 never is).
std::optional<int> tipoDettaglio(const QString& tipo, int nrForecast);

/// A rate as typed: digits with one decimal point or comma, greater than zero, within what
/// the rate table holds (eleven integer digits, eight decimals).
std::optional<Decimal> parseRate(const QString& text);

/// Output formats of a run.
enum class Formato { Table, Csv, Json, Xlsx, Office };

/// Everything `bdgintric run` accepts.
struct RunOptions {
    QString db; ///< empty: the demo database in the user's data folder
    int company = 1;
    QString subtype;
    QString criterion;
    QList<SetOption> sets;
    QString profile;
    QString from;
    QString to;
    QString currency;
    QString rateDate;
    QString rate;
    bool showNullAccounts = false;
    bool consolidate = false;
    bool periods = false;
    QString node;
    Formato format = Formato::Table;
    QString output;
    bool help = false;
};

/// Reads the arguments after the verb; UsageError for anything it does not understand.
RunOptions parseRunOptions(const QStringList& arguments);

/// The run that `bdgintric demo` makes: budget, forecast 1 and actuals of 2026 and the
/// budget of 2025 of the demo company's monthly budget for its Milan site, with their
/// differences.
RunOptions demoRunOptions();

/// Runs the inquiry and writes its output; returns the exit status.
int runInquiry(const RunOptions& options, QTextStream& out, QTextStream& err);

/// The help text of `run`.
extern const char* const RunUsage;

} // namespace bdg::cli
