#include "host/associated_companies.h"

#include "data/connection.h"
#include "data/sql_literal.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_service.h"

#include <QDate>

namespace bdg {

namespace {

const QString CrLf = QStringLiteral("\r\n");

std::unique_ptr<AssociatedCompanies> create(const AssociatedCompaniesFactory& factory) {
    if (factory)
        return factory();
    return std::make_unique<AssociatedCompanies>();
}

/// A new object with the form's parameters, loaded; shows the host's error and gives null
/// when the load failed.
std::unique_ptr<AssociatedCompanies> loaded(FormState& state, const Variant& anno,
                                            const AssociatedCompaniesFactory& factory) {
    std::unique_ptr<AssociatedCompanies> aziende = create(factory);
    AssociatedCompanies::Parametri parametri;
    parametri.connection = state.connection;
    parametri.StringaConnessione = state.StringaConnessione;
    parametri.CodDitta = state.CodDitta;
    parametri.Anno = anno;
    aziende->setParametri(parametri);
    aziende->Carica();
    if (aziende->CodiceErrore() == AssociatedCompanies::Ok)
        return aziende;
    if (state.Gcls_Global != nullptr)
        state.Gcls_Global->ShowMessage(aziende->DescrizioneErrore(), MessageStyle::OkOnly,
                                       QString::fromLatin1(TitoloAziendeCollegate));
    return nullptr;
}

/// The group's main company: a member whose indicator is 0 (a Null or blank indicator
/// never is).
bool isPrincipale(const AssociatedCompanies& aziende) {
    if (!aziende.IsAziendaCollegata() || aziende.IndPrincipale().isNullOrBlank())
        return false;
    const std::optional<Decimal> indicator = aziende.IndPrincipale().toDecimal();
    return indicator && indicator->isZero();
}

} // namespace

AssociatedCompanies::~AssociatedCompanies() = default;

void AssociatedCompanies::setParametri(const Parametri& parametri) {
    m_parametri = parametri;
}

void AssociatedCompanies::reset() {
    m_codiceErrore = Ok;
    m_descrizioneErrore.clear();
}

void AssociatedCompanies::setErrore(int code, const QString& text) {
    m_codiceErrore = code;
    m_descrizioneErrore = text;
}

void AssociatedCompanies::setAppartenenza(bool isAziendaCollegata, const Variant& indPrincipale,
                                          const Variant& codGruppo) {
    m_isAziendaCollegata = isAziendaCollegata;
    m_indPrincipale = indPrincipale;
    m_codGruppo = codGruppo;
}

void AssociatedCompanies::setAziende(const QList<std::int32_t>& aziende) {
    m_aziende = aziende;
    QStringList codes;
    for (const std::int32_t code : aziende)
        codes.append(QString::number(code));
    m_elencoAziende = codes.isEmpty() ? Variant::null() : Variant(codes.join(QStringLiteral(", ")));
}

bool AssociatedCompanies::checkParametri() {
    if (m_parametri.connection == nullptr) {
        setErrore(ErroreParametri, QStringLiteral("Aziende collegate: connessione al database "
                                                  "non impostata."));
        return false;
    }
    if (!m_parametri.Anno.toInt32()) {
        setErrore(ErroreParametri, QStringLiteral("Aziende collegate: anno non valido ('%1').")
                                       .arg(m_parametri.Anno.toString()));
        return false;
    }
    return true;
}

void AssociatedCompanies::Carica() {
    reset();
    setAppartenenza(false, Variant::null(), Variant::null());
    setAziende({});
    if (!checkParametri())
        return;
    const QString sql =
        QStringLiteral(" SELECT HS05_GRUPPO, HS05_INDPRINCIPALE ") + CrLf +
        QStringLiteral(" FROM   HS05_AZIENDECOLL WITH(NOLOCK) ") + CrLf +
        QStringLiteral(" WHERE  HS05_ANNO = %1 ").arg(*m_parametri.Anno.toInt32()) + CrLf +
        QStringLiteral(" AND    HS05_DITTA_HS01 = %1 ").arg(m_parametri.CodDitta) + CrLf;
    try {
        const RecordsetPtr rows = m_parametri.connection->Execute(sql);
        rows->MoveFirst();
        if (rows->Eof())
            return;
        setAppartenenza(true, rows->value(QStringLiteral("HS05_INDPRINCIPALE")),
                        rows->value(QStringLiteral("HS05_GRUPPO")));
    } catch (const DatabaseError& error) {
        setErrore(ErroreDatabase, QStringLiteral("Impossibile leggere le aziende collegate: %1")
                                      .arg(QString::fromUtf8(error.what())));
    }
}

void AssociatedCompanies::CaricaElencoAziende() {
    reset();
    setAziende({});
    if (!checkParametri() || m_codGruppo.isNullOrBlank())
        return;
    const QString sql =
        QStringLiteral(" SELECT   HS05_DITTA_HS01 ") + CrLf +
        QStringLiteral(" FROM     HS05_AZIENDECOLL WITH(NOLOCK) ") + CrLf +
        QStringLiteral(" WHERE    HS05_GRUPPO = %1 ").arg(sqlText(m_codGruppo)) + CrLf +
        QStringLiteral(" AND      HS05_ANNO = %1 ").arg(*m_parametri.Anno.toInt32()) + CrLf +
        QStringLiteral(" ORDER BY HS05_DITTA_HS01 ") + CrLf;
    try {
        const RecordsetPtr rows = m_parametri.connection->Execute(sql);
        QList<std::int32_t> aziende;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            // Codes go into an IN list as text: only what parses as a number is written.
            const std::optional<std::int32_t> code = rows->value(0).toInt32();
            if (code)
                aziende.append(*code);
        }
        setAziende(aziende);
    } catch (const DatabaseError& error) {
        setErrore(ErroreDatabase, QStringLiteral("Impossibile leggere le aziende del gruppo: %1")
                                      .arg(QString::fromUtf8(error.what())));
    }
}

bool GetIsAziendaCorrentePrincipalePerAnno(FormState& state, const Variant& Anno,
                                           const AssociatedCompaniesFactory& factory) {
    bool result = false;
    const Variant anno = Anno.isNullOrBlank() ? Variant(QDate::currentDate().year()) : Anno;
    ErrorTrap trap(state, QStringLiteral("GetIsAziendaCorrentePrincipalePerAnno"));
    trap([&] {
        const std::unique_ptr<AssociatedCompanies> aziende = loaded(state, anno, factory);
        result = aziende && isPrincipale(*aziende);
    });
    return result;
}

Variant IsAziendaPrincipale(FormState& state, const Variant& Anno,
                            const AssociatedCompaniesFactory& factory) {
    Variant result = QString();
    if (Anno.isNullOrBlank())
        return result;
    ErrorTrap trap(state, QStringLiteral("IsAziendaPrincipale"));
    trap([&] {
        const std::unique_ptr<AssociatedCompanies> aziende = loaded(state, Anno, factory);
        if (!aziende || !isPrincipale(*aziende))
            return;
        aziende->CaricaElencoAziende();
        if (aziende->CodiceErrore() != AssociatedCompanies::Ok) {
            if (state.Gcls_Global != nullptr)
                state.Gcls_Global->ShowMessage(aziende->DescrizioneErrore(), MessageStyle::OkOnly,
                                               QString::fromLatin1(TitoloAziendeCollegate));
            return;
        }
        if (!aziende->ElencoAziende().isNullOrBlank())
            result = aziende->ElencoAziende();
    });
    return result;
}

} // namespace bdg
