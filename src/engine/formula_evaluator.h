#pragma once

#include "data/decimal.h"
#include "data/variant.h"

#include <QString>

#include <chrono>
#include <memory>

namespace bdg {

struct FormState;

/// Evaluates the JavaScript expressions that users write in the descriptions of formula
/// items, each evaluation bounded in time.
///
/// The engine has no extensions installed: a formula sees the language's own objects and
/// nothing of the program. A watchdog thread interrupts an evaluation that runs past the
/// time limit, so a formula such as "while(true){}" ends as a wrong formula instead of
/// freezing the run. One evaluator serves all the formulas of one computation; the globals
/// a formula defines stay visible to the next ones of the same computation.
class FormulaEvaluator {
public:
    struct Result {
        enum class Kind {
            Value,    ///< a finite number, rounded to 2 decimals half to even
            Overflow, ///< Infinity, NaN or a number too large for an amount: silently none
            Failure,  ///< a wrong formula: syntax, unknown name, interrupted, not a number
        };
        Kind kind = Kind::Failure;
        Decimal value;
        QString error; ///< what the engine said, for Failure
    };

    static constexpr std::chrono::milliseconds DefaultTimeLimit{1000};

    explicit FormulaEvaluator(std::chrono::milliseconds timeLimit = DefaultTimeLimit);
    ~FormulaEvaluator();
    FormulaEvaluator(const FormulaEvaluator&) = delete;
    FormulaEvaluator& operator=(const FormulaEvaluator&) = delete;

    Result evaluate(const QString& expression);

private:
    struct Private;
    std::unique_ptr<Private> d;
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
