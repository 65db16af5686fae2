#pragma once

#include <QString>
#include <QStringView>

#include <chrono>
#include <stdexcept>

namespace bdg::formula {

/// A formula that is not one: a syntax error, a name the language does not have, a
/// nesting too deep, or a formula that ran past its time. The text says which, in Italian.
class FormulaErrata : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The value of a formula: a number, or a truth value where a comparison left one.
struct Valore {
    double numero = 0;
    bool logico = false; ///< true: a truth value, held in `numero` as 1 or 0
};

/// How deep parentheses, operators and calls may nest in one formula.
constexpr int ProfonditaMassima = 200;

/// Evaluates the text of a formula item once its item references have become numbers.
///
/// The language is what formulas are for, with the meaning JavaScript gives it, computed
/// in the same double precision: decimal, hexadecimal, octal and binary numbers;
/// parentheses; + - * / % and ** (right-associative, not after a unary operator); unary
/// + - and !; comparisons < <= > >= == != === !==; && || and ?: (returning an operand's
/// value); true, false, Infinity and NaN; the constants and functions of `Math` except
/// Math.random, whose results would change from run to run; blanks, line breaks and
/// comments. Nothing else exists: no variables, assignments, strings, objects or loops,
/// so a formula can neither change what the next one sees nor run without end, and its
/// time and memory grow only with its length. FormulaErrata for anything outside the
/// language, for a nesting deeper than ProfonditaMassima and when `scadenza` passes.
Valore valuta(QStringView testo, std::chrono::steady_clock::time_point scadenza);

} // namespace bdg::formula
