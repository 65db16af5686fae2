#pragma once

#include <QString>

namespace bdg {

struct FormState;

/// The kinds of figures a set may read (ArrTipoDettaglio) and their three-character labels
/// for column captions (ArrTipoDettaglioBreve): budget (code 0), actuals (1), then forecast
/// f with code f + 2 for f = 1 .. NrForecast. Code 2 is never offered. Errors are reported
/// under "PopolaArray"; false when the user left there.
bool PopolaArray(FormState& state);

/// The years, progressives and sites the comparison grid offers (ArrAnni, ArrProgEser,
/// ArrSedi), read from the company's financial years and sites. A company with no years
/// offers the current year, one without progressives or sites offers 0. Errors are
/// reported under "PopolaArrayPer_QGRID_CONFRONTO"; false when the user left there.
bool PopolaArrayPer_QGRID_CONFRONTO(FormState& state);

/// Captions of the result columns, one entry per set in CFR_SEQUENZA order
/// (ArrCaptionColonne): rank, amount caption "<label> <year>", difference caption
/// "D <label><year>", percentage caption "% <label><year>". Nothing without sets. Errors
/// (such as a detail type the subtype does not offer) are reported under
/// "PopolaArrayCaptionColonne"; false when the user left there.
bool PopolaArrayCaptionColonne(FormState& state);

/// The three statements of the value lists, as run by PopolaArrayPer_QGRID_CONFRONTO.
QString sqlAnniDitta(int codDitta);
QString sqlProgressiviDitta(int codDitta);
/// Sites of the current company, or with `aziende` (a company list for IN) of those.
QString sqlSediDitta(int codDitta, const QString& aziende = QString());

} // namespace bdg
