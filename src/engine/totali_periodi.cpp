#include "engine/totali_periodi.h"

#include "engine/totali_criterio.h"
#include "host/error_trap.h"
#include "host/form_state.h"

#include <optional>
#include <stdexcept>

namespace bdg {

void BdgIntRic_RstCriterioPeriodi_CalcolaTotali(FormState& state,
                                                const RecordsetPtr& RstCriterioPeriodi,
                                                const RecordsetPtr& RstConfronto,
                                                const Variant& LivelloMax) {
    ErrorTrap trap(state, QStringLiteral("BdgIntRic_RstCriterioPeriodi_CalcolaTotali"));
    std::optional<Recordset> K;
    if (!trap([&] {
            if (!RstCriterioPeriodi) {
                throw std::runtime_error("tabella dei periodi non definita (RstCriterioPeriodi)");
            }
            K.emplace(RstCriterioPeriodi->Clone());
        })) {
        return;
    }
    Recordset& R = *RstCriterioPeriodi;
    RollUpImporti totali(trap, R, RstConfronto, true);
    // No formula step: formula items are computed on the criterion table only.
    if (!totali.sommeAlbero(K, LivelloMax)) {
        return;
    }
    totali.differenze(state.ObjBudget);
}

} // namespace bdg
