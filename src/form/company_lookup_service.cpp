#include "form/company_lookup_service.h"

#include "compare/profili.h"
#include "data/connection.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "params/criterio.h"
#include "params/sottotipo.h"
#include "params/valuta.h"

#include <stdexcept>

namespace bdg {

namespace {

const QStringList ColonneCodice = {QStringLiteral("Codice"), QStringLiteral("Descrizione")};

RichiestaLookup richiesta(const QString& nome, const QString& didascalia,
                          const QList<VoceElenco>& voci) {
    return RichiestaLookup{nome, didascalia, ColonneCodice, voci};
}

} // namespace

CompanyLookupService::CompanyLookupService(Connection* connection, HostGlobal* global)
    : m_connection(connection), m_global(global) {}

Connection& CompanyLookupService::connection() const {
    if (m_connection == nullptr)
        throw std::runtime_error("no company database is open for the lookups");
    return *m_connection;
}

RichiestaLookup CompanyLookupService::LookupSottotipi(std::int32_t codDitta, int modo,
                                                      std::int32_t indTipoBudget) {
    const auto inUso = modo == 1 ? std::optional<std::int32_t>(codDitta) : std::nullopt;
    return richiesta(QStringLiteral("Lkp_SottotipoBudget"),
                     modo == 1 ? QStringLiteral("Budget in uso")
                               : QStringLiteral("Elenco sottotipi budget"),
                     ElencoSottotipi(connection(), indTipoBudget, inUso));
}

std::optional<QString> CompanyLookupService::DecodificaSottotipo(std::int32_t indTipoBudget,
                                                                 const QString& codice) {
    return DescrizioneSottotipo(connection(), indTipoBudget, codice);
}

RichiestaLookup CompanyLookupService::LookupCriteri(const FormState& state, int modo) {
    static const QStringList didascalie = {
        QStringLiteral("Elenco criteri di elaborazione"),
        QStringLiteral("Criteri con struttura"),
        QStringLiteral("Criteri correlati"),
        QStringLiteral("Criteri correlati al budget"),
        QStringLiteral("Criteri correlati alla struttura del budget"),
    };
    const int scelto = modo >= 0 && modo < didascalie.size() ? modo : 0;
    return richiesta(QStringLiteral("Lkp_CriterioElaborazione"), didascalie.at(scelto),
                     ElencoCriteri(state, ModoLookupCriterio(scelto)));
}

std::optional<QString> CompanyLookupService::DecodificaCriterio(const QString& codice) {
    return DescrizioneCriterio(connection(), codice);
}

RichiestaLookup CompanyLookupService::LookupValute() {
    return richiesta(QStringLiteral("Lkp_Valuta"), QStringLiteral("Elenco valute"),
                     ElencoValute(connection()));
}

std::optional<QString> CompanyLookupService::DecodificaValuta(const QString& codice) {
    if (m_global == nullptr || codice.trimmed().isEmpty())
        return std::nullopt;
    const auto dati = m_global->DatiValuta(codice.trimmed());
    if (!dati)
        return std::nullopt;
    return NVL(dati->Descrizione, Variant(QString())).toString();
}

QStringList CompanyLookupService::ElencoProfili() {
    return bdg::ElencoProfili(connection());
}

void CompanyLookupService::GestioneValute(const QString& /*codValutaGestione*/,
                                          const QString& /*codValuta*/) {
    // The company database offers no maintenance window; the host's replaces this one.
}

} // namespace bdg
