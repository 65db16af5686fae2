#pragma once

#include "host/associated_companies.h"
#include "host/contract/lookup_service.h"
#include "params/rifiuto.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace bdg {

class Connection;
struct FormState;

/// What the form shows once a subtype is accepted: the read-only labels, the structure
/// field, the preset period range and the consolidation check box.
struct ControlliSottotipo {
    QString LBB_NUMFORECAST;
    QString LBB_GESTIONESEDE;
    QString LBB_PERIODICITA;
    QString LBB_PERIODOSOLAREFISCALE;
    QString LBB_INDMULTIATTIVITA;
    QString LBB_INDTIPOPDC;
    QString TXT_CODSTRUTTURABU60;
    bool TXT_CODSTRUTTURABU60_Visible = false;
    QString TXT_PERIODO_DA;
    std::optional<QString> TXT_PERIODO_A; ///< nothing: a periodicity without a preset keeps it
    int CHK_CONSOLIDO_MULTIATT = 0;
    bool CHK_CONSOLIDO_MULTIATT_Enabled = false;
};

/// The subtypes of a budget kind, ordered by code, as the subtype lookup lists them; with
/// `dittaInUso` only those holding a budget of that company (the lookup's "in use" list).
QList<VoceElenco> ElencoSottotipi(Connection& connection, std::int32_t indTipoBudget,
                                  std::optional<std::int32_t> dittaInUso = std::nullopt);
/// The description of a subtype; nothing when the code is not one of the budget kind
/// (the decode fails). Codes are compared as data, never run as SQL.
std::optional<QString> DescrizioneSottotipo(Connection& connection, std::int32_t indTipoBudget,
                                            const QString& codice);

/// The refusal of a subtype code that is empty or that the decode does not know; the form
/// shows nothing and keeps the focus in the field.
Rifiuto RifiutoSottotipoNonDecodificato(const QString& codice);

/// The upper period a periodicity presets: 0 -> 12, 1 -> 6, 2 -> 4, 3 -> 3, 4 -> 2,
/// 5 -> 1; nothing for any other code.
std::optional<int> PeriodoADaPeriodicita(std::int32_t codPeriodicita);

/// Accepts or refuses the subtype `TXT_SOTTOTIPO` as leaving the subtype field does: an
/// empty or unknown code is refused without a message; a disabled field accepts anything;
/// otherwise the subtype's properties are read from state.ObjBudget into the state
/// (IsGestioneSede, IndPeriodoSolareFiscale, CodPeriodicita, NrPeriodi, NrForecast,
/// IndMultiAttivita, IndTipoPdc, CodPdc, CodStrutturaBU60, IsMultiAttivita) and checked
/// (messages 61949, 61950, 61948, 61833); an accepted subtype fills the comparison value
/// lists and, when `controlli` is given, what the form shows. The refusal names
/// "TXT_SOTTOTIPO". Errors are reported under "TXT_SOTTOTIPO_Validate".
EsitoParametro TXT_SOTTOTIPO_Validate(FormState& state, const Variant& TXT_SOTTOTIPO,
                                      ControlliSottotipo* controlli = nullptr,
                                      bool abilitato = true,
                                      const AssociatedCompaniesFactory& aziende = {});

} // namespace bdg
