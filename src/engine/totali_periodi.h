#pragma once

#include "data/recordset.h"
#include "data/variant.h"

namespace bdg {

struct FormState;

/// Completes the node-by-period table in place, period by period: account amounts into
/// their items, the roll-up from the deepest level up, intermediate totals and the
/// differences between neighbouring comparison sets. Every match between rows also asks
/// for the same PERIODO, so no amount crosses from one period to another. Formula items
/// are not computed per period. Trapped under "BdgIntRic_RstCriterioPeriodi_CalcolaTotali";
/// leaves the table unfiltered.
void BdgIntRic_RstCriterioPeriodi_CalcolaTotali(FormState& state,
                                                const RecordsetPtr& RstCriterioPeriodi,
                                                const RecordsetPtr& RstConfronto,
                                                const Variant& LivelloMax);

} // namespace bdg
