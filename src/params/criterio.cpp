#include "params/criterio.h"

#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "data/sql_literal.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"

#include <stdexcept>

namespace bdg {

namespace {

const QString Campo = QStringLiteral("TXT_CRITERIO");

QString testo(const Variant& value) {
    return NVL(value, Variant(QString())).toString();
}

Connection& connessione(const FormState& state) {
    if (state.connection == nullptr)
        throw std::runtime_error("no company database is open");
    return *state.connection;
}

bool haRighe(Connection& connection, const QString& sql) {
    return connection.Execute(sql)->RecordCount() > 0;
}

// The mapping columns of a chart kind: the chart's code column and its account column.
struct ColonnePdc {
    const char* codice;
    const char* conto;
};

std::optional<ColonnePdc> colonnePdc(std::int32_t indTipoPdc) {
    switch (indTipoPdc) {
    case 1:
        return ColonnePdc{"BU50_GRUPPO_CG10", "BU50_CONTO_CG24"};
    case 2:
        return ColonnePdc{"BU50_CODICE_CG21", "BU50_CODICE_CG23"};
    case 3:
        return ColonnePdc{"BU50_CODICE_PC01", "BU50_CONTO_PC03"};
    default:
        return std::nullopt;
    }
}

QString sqlStruttura(const QString& codice) {
    return QStringLiteral(" SELECT  * \r\n"
                          " FROM    BU20_STRUTTURACRIT WITH(NOLOCK) \r\n"
                          " WHERE   BU20_CODICE_BU51 = ") +
           sqlText(codice) + QStringLiteral("\r\n");
}

// Mappings of the criterion to the subtype's chart; a kind without columns adds no condition.
QString sqlCorrelatoPdc(const QString& codice, const FormState& state) {
    QString sql = QStringLiteral(" SELECT  * \r\n"
                                 " FROM    BU50_CORRPDCVOCI WITH(NOLOCK) \r\n"
                                 " WHERE   BU50_CODICE_BU51 = ") +
                  sqlText(codice) + QStringLiteral("\r\n");
    if (const auto colonne = colonnePdc(state.IndTipoPdc)) {
        sql += QStringLiteral(" AND     %1 = %2\r\n AND NOT %3 IS NULL \r\n")
                   .arg(QLatin1String(colonne->codice), sqlText(state.CodPdc),
                        QLatin1String(colonne->conto));
    }
    return sql;
}

QString sqlCorrelatoStruttura(const QString& codice, const QString& struttura) {
    return QStringLiteral(" SELECT  * \r\n"
                          " FROM    BU50_CORRPDCVOCI WITH(NOLOCK) \r\n"
                          " WHERE   BU50_CODICE_BU51 = ") +
           sqlText(codice) + QStringLiteral("\r\n AND     BU50_CODICE_BU60 = ") +
           sqlText(struttura) + QStringLiteral("\r\n AND NOT BU50_CONTO_BU61 IS NULL \r\n");
}

// The condition a lookup mode puts on the criteria (empty for every criterion).
QString condizioneLookup(const FormState& state, ModoLookupCriterio modo) {
    const QString mappa = QStringLiteral(" WHERE EXISTS (SELECT 1 FROM BU50_CORRPDCVOCI "
                                         "WHERE BU50_CODICE_BU51 = BU51_CODICE ");
    const auto colonne = colonnePdc(state.IndTipoPdc);
    switch (modo) {
    case ModoLookupCriterio::Tutti:
        return {};
    case ModoLookupCriterio::ConStruttura:
        return QStringLiteral(" WHERE EXISTS (SELECT 1 FROM BU20_STRUTTURACRIT "
                              "WHERE BU20_CODICE_BU51 = BU51_CODICE) \r\n");
    case ModoLookupCriterio::Correlati:
        if (!colonne)
            return mappa + QStringLiteral(") \r\n");
        return mappa +
               QStringLiteral("AND NOT %1 IS NULL) \r\n").arg(QLatin1String(colonne->conto));
    case ModoLookupCriterio::CorrelatiPdc:
        if (!colonne)
            return mappa + QStringLiteral(") \r\n");
        return mappa + QStringLiteral("AND %1 = %2 AND NOT %3 IS NULL) \r\n")
                           .arg(QLatin1String(colonne->codice), sqlText(state.CodPdc),
                                QLatin1String(colonne->conto));
    case ModoLookupCriterio::CorrelatiStruttura:
        return mappa + QStringLiteral("AND BU50_CODICE_BU60 = %1 AND NOT BU50_CONTO_BU61 "
                                      "IS NULL) \r\n")
                           .arg(sqlText(state.CodStrutturaBU60));
    }
    return {};
}

} // namespace

Rifiuto RifiutoCriterioNonDecodificato(const QString& codice) {
    return rifiutoMuto(codice.isEmpty() ? QStringLiteral("Indicare il criterio di elaborazione")
                                        : QStringLiteral("Criterio inesistente: ") + codice,
                       Campo);
}

ModoLookupCriterio ModoLookupDaMenu(const QString& item, const Variant& CodStrutturaBU60) {
    if (item == QLatin1String("Kpers1"))
        return ModoLookupCriterio::ConStruttura;
    if (item == QLatin1String("Kpers2"))
        return ModoLookupCriterio::Correlati;
    if (item != QLatin1String("Kpers3"))
        return ModoLookupCriterio::Tutti;
    return testo(CodStrutturaBU60).isEmpty() ? ModoLookupCriterio::CorrelatiPdc
                                             : ModoLookupCriterio::CorrelatiStruttura;
}

QList<VoceElenco> ElencoCriteri(const FormState& state, ModoLookupCriterio modo) {
    const QString sql = QStringLiteral(" SELECT  BU51_CODICE, BU51_DESCR \r\n"
                                       " FROM    BU51_CRITERIELAB \r\n") +
                        condizioneLookup(state, modo) +
                        QStringLiteral(" ORDER BY BU51_CODICE \r\n");
    QList<VoceElenco> elenco;
    RecordsetPtr rst = connessione(state).Execute(sql);
    for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext())
        elenco.append({testo(rst->value(u"BU51_CODICE")), testo(rst->value(u"BU51_DESCR"))});
    return elenco;
}

std::optional<QString> DescrizioneCriterio(Connection& connection, const QString& codice) {
    RecordsetPtr rst = connection.Execute(
        QStringLiteral("SELECT BU51_DESCR FROM BU51_CRITERIELAB WHERE BU51_CODICE = ") +
        sqlText(codice));
    if (rst->RecordCount() == 0)
        return std::nullopt;
    rst->MoveFirst();
    return testo(rst->value(u"BU51_DESCR"));
}

EsitoParametro IsCriterioValido(FormState& state, const Variant& TXT_CRITERIO) {
    const QString codice = testo(TXT_CRITERIO);
    if (codice.isEmpty())
        return RifiutoCriterioNonDecodificato(codice);
    ErrorTrap trap(state, QStringLiteral("IsCriterioValido"));
    bool haStruttura = false;
    if (!trap([&] { haStruttura = haRighe(connessione(state), sqlStruttura(codice)); }))
        return rifiutoMuto(QStringLiteral("Criterio non letto: ") + codice, Campo);
    if (!haStruttura)
        return rifiutoNumerato(state, Msg::CriterioSenzaStruttura, MessageStyle::Information,
                               Campo);

    // From here the form's result is already True: a mapping test that fails and is left
    // accepts the criterion, as the form does.
    const QString struttura = testo(state.CodStrutturaBU60);
    bool correlato = true;
    const QString sql = struttura.isEmpty() ? sqlCorrelatoPdc(codice, state)
                                            : sqlCorrelatoStruttura(codice, struttura);
    if (!trap([&] { correlato = haRighe(connessione(state), sql); }) || correlato)
        return std::nullopt;
    const QString testoRifiuto =
        struttura.isEmpty()
            ? QStringLiteral("Criterio %1 non correlato al pdc %2 del budget ")
                  .arg(codice, testo(state.CodPdc))
            : QStringLiteral("Criterio %1 non correlato alla struttura %2 del budget ")
                  .arg(codice, struttura);
    return rifiutoTesto(state, testoRifiuto, MessageStyle::Critical, state.Caption, Campo);
}

EsitoParametro TXT_CRITERIO_Validate(FormState& state, const Variant& TXT_CRITERIO,
                                     bool abilitato) {
    const QString codice = testo(TXT_CRITERIO);
    if (codice.isEmpty())
        return RifiutoCriterioNonDecodificato(codice);
    std::optional<QString> descrizione;
    try {
        descrizione = DescrizioneCriterio(connessione(state), codice);
    } catch (const std::exception& error) {
        // The field ignores its errors: an unreadable code is simply not decoded.
        return rifiutoMuto(QStringLiteral("Criterio non letto: %1 (%2)")
                               .arg(codice, QString::fromUtf8(error.what())),
                           Campo);
    }
    if (!descrizione)
        return RifiutoCriterioNonDecodificato(codice);
    if (!abilitato)
        return std::nullopt;
    if (auto rifiuto = IsCriterioValido(state, TXT_CRITERIO))
        return rifiuto;
    DefinisciRstConfronto(state);
    return std::nullopt;
}

} // namespace bdg
