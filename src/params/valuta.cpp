#include "params/valuta.h"

#include "data/connection.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"

#include <QRegularExpression>

#include <stdexcept>

namespace bdg {

namespace {

QString testo(const Variant& value) {
    return NVL(value, Variant(QString())).toString();
}

QString valutaGestione(const FormState& state) {
    if (state.Gcls_Global != nullptr)
        return testo(state.Gcls_Global->CodValutaGestione()).trimmed();
    return testo(state.CodValutaGestione).trimmed();
}

void disabilita(CampiCambio& campi) {
    campi.TXT_CAMBIO = QString();
    campi.TXT_DATACAMBIO = QString();
    campi.TXT_CAMBIO_Enabled = false;
    campi.TXT_DATACAMBIO_Enabled = false;
}

// The rate the host finds for the currency and date, with its quotation kind; nothing
// when there is none or it is of the "no usable rate" kind.
void leggiCambio(FormState& state, const QString& codice, const QDate& data, CampiCambio& campi) {
    if (state.Gcls_Global == nullptr)
        throw std::runtime_error("the host's exchange-rate service is not set");
    campi.TXT_CAMBIO = QString();
    state.IsCambioDivisore = false;
    RecordsetPtr rst = state.Gcls_Global->GetCambio(codice, data);
    if (!rst || rst->RecordCount() == 0)
        return;
    rst->MoveFirst();
    if (rst->value(u"TIPOCAMBIO").toInt32().value_or(HostGlobal::NoRate) == HostGlobal::NoRate)
        return;
    campi.TXT_CAMBIO = rst->value(u"CAMBIO");
    state.IsCambioDivisore = rst->value(u"INDCERTOINCERTO").toBool().value_or(false);
}

} // namespace

QList<VoceElenco> ElencoValute(Connection& connection) {
    QList<VoceElenco> elenco;
    RecordsetPtr rst = connection.Execute(QStringLiteral(" SELECT  HS02_CODICE, HS02_DESCR \r\n"
                                                         " FROM    HS02_VALUTE WITH(NOLOCK) \r\n"
                                                         " ORDER BY HS02_CODICE \r\n"));
    for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext())
        elenco.append({testo(rst->value(u"HS02_CODICE")), testo(rst->value(u"HS02_DESCR"))});
    return elenco;
}

std::optional<QString> DescrizioneValuta(FormState& state, const QString& codice) {
    if (state.Gcls_Global == nullptr || codice.trimmed().isEmpty())
        return std::nullopt;
    const auto dati = state.Gcls_Global->DatiValuta(codice.trimmed());
    if (!dati)
        return std::nullopt;
    return testo(dati->Descrizione);
}

std::optional<QDate> LeggiDataCambio(const Variant& valore, const QDate& oggi) {
    const QString text = testo(valore).trimmed();
    if (text.isEmpty())
        return oggi;
    static const QRegularExpression soloGiorno(QStringLiteral("^\\d{1,2}$"));
    if (soloGiorno.match(text).hasMatch()) {
        const QDate giorno(oggi.year(), oggi.month(), text.toInt());
        return giorno.isValid() ? std::optional<QDate>(giorno) : std::nullopt;
    }
    for (const char* formato : {"dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd", "dd/MM/yy"}) {
        QDate data = QDate::fromString(text, QString::fromLatin1(formato));
        if (!data.isValid())
            continue;
        // Two-digit years are this century's, as the date field reads them.
        if (QLatin1String(formato) == QLatin1String("dd/MM/yy") && data.year() < 2000)
            data = data.addYears(100);
        return data;
    }
    return std::nullopt;
}

bool ValutaGetDati(FormState& state, const Variant& TXT_VALUTA, CampiCambio& campi,
                   const QDate& oggi) {
    const QString codice = testo(TXT_VALUTA).trimmed();
    if (codice.isEmpty() || codice == valutaGestione(state)) {
        disabilita(campi);
        state.IsCambioDivisore = false;
        return true;
    }
    campi.TXT_CAMBIO_Enabled = true;
    campi.TXT_DATACAMBIO_Enabled = true;
    ErrorTrap trap(state, QStringLiteral("ValutaGetDati"));
    return trap([&] {
        const auto data = LeggiDataCambio(campi.TXT_DATACAMBIO, oggi);
        if (!data)
            throw std::runtime_error(qPrintable(
                QStringLiteral("Data cambio non valida: '%1'").arg(testo(campi.TXT_DATACAMBIO))));
        leggiCambio(state, codice, *data, campi);
    });
}

bool TXT_VALUTA_AfterItem(FormState& state, const Variant& TXT_VALUTA, CampiCambio& campi,
                          const QDate& oggi) {
    const bool letto = ValutaGetDati(state, TXT_VALUTA, campi, oggi);
    if (campi.TXT_DATACAMBIO_Enabled)
        campi.TXT_DATACAMBIO = oggi.toString(QStringLiteral("dd/MM/yyyy"));
    return letto;
}

} // namespace bdg
