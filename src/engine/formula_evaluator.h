#pragma once

#include "data/decimal.h"
#include "data/variant.h"

#include <QString>

#include <chrono>
#include <optional>

namespace bdg {

struct FormState;

/// Evaluates the expressions that users write in the descriptions of formula items, in the
/// formula language of formula::valuta (numbers, arithmetic, comparisons and Math, with
/// JavaScript's meaning and double precision).
///
/// Every formula starts from the same empty state: the language has no variables and no
/// assignment, so no formula can change what another one sees. Each formula may take
/// `timeLimit`, and all the formulas of one evaluator (one computation of a run) together
/// `runLimit`; a formula past either limit is a wrong formula. The language has no loops
/// and keeps nothing but the nesting in progress, so time and memory grow only with the
/// length of the text.
class FormulaEvaluator {
public:
    using Clock = std::chrono::steady_clock;

    struct Result {
        enum class Kind {
            Value,    ///< a finite number, rounded to 2 decimals half to even
            Overflow, ///< Infinity, NaN or a number too large for an amount: silently none
            Failure,  ///< a wrong formula: syntax, unknown name, out of time, not a number
        };
        Kind kind = Kind::Failure;
        Decimal value;
        QString error; ///< what was wrong, for Failure
    };

    static constexpr std::chrono::milliseconds DefaultTimeLimit{1500};
    static constexpr std::chrono::milliseconds DefaultRunLimit{10000};

    explicit FormulaEvaluator(std::chrono::milliseconds timeLimit = DefaultTimeLimit,
                              std::chrono::milliseconds runLimit = DefaultRunLimit);

    /// Evaluates one formula. Its time counts from `started` when given, so that the work
    /// of preparing its text is charged to it too.
    Result evaluate(const QString& expression, std::optional<Clock::time_point> started = {});
    /// The moment a formula started at `started` runs out of its time or of the run's.
    Clock::time_point deadline(Clock::time_point started) const;

private:
    std::chrono::milliseconds m_timeLimit;
    std::chrono::milliseconds m_runLimit;
    Clock::duration m_spent{};
};

/// The formula of a description: what follows the first ":", or the whole text without one
/// ("Margine:[A10]-[A20]" gives "[A10]-[A20]").
QString FormulaDaDescrizione(const QString& descrizione);

/// An amount as it goes into a formula: the Italian text form of the number (comma as the
/// decimal separator, no grouping, leading minus), trailing zeros of the fraction dropped.
QString TestoValoreFormula(const Decimal& amount);

/// Replaces every "[code]" of `formula`, ignoring letter case, with "(value)". Returns
/// whether anything was replaced.
bool SostituisciCodice(QString& formula, const QString& code, const QString& value);

/// Evaluates the formula items (TIPOVOCE 3) of state.RstCriterio for every comparison set of
/// state.RstConfronto, from the amounts of the other items and accounts of the same set, and
/// adds each result to the formula item's amount. A wrong formula is reported once per set
/// through the host's messages, titled `caption` (the form's caption, state.Caption, when
/// empty), and leaves that amount unchanged.
/// Trapped under "BdgIntRic_CalcolaTotaliFormula".
void BdgIntRic_CalcolaTotaliFormula(FormState& state, const QString& caption = QString());

} // namespace bdg
