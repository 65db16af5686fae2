#include "host/message_catalogue.h"

#include <algorithm>

namespace bdg {

namespace {

// Short texts are captions and labels that the inquiry joins with codes or other texts
// ("Gestisce" + " " + "le sedi", "Forecast" + " 3"); the rest are whole sentences shown in
// a message box.
QList<CatalogueMessage> shippedMessages() {
    return {
        {Msg::APeriodo, QStringLiteral("A periodo")},
        {Msg::Budget, QStringLiteral("Budget")},
        {Msg::Cambio, QStringLiteral("Cambio")},
        {Msg::ParametriNonValidi,
         QStringLiteral("Parametri di elaborazione mancanti o non validi: correggere il "
                        "campo evidenziato e ripetere l'elaborazione.")},
        {Msg::Consuntivo, QStringLiteral("Consuntivo")},
        {Msg::Criterio, QStringLiteral("Criterio di elaborazione")},
        {Msg::DaPeriodo, QStringLiteral("Da periodo")},
        {Msg::DataCambio, QStringLiteral("Data cambio")},
        {Msg::Forecast, QStringLiteral("Forecast")},
        {Msg::CambioDittaNonAmmesso,
         QStringLiteral("Impossibile cambiare ditta mentre l'interrogazione è aperta: chiudere "
                        "prima l'interrogazione.")},
        {Msg::MultiAttivita, QStringLiteral("Multiattività:")},
        {Msg::NonGestisce, QStringLiteral("Non gestisce")},
        {Msg::Esportazione, QStringLiteral("Esportazione")},
        {Msg::LeSedi, QStringLiteral("le sedi")},
        {Msg::Gestisce, QStringLiteral("Gestisce")},
        {Msg::SottotipoBudget, QStringLiteral("Sottotipo budget")},
        {Msg::Valuta, QStringLiteral("Valuta")},
        {Msg::SottotipoSoloPrincipale,
         QStringLiteral("Il sottotipo di budget è gestito solo dalla ditta principale del gruppo "
                        "di aziende collegate: la ditta corrente non può consultarlo.")},
        {Msg::DittaSenzaSedi,
         QStringLiteral("Il sottotipo di budget gestisce le sedi, ma la ditta corrente non le "
                        "gestisce: scegliere un altro sottotipo.")},
        {Msg::TipoPdcNonValido,
         QStringLiteral("Il tipo di piano dei conti del sottotipo di budget non è gestito: sono "
                        "ammessi solo piano dei conti contabile, schema CEE e piano "
                        "riclassificato.")},
        {Msg::PdcMancante,
         QStringLiteral("Il sottotipo di budget non ha un piano dei conti associato.")},
        {Msg::CriterioSenzaStruttura,
         QStringLiteral("Il criterio di elaborazione non ha una struttura: definirne le voci "
                        "prima di usarlo.")},
        {Msg::ValutaGestioneMancante,
         QStringLiteral("La ditta non ha una valuta di gestione: indicarla nell'anagrafica "
                        "ditta prima di aprire l'interrogazione.")},
        {Msg::ValutaGestioneIncompleta,
         QStringLiteral("La valuta di gestione della ditta non ha descrizione o numero di "
                        "decimali: completarne l'anagrafica prima di aprire l'interrogazione.")},
        {Msg::CriterioElaborazione, QStringLiteral("Criterio di elaborazione")},
        {Msg::BudgetBreve, QStringLiteral("Bdg")},
    };
}

} // namespace

const QList<CatalogueMessage>& MessageCatalogue::messages() {
    static const QList<CatalogueMessage> catalogue = [] {
        QList<CatalogueMessage> list = shippedMessages();
        std::sort(list.begin(), list.end(),
                  [](const CatalogueMessage& left, const CatalogueMessage& right) {
                      return left.number < right.number;
                  });
        return list;
    }();
    return catalogue;
}

std::optional<QString> MessageCatalogue::text(int number) {
    const QList<CatalogueMessage>& list = messages();
    const auto found = std::lower_bound(
        list.begin(), list.end(), number,
        [](const CatalogueMessage& message, int wanted) { return message.number < wanted; });
    if (found == list.end() || found->number != number)
        return std::nullopt;
    return found->text;
}

} // namespace bdg
