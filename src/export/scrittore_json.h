#pragma once

#include <QJsonDocument>

namespace bdg {

class Risultato;

/// The result as JSON for other programs:
///
///     { "parametri": { "db": ..., "sottotipo": ..., ... },
///       "didascalie": [ { "insieme": 1, "IMP1": "Bdg 2026" }, { "insieme": 2,
///                         "IMP2": "Con 2026", "DELTA_IMP2": "D Con2026", ... } ],
///       "criterio": [ { "KEY_VOCE": 0, ..., "IMP1": "1234.50" }, ... ],
///       "periodi": [ ... ] }
///
/// Every field of the tables, rows in KEY_VOCE (then PERIODO) order; decimals are strings
/// holding the exact value with the field's scale, so that no reader turns them into
/// binary floating point; integers are numbers, Null is null. "periodi" is present only
/// when asked for.
class ScrittoreJson {
public:
    explicit ScrittoreJson(bool periodi = false) : m_periodi(periodi) {}

    QJsonDocument document(Risultato& risultato) const;

private:
    bool m_periodi;
};

} // namespace bdg
