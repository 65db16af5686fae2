#include "export/tabella_testo.h"

#include "export/risultato.h"

#include <QTextStream>

#include <algorithm>

namespace bdg {
namespace {

constexpr int Rientro = 2;
constexpr int DescrizioneMinima = 12;
constexpr int DescrizioneMassima = 48;
constexpr int Spazio = 2;

struct Colonne {
    QList<ColonnaRisultato> importi;
    QList<int> larghezze;
    int voce = 10;
    int descrizione = DescrizioneMinima;
};

QString taglia(const QString& testo, int larghezza) {
    if (testo.size() <= larghezza)
        return testo.leftJustified(larghezza);
    return testo.left(larghezza - 1) + QChar(0x2026);
}

// Every amount column is as wide as its widest text, caption included, so nothing is cut.
Colonne misura(Risultato& risultato, const QList<ColonnaRisultato>& importi, int larghezza) {
    Colonne colonne;
    colonne.importi = importi;
    Recordset& criterio = risultato.criterio();
    int descrizione = 0;
    for (const ColonnaRisultato& colonna : importi)
        colonne.larghezze << int(colonna.didascalia.size());
    for (const NodoRisultato& nodo : risultato.albero()) {
        criterio.setBookmark(nodo.riga);
        const int voce =
            nodo.livello * Rientro + int(criterio.value(u"VOCE").toString().trimmed().size());
        colonne.voce = std::max(colonne.voce, voce);
        descrizione = std::max(descrizione, int(criterio.value(u"VOCEDES").toString().size()));
        for (qsizetype indice = 0; indice < importi.size(); ++indice) {
            const QString testo =
                risultato.testoImporto(criterio.value(importi[indice].campo), importi[indice].tipo);
            colonne.larghezze[indice] = std::max(colonne.larghezze[indice], int(testo.size()));
        }
    }
    int occupata = colonne.voce + Spazio;
    for (int larghezzaColonna : colonne.larghezze)
        occupata += larghezzaColonna + Spazio;
    const int libera = larghezza > 0 ? larghezza - occupata : DescrizioneMassima;
    colonne.descrizione = std::clamp(libera, DescrizioneMinima, DescrizioneMassima);
    colonne.descrizione = std::min(colonne.descrizione, std::max(descrizione, DescrizioneMinima));
    return colonne;
}

void scriviIntestazione(const Colonne& colonne, QTextStream& out, const QString& prima,
                        const QString& seconda) {
    QString riga =
        prima.leftJustified(colonne.voce + Spazio) + taglia(seconda, colonne.descrizione);
    for (qsizetype indice = 0; indice < colonne.importi.size(); ++indice)
        riga += QString(Spazio, QLatin1Char(' ')) +
                colonne.importi[indice].didascalia.rightJustified(colonne.larghezze[indice]);
    out << riga.trimmed() << '\n' << QString(riga.trimmed().size(), QLatin1Char('-')) << '\n';
}

QString importi(Risultato& risultato, const Colonne& colonne, const Recordset& rst) {
    QString riga;
    for (qsizetype indice = 0; indice < colonne.importi.size(); ++indice) {
        const ColonnaRisultato& colonna = colonne.importi[indice];
        riga += QString(Spazio, QLatin1Char(' ')) +
                risultato.testoImporto(rst.value(colonna.campo), colonna.tipo)
                    .rightJustified(colonne.larghezze[indice]);
    }
    return riga;
}

QString senzaCoda(QString testo) {
    while (testo.endsWith(QLatin1Char(' ')))
        testo.chop(1);
    return testo;
}

// The node's amounts period by period, one line each, in the node's own columns; the
// criterion root has no periods of its own.
void scriviPeriodi(Risultato& risultato, const Colonne& colonne, const NodoRisultato& nodo,
                   QTextStream& out) {
    Recordset& periodi = risultato.periodi();
    periodi.setFilter(QStringLiteral("KEY_VOCE = %1 AND TIPOVOCE <> 4").arg(nodo.chiave));
    const QString rientro((nodo.livello + 1) * Rientro, QLatin1Char(' '));
    for (periodi.MoveFirst(); !periodi.Eof(); periodi.MoveNext()) {
        const QString etichetta =
            rientro + QStringLiteral("periodo ") + periodi.value(u"PERIODO").toString();
        out << senzaCoda(etichetta.leftJustified(colonne.voce + Spazio + colonne.descrizione) +
                         importi(risultato, colonne, periodi))
            << '\n';
    }
    periodi.clearFilter();
}

} // namespace

void TabellaTesto::setPeriodi(Periodi periodi, const QString& nodo) {
    m_periodi = periodi;
    m_nodo = nodo;
}

void TabellaTesto::write(Risultato& risultato, QTextStream& out) const {
    const Colonne colonne = misura(risultato, risultato.colonneVisibili(), m_larghezza);
    Recordset& criterio = risultato.criterio();
    const bool periodi = m_periodi != Periodi::Nessuno && risultato.hasPeriodi();
    scriviIntestazione(colonne, out, QStringLiteral("Voce/Conto"), QStringLiteral("Descrizione"));
    for (const NodoRisultato& nodo : risultato.albero()) {
        criterio.setBookmark(nodo.riga);
        const QString voce = QString(nodo.livello * Rientro, QLatin1Char(' ')) +
                             criterio.value(u"VOCE").toString().trimmed();
        out << senzaCoda(voce.leftJustified(colonne.voce + Spazio) +
                         taglia(criterio.value(u"VOCEDES").toString(), colonne.descrizione) +
                         importi(risultato, colonne, criterio))
            << '\n';
        const bool questo =
            m_periodi == Periodi::Tutti || criterio.value(u"VOCE").toString().trimmed() == m_nodo;
        if (periodi && questo)
            scriviPeriodi(risultato, colonne, nodo, out);
    }
}

} // namespace bdg
