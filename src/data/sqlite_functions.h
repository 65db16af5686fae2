#pragma once

#include "data/decimal.h"

#include <optional>

struct sqlite3;
struct sqlite3_value;

namespace bdg {

/// Replaces SQLite's ROUND(x), ROUND(x, places) and SUM(x) on one connection with exact
/// decimal versions.
///
/// The amount batches round every detail amount and sum the results. SQLite does both in
/// binary floating point (ROUND(2.675, 2) gives 2.67, ten times 0.1 sums to
/// 0.9999999999999999), while the figures must match those PostgreSQL and SQL Server give
/// with their decimal types. The replacements read each value as a decimal (a REAL by its
/// shortest round-trip text, so 2.675 is 2.675), round half away from zero and add
/// exactly. A result of up to 15 significant digits is handed back as a REAL, which reads
/// back as the same decimal; a longer one as its decimal text. SUM of integers only stays
/// an integer (and turns decimal instead of overflowing). False when SQLite refused them
/// (it does while a statement of the connection is active).
bool registerExactDecimalFunctions(sqlite3* db);

/// The value as a decimal: integers and texts exactly, REALs by their shortest round-trip
/// text; nothing for NULL; DecimalError for a text that is not a number or a blob.
std::optional<Decimal> sqliteValueToDecimal(sqlite3_value* value);

/// The shortest decimal that reads back as `value` (2.675 -> 2.675, 0.1 -> 0.1).
Decimal decimalFromDouble(double value);

} // namespace bdg
