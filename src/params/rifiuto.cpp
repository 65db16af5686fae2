#include "params/rifiuto.h"

#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"

namespace bdg {

Rifiuto rifiutoNumerato(FormState& state, int numero, int stile, const QString& controllo) {
    Rifiuto rifiuto;
    rifiuto.numero = numero;
    rifiuto.stile = stile;
    rifiuto.titolo = state.Caption;
    rifiuto.controllo = controllo;
    if (state.Gcls_Global == nullptr) {
        // Without the host services nobody can be told; the caller still gets the text.
        rifiuto.testo = MessageCatalogue::text(numero).value_or(QString::number(numero));
        rifiuto.mostrato = false;
        return rifiuto;
    }
    rifiuto.testo = state.Gcls_Global->GetMessageText(numero);
    state.Gcls_Global->ShowMessageNumber(numero, stile, state.Caption);
    return rifiuto;
}

Rifiuto rifiutoTesto(FormState& state, const QString& testo, int stile, const QString& titolo,
                     const QString& controllo) {
    Rifiuto rifiuto;
    rifiuto.testo = testo;
    rifiuto.stile = stile;
    rifiuto.titolo = titolo;
    rifiuto.controllo = controllo;
    rifiuto.mostrato = state.Gcls_Global != nullptr;
    if (rifiuto.mostrato)
        state.Gcls_Global->ShowMessage(testo, stile, titolo);
    return rifiuto;
}

Rifiuto rifiutoMuto(const QString& testo, const QString& controllo) {
    Rifiuto rifiuto;
    rifiuto.testo = testo;
    rifiuto.controllo = controllo;
    rifiuto.mostrato = false;
    return rifiuto;
}

} // namespace bdg
