#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace bdg {

/// One numbered message of the host's catalogue.
struct CatalogueMessage {
    int number = 0;
    QString text;
};

/// Numbers of the catalogue messages the inquiry shows or uses as captions, under the name
/// of what they say. The numbers are the host's; they never change meaning.
namespace Msg {
inline constexpr int APeriodo = 4760;                  ///< label "A periodo"
inline constexpr int Budget = 9028;                    ///< kind of figures 0
inline constexpr int Cambio = 9485;                    ///< label "Cambio"
inline constexpr int ParametriNonValidi = 9636;        ///< any fault of the run's parameters
inline constexpr int Consuntivo = 15430;               ///< kind of figures 1
inline constexpr int Criterio = 17107;                 ///< root row and export label
inline constexpr int DaPeriodo = 17546;                ///< label "Da periodo"
inline constexpr int DataCambio = 17866;               ///< label "Data cambio"
inline constexpr int Forecast = 27413;                 ///< kind of figures 3 and up, "Forecast n"
inline constexpr int CambioDittaNonAmmesso = 30179;    ///< company change refused
inline constexpr int MultiAttivita = 38569;            ///< label before the multi-activity text
inline constexpr int NonGestisce = 39318;              ///< "Non gestisce" + " " + LeSedi
inline constexpr int Esportazione = 43034;             ///< caption of the office export
inline constexpr int LeSedi = 51246;                   ///< "le sedi"
inline constexpr int Gestisce = 52384;                 ///< "Gestisce" + " " + LeSedi
inline constexpr int SottotipoBudget = 53762;          ///< export label of the subtype
inline constexpr int Valuta = 60174;                   ///< export label of the currency
inline constexpr int SottotipoSoloPrincipale = 61833;  ///< multi-activity, not main company
inline constexpr int DittaSenzaSedi = 61948;           ///< subtype with sites, company without
inline constexpr int TipoPdcNonValido = 61949;         ///< chart kind not 1, 2 or 3
inline constexpr int PdcMancante = 61950;              ///< subtype without chart code
inline constexpr int CriterioSenzaStruttura = 61951;   ///< criterion without structure rows
inline constexpr int ValutaGestioneMancante = 76205;   ///< company without management currency
inline constexpr int ValutaGestioneIncompleta = 76206; ///< currency without description/decimals
inline constexpr int CriterioElaborazione = 76338;     ///< export title, before the criterion
inline constexpr int BudgetBreve = 90774;              ///< three-character label of kind 0
} // namespace Msg

/// The host's numbered message catalogue as it ships: the Italian text of every message the
/// inquiry uses. A new company database receives these rows in HS06_MESSAGGI; a site may
/// reword them there or add other languages, and the host services read the table, so
/// this list is the one place the shipped wording lives.
class MessageCatalogue {
public:
    /// Language code of the shipped texts.
    static constexpr const char* Language = "ITA";

    /// Every message, in ascending number.
    static const QList<CatalogueMessage>& messages();
    /// The shipped text of a number; nothing for a number the catalogue does not hold.
    static std::optional<QString> text(int number);
};

} // namespace bdg
