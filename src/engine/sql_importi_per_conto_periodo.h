#pragma once

#include "engine/sql_importi_per_conto.h"

#include <QString>

namespace bdg {

/// Text of the batch that reads, per criterion item, account and budget period, the amount
/// of every comparison set (IMP1, then IMPi with Null DELTA_IMPi and DELTA_PERCi) and the
/// nature of the headers (NATURA), one row per nature, ordered by item, chart code, account,
/// period and nature. The chart code is written as a quoted literal,
/// as in the per-account batch, so both read the same rows for alphanumeric codes. Raises
/// SqlValueError as BuildSqlImportiPerConto does.
QString BuildSqlImportiPerContoPeriodo(const ImportiSqlInput& input);

} // namespace bdg
