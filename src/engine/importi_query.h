#pragma once

#include "data/recordset.h"
#include "engine/sql_importi_per_conto.h"

#include <cstdint>

namespace bdg {

struct FormState;

/// Time spent inside the database by the two amount queries, summed over every call since
/// the last reset, so that a benchmark can tell the database's share of a run from the
/// module's own. Single-threaded like the rest of the inquiry.
class ImportiQueryTimer {
public:
    static std::int64_t elapsedNanoseconds();
    /// Processor time of this process inside the queries: on an embedded database the
    /// database's own work, which a loaded machine does not inflate as it does the clock.
    static std::int64_t cpuNanoseconds();
    static int executions();
    static void reset();
    /// Adds one execution that took `nanoseconds`, of which `cpuNanoseconds` processor time.
    static void add(std::int64_t nanoseconds, std::int64_t cpuNanoseconds = 0);
};

/// The inputs of the amount batches taken from the run's state and the comparison sets in
/// CFR_SEQUENZA order. Sorts RstConfronto on CFR_SEQUENZA and leaves its cursor at the end,
/// as the procedures that read it expect.
ImportiSqlInput importiSqlInput(FormState& state, Recordset& RstConfronto);

/// Amounts of every mapped account per comparison set (VOCE, PDC, CONTO, CONTO_DES,
/// IMP1..IMPn), or null when the query gives no row or the user left after an error.
/// Refreshes IndTipoPdc and CodPdc from the budget object first.
RecordsetPtr BdgIntRic_GetRstImportiPerConto(FormState& state, Recordset& RstConfronto);

/// Amounts per account and budget period (VOCE, PDC, CONTO, PERIODO, CONTO_DES, IMP1, then
/// IMPi, DELTA_IMPi, DELTA_PERCi), or null when the query gives no row or the user left
/// after an error. Refreshes IndTipoPdc and CodPdc from the budget object first.
RecordsetPtr BdgIntRic_GetRstImportiPerContoPeriodo(FormState& state, Recordset& RstConfronto);

} // namespace bdg
