#pragma once

#include "host/contract/lookup_service.h"

namespace bdg {

class Connection;
class HostGlobal;

/// The lookups and decodes the form uses when the host gives none: the company database's
/// own lists of subtypes, criteria, currencies and comparison profiles. It has no currency
/// maintenance to open.
class CompanyLookupService : public LookupService {
public:
    CompanyLookupService(Connection* connection, HostGlobal* global);

    RichiestaLookup LookupSottotipi(std::int32_t codDitta, int modo,
                                    std::int32_t indTipoBudget) override;
    std::optional<QString> DecodificaSottotipo(std::int32_t indTipoBudget,
                                               const QString& codice) override;
    RichiestaLookup LookupCriteri(const FormState& state, int modo) override;
    std::optional<QString> DecodificaCriterio(const QString& codice) override;
    RichiestaLookup LookupValute() override;
    std::optional<QString> DecodificaValuta(const QString& codice) override;
    QStringList ElencoProfili() override;
    void GestioneValute(const QString& codValutaGestione, const QString& codValuta) override;

private:
    Connection& connection() const;

    Connection* m_connection;
    HostGlobal* m_global;
};

} // namespace bdg
