#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace bdg {

struct FormState;

/// One entry of a lookup list: the code and its description.
struct VoceElenco {
    QString codice;
    QString descrizione;
};

/// A lookup as a field opens it: the list's name, the window caption, the column captions
/// and the entries in the order shown.
struct RichiestaLookup {
    QString nome;
    QString didascalia;
    QStringList colonne;
    QList<VoceElenco> voci;
};

/// The host's lookups and decodes of the codes the parameter fields take (subtypes,
/// criteria, currencies, profiles), and its currency maintenance.
class LookupService {
public:
    virtual ~LookupService() = default;

    /// Subtypes of budget kind `indTipoBudget`; mode 1 lists only the subtypes that hold a
    /// budget of company `codDitta`, mode 0 all of them.
    virtual RichiestaLookup LookupSottotipi(std::int32_t codDitta, int modo,
                                            std::int32_t indTipoBudget) = 0;
    /// The description of a subtype; nothing when the code is unknown.
    virtual std::optional<QString> DecodificaSottotipo(std::int32_t indTipoBudget,
                                                       const QString& codice) = 0;
    /// Criteria for the subtype in `state` (chart kind and code, budget structure); modes
    /// 1 to 4 narrow the list as the criterion field's menu entries ask.
    virtual RichiestaLookup LookupCriteri(const FormState& state, int modo) = 0;
    virtual std::optional<QString> DecodificaCriterio(const QString& codice) = 0;
    virtual RichiestaLookup LookupValute() = 0;
    virtual std::optional<QString> DecodificaValuta(const QString& codice) = 0;
    /// The stored comparison profile names, ascending.
    virtual QStringList ElencoProfili() = 0;
    /// Opens the host's currency maintenance on `codValuta`; returns when the user closed it.
    virtual void GestioneValute(const QString& codValutaGestione, const QString& codValuta) = 0;
};

} // namespace bdg
