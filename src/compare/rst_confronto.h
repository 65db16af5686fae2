#pragma once

#include "data/recordset.h"

namespace bdg {

struct FormState;

/// The comparison list RstConfronto: one row per comparison set.
///
/// CFR_SEQUENZA orders the sets; the first set (sequence 1) is the reference of the run and
/// every further set is compared with the one before it. New rows take the highest
/// sequence + 1; removing a row leaves a gap, and the moves below only swap a row with the
/// row whose sequence is exactly one less or one more, so a move across a gap does nothing.
/// CFR_TIPODETT holds the numeric detail type as text; a Null CFR_DELTA or CFR_DELTA_PERC
/// counts as 0.
///
/// The operations work on the table and its current row (the row the user selected), not
/// on a grid, so the form's buttons and the command line share them.

/// A new, empty, open comparison list in state.RstConfronto (any previous one is dropped).
/// Errors are reported under "DefinisciRstConfronto"; false when the user left there.
bool DefinisciRstConfronto(FormState& state);

/// True when every set names its detail type, year and progressive, and its site when the
/// subtype keeps sites and no multi-activity consolidation is asked for. Shows nothing: the
/// parameter check reports the fault.
bool IsDatiRstConfrontoValido(FormState& state);

/// Adds a set after the last one and makes it current: next sequence, no differences
/// shown, the current company on a multi-activity subtype. A failing step is skipped.
void AddSet(FormState& state);

/// Adds a set as AddSet does and fills what a script or a stored list gives: kind of
/// figures, year, progressive, site (Null when none) and whether its difference and
/// percentage columns show.
void AddSetValorizzato(FormState& state, const Variant& tipoDettaglio, const Variant& anno,
                       const Variant& progEser, const Variant& sede, bool delta = false,
                       bool deltaPerc = false);

/// Removes the current set; the others keep their sequence numbers. The next row (or the
/// last one, when the removed row was last) becomes current.
void RemoveSet(FormState& state);

/// Swaps the current set with the set of sequence one less; nothing for the first set or
/// across a gap. The neighbour, now at the old place of the moved set, becomes current.
void MoveSetUp(FormState& state);

/// Swaps the current set with the set of sequence one more; nothing when the current
/// sequence equals the number of sets or across a gap.
void MoveSetDown(FormState& state);

/// Deletes every set (before a stored list is loaded). Errors are reported under
/// "RstConfrontoDelete"; false when the user left there.
bool RstConfrontoDelete(FormState& state);

} // namespace bdg
