#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QString>

#include <cstdint>

namespace bdg {

struct FormState;

/// Field names of the per-set columns: the set's rank in ascending CFR_SEQUENZA, in decimal.
QString FieldImp(int setIndex);
QString FieldDeltaImp(int setIndex);
QString FieldDeltaPerc(int setIndex);

/// Appends IMP1 and, for every further set, IMPi, DELTA_IMPi and DELTA_PERCi; the three
/// result tables share this tail. A Null scale falls back to 2 decimals.
void AppendCampiConfronto(Recordset& recordset, int nrConfronti, const Variant& nrDecimali);

/// Appends the node fields KEY_VOCE ... CRI_LIVELLO of the criterion table; the
/// node-by-period table has PERIODO after VOCEPADRE. Node keys are 64-bit integers, so that
/// criteria as deep as a chart of reports get keys of their full shape.
void AppendCampiNodo(Recordset& recordset, bool conPeriodo);

/// Creates the empty, open criterion table for the run's NrConfronti and NrDecimali.
/// Trapped under "BdgIntRic_DefinisciRstCriterio": after an abort it returns null.
RecordsetPtr BdgIntRic_DefinisciRstCriterio(FormState& state);

/// The key multiplier of a level that returned `count` structure rows: the smallest
/// multiple of 10 above the count, at most 200 (Null counts as 0).
std::int32_t GetNrVociPerLivello(const Variant& count);

} // namespace bdg
