#pragma once

#include "data/variant.h"

#include <QString>
#include <stdexcept>

namespace bdg {

/// Raised when a value cannot be written into a statement (a number that is not one).
class SqlValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A code or name as a quoted SQL literal, embedded quotes doubled: O'Brien -> 'O''Brien'.
QString sqlText(const QString& value);
QString sqlText(const Variant& value);
/// A number, written only after it was parsed as one ("12", "-3.5"); SqlValueError naming
/// `what` and the value otherwise.
QString sqlNumber(const Variant& value, const QString& what = QString());

} // namespace bdg
