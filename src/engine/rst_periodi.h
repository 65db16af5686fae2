#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <cstdint>
#include <unordered_map>

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

/// The nature (BU65_INDNATCONTO) of each account row of a run, by KEY_VOCE: an account whose
/// headers have both natures has one row per nature.
class NatureConti {
public:
    void imposta(std::int64_t keyVoce, const Variant& natura) { m_nature[keyVoce] = natura; }
    /// The nature of the row, null when the row is not known.
    const Variant* find(std::int64_t keyVoce) const {
        const auto it = m_nature.find(keyVoce);
        return it == m_nature.end() ? nullptr : &it->second;
    }
    void clear() { m_nature.clear(); }

private:
    std::unordered_map<std::int64_t, Variant> m_nature;
};

/// Adds the amounts per account and period of `importi` (VOCE, CONTO, PERIODO, IMP1 ...
/// IMPn, NATURA) to the account rows of state.RstCriterioPeriodi of the same item, account
/// and period: an account mapped under two items has its amounts in each item's row once.
/// With `nature`, a row takes only the amounts of its own nature. Leaves RstCriterioPeriodi
/// filtered on its account rows. A null `importi` is reported as an error of the procedure.
void BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(FormState& state,
                                                         const RecordsetPtr& importi,
                                                         const NatureConti* nature = nullptr);

} // namespace bdg
