#include "engine/elabora.h"

#include "compare/column_arrays.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sql_literal.h"
#include "engine/chiavi_nodi.h"
#include "engine/importi_query.h"
#include "engine/rst_criterio.h"
#include "engine/rst_periodi.h"
#include "engine/scrittura_riga.h"
#include "engine/struttura_criterio.h"
#include "engine/totali_criterio.h"
#include "engine/totali_periodi.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_catalogue.h"

#include <QDate>
#include <QSet>

#include <optional>
#include <stdexcept>

namespace bdg {
namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString MascheraBase = QStringLiteral("##,###,###,##0");

QString testo(const Variant& value) {
    return NVL(value, QString()).toString();
}

bool isBlank(const Variant& value) {
    return testo(value).trimmed().isEmpty();
}

QString mascheraConDecimali(int decimali) {
    if (decimali <= 0)
        return MascheraBase;
    return MascheraBase + QLatin1Char('.') + QString(decimali, QLatin1Char('0'));
}

std::optional<CurrencyData> datiValuta(FormState& state, const QString& codValuta) {
    if (state.Gcls_Global == nullptr || codValuta.isEmpty())
        return std::nullopt;
    return state.Gcls_Global->DatiValuta(codValuta);
}

// The level-1 query: the items without a parent.
QString queryLivello1(const QString& codCriterio) {
    return QStringLiteral("  SELECT * ") + CRLF +
           QStringLiteral("  FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ") + CRLF +
           QStringLiteral("  INNER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ") + CRLF +
           QStringLiteral("  ON     BU20_CODICE_BU19 = BU19_CODICE ") + CRLF +
           QStringLiteral("  WHERE  BU20_CODICE_BU51 = ") + sqlText(codCriterio) + CRLF +
           QStringLiteral("  AND    BU20_CODPADRE_BU19 IS NULL ") + CRLF;
}

// Codes per line of the list that selects the next level.
constexpr int CodiciPerRiga = 10;

// The next level: the items whose parent is among this level's codes. The codes are listed
// rather than this level's query nested as a sub-select: a nested query grows with every
// level, and the databases refuse it some ten levels down, while the list keeps each level's
// statement as small as its level.
QString queryLivelloSuccessivo(const QString& codCriterio, const QStringList& codici) {
    QStringList righe;
    for (int at = 0; at < codici.size(); at += CodiciPerRiga) {
        QStringList quoted;
        for (const QString& codice : codici.mid(at, CodiciPerRiga))
            quoted << sqlText(codice);
        righe << QStringLiteral("          ") + quoted.join(QStringLiteral(", "));
    }
    return QStringLiteral(" SELECT * ") + CRLF +
           QStringLiteral(" FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ") + CRLF +
           QStringLiteral(" INNER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ") + CRLF +
           QStringLiteral(" ON     BU20_CODICE_BU19 = BU19_CODICE ") + CRLF +
           QStringLiteral(" WHERE  BU20_CODICE_BU51 = ") + sqlText(codCriterio) + CRLF +
           QStringLiteral(" AND    BU20_CODPADRE_BU19 IN ") + CRLF + QStringLiteral("        ( ") +
           CRLF + righe.join(QStringLiteral(",") + CRLF) + QStringLiteral(" ") + CRLF +
           QStringLiteral("        ) ") + CRLF;
}

// Node keys already given in this run. A key is registered only once its row is saved, so a
// step that failed and runs again finds its key free.
class ChiaviNodi {
public:
    void verifica(std::int64_t key, const QString& nodo) const {
        if (m_keys.contains(key))
            throw KeyVoceError(QStringLiteral("La chiave %1 di %2 coincide con quella di un "
                                              "altro nodo")
                                   .arg(key)
                                   .arg(nodo)
                                   .toStdString());
    }
    void registra(std::int64_t key) { m_keys.insert(key); }
    void azzera() { m_keys.clear(); }

private:
    QSet<std::int64_t> m_keys;
};

QString strutturaCambiata(const QString& criterio) {
    return QStringLiteral("La struttura del criterio %1 è cambiata durante l'elaborazione: "
                          "ripetere l'elaborazione")
        .arg(criterio);
}

class Elaborazione {
public:
    explicit Elaborazione(FormState& state)
        : m_state(state), m_trap(state, QStringLiteral("BdgIntRic_Elabora")) {}

    EsitoElaborazione esegui();

private:
    bool abbandonata() const {
        return m_trap.left() || m_state.ProcedureAbbandonate != m_abbandonateAllInizio;
    }
    bool preparaConfronti();
    bool definisciTabelle();
    void aggiungiRadice();
    bool leggiStruttura();
    bool percorriLivelli();
    void aggiungiVoci(Recordset& livello, int nrLivello, QStringList& codici);
    void aggiungiVoce(const Recordset& livello, int nrLivello);
    const StrutturaCriterio& struttura() const;
    int indiceVoce(const Variant& voce) const;
    QString ordineImporti() const;
    bool pianificaConti(Recordset& importi);
    bool rinumeraVoci();
    void annotaNumerazione();
    bool aggiungiConti(Recordset& importi);
    bool aggiungiContiVoce(const Recordset& voce, Recordset& importi);
    void aggiungiConto(const Recordset& importi, int indice, std::int64_t ordinale);
    bool haImporti(const Recordset& importi) const;
    bool contieneImporti(const Recordset& importi) const;
    void impostaImportiNull(Recordset& rst) const;
    void messaggio(const QString& text) {
        if (m_state.Gcls_Global != nullptr)
            m_state.Gcls_Global->ShowMessage(text, 2, m_state.Caption);
    }

    FormState& m_state;
    ErrorTrap m_trap;
    int m_abbandonateAllInizio = m_state.ProcedureAbbandonate;
    QString m_codCriterio;
    ChiaviNodi m_chiavi;
    std::optional<StrutturaCriterio> m_struttura;
    std::optional<PianoChiavi> m_piano;
    bool m_numerazioneAnnotata = false;
    NatureConti m_nature;
    // The per-set field names, built once for every row of the run.
    mutable NomiCampiConfronto m_nomi;
};

bool Elaborazione::preparaConfronti() {
    return m_trap([&] {
        if (!m_state.RstConfronto)
            throw std::runtime_error("Nessun insieme di confronto definito");
        Recordset& confronto = *m_state.RstConfronto;
        confronto.clearFilter();
        confronto.setSort(QStringLiteral("CFR_SEQUENZA"));
        confronto.MoveFirst();
        m_state.AnnoElab =
            NVL(confronto.value(QStringLiteral("CFR_ANNO")), Variant(QDate::currentDate().year()));
        m_state.ProgEserElab = NVL(confronto.value(QStringLiteral("CFR_PROGESER")), Variant(0));
    });
}

bool Elaborazione::definisciTabelle() {
    m_state.RstCriterio = BdgIntRic_DefinisciRstCriterio(m_state);
    m_state.RstCriterioPeriodi = BdgIntRic_DefinisciRstCriterioPeriodi(m_state);
    m_state.RstPeriodi = BdgIntRic_DefinisciRstPeriodi(m_state);
    return m_state.RstCriterio && m_state.RstCriterioPeriodi && m_state.RstPeriodi;
}

void Elaborazione::impostaImportiNull(Recordset& rst) const {
    for (int set = 1; set <= m_state.NrConfronti; ++set) {
        rst.setValue(m_nomi.imp(set), Variant::null());
        if (set == 1)
            continue;
        rst.setValue(m_nomi.deltaImp(set), Variant::null());
        rst.setValue(m_nomi.deltaPerc(set), Variant::null());
    }
}

void Elaborazione::aggiungiRadice() {
    Recordset& rst = *m_state.RstCriterio;
    const QString criterio = m_state.Gcls_Global != nullptr
                                 ? m_state.Gcls_Global->GetMessageText(Msg::Criterio)
                                 : QString();
    m_chiavi.verifica(0, m_codCriterio);
    NuovaRiga riga(rst);
    rst.setValue(QStringLiteral("KEY_VOCE"), 0);
    rst.setValue(QStringLiteral("KEY_VOCEPADRE"), Variant::null());
    rst.setValue(QStringLiteral("VOCE"), m_codCriterio);
    rst.setValue(QStringLiteral("VOCEPADRE"), Variant::null());
    rst.setValue(QStringLiteral("VOCEDES"), m_codCriterio + QStringLiteral(" - ") + criterio);
    rst.setValue(QStringLiteral("POSIZIONE"), 0);
    rst.setValue(QStringLiteral("TIPOVOCE"), 4);
    rst.setValue(QStringLiteral("TIPORECORD"), QStringLiteral("K"));
    rst.setValue(QStringLiteral("CRI_LIVELLO"), 0);
    impostaImportiNull(rst);
    riga.salva();
    m_chiavi.registra(0);
}

// The whole structure, checked before the walk, and the item keys planned from it.
bool Elaborazione::leggiStruttura() {
    return m_trap([&] {
        if (m_state.connection == nullptr)
            throw std::runtime_error("connessione al database dell'azienda non aperta");
        m_piano.reset();
        m_struttura.emplace(StrutturaCriterio::leggi(*m_state.connection, m_codCriterio));
        m_piano.emplace(*m_struttura);
    });
}

const StrutturaCriterio& Elaborazione::struttura() const {
    if (!m_struttura || !m_piano)
        throw std::runtime_error(
            QStringLiteral("struttura del criterio %1 non letta").arg(m_codCriterio).toStdString());
    return *m_struttura;
}

// The index of an item row's code in the structure read at the start; a code the structure
// does not hold means the structure changed during the run.
int Elaborazione::indiceVoce(const Variant& voce) const {
    const int indice = struttura().indice(CodiceVoce(voce));
    if (indice < 0)
        throw StrutturaCriterioError(strutturaCambiata(m_codCriterio).toStdString());
    return indice;
}

void Elaborazione::aggiungiVoce(const Recordset& livello, int nrLivello) {
    const int indice = indiceVoce(livello.value(QStringLiteral("BU20_CODICE_BU19")));
    const VoceStruttura& item = struttura().voci()[std::size_t(indice)];
    if (item.livello != nrLivello)
        throw StrutturaCriterioError(strutturaCambiata(m_codCriterio).toStdString());
    const QString& voce = item.voce;
    const std::int64_t key = m_piano->chiaveVoce(indice);
    const std::int64_t keyPadre = item.indicePadre < 0 ? 0 : m_piano->chiaveVoce(item.indicePadre);
    m_chiavi.verifica(key, QStringLiteral("la voce %1").arg(voce));
    Recordset& rst = *m_state.RstCriterio;
    NuovaRiga riga(rst);
    rst.setValue(QStringLiteral("KEY_VOCE"), Variant(key));
    rst.setValue(QStringLiteral("KEY_VOCEPADRE"), Variant(keyPadre));
    rst.setValue(QStringLiteral("VOCEPADRE"),
                 item.indicePadre < 0 ? QStringLiteral("0") : item.padre);
    rst.setValue(QStringLiteral("VOCE"), voce);
    rst.setValue(QStringLiteral("VOCEDES"), livello.value(QStringLiteral("BU19_DESCR")));
    rst.setValue(QStringLiteral("CRI_LIVELLO"), nrLivello);
    rst.setValue(QStringLiteral("POSIZIONE"), livello.value(QStringLiteral("BU20_POSIZIONE")));
    rst.setValue(QStringLiteral("TIPOVOCE"), livello.value(QStringLiteral("BU19_INDTIPOVOCE")));
    rst.setValue(QStringLiteral("TIPORECORD"), QStringLiteral("V"));
    impostaImportiNull(rst);
    riga.salva();
    m_chiavi.registra(key);
    m_state.LivelloMax = nrLivello;
}

// Each item row is one step; the codes of the level, added or not, select the next level.
void Elaborazione::aggiungiVoci(Recordset& livello, int nrLivello, QStringList& codici) {
    for (livello.MoveFirst(); !livello.Eof(); livello.MoveNext()) {
        codici << CodiceVoce(livello.value(QStringLiteral("BU20_CODICE_BU19")));
        if (!m_trap([&] { aggiungiVoce(livello, nrLivello); }))
            return;
    }
}

// One query per level, as many as the structure has levels: the structure read up front is
// a tree of at most LivelliCriterioMassimi levels, and a level the walk meets beyond it means
// the structure changed meanwhile.
bool Elaborazione::percorriLivelli() {
    QString query = queryLivello1(m_codCriterio);
    for (int nrLivello = 1;; ++nrLivello) {
        RecordsetPtr livello;
        if (!m_trap([&] {
                if (nrLivello > struttura().livelli() + 1)
                    throw StrutturaCriterioError(strutturaCambiata(m_codCriterio).toStdString());
                livello = m_state.connection->Execute(query);
                // Position ties are broken by code, so that the order does not depend on the
                // database.
                if (livello && livello->RecordCount() > 0)
                    livello->setSort(
                        QStringLiteral("BU20_CODPADRE_BU19, BU20_POSIZIONE, BU20_CODICE_BU19"));
            }))
            return false;
        if (!livello || livello->RecordCount() == 0)
            return m_trap([&] {
                if (nrLivello != struttura().livelli() + 1)
                    throw StrutturaCriterioError(strutturaCambiata(m_codCriterio).toStdString());
            });
        QStringList codici;
        aggiungiVoci(*livello, nrLivello, codici);
        if (m_trap.left())
            return false;
        query = queryLivelloSuccessivo(m_codCriterio, codici);
    }
}

bool Elaborazione::haImporti(const Recordset& importi) const {
    if (!m_state.ChkNascondiNull)
        return true;
    for (int set = 1; set <= m_state.NrConfronti; ++set) {
        if (!importi.value(m_nomi.imp(set)).isNull())
            return true;
    }
    return false;
}

// A selection for which no set has any amount is a criterion without figures, whatever the
// mapped accounts.
bool Elaborazione::contieneImporti(const Recordset& importi) const {
    Recordset righe = importi.Clone();
    for (righe.MoveFirst(); !righe.Eof(); righe.MoveNext()) {
        for (int set = 1; set <= m_state.NrConfronti; ++set) {
            if (!righe.value(m_nomi.imp(set)).isNullOrEmpty())
                return true;
        }
    }
    return false;
}

void Elaborazione::aggiungiConto(const Recordset& importi, int indice, std::int64_t ordinale) {
    const QString codVoce = struttura().voci()[std::size_t(indice)].voce;
    const std::int64_t keyVoce = m_piano->chiaveVoce(indice);
    const QString conto = importi.value(QStringLiteral("CONTO")).toString();
    const std::int64_t key = m_piano->chiaveConto(indice, ordinale);
    m_chiavi.verifica(key, QStringLiteral("il conto %1 della voce %2").arg(conto, codVoce));
    Recordset& rst = *m_state.RstCriterio;
    NuovaRiga riga(rst);
    rst.setValue(QStringLiteral("KEY_VOCE"), Variant(key));
    rst.setValue(QStringLiteral("KEY_VOCEPADRE"), Variant(keyVoce));
    rst.setValue(QStringLiteral("VOCE"), conto);
    rst.setValue(QStringLiteral("VOCEPADRE"), codVoce);
    rst.setValue(QStringLiteral("VOCEDES"), importi.value(QStringLiteral("CONTO_DES")));
    rst.setValue(QStringLiteral("POSIZIONE"), Variant(ordinale));
    rst.setValue(QStringLiteral("TIPOVOCE"), 5);
    rst.setValue(QStringLiteral("TIPORECORD"), QStringLiteral("C"));
    rst.setValue(QStringLiteral("CRI_LIVELLO"), Variant::null());
    impostaImportiNull(rst);
    for (int set = 1; set <= m_state.NrConfronti; ++set)
        rst.setValue(m_nomi.imp(set), importi.value(m_nomi.imp(set)));
    riga.salva();
    m_chiavi.registra(key);
    m_nature.imposta(key, importi.value(QStringLiteral("NATURA")));
}

// Each account row is one step. The ordinal counts the rows saved, so an account the user
// chose to skip leaves no gap in the keys.
bool Elaborazione::aggiungiContiVoce(const Recordset& voce, Recordset& importi) {
    const QString codVoce = testo(voce.value(QStringLiteral("VOCE")));
    int indice = -1;
    if (!m_trap([&] {
            indice = indiceVoce(voce.value(QStringLiteral("VOCE")));
            importi.clearFilter();
            importi.setFilter(QStringLiteral("VOCE = ") + FiltroTesto(codVoce));
        }))
        return false;
    std::int64_t ordinale = 0;
    return VisitaRighe(m_trap, importi, [&] {
        if (!haImporti(importi))
            return;
        aggiungiConto(importi, indice, ordinale + 1);
        ++ordinale;
    });
}

// The amounts statement has no ORDER BY, and each database returns its rows in its own
// order; account ordinals, and so the account keys, must not depend on the engine. The rows
// of an account whose headers have both natures follow in ascending nature.
QString Elaborazione::ordineImporti() const {
    return QStringLiteral("VOCE, PDC, CONTO, NATURA");
}

// The accounts each item will show, and the keys planned again with them: when the items'
// positions cannot number them, the item rows already written get their new keys.
bool Elaborazione::pianificaConti(Recordset& importi) {
    bool cambiate = false;
    if (!m_trap([&] {
            std::vector<std::int64_t> conti(struttura().voci().size(), 0);
            Recordset righe = importi.Clone();
            for (righe.MoveFirst(); !righe.Eof(); righe.MoveNext()) {
                const int indice = struttura().indice(CodiceVoce(righe.value(u"VOCE")));
                if (indice >= 0 && haImporti(righe))
                    ++conti[std::size_t(indice)];
            }
            cambiate = m_piano->impostaConti(conti);
        }))
        return false;
    annotaNumerazione();
    return !cambiate || rinumeraVoci();
}

bool Elaborazione::rinumeraVoci() {
    Recordset voci = m_state.RstCriterio->Clone();
    if (!m_trap([&] {
            voci.setFilter(QStringLiteral(" TIPORECORD = 'V' "));
            m_chiavi.azzera();
            m_chiavi.registra(0);
        }))
        return false;
    return VisitaRighe(m_trap, voci, [&] {
        const int indice = indiceVoce(voci.value(u"VOCE"));
        const VoceStruttura& item = struttura().voci()[std::size_t(indice)];
        const std::int64_t key = m_piano->chiaveVoce(indice);
        m_chiavi.verifica(key, QStringLiteral("la voce %1").arg(item.voce));
        ModificaRiga modifica;
        modifica.imposta(QStringLiteral("KEY_VOCE"), Variant(key));
        modifica.imposta(QStringLiteral("KEY_VOCEPADRE"),
                         Variant(item.indicePadre < 0 ? 0 : m_piano->chiaveVoce(item.indicePadre)));
        modifica.scrivi(voci);
        m_chiavi.registra(key);
    });
}

// Once per run, when the keys are not the items' own positions.
void Elaborazione::annotaNumerazione() {
    if (m_numerazioneAnnotata || !m_piano || m_piano->schema() == SchemaChiavi::Posizioni ||
        m_state.Gcls_Log == nullptr)
        return;
    m_numerazioneAnnotata = true;
    m_state.Gcls_Log->LogInfo(m_piano->descrizione() + QStringLiteral(", perché ") +
                                  m_piano->motivo(),
                              QStringLiteral("BdgIntRic_Elabora"));
}

// The clone walks every row of the table, including the account rows added behind it, which
// it skips as they are not items.
bool Elaborazione::aggiungiConti(Recordset& importi) {
    if (!m_trap([&] { importi.setSort(ordineImporti()); }) || !pianificaConti(importi))
        return false;
    Recordset voci = m_state.RstCriterio->Clone();
    for (voci.MoveFirst(); !voci.Eof(); voci.MoveNext()) {
        if (isBlank(voci.value(QStringLiteral("VOCE"))) ||
            testo(voci.value(QStringLiteral("TIPORECORD"))) != QLatin1String("V"))
            continue;
        if (!aggiungiContiVoce(voci, importi))
            return false;
    }
    return true;
}

EsitoElaborazione Elaborazione::esegui() {
    m_codCriterio = testo(m_state.CodCriterio);
    m_state.LivelloMax = Variant();
    // The previous result goes first: whatever stops this run, no figure of the previous
    // parameters stays behind to be taken for the new ones.
    m_state.RstCriterio.reset();
    m_state.RstCriterioPeriodi.reset();
    m_state.RstPeriodi.reset();
    if (!preparaConfronti() || !definisciTabelle() || abbandonata())
        return EsitoElaborazione::Interrotta;
    if (!m_trap([&] { aggiungiRadice(); }) || !leggiStruttura() || !percorriLivelli() ||
        abbandonata())
        return EsitoElaborazione::Interrotta;

    // No amount row and an amounts query left after its error look the same to the user.
    RecordsetPtr importi = BdgIntRic_GetRstImportiPerConto(m_state, *m_state.RstConfronto);
    if (!importi || !contieneImporti(*importi)) {
        annotaNumerazione();
        messaggio(QStringLiteral("Criterio non valorizzato"));
        return EsitoElaborazione::CriterioNonValorizzato;
    }
    if (importi->RecordCount() == 0) {
        messaggio(QStringLiteral("Non ci sono dati da elaborare"));
        return EsitoElaborazione::NessunDato;
    }
    if (!aggiungiConti(*importi) || abbandonata())
        return EsitoElaborazione::Interrotta;

    BdgIntRic_RstCriterio_CalcolaTotali(m_state, m_state.RstCriterio, m_state.RstConfronto,
                                        m_state.LivelloMax, m_state.Caption);
    if (abbandonata())
        return EsitoElaborazione::Interrotta;
    BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio(m_state);
    RecordsetPtr importiPeriodo =
        BdgIntRic_GetRstImportiPerContoPeriodo(m_state, *m_state.RstConfronto);
    if (abbandonata())
        return EsitoElaborazione::Interrotta;
    // No amount in any period (a selection without budget rows) leaves nothing to post:
    // the period table keeps its Null amounts instead of reporting a missing table.
    if (importiPeriodo)
        BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(m_state, importiPeriodo, &m_nature);
    BdgIntRic_RstCriterioPeriodi_CalcolaTotali(m_state, m_state.RstCriterioPeriodi,
                                               m_state.RstConfronto, m_state.LivelloMax);
    PopolaArrayCaptionColonne(m_state);
    if (abbandonata())
        return EsitoElaborazione::Interrotta;
    if (!m_trap([&] {
            m_state.RstCriterio->clearFilter();
            m_state.RstCriterio->setSort(QStringLiteral("KEY_VOCE"));
        }))
        return EsitoElaborazione::Interrotta;
    return EsitoElaborazione::Completata;
}

} // namespace

void ImpostaValutaEFormato(FormState& state, const ValutaElaborazione& valuta) {
    const QString codValuta = testo(valuta.TXT_VALUTA).trimmed();
    state.CodValutaElab = codValuta;
    state.IsConversioneValuta = false;
    state.FattoreCambio.clear();
    if (!codValuta.isEmpty() && codValuta != testo(state.CodValutaGestione).trimmed()) {
        state.IsConversioneValuta = true;
        state.FattoreCambio =
            (state.IsCambioDivisore ? QStringLiteral(" / ") : QStringLiteral(" * ")) +
            testo(valuta.TXT_CAMBIO).replace(QLatin1Char(','), QLatin1Char('.'));
    }

    if (codValuta.isEmpty()) {
        // Null decimals of the management currency give scale 2 but a mask without decimals.
        const int decimaliGestione =
            NVL(state.NrDecimaliGestione, Variant(0)).toInt32().value_or(0);
        const auto dati = datiValuta(state, testo(state.CodValutaGestione).trimmed());
        const Variant maschera = dati ? dati->Formato : Variant::null();
        state.FormatoImportiGestione =
            !isBlank(maschera) ? testo(maschera) : mascheraConDecimali(decimaliGestione);
        state.NrDecimali =
            std::int16_t(NVL(state.NrDecimaliGestione, Variant(2)).toInt32().value_or(2));
        state.FormatoImporti = state.FormatoImportiGestione;
        return;
    }

    const auto dati = datiValuta(state, codValuta);
    const int decimali = dati ? NVL(dati->NrDecimali, Variant(0)).toInt32().value_or(0) : 0;
    if (decimali > 0)
        state.NrDecimali = std::int16_t(decimali);
    const Variant maschera = dati ? dati->Formato : Variant::null();
    state.FormatoImportiValuta =
        !isBlank(maschera) ? testo(maschera) : mascheraConDecimali(decimali);
    state.FormatoImporti = state.FormatoImportiValuta;
}

EsitoElaborazione BdgIntRic_Elabora(FormState& state) {
    return Elaborazione(state).esegui();
}

} // namespace bdg
