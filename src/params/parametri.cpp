#include "params/parametri.h"

#include "compare/rst_confronto.h"
#include "host/budget_object.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"

#include <QStringList>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace bdg {

namespace {

bool vuoto(const Variant& value) {
    return NVL(value, Variant(QString())).toString().isEmpty();
}

// A period field as the form converts it: a 16-bit integer, rounded half to even; an error
// for a text that is not a number or leaves the 16-bit range.
std::int16_t periodo(const Variant& value, const char* campo) {
    const auto numero = NVL(value, Variant(QString())).toDouble();
    const double arrotondato = numero ? std::nearbyint(*numero) : 0.0;
    if (!numero || arrotondato < std::numeric_limits<std::int16_t>::min() ||
        arrotondato > std::numeric_limits<std::int16_t>::max()) {
        throw std::runtime_error(QStringLiteral("%1: '%2' non è un periodo")
                                     .arg(QLatin1String(campo), value.toString())
                                     .toStdString());
    }
    return static_cast<std::int16_t>(arrotondato);
}

Rifiuto rifiutoVerifica(FormState& state, int verifica) {
    Rifiuto rifiuto = rifiutoNumerato(state, Msg::ParametriNonValidi, MessageStyle::Information,
                                      ControlloVerifica(verifica));
    rifiuto.verifica = verifica;
    return rifiuto;
}

// Checks 5 to 8, on numbers already read: the first that fails, 0 when none.
int verificaPeriodi(const FormState& state, std::int16_t da, std::int16_t a) {
    if (da < 1)
        return 5;
    if (a > 12)
        return 6;
    if (da > a)
        return 7;
    const std::int16_t periodi = BudgetObject::NumeroPeriodi(state.CodPeriodicita);
    if (periodi > 0 && a > periodi)
        return 8;
    return 0;
}

} // namespace

QString ControlloVerifica(int verifica) {
    static const QStringList controlli = {
        QString(),
        QStringLiteral("TXT_SOTTOTIPO"),
        QStringLiteral("TXT_CRITERIO"),
        QStringLiteral("TXT_PERIODO_DA"),
        QStringLiteral("TXT_PERIODO_A"),
        QStringLiteral("TXT_PERIODO_DA"),
        QStringLiteral("TXT_PERIODO_A"),
        QStringLiteral("TXT_PERIODO_DA"),
        QStringLiteral("TXT_PERIODO_A"),
        QStringLiteral("CHK_CONSOLIDO_MULTIATT"),
        QStringLiteral("QGRID_CONFRONTO"),
        QStringLiteral("TXT_DATACAMBIO"),
        QStringLiteral("TXT_CAMBIO"),
        QStringLiteral("QGRID_CONFRONTO"),
    };
    return verifica > 0 && verifica < controlli.size() ? controlli.at(verifica) : QString();
}

EsitoParametro IsParametriValidi(FormState& state, const ValoriParametri& valori) {
    if (vuoto(valori.TXT_SOTTOTIPO))
        return rifiutoVerifica(state, 1);
    if (vuoto(valori.TXT_CRITERIO))
        return rifiutoVerifica(state, 2);
    if (vuoto(valori.TXT_PERIODO_DA))
        return rifiutoVerifica(state, 3);
    if (vuoto(valori.TXT_PERIODO_A))
        return rifiutoVerifica(state, 4);

    // A period that is not a number is an error of the conversion, reported as such. The
    // form would then go on as if the check had passed; a run cannot use such a period, so
    // here it is refused at its field.
    ErrorTrap trap(state, QStringLiteral("IsParametriValidi"));
    std::int16_t da = 0;
    std::int16_t a = 0;
    if (!trap([&] { da = periodo(valori.TXT_PERIODO_DA, "TXT_PERIODO_DA"); }))
        return rifiutoMuto(QStringLiteral("Periodo iniziale non numerico"),
                           QStringLiteral("TXT_PERIODO_DA"));
    if (!trap([&] { a = periodo(valori.TXT_PERIODO_A, "TXT_PERIODO_A"); }))
        return rifiutoMuto(QStringLiteral("Periodo finale non numerico"),
                           QStringLiteral("TXT_PERIODO_A"));
    if (const int verifica = verificaPeriodi(state, da, a))
        return rifiutoVerifica(state, verifica);

    if (state.IsMultiAttivita && vuoto(valori.CHK_CONSOLIDO_MULTIATT))
        return rifiutoVerifica(state, 9);
    const int righe = state.RstConfronto ? state.RstConfronto->RecordCount() : 0;
    if (righe == 0)
        return rifiutoVerifica(state, 13);
    if (!IsDatiRstConfrontoValido(state))
        return rifiutoVerifica(state, 10);
    // Only whether the fields are empty counts here, not whether the currency differs from
    // the management currency.
    if (!vuoto(valori.TXT_VALUTA) && vuoto(valori.TXT_DATACAMBIO))
        return rifiutoVerifica(state, 11);
    if (!vuoto(valori.TXT_VALUTA) && vuoto(valori.TXT_CAMBIO))
        return rifiutoVerifica(state, 12);
    return std::nullopt;
}

} // namespace bdg
