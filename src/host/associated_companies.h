#pragma once

#include "data/variant.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace bdg {

class Connection;
struct FormState;

/// The host's associated-companies object: for a company and a year, whether the company
/// belongs to a group of associated companies, whether it is the group's main company, and
/// the codes of the group's companies.
///
/// It follows the host's habit for business objects: set the parameters, load, then read
/// the error code (0 when the load worked) and the results. Database failures do not
/// escape: they become a non-zero error code and a text for the user.
class AssociatedCompanies {
public:
    virtual ~AssociatedCompanies();

    /// The four parameters of a load.
    struct Parametri {
        Connection* connection = nullptr;
        QString StringaConnessione;
        std::int32_t CodDitta = 0;
        Variant Anno;
    };

    /// Error codes of a load.
    static constexpr int Ok = 0;
    static constexpr int ErroreParametri = 1; ///< no connection or a year that is not one
    static constexpr int ErroreDatabase = 2;  ///< the group table could not be read

    void setParametri(const Parametri& parametri);
    const Parametri& parametri() const { return m_parametri; }

    /// Reads the company's group membership for the year.
    virtual void Carica();
    /// Reads the codes of the companies of the group found by Carica.
    virtual void CaricaElencoAziende();

    int CodiceErrore() const { return m_codiceErrore; }
    QString DescrizioneErrore() const { return m_descrizioneErrore; }

    /// True when the company belongs to a group of associated companies in the year.
    bool IsAziendaCollegata() const { return m_isAziendaCollegata; }
    /// 0 for the group's main company, 1 for the other members; Null outside any group.
    Variant IndPrincipale() const { return m_indPrincipale; }
    /// The group's code; Null outside any group.
    Variant CodGruppo() const { return m_codGruppo; }
    /// The group's company codes as text for an SQL IN list ("1, 2, 5"), ascending; Null
    /// before CaricaElencoAziende or when the group has no companies.
    Variant ElencoAziende() const { return m_elencoAziende; }
    QList<std::int32_t> Aziende() const { return m_aziende; }

protected:
    /// For other hosts' implementations: what a load found.
    void setErrore(int code, const QString& text);
    void setAppartenenza(bool isAziendaCollegata, const Variant& indPrincipale,
                         const Variant& codGruppo);
    void setAziende(const QList<std::int32_t>& aziende);

private:
    bool checkParametri();
    void reset();

    Parametri m_parametri;
    int m_codiceErrore = Ok;
    QString m_descrizioneErrore;
    bool m_isAziendaCollegata = false;
    Variant m_indPrincipale = Variant::null();
    Variant m_codGruppo = Variant::null();
    Variant m_elencoAziende = Variant::null();
    QList<std::int32_t> m_aziende;
};

/// Title of the messages that carry the associated-companies object's errors.
inline constexpr const char* TitoloAziendeCollegate = "COBO_AZIENDECOLL";

/// Creates the associated-companies object for one question; the default reads the
/// company database (AssociatedCompanies itself).
using AssociatedCompaniesFactory = std::function<std::unique_ptr<AssociatedCompanies>()>;

/// True when the current company (state.CodDitta) is the main company of its group in the
/// year `Anno` (the current calendar year when Null or blank). Host errors are shown to the
/// user and give false.
bool GetIsAziendaCorrentePrincipalePerAnno(FormState& state, const Variant& Anno,
                                           const AssociatedCompaniesFactory& factory = {});

/// The companies to consolidate in `Anno` as text for an SQL IN list, when the current
/// company is its group's main company; the empty text otherwise, and at once when `Anno`
/// is Null or blank. Host errors are shown to the user and give the empty text.
Variant IsAziendaPrincipale(FormState& state, const Variant& Anno,
                            const AssociatedCompaniesFactory& factory = {});

} // namespace bdg
