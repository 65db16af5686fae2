#pragma once

class QTextStream;

namespace bdg {

class Risultato;

/// The result as JSON for other programs:
///
///     { "parametri": { "db": ..., "sottotipo": ..., ... },
///       "didascalie": [ { "insieme": 1, "IMP1": "Bdg 2026" }, { "insieme": 2,
///                         "IMP2": "Con 2026", "DELTA_IMP2": "D Con2026", ... } ],
///       "formato_importi": ..., "formato_percentuali": ...,
///       "criterio": [ { "KEY_VOCE": 0, ..., "IMP1": "1234.50" }, ... ],
///       "periodi": [ ... ] }
///
/// Every field of the tables in their order, rows in KEY_VOCE (then PERIODO) order, one row
/// a line; decimals are strings holding the exact value with the field's scale, so that no
/// reader turns them into binary floating point; integers are numbers, Null is null.
/// "periodi" is present only when asked for. The text is written row by row as it is
/// made: a large result never exists twice in memory.
class ScrittoreJson {
public:
    explicit ScrittoreJson(bool periodi = false) : m_periodi(periodi) {}

    void write(Risultato& risultato, QTextStream& out) const;

private:
    bool m_periodi;
};

} // namespace bdg
