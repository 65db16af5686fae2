#pragma once

#include "params/rifiuto.h"
#include "params/sottotipo.h"

#include <QList>
#include <QString>

#include <optional>

namespace bdg {

class Connection;
struct FormState;

/// The lists the criterion field offers. The plain lookup lists every criterion; the
/// field's menu narrows it.
enum class ModoLookupCriterio {
    Tutti = 0,        ///< every criterion
    ConStruttura = 1, ///< menu "Kpers1": criteria that have structure rows
    Correlati = 2,    ///< menu "Kpers2": criteria mapping accounts of the subtype's chart kind
    CorrelatiPdc = 3, ///< menu "Kpers3": mapping accounts of the subtype's chart
    CorrelatiStruttura = 4, ///< menu "Kpers3" with a budget structure: mapping that structure
};

/// The refusal of a criterion code that is empty or that the decode does not know; the form
/// shows nothing and keeps the focus in the field.
Rifiuto RifiutoCriterioNonDecodificato(const QString& codice);

/// The lookup mode a menu item of the criterion field opens; Tutti for other items.
ModoLookupCriterio ModoLookupDaMenu(const QString& item, const Variant& CodStrutturaBU60);

/// The criteria a lookup of `modo` lists, ordered by code, for the subtype in `state`
/// (IndTipoPdc, CodPdc, CodStrutturaBU60).
QList<VoceElenco> ElencoCriteri(const FormState& state, ModoLookupCriterio modo);
/// The description of a criterion; nothing when the code is unknown (the decode fails).
std::optional<QString> DescrizioneCriterio(Connection& connection, const QString& codice);

/// Whether the criterion fits the subtype in `state`: it has structure rows (else message
/// 61951) and maps at least one account of the subtype's chart, or of its budget structure
/// when it has one (else "Criterio X non correlato al pdc P del budget " or "... alla
/// struttura S del budget ", style 16). An empty code is refused without a message. The
/// refusal names "TXT_CRITERIO". Errors are reported under "IsCriterioValido".
EsitoParametro IsCriterioValido(FormState& state, const Variant& TXT_CRITERIO);

/// Leaving the criterion field: an empty or unknown code is refused without a message, a
/// disabled field accepts anything; otherwise IsCriterioValido, and an accepted criterion
/// starts a new, empty comparison list (DefinisciRstConfronto).
EsitoParametro TXT_CRITERIO_Validate(FormState& state, const Variant& TXT_CRITERIO,
                                     bool abilitato = true);

} // namespace bdg
