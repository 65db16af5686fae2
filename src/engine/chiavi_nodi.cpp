#include "engine/chiavi_nodi.h"

#include "engine/rst_criterio.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <optional>

namespace bdg {

namespace {

constexpr std::int64_t FattoreContiBase = 500;
constexpr std::int64_t ChiaveMassima = std::numeric_limits<std::int64_t>::max();

// The smallest multiple of `step` strictly above `value`.
std::int64_t multiploSopra(std::int64_t value, std::int64_t step) {
    return (std::max<std::int64_t>(value, 0) / step + 1) * step;
}

// a * b + c, or nothing when it leaves the 64-bit range.
std::optional<std::int64_t> componi(std::int64_t a, std::int64_t b, std::int64_t c) {
    std::int64_t result = 0;
    if (__builtin_mul_overflow(a, b, &result) || __builtin_add_overflow(result, c, &result))
        return std::nullopt;
    return result;
}

QString numero(std::int64_t value) {
    return QLocale(QLocale::Italian).toString(qlonglong(value));
}

QString limiteSuperato(const QString& voce) {
    return QStringLiteral("la chiave della voce %1 supererebbe %2, il massimo delle chiavi")
        .arg(voce, numero(ChiaveMassima));
}

struct Numerazione {
    std::vector<std::int64_t> moltiplicatori; // by level, from level 1 (whose entry is unused)
    std::vector<std::int64_t> chiavi;         // by item index
    std::vector<std::int64_t> fattori;        // account factor by item index
};

// One numbering of the tree; what went wrong in `motivo` when it cannot be built.
class Numeratore {
public:
    Numeratore(const StrutturaCriterio& struttura, const std::vector<std::int64_t>& conti)
        : m_struttura(struttura), m_conti(conti) {}

    std::optional<Numerazione> numera(SchemaChiavi schema, QString& motivo) const {
        Numerazione numerazione;
        numerazione.moltiplicatori = moltiplicatori(schema);
        if (!chiaviVoci(schema, numerazione, motivo) || !fattoriConti(schema, numerazione, motivo))
            return std::nullopt;
        motivo = difetto(numerazione);
        if (!motivo.isEmpty())
            return std::nullopt;
        return numerazione;
    }

private:
    const VoceStruttura& voce(int indice) const { return m_struttura.voci()[std::size_t(indice)]; }
    std::int64_t conti(std::size_t indice) const {
        return indice < m_conti.size() ? m_conti[indice] : 0;
    }

    std::vector<std::int64_t> moltiplicatori(SchemaChiavi schema) const {
        const int livelli = m_struttura.livelli();
        std::vector<std::int64_t> result(std::size_t(livelli), 1);
        if (schema == SchemaChiavi::Posizioni) {
            for (int livello = 2; livello <= livelli; ++livello)
                result[std::size_t(livello - 1)] =
                    GetNrVociPerLivello(Variant(m_struttura.vociLivello(livello)));
            return result;
        }
        // Above the top items' count too, so that every level's keys lie above the keys of
        // the level before.
        const std::int64_t base = livelli > 0 ? multiploSopra(m_struttura.vociLivello(1), 10) : 10;
        for (const VoceStruttura& item : m_struttura.voci()) {
            std::int64_t& multiplier = result[std::size_t(item.livello - 1)];
            multiplier = std::max({multiplier, base, multiploSopra(item.rango, 10)});
        }
        return result;
    }

    bool chiaviVoci(SchemaChiavi schema, Numerazione& numerazione, QString& motivo) const {
        for (const VoceStruttura& item : m_struttura.voci()) {
            std::int64_t cifra = item.rango;
            if (schema == SchemaChiavi::Posizioni) {
                const std::optional<std::int64_t> posizione = item.posizione.toInt64();
                if (!posizione) {
                    motivo =
                        QStringLiteral("la posizione '%1' della voce %2 non è un numero intero")
                            .arg(item.posizione.toString(), item.voce);
                    return false;
                }
                cifra = *posizione;
            }
            const std::int64_t padre =
                item.indicePadre < 0 ? 0 : numerazione.chiavi[std::size_t(item.indicePadre)];
            const auto chiave =
                componi(padre, numerazione.moltiplicatori[std::size_t(item.livello - 1)], cifra);
            if (!chiave) {
                motivo = limiteSuperato(item.voce);
                return false;
            }
            numerazione.chiavi.push_back(*chiave);
        }
        return true;
    }

    bool fattoriConti(SchemaChiavi schema, Numerazione& numerazione, QString& motivo) const {
        std::int64_t fattore = FattoreContiBase;
        if (schema != SchemaChiavi::Posizioni) {
            std::int64_t needed = numerazione.moltiplicatori.empty()
                                      ? 0
                                      : multiploSopra(m_struttura.vociLivello(1), 10) - 1;
            for (std::size_t indice = 0; indice < m_struttura.voci().size(); ++indice)
                needed = std::max(needed, conti(indice));
            fattore = multiploSopra(needed, FattoreContiBase);
        }
        for (const VoceStruttura& item : m_struttura.voci()) {
            std::optional<std::int64_t> proprio = fattore;
            // Accounts after every item: the factor grows by the levels below the item.
            for (int livello = item.livello + 1; schema == SchemaChiavi::RanghiContiDopoVoci &&
                                                 livello <= m_struttura.livelli() && proprio;
                 ++livello)
                proprio =
                    componi(*proprio, numerazione.moltiplicatori[std::size_t(livello - 1)], 0);
            if (!proprio) {
                motivo = limiteSuperato(item.voce);
                return false;
            }
            numerazione.fattori.push_back(*proprio);
        }
        return true;
    }

    // What breaks the numbering, empty when nothing does: a key not above its parent's,
    // siblings out of position order, more accounts than the factor holds, accounts before
    // a child item, two nodes on one key.
    QString difetto(const Numerazione& numerazione) const {
        struct Tratto {
            std::int64_t da, a;
            QString nodo;
        };
        std::vector<Tratto> tratti;
        for (std::size_t indice = 0; indice < m_struttura.voci().size(); ++indice) {
            const VoceStruttura& item = m_struttura.voci()[indice];
            const std::int64_t chiave = numerazione.chiavi[indice];
            const std::int64_t padre =
                item.indicePadre < 0 ? 0 : numerazione.chiavi[std::size_t(item.indicePadre)];
            if (chiave <= padre)
                return QStringLiteral("la voce %1 con la posizione %2 avrebbe una chiave non "
                                      "superiore a quella del padre")
                    .arg(item.voce, item.posizione.toString());
            if (item.rango > 1) {
                const int prima = item.indicePadre < 0
                                      ? m_struttura.radici()[std::size_t(item.rango - 2)]
                                      : voce(item.indicePadre).figli[std::size_t(item.rango - 2)];
                if (numerazione.chiavi[std::size_t(prima)] >= chiave)
                    return QStringLiteral("la voce %1 precederebbe la voce %2, che ha una "
                                          "posizione minore")
                        .arg(item.voce, voce(prima).voce);
            }
            tratti.push_back({chiave, chiave, QStringLiteral("la voce %1").arg(item.voce)});
            const std::int64_t quanti = conti(indice);
            if (quanti == 0)
                continue;
            const std::int64_t fattore = numerazione.fattori[indice];
            if (quanti >= fattore)
                return QStringLiteral("la voce %1 ha %2 conti, oltre i %3 che la chiave ammette")
                    .arg(item.voce, numero(quanti), numero(fattore - 1));
            const auto primo = componi(chiave, fattore, 1);
            const auto ultimo = componi(chiave, fattore, quanti);
            if (!primo || !ultimo)
                return limiteSuperato(item.voce);
            if (!item.figli.empty() && numerazione.chiavi[std::size_t(item.figli.back())] >= *primo)
                return QStringLiteral("i conti della voce %1 precederebbero le sue voci figlie")
                    .arg(item.voce);
            tratti.push_back(
                {*primo, *ultimo, QStringLiteral("i conti della voce %1").arg(item.voce)});
        }
        std::sort(tratti.begin(), tratti.end(),
                  [](const Tratto& a, const Tratto& b) { return a.da < b.da; });
        for (std::size_t at = 1; at < tratti.size(); ++at) {
            if (tratti[at].da <= tratti[at - 1].a)
                return QStringLiteral("%1 e %2 avrebbero la stessa chiave %3")
                    .arg(tratti[at - 1].nodo, tratti[at].nodo, numero(tratti[at].da));
        }
        return QString();
    }

    const StrutturaCriterio& m_struttura;
    const std::vector<std::int64_t>& m_conti;
};

} // namespace

PianoChiavi::PianoChiavi(const StrutturaCriterio& struttura) : m_struttura(struttura) {
    scegli();
}

bool PianoChiavi::impostaConti(const std::vector<std::int64_t>& contiPerVoce) {
    const std::vector<std::int64_t> prima = m_chiavi;
    m_conti = contiPerVoce;
    scegli();
    return m_chiavi != prima;
}

// The first numbering that holds, in order: positions, ranks, ranks with the accounts after
// every item. The last one is unique by construction and fails only past the key range.
void PianoChiavi::scegli() {
    const Numeratore numeratore(m_struttura, m_conti);
    QString motivo;
    for (SchemaChiavi schema :
         {SchemaChiavi::Posizioni, SchemaChiavi::Ranghi, SchemaChiavi::RanghiContiDopoVoci}) {
        QString difetto;
        std::optional<Numerazione> numerazione = numeratore.numera(schema, difetto);
        if (schema == SchemaChiavi::Posizioni)
            motivo = difetto;
        if (!numerazione)
            continue;
        m_schema = schema;
        m_motivo = motivo;
        m_moltiplicatori = std::move(numerazione->moltiplicatori);
        m_chiavi = std::move(numerazione->chiavi);
        m_fattori = std::move(numerazione->fattori);
        return;
    }
    throw KeyVoceError(QStringLiteral("Il criterio %1 ha troppi livelli e troppe voci per livello "
                                      "per numerarne i nodi: %2.")
                           .arg(m_struttura.criterio(), motivo)
                           .toStdString());
}

std::int64_t PianoChiavi::chiaveConto(int indice, std::int64_t ordinale) const {
    const std::int64_t fattore = m_fattori.at(std::size_t(indice));
    const auto chiave = componi(chiaveVoce(indice), fattore, ordinale);
    if (ordinale < 1 || ordinale >= fattore || !chiave)
        throw KeyVoceError(QStringLiteral("Il conto numero %1 della voce %2 non ha una chiave: "
                                          "la voce ne ammette %3.")
                               .arg(numero(ordinale), m_struttura.voci()[std::size_t(indice)].voce,
                                    numero(fattore - 1))
                               .toStdString());
    return *chiave;
}

QString PianoChiavi::descrizione() const {
    QStringList multipliers;
    for (std::size_t livello = 1; livello < m_moltiplicatori.size(); ++livello)
        multipliers << numero(m_moltiplicatori[livello]);
    const QString fattore = m_fattori.empty()
                                ? numero(FattoreContiBase)
                                : numero(*std::min_element(m_fattori.begin(), m_fattori.end()));
    const QString schema =
        m_schema == SchemaChiavi::Posizioni ? QStringLiteral("per posizione")
        : m_schema == SchemaChiavi::Ranghi
            ? QStringLiteral("per ordine tra le voci sorelle")
            : QStringLiteral("per ordine tra le voci sorelle, conti dopo le voci");
    return QStringLiteral("nodi del criterio %1 numerati %2; moltiplicatori dal livello 2: %3; "
                          "fattore dei conti: %4")
        .arg(m_struttura.criterio(), schema,
             multipliers.isEmpty() ? QStringLiteral("nessuno")
                                   : multipliers.join(QStringLiteral(", ")),
             fattore);
}

} // namespace bdg
