#pragma once

#include "data/variant.h"

#include <QString>

namespace bdg {

struct FormState;

/// How a run of the elaboration ended.
enum class EsitoElaborazione {
    Completata,             ///< result tables filled and totalled
    CriterioNonValorizzato, ///< the amounts query gave nothing (no amount, or left after an error)
    NessunDato,             ///< the amounts query gave an empty table
    Interrotta,             ///< the user left after an error; the tables hold what was built
};

/// The currency of the run as the user typed it: currency code and exchange rate text.
struct ValutaElaborazione {
    Variant TXT_VALUTA;
    Variant TXT_CAMBIO;
};

/// Works out the run's currency, exchange factor and amount format: CodValutaElab,
/// IsConversioneValuta, FattoreCambio (" * rate" or " / rate" with a decimal point),
/// NrDecimali and FormatoImporti from the management currency or the typed currency's data.
/// Reads IsCambioDivisore, CodValutaGestione and NrDecimaliGestione.
void ImpostaValutaEFormato(FormState& state, const ValutaElaborazione& valuta);

/// Builds the run's result: the criterion table with the root, the items read level by level
/// from the criterion structure and the accounts with their amounts; totals, formulas and
/// differences; the node-by-period table with its amounts and totals; the column captions.
/// A structure that is not a tree (an item that is its own parent, has a blank parent or a
/// parent outside the criterion, sits in a cycle or under two parents, or lies deeper than
/// LivelliCriterioMassimi) is refused naming the items, before any level is walked.
/// The previous result tables are released first, so that a run that stops early never
/// leaves the previous figures behind; the amounts query giving nothing or no amount at all,
/// or left after an error, is "Criterio non valorizzato". Messages go through the host's
/// services with the form's caption as title.
EsitoElaborazione BdgIntRic_Elabora(FormState& state);

} // namespace bdg
