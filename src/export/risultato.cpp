#include "export/risultato.h"

#include "data/formato_numero.h"
#include "host/form_state.h"

#include <QHash>
#include <QTextStream>

#include <algorithm>

namespace bdg {
namespace {

// The grid's percentage mask, for a state that never set one.
const char* const FormatoPercentualiGriglia = "#,###,##0.00%";

bool flagAttivo(const Variant& value) {
    const auto numero = value.toInt32();
    return numero && *numero != 0;
}

QString didascalia(const FormState& state, int riga, int indice) {
    const auto& righe = state.ArrCaptionColonne[std::size_t(riga)];
    return std::size_t(indice) < righe.size() ? righe[std::size_t(indice)] : QString();
}

} // namespace

Risultato::Risultato(const FormState& state, QList<QPair<QString, QString>> parametri)
    : m_parametri(std::move(parametri)), m_formatoImporti(state.FormatoImporti),
      m_formatoPercentuali(state.FormatoPercentuali.isEmpty()
                               ? QString::fromLatin1(FormatoPercentualiGriglia)
                               : state.FormatoPercentuali) {
    if (m_formatoImporti.isEmpty())
        m_formatoImporti = QStringLiteral("##,###,###,##0.00");
    if (state.RstConfronto)
        leggiColonne(state);
    if (state.RstCriterio) {
        m_criterio = state.RstCriterio->Clone();
        m_criterio.clearFilter();
        m_criterio.setSort(QStringLiteral("KEY_VOCE"));
        costruisciAlbero();
    }
    if (state.RstCriterioPeriodi && state.RstCriterioPeriodi->isOpen()) {
        m_periodi = state.RstCriterioPeriodi->Clone();
        m_periodi.clearFilter();
        m_periodi.setSort(QStringLiteral("KEY_VOCE, PERIODO"));
    }
}

// The columns follow the sets in CFR_SEQUENZA order, as the grid lays them out: set 1 has
// only its amount, every further set its amount, difference and percentage.
void Risultato::leggiColonne(const FormState& state) {
    Recordset confronto = state.RstConfronto->Clone();
    confronto.clearFilter();
    confronto.setSort(QStringLiteral("CFR_SEQUENZA"));
    int insieme = 0;
    for (confronto.MoveFirst(); !confronto.Eof(); confronto.MoveNext()) {
        ++insieme;
        const QString numero = QString::number(insieme);
        m_colonne.append({QStringLiteral("IMP") + numero, didascalia(state, 1, insieme - 1),
                          ColonnaRisultato::Tipo::Importo, insieme, true});
        if (insieme == 1)
            continue;
        m_colonne.append({QStringLiteral("DELTA_IMP") + numero, didascalia(state, 2, insieme - 1),
                          ColonnaRisultato::Tipo::Delta, insieme,
                          flagAttivo(confronto.value(u"CFR_DELTA"))});
        m_colonne.append({QStringLiteral("DELTA_PERC") + numero, didascalia(state, 3, insieme - 1),
                          ColonnaRisultato::Tipo::Percentuale, insieme,
                          flagAttivo(confronto.value(u"CFR_DELTA_PERC"))});
    }
}

QList<ColonnaRisultato> Risultato::colonneVisibili() const {
    QList<ColonnaRisultato> visibili;
    std::copy_if(m_colonne.begin(), m_colonne.end(), std::back_inserter(visibili),
                 [](const ColonnaRisultato& colonna) { return colonna.visibile; });
    return visibili;
}

// The tree is linked by KEY_VOCEPADRE; the rows are already in KEY_VOCE order, so each
// parent's children are collected in the order they must be shown. A row whose parent is
// missing is shown under the root level rather than lost.
void Risultato::costruisciAlbero() {
    QHash<std::int64_t, QList<NodoRisultato>> figli;
    QList<NodoRisultato> radici;
    QHash<std::int64_t, bool> presenti;
    for (m_criterio.MoveFirst(); !m_criterio.Eof(); m_criterio.MoveNext())
        presenti.insert(m_criterio.value(u"KEY_VOCE").toInt64().value_or(0), true);
    for (m_criterio.MoveFirst(); !m_criterio.Eof(); m_criterio.MoveNext()) {
        const NodoRisultato nodo{0, m_criterio.bookmark(),
                                 m_criterio.value(u"KEY_VOCE").toInt64().value_or(0)};
        const auto padre = m_criterio.value(u"KEY_VOCEPADRE").toInt64();
        if (padre && presenti.contains(*padre) && *padre != nodo.chiave)
            figli[*padre].append(nodo);
        else
            radici.append(nodo);
    }
    // Depth first without recursion: a deep criterion cannot exhaust the stack.
    QList<NodoRisultato> pila(radici.rbegin(), radici.rend());
    while (!pila.isEmpty()) {
        NodoRisultato nodo = pila.takeLast();
        m_albero.append(nodo);
        const QList<NodoRisultato> sotto = figli.take(nodo.chiave);
        for (auto figlio = sotto.rbegin(); figlio != sotto.rend(); ++figlio) {
            NodoRisultato prossimo = *figlio;
            prossimo.livello = nodo.livello + 1;
            pila.append(prossimo);
        }
    }
}

QString Risultato::testoImporto(const Variant& value, ColonnaRisultato::Tipo tipo) const {
    const auto numero = value.toDecimal();
    if (value.isNullOrEmpty() || !numero)
        return QString();
    const bool percentuale = tipo == ColonnaRisultato::Tipo::Percentuale;
    return FormatoNumero(percentuale ? m_formatoPercentuali : m_formatoImporti).format(*numero);
}

QString testoEsatto(const FieldDef& field, const Variant& value) {
    QString testo;
    aggiungiTestoEsatto(testo, field, value);
    return testo;
}

void aggiungiTestoEsatto(QString& testo, const FieldDef& field, const Variant& value) {
    if (value.isNullOrEmpty())
        return;
    if (field.type == FieldType::Decimal) {
        if (const auto numero = value.toDecimal()) {
            numero->rescaled(field.scale).appendTo(testo);
            return;
        }
    }
    const QString valore = value.toString();
    QStringView vista(valore);
    if (field.type == FieldType::WChar) {
        while (vista.endsWith(QLatin1Char(' ')))
            vista.chop(1);
    }
    testo.append(vista);
}

TestoABlocchi::TestoABlocchi(QTextStream& stream) : m_stream(stream) {
    m_testo.reserve(Blocco + 4096);
}

void TestoABlocchi::passa() {
    m_stream << m_testo;
    m_testo.resize(0);
}

} // namespace bdg
