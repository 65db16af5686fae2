#pragma once

#include "data/recordset.h"

namespace bdg {

struct FormState;

/// Creates the empty, open node-by-period table: the criterion table's layout with PERIODO
/// between VOCEPADRE and VOCEDES. Trapped under "BdgIntRic_DefinisciRstCriterioPeriodi";
/// null after an abort.
RecordsetPtr BdgIntRic_DefinisciRstCriterioPeriodi(FormState& state);

/// Creates the empty, open period table that the periods grid fills: PERIODO and the
/// amount columns. Trapped under "BdgIntRic_DefinisciRstPeriodi"; null after an abort.
RecordsetPtr BdgIntRic_DefinisciRstPeriodi(FormState& state);

/// Appends to state.RstCriterioPeriodi one row per node of state.RstCriterio and period
/// 1 .. NrPeriodi, node fields copied and amounts left Null. Runs after the criterion totals
/// so that every node, accounts included, is there.
void BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio(FormState& state);

/// Adds the amounts per account and period of `importi` (CONTO, PERIODO, IMP1 ... IMPn) to
/// the account rows of state.RstCriterioPeriodi with the same account code and period.
/// Leaves RstCriterioPeriodi filtered on its account rows. A null `importi` is reported as
/// an error of the procedure.
void BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(FormState& state,
                                                         const RecordsetPtr& importi);

} // namespace bdg
