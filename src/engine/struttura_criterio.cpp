#include "engine/struttura_criterio.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "data/sql_literal.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <deque>
#include <numeric>
#include <tuple>

namespace bdg {

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Codes listed in one message at most; a longer list ends with how many were left out.
constexpr int CodiciElencati = 10;

QString elenco(const QStringList& codici) {
    if (codici.size() <= CodiciElencati)
        return codici.join(QStringLiteral(", "));
    return codici.mid(0, CodiciElencati).join(QStringLiteral(", ")) +
           QStringLiteral(" e altre %1").arg(codici.size() - CodiciElencati);
}

QString testoPosizione(const Variant& posizione) {
    return posizione.isNullOrEmpty() ? QStringLiteral("nessuna") : posizione.toString();
}

// The item rows as read, one per code, before the tree is known.
struct Letta {
    QString voce;
    QString padre;
    bool primoLivello = false; // no parent: a top item
    bool padreVuoto = false;   // a parent code made of blanks only
    Variant posizione;
};

class Controllo {
public:
    void aggiungi(const QString& problema) { m_problemi << problema; }
    bool vuoto() const { return m_problemi.isEmpty(); }
    [[noreturn]] void rifiuta(const QString& criterio) const {
        throw StrutturaCriterioError(
            QStringLiteral(
                "La struttura del criterio %1 non è un albero che si possa elaborare: %2.")
                .arg(criterio, m_problemi.join(QStringLiteral("; ")))
                .toStdString());
    }

private:
    QStringList m_problemi;
};

// Items that are not reached from the top items: each one is either the start of the
// trouble (its parent is blank, itself or not an item of the criterion) or sits in a cycle
// or below such an item.
class NonRaggiunte {
public:
    NonRaggiunte(const std::vector<Letta>& lette, const QHash<QString, int>& indici,
                 const std::vector<bool>& raggiunta)
        : m_lette(lette), m_indici(indici), m_raggiunta(raggiunta),
          m_stato(lette.size(), Stato::DaVedere) {}

    // Items in code order, so that a cycle is named from its smallest code on every engine.
    void segnala(Controllo& controllo) {
        std::vector<std::size_t> ordine(m_lette.size());
        std::iota(ordine.begin(), ordine.end(), std::size_t(0));
        std::sort(ordine.begin(), ordine.end(),
                  [&](std::size_t a, std::size_t b) { return m_lette[a].voce < m_lette[b].voce; });
        QStringList sotto;
        for (std::size_t index : ordine) {
            if (m_raggiunta[index])
                continue;
            const Letta& letta = m_lette[index];
            if (letta.padreVuoto)
                controllo.aggiungi(
                    QStringLiteral("la voce %1 ha il codice del padre vuoto").arg(letta.voce));
            else if (letta.padre == letta.voce)
                controllo.aggiungi(
                    QStringLiteral("la voce %1 è padre di se stessa").arg(letta.voce));
            else if (!m_indici.contains(letta.padre))
                controllo.aggiungi(QStringLiteral("la voce %1 ha come padre %2, che non è una "
                                                  "voce del criterio")
                                       .arg(letta.voce, letta.padre));
            else if (!inCiclo(index, controllo))
                sotto << letta.voce;
        }
        if (!sotto.isEmpty())
            controllo.aggiungi(QStringLiteral("le voci %1 non discendono dalle voci di primo "
                                              "livello")
                                   .arg(elenco(sotto)));
    }

private:
    enum class Stato { DaVedere, InVisita, Vista };

    int padreDi(std::size_t index) const {
        const Letta& letta = m_lette[index];
        if (letta.padreVuoto || letta.padre == letta.voce)
            return -1;
        const int padre = m_indici.value(letta.padre, -1);
        return padre >= 0 && !m_raggiunta[std::size_t(padre)] ? padre : -1;
    }

    // Follows the parents from `index`; a walk that comes back to an item of its own path
    // has found a cycle, reported once with its items in parent order. True when `index`
    // itself belongs to a cycle.
    bool inCiclo(std::size_t index, Controllo& controllo) {
        std::vector<std::size_t> percorso;
        for (int at = int(index); at >= 0 && m_stato[std::size_t(at)] == Stato::DaVedere;
             at = padreDi(std::size_t(at))) {
            m_stato[std::size_t(at)] = Stato::InVisita;
            percorso.push_back(std::size_t(at));
            const int padre = padreDi(std::size_t(at));
            if (padre < 0 || m_stato[std::size_t(padre)] != Stato::InVisita)
                continue;
            QStringList ciclo;
            const auto inizio = std::find(percorso.begin(), percorso.end(), std::size_t(padre));
            for (auto it = inizio; it != percorso.end(); ++it) {
                ciclo << m_lette[*it].voce;
                m_ciclo.insert(*it);
            }
            controllo.aggiungi(QStringLiteral("le voci %1 formano un ciclo")
                                   .arg(ciclo.join(QStringLiteral(" → "))));
        }
        for (std::size_t at : percorso)
            m_stato[at] = Stato::Vista;
        return m_ciclo.contains(index);
    }

    const std::vector<Letta>& m_lette;
    const QHash<QString, int>& m_indici;
    const std::vector<bool>& m_raggiunta;
    std::vector<Stato> m_stato;
    QSet<std::size_t> m_ciclo;
};

// The tree laid out level by level from the top items: breadth first, siblings in position
// order (code on ties), with levels, ranks, parent and child indexes. Items below the depth
// limit are noted and not descended into; the items never met are not part of the tree.
struct Disposizione {
    std::vector<VoceStruttura> voci;
    std::vector<int> perLivello;
    std::vector<int> radici;
    std::vector<bool> raggiunta;
    QStringList troppoProfonde;
};

Disposizione disponi(const std::vector<Letta>& lette) {
    QHash<QString, std::vector<int>> figli;
    std::vector<int> radici;
    for (std::size_t index = 0; index < lette.size(); ++index) {
        const Letta& letta = lette[index];
        if (letta.primoLivello)
            radici.push_back(int(index));
        else if (!letta.padreVuoto && letta.padre != letta.voce)
            figli[letta.padre].push_back(int(index));
    }
    const auto ordina = [&](std::vector<int>& indici) {
        std::stable_sort(indici.begin(), indici.end(), [&](int left, int right) {
            const Letta& a = lette[std::size_t(left)];
            const Letta& b = lette[std::size_t(right)];
            const int byPosition = a.posizione.compare(b.posizione);
            return byPosition != 0 ? byPosition < 0 : a.voce < b.voce;
        });
    };
    Disposizione result;
    result.raggiunta.assign(lette.size(), false);
    // (index in lette, index of the parent in voci or -1, level)
    std::deque<std::tuple<int, int, int>> coda;
    ordina(radici);
    for (int radice : radici)
        coda.emplace_back(radice, -1, 1);
    while (!coda.empty()) {
        const auto [at, padre, livello] = coda.front();
        coda.pop_front();
        const Letta& letta = lette[std::size_t(at)];
        result.raggiunta[std::size_t(at)] = true;
        std::vector<int> propri = figli.value(letta.voce);
        ordina(propri);
        if (livello > LivelliCriterioMassimi) {
            // Too deep: named at the first level past the limit, its descendants only met.
            if (livello == LivelliCriterioMassimi + 1)
                result.troppoProfonde << letta.voce;
            for (int figlio : propri)
                coda.emplace_back(figlio, -1, livello + 1);
            continue;
        }
        VoceStruttura voce{letta.voce, padre < 0 ? QString() : letta.padre, letta.posizione};
        voce.indicePadre = padre;
        voce.livello = livello;
        const int posto = int(result.voci.size());
        std::vector<int>& fratelli =
            padre < 0 ? result.radici : result.voci[std::size_t(padre)].figli;
        fratelli.push_back(posto);
        voce.rango = int(fratelli.size());
        if (int(result.perLivello.size()) < livello)
            result.perLivello.push_back(0);
        ++result.perLivello[std::size_t(livello - 1)];
        result.voci.push_back(voce);
        for (int figlio : propri)
            coda.emplace_back(figlio, posto, livello + 1);
    }
    result.troppoProfonde.sort();
    return result;
}

QString sqlStruttura(const QString& criterio) {
    return QStringLiteral(" SELECT BU20_CODICE_BU19, BU20_CODPADRE_BU19, BU20_POSIZIONE, "
                          "BU19_CODICE ") +
           CRLF + QStringLiteral(" FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ") + CRLF +
           QStringLiteral(" LEFT OUTER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ") + CRLF +
           QStringLiteral(" ON     BU20_CODICE_BU19 = BU19_CODICE ") + CRLF +
           QStringLiteral(" WHERE  BU20_CODICE_BU51 = ") + sqlText(criterio) + CRLF;
}

} // namespace

QString CodiceVoce(const Variant& value) {
    if (value.isNullOrEmpty())
        return QString();
    QString code = value.toString();
    while (code.endsWith(QLatin1Char(' ')))
        code.chop(1);
    return code;
}

StrutturaCriterio::StrutturaCriterio(QString criterio, const std::vector<RigaStruttura>& righe)
    : m_criterio(std::move(criterio)) {
    Controllo controllo;
    std::vector<Letta> lette;
    QHash<QString, int> indici;
    QMap<QString, QStringList> doppie;
    for (const RigaStruttura& riga : righe) {
        const QString voce = CodiceVoce(riga.voce);
        const QString padre = CodiceVoce(riga.padre);
        if (voce.trimmed().isEmpty()) {
            controllo.aggiungi(
                QStringLiteral("una voce senza codice (padre %1, posizione %2)")
                    .arg(riga.padre.isNullOrEmpty() ? QStringLiteral("nessuno") : padre,
                         testoPosizione(riga.posizione)));
            continue;
        }
        if (indici.contains(voce)) {
            doppie[voce] << (riga.padre.isNullOrEmpty() ? QStringLiteral("il criterio") : padre);
            continue;
        }
        if (!riga.inAnagrafica)
            controllo.aggiungi(QStringLiteral("la voce %1 non esiste tra le voci dei criteri "
                                              "(BU19_VOCICRITELAB)")
                                   .arg(voce));
        indici.insert(voce, int(lette.size()));
        const bool primoLivello = riga.padre.isNullOrEmpty();
        lette.push_back({voce, padre, primoLivello, !primoLivello && padre.trimmed().isEmpty(),
                         riga.posizione});
    }
    for (auto it = doppie.cbegin(); it != doppie.cend(); ++it) {
        const Letta& prima = lette[std::size_t(indici.value(it.key()))];
        QStringList padri = it.value();
        padri << (prima.primoLivello ? QStringLiteral("il criterio") : prima.padre);
        padri.sort();
        controllo.aggiungi(QStringLiteral("la voce %1 compare %2 volte nel criterio (sotto %3)")
                               .arg(it.key())
                               .arg(padri.size())
                               .arg(padri.join(QStringLiteral(", "))));
    }

    Disposizione albero = disponi(lette);
    if (!albero.troppoProfonde.isEmpty())
        controllo.aggiungi(QStringLiteral("le voci %1 sono al livello %2, oltre i %3 livelli che "
                                          "l'elaborazione gestisce")
                               .arg(elenco(albero.troppoProfonde))
                               .arg(LivelliCriterioMassimi + 1)
                               .arg(LivelliCriterioMassimi));
    NonRaggiunte(lette, indici, albero.raggiunta).segnala(controllo);
    if (!controllo.vuoto())
        controllo.rifiuta(m_criterio);
    m_voci = std::move(albero.voci);
    m_perLivello = std::move(albero.perLivello);
    m_radici = std::move(albero.radici);
    for (std::size_t index = 0; index < m_voci.size(); ++index)
        m_indici.insert(m_voci[index].voce, int(index));
}

StrutturaCriterio StrutturaCriterio::leggi(Connection& connection, const QString& criterio) {
    const RecordsetPtr righe = connection.Execute(sqlStruttura(criterio));
    std::vector<RigaStruttura> lette;
    if (righe && righe->RecordCount() > 0) {
        for (righe->MoveFirst(); !righe->Eof(); righe->MoveNext())
            lette.push_back({righe->value(u"BU20_CODICE_BU19"), righe->value(u"BU20_CODPADRE_BU19"),
                             righe->value(u"BU20_POSIZIONE"),
                             !righe->value(u"BU19_CODICE").isNull()});
    }
    return StrutturaCriterio(criterio, lette);
}

} // namespace bdg
