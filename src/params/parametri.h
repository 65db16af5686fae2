#pragma once

#include "params/rifiuto.h"

#include "data/variant.h"

namespace bdg {

struct FormState;

/// The values of the parameter controls at the click of the run button, as plain values:
/// the form copies its controls here, the command line its options.
struct ValoriParametri {
    Variant TXT_SOTTOTIPO;
    Variant TXT_CRITERIO;
    Variant TXT_PERIODO_DA;
    Variant TXT_PERIODO_A;
    Variant CHK_CONSOLIDO_MULTIATT; ///< 1 checked, 0 unchecked, Empty/Null unset
    Variant CHK_NASCONDI_NULL = 1;
    Variant TXT_VALUTA;
    Variant TXT_DATACAMBIO;
    Variant TXT_CAMBIO;
};

/// The controls the checks of IsParametriValidi send the user back to, by check number
/// (1 to 13).
QString ControlloVerifica(int verifica);

/// The run's parameter checks, in their fixed order, stopping at the first fault: message
/// 9636 (style 64, the form's caption) for every fault, the refusal naming the check
/// (Rifiuto::verifica) and the control to return to. Reads state.CodPeriodicita,
/// state.IsMultiAttivita and state.RstConfronto (and what IsDatiRstConfrontoValido reads).
/// A period that is not a whole number is reported under "IsParametriValidi" and refused
/// at its field.
EsitoParametro IsParametriValidi(FormState& state, const ValoriParametri& valori);

} // namespace bdg
