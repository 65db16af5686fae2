#pragma once

class QTextStream;

#include <QString>

namespace bdg {

class Risultato;

/// A CSV cell: quoted, quotes doubled, when it holds a comma, a quote or a line break.
QString cellaCsv(const QString& testo);

/// The result as CSV for other programs: a header line with the field names of the
/// criterion table, then one line per row in KEY_VOCE order, every field, values exact
/// (decimals with a point and their field's scale), Null as an empty cell. With the
/// periods, an empty line and the node-by-period table follow the same way, in KEY_VOCE,
/// PERIODO order. Cells holding a comma, a quote or a line break are quoted, quotes
/// doubled.
class ScrittoreCsv {
public:
    explicit ScrittoreCsv(bool periodi = false) : m_periodi(periodi) {}

    void write(Risultato& risultato, QTextStream& out) const;

private:
    bool m_periodi;
};

} // namespace bdg
