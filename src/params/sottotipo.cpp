#include "params/sottotipo.h"

#include "compare/column_arrays.h"
#include "data/connection.h"
#include "data/sql_literal.h"
#include "host/budget_object.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"

#include <QDate>

#include <stdexcept>

namespace bdg {

namespace {

const QString Campo = QStringLiteral("TXT_SOTTOTIPO");

QString testo(const Variant& value) {
    return NVL(value, Variant(QString())).toString();
}

Connection& connessione(const FormState& state) {
    if (state.connection == nullptr)
        throw std::runtime_error("no company database is open");
    return *state.connection;
}

// Everything the budget object says about the subtype, in the order the form asks it.
void leggiProprieta(FormState& state, const QString& codice) {
    if (state.ObjBudget == nullptr)
        throw std::runtime_error("the budget object is not set");
    const BudgetObject& budget = *state.ObjBudget;
    const std::int32_t tipo = state.IndTipoBudget;
    state.IsGestioneSede = budget.GestioneSede(tipo, codice);
    state.IndPeriodoSolareFiscale = budget.PeriodoSolareFiscale(tipo, codice);
    state.CodPeriodicita = budget.Periodicita(tipo, codice);
    state.NrPeriodi = BudgetObject::NumeroPeriodi(state.CodPeriodicita);
    state.NrForecast = budget.NumeroForecast(tipo, codice);
    state.IndMultiAttivita = budget.MultiAttivita(tipo, codice);
    state.IndTipoPdc = budget.TipoPdc(tipo, codice);
    state.CodPdc = budget.CodicePdc(tipo, codice);
}

// The company keeps sites when its numeric site setting is above 0 (Null counts as 0).
bool dittaGestisceSedi(const FormState& state) {
    if (state.Gcls_Global == nullptr)
        return false;
    const Variant sedi = NVL(state.Gcls_Global->GestioneSedi(), Variant(0));
    return sedi.toInt32().value_or(0) > 0;
}

// The first of the refusals that the subtype's own properties decide, in the form's order;
// the main-company question comes only after them.
std::optional<int> messaggioRifiuto(FormState& state) {
    if (state.IndTipoPdc < 1 || state.IndTipoPdc > 3)
        return Msg::TipoPdcNonValido;
    if (testo(state.CodPdc).isEmpty())
        return Msg::PdcMancante;
    const bool tipoConSedi = state.IndTipoBudget == 4 || state.IndTipoBudget == 5;
    if (tipoConSedi && state.IsGestioneSede && !dittaGestisceSedi(state))
        return Msg::DittaSenzaSedi;
    return std::nullopt;
}

QString testoMessaggio(FormState& state, int numero) {
    if (state.Gcls_Global == nullptr)
        return MessageCatalogue::text(numero).value_or(QString());
    return state.Gcls_Global->GetMessageText(numero);
}

void riempiEtichette(FormState& state, ControlliSottotipo& controlli) {
    const QString blank = QStringLiteral(" ");
    controlli.LBB_NUMFORECAST = QString::number(state.NrForecast);
    controlli.LBB_GESTIONESEDE =
        testoMessaggio(state, state.IsGestioneSede ? Msg::Gestisce : Msg::NonGestisce) + blank +
        testoMessaggio(state, Msg::LeSedi);
    controlli.LBB_PERIODICITA = testo(BudgetObject::DesPeriodicita(state.CodPeriodicita));
    controlli.LBB_PERIODOSOLAREFISCALE =
        testo(BudgetObject::DesPeriodoSolareFiscale(state.IndPeriodoSolareFiscale));
    controlli.LBB_INDMULTIATTIVITA = testoMessaggio(state, Msg::MultiAttivita) + blank +
                                     testo(BudgetObject::DesMultiAttivita(state.IndMultiAttivita));
    controlli.LBB_INDTIPOPDC =
        testo(state.CodPdc) + blank + testo(BudgetObject::DesTipoPdc(state.IndTipoPdc));
}

// The budget structure counts only for the charts that have one (kinds 1 and 3).
void leggiStruttura(FormState& state, const QString& codice, ControlliSottotipo& controlli) {
    if (!state.ObjBudget->GestioneStruttura(state.IndTipoBudget, codice))
        return;
    if (state.IndTipoPdc != 1 && state.IndTipoPdc != 3)
        return;
    const QString struttura = testo(state.ObjBudget->CodiceStruttura(state.IndTipoBudget, codice));
    state.CodStrutturaBU60 = struttura;
    controlli.TXT_CODSTRUTTURABU60 = struttura;
    controlli.TXT_CODSTRUTTURABU60_Visible = true;
}

} // namespace

QList<VoceElenco> ElencoSottotipi(Connection& connection, std::int32_t indTipoBudget,
                                  std::optional<std::int32_t> dittaInUso) {
    QString inUso;
    if (dittaInUso)
        inUso =
            QStringLiteral(" AND EXISTS (SELECT 1 FROM BU65_TESBUDGET WITH(NOLOCK) "
                           "WHERE BU65_INDTIPO_BU01 = HS04_INDTIPO_BU01 "
                           "AND BU65_SOTTOTIPO_BU01 = HS04_CODICE AND BU65_DITTA_CG18 = %1) \r\n")
                .arg(sqlNumber(Variant(*dittaInUso), "CodDitta"));
    const QString sql = QStringLiteral(" SELECT  HS04_CODICE, HS04_DESCR \r\n"
                                       " FROM    HS04_SOTTOTIPI WITH(NOLOCK) \r\n"
                                       " WHERE   HS04_INDTIPO_BU01 = %1 \r\n")
                            .arg(sqlNumber(Variant(indTipoBudget), "IndTipoBudget")) +
                        inUso + QStringLiteral(" ORDER BY HS04_CODICE \r\n");
    QList<VoceElenco> elenco;
    RecordsetPtr rst = connection.Execute(sql);
    for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext())
        elenco.append({testo(rst->value(u"HS04_CODICE")), testo(rst->value(u"HS04_DESCR"))});
    return elenco;
}

std::optional<QString> DescrizioneSottotipo(Connection& connection, std::int32_t indTipoBudget,
                                            const QString& codice) {
    const QString sql =
        QStringLiteral(" SELECT  HS04_DESCR \r\n"
                       " FROM    HS04_SOTTOTIPI WITH(NOLOCK) \r\n"
                       " WHERE   HS04_INDTIPO_BU01 = %1 \r\n"
                       " AND     HS04_CODICE = %2 \r\n")
            .arg(sqlNumber(Variant(indTipoBudget), "IndTipoBudget"), sqlText(codice));
    RecordsetPtr rst = connection.Execute(sql);
    if (rst->RecordCount() == 0)
        return std::nullopt;
    rst->MoveFirst();
    return testo(rst->value(u"HS04_DESCR"));
}

Rifiuto RifiutoSottotipoNonDecodificato(const QString& codice) {
    return rifiutoMuto(codice.isEmpty() ? QStringLiteral("Indicare il sottotipo budget")
                                        : QStringLiteral("Sottotipo budget inesistente: ") + codice,
                       Campo);
}

std::optional<int> PeriodoADaPeriodicita(std::int32_t codPeriodicita) {
    const int periodi = BudgetObject::NumeroPeriodi(codPeriodicita);
    if (periodi == 0)
        return std::nullopt;
    return periodi;
}

EsitoParametro TXT_SOTTOTIPO_Validate(FormState& state, const Variant& TXT_SOTTOTIPO,
                                      ControlliSottotipo* controlli, bool abilitato,
                                      const AssociatedCompaniesFactory& aziende) {
    const QString codice = testo(TXT_SOTTOTIPO);
    if (codice.isEmpty())
        return RifiutoSottotipoNonDecodificato(codice);
    ErrorTrap trap(state, QStringLiteral("TXT_SOTTOTIPO_Validate"));
    std::optional<QString> descrizione;
    if (!trap([&] {
            descrizione = DescrizioneSottotipo(connessione(state), state.IndTipoBudget, codice);
        }))
        return rifiutoMuto(QStringLiteral("Sottotipo budget non letto: ") + codice, Campo);
    if (!descrizione)
        return RifiutoSottotipoNonDecodificato(codice);
    if (!abilitato)
        return std::nullopt;

    state.IsGestioneSede = false;
    state.CodStrutturaBU60 = QString();
    if (!trap([&] { leggiProprieta(state, codice); }))
        return rifiutoMuto(QStringLiteral("Sottotipo budget non letto: ") + codice, Campo);

    if (const auto numero = messaggioRifiuto(state))
        return rifiutoNumerato(state, *numero, MessageStyle::Information, Campo);
    const bool isDittaPrincipale =
        GetIsAziendaCorrentePrincipalePerAnno(state, Variant(QDate::currentDate().year()), aziende);
    if (state.IndTipoBudget == 5 && state.IndMultiAttivita == 2 && !isDittaPrincipale)
        return rifiutoNumerato(state, Msg::SottotipoSoloPrincipale, MessageStyle::Information,
                               Campo);

    state.IsMultiAttivita = state.IndMultiAttivita == 1 && isDittaPrincipale;
    ControlliSottotipo mostrati;
    mostrati.CHK_CONSOLIDO_MULTIATT_Enabled = state.IsMultiAttivita;
    riempiEtichette(state, mostrati);
    if (!trap([&] { leggiStruttura(state, codice, mostrati); }))
        return rifiutoMuto(QStringLiteral("Sottotipo budget non letto: ") + codice, Campo);
    mostrati.TXT_PERIODO_DA = QStringLiteral("1");
    if (const auto periodoA = PeriodoADaPeriodicita(state.CodPeriodicita))
        mostrati.TXT_PERIODO_A = QString::number(*periodoA);

    // The value lists report their own errors; the subtype stays accepted either way.
    PopolaArray(state);
    PopolaArrayPer_QGRID_CONFRONTO(state);
    if (controlli != nullptr)
        *controlli = mostrati;
    return std::nullopt;
}

} // namespace bdg
