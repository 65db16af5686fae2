#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QTextStream;

namespace bdg {

struct FormState;

/// One amount column of the result as the tree grid shows it: the field of RstCriterio
/// ("IMP1", "DELTA_IMP2", "DELTA_PERC2"), its caption and whether the run asked for it.
struct ColonnaRisultato {
    enum class Tipo { Importo, Delta, Percentuale };
    QString campo;
    QString didascalia;
    Tipo tipo = Tipo::Importo;
    int insieme = 1; ///< rank of the comparison set, from 1
    bool visibile = true;
};

/// A node of the tree in display order: the criterion first, then each item followed by
/// its children, siblings by KEY_VOCE; `livello` is the depth (0 for the criterion).
struct NodoRisultato {
    int livello = 0;
    Bookmark riga = 0; ///< the row of RstCriterio
    std::int64_t chiave = 0;
};

/// What every output of a run is written from: the run's parameters as text, the column
/// captions and formats, the criterion table and, with the periods, the node-by-period
/// table. It reads the state's tables and does not change them.
class Risultato {
public:
    Risultato(const FormState& state, QList<QPair<QString, QString>> parametri);

    const QList<QPair<QString, QString>>& parametri() const { return m_parametri; }
    const QList<ColonnaRisultato>& colonne() const { return m_colonne; }
    /// The columns the grid would show: amounts, and differences the set asked for.
    QList<ColonnaRisultato> colonneVisibili() const;
    const QString& formatoImporti() const { return m_formatoImporti; }
    const QString& formatoPercentuali() const { return m_formatoPercentuali; }

    /// The criterion table, every row, sorted on KEY_VOCE.
    Recordset& criterio() { return m_criterio; }
    /// The node-by-period table sorted on KEY_VOCE, PERIODO; not open when there is none.
    Recordset& periodi() { return m_periodi; }
    bool hasPeriodi() const { return m_periodi.isOpen(); }

    /// The tree in display order (depth first).
    const QList<NodoRisultato>& albero() const { return m_albero; }

    /// The formatted text of a field of the current row of `rst` for a column.
    QString testoImporto(const Variant& value, ColonnaRisultato::Tipo tipo) const;

private:
    void leggiColonne(const FormState& state);
    void costruisciAlbero();

    QList<QPair<QString, QString>> m_parametri;
    QList<ColonnaRisultato> m_colonne;
    QString m_formatoImporti;
    QString m_formatoPercentuali;
    Recordset m_criterio;
    Recordset m_periodi;
    QList<NodoRisultato> m_albero;
};

/// The text of a value for the exchange formats: decimals exact with the field's scale and
/// a decimal point, integers in decimal, texts without the fixed fields' trailing blanks;
/// empty for Null.
QString testoEsatto(const FieldDef& field, const Variant& value);
/// Appends testoEsatto(field, value) to `testo`; a decimal is written in place, without a
/// string of its own.
void aggiungiTestoEsatto(QString& testo, const FieldDef& field, const Variant& value);

/// The text of an exchange file made in a buffer and handed to the stream a block at a time:
/// the stream's own work per call would otherwise be paid for every field.
class TestoABlocchi {
public:
    explicit TestoABlocchi(QTextStream& stream);
    QString& testo() { return m_testo; }
    /// Hands the text over once a block is full (at the end of a row).
    void passaSePieno() {
        if (m_testo.size() >= Blocco)
            passa();
    }
    /// Hands over what there is.
    void passa();

private:
    static constexpr qsizetype Blocco = 1 << 15;
    QTextStream& m_stream;
    QString m_testo;
};

} // namespace bdg
