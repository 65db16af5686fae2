#pragma once

#include "params/sottotipo.h"

#include "data/variant.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace bdg {

class Connection;
struct FormState;

/// The rate and date fields as the currency leaves them.
struct CampiCambio {
    Variant TXT_CAMBIO;
    Variant TXT_DATACAMBIO;
    bool TXT_CAMBIO_Enabled = false;
    bool TXT_DATACAMBIO_Enabled = false;
};

/// The currencies the currency lookup lists, ordered by code.
QList<VoceElenco> ElencoValute(Connection& connection);
/// The description of a currency; nothing when the code is unknown.
std::optional<QString> DescrizioneValuta(FormState& state, const QString& codice);

/// Reads a rate date as the date field does: "dd/MM/yyyy", "dd/MM/yy", "yyyy-MM-dd", or a
/// day number alone, which is that day of the current month of `oggi`. An empty text is
/// `oggi`; nothing for a text that is not a date.
std::optional<QDate> LeggiDataCambio(const Variant& testo, const QDate& oggi);

/// The rate of the currency `TXT_VALUTA` at the date `TXT_DATACAMBIO` (today when empty):
/// no currency or the management currency empties and disables rate and date; otherwise
/// both are enabled, the rate is the one the host's exchange-rate service finds (empty when
/// none, or of kind -1), and state.IsCambioDivisore its quotation kind. `campi` keeps the
/// date the user gave. Errors (a date that is not one) are reported under "ValutaGetDati";
/// false when the user left there.
bool ValutaGetDati(FormState& state, const Variant& TXT_VALUTA, CampiCambio& campi,
                   const QDate& oggi = QDate::currentDate());

/// A currency was taken in the currency field: ValutaGetDati, then the date field, when
/// enabled, gets today's date.
bool TXT_VALUTA_AfterItem(FormState& state, const Variant& TXT_VALUTA, CampiCambio& campi,
                          const QDate& oggi = QDate::currentDate());

} // namespace bdg
