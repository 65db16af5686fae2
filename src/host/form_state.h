#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace bdg {

class Connection;
class HostGlobal;   // the host's global services (Gcls_Global)
class HostLog;      // the host's log (Gcls_Log)
class BudgetObject; // the host's budget object (ObjBudget)

/// The run's parameters and results, shared by every procedure of the inquiry under one
/// name each. The form owns one; the command line fills one directly. Values that the
/// procedures test for Null or blank are Variants, the others have their own type.
struct FormState {
    // Company context, set at start-up.
    std::int32_t CodDitta = 0;
    QString CodLingua;
    Variant CodValutaGestione;
    Variant NrDecimaliGestione;
    QString StringaConnessione;

    // Budget subtype and its properties.
    std::int32_t IndTipoBudget = 0;
    Variant CodSottotipo;
    bool IsGestioneSede = false;
    std::int32_t IndPeriodoSolareFiscale = 0;
    std::int32_t CodPeriodicita = 0;
    std::int16_t NrPeriodi = 0;
    std::int32_t NrForecast = 0;
    std::int16_t IndMultiAttivita = 0;
    bool IsMultiAttivita = false;
    bool IsConsolidoMultiAtt = false;
    std::int32_t IndTipoPdc = 0;
    Variant CodPdc;
    Variant CodStrutturaBU60;

    // Criterion and run parameters.
    Variant CodCriterio;
    std::int16_t NrConfronti = 0;
    Variant PeriodoDa;
    Variant PeriodoA;
    Variant AnnoElab;
    Variant ProgEserElab;
    bool ChkNascondiNull = true; ///< value of CHK_NASCONDI_NULL: hide accounts with no amount

    // Currency of the run.
    Variant CodValutaElab;
    bool IsConversioneValuta = false;
    bool IsCambioDivisore = false;
    QString FattoreCambio; ///< " * 1.2345", " / 1.2345" or empty
    Variant CambioElab;    ///< text of the exchange rate as the user gave it
    std::int16_t NrDecimali = 2;
    QString FormatoImporti;
    QString FormatoImportiGestione;
    QString FormatoImportiValuta;
    QString FormatoPercentuali;
    bool IsParametriModificabili = true;
    QString Caption; ///< the form's caption: title of the run's messages and dialogs
    /// Procedures left after an error since start-up (see ErrorTrap): a run compares it
    /// before and after each step to know whether to keep the previous result.
    mutable int ProcedureAbbandonate = 0;

    // Services of the host.
    Connection* connection = nullptr;
    HostGlobal* Gcls_Global = nullptr;
    HostLog* Gcls_Log = nullptr;
    BudgetObject* ObjBudget = nullptr;

    // Tables of the run.
    RecordsetPtr RstConfronto;
    RecordsetPtr RstCriterio;
    RecordsetPtr RstCriterioPeriodi;
    RecordsetPtr RstPeriodi;
    Variant LivelloMax; ///< deepest CRI_LIVELLO built; Empty when the criterion has no items

    // Value lists and captions of the comparison columns: [row][entry].
    std::array<std::vector<Variant>, 2> ArrTipoDettaglio;
    std::array<std::vector<Variant>, 2> ArrTipoDettaglioBreve;
    std::array<std::vector<Variant>, 2> ArrAnni;
    std::array<std::vector<Variant>, 2> ArrProgEser;
    std::array<std::vector<Variant>, 2> ArrSedi;
    std::array<std::vector<QString>, 4> ArrCaptionColonne;
};

} // namespace bdg
