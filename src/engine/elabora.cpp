#include "engine/elabora.h"

#include "compare/column_arrays.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sql_literal.h"
#include "engine/importi_query.h"
#include "engine/rst_criterio.h"
#include "engine/rst_periodi.h"
#include "engine/totali_criterio.h"
#include "engine/totali_periodi.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"

#include <QDate>
#include <QSet>

#include <limits>
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

// The level-1 query and the template that nests the previous level's query.
QString queryLivello1(const QString& codCriterio) {
    return QStringLiteral("  SELECT * ") + CRLF +
           QStringLiteral("  FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ") + CRLF +
           QStringLiteral("  INNER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ") + CRLF +
           QStringLiteral("  ON     BU20_CODICE_BU19 = BU19_CODICE ") + CRLF +
           QStringLiteral("  WHERE  BU20_CODICE_BU51 = ") + sqlText(codCriterio) + CRLF +
           QStringLiteral("  AND    BU20_CODPADRE_BU19 IS NULL ") + CRLF;
}

QString templateLivelloAnnidato(const QString& codCriterio) {
    return QStringLiteral(" SELECT * ") + CRLF +
           QStringLiteral(" FROM   BU20_STRUTTURACRIT      WITH(NOLOCK)    ") + CRLF +
           QStringLiteral(" INNER JOIN BU19_VOCICRITELAB   WITH(NOLOCK)    ") + CRLF +
           QStringLiteral(" ON     BU20_CODICE_BU19 = BU19_CODICE ") + CRLF +
           QStringLiteral(" WHERE  BU20_CODICE_BU51 = ") + sqlText(codCriterio) + CRLF +
           QStringLiteral(" AND    BU20_CODPADRE_BU19 IN ") + CRLF + QStringLiteral("        ( ") +
           CRLF + QStringLiteral("          %1 ") + CRLF + QStringLiteral("        ) ") + CRLF;
}

// The next level selects the items whose parent is among this level's codes: this level's
// query becomes a sub-select of codes. Only the select list's star is replaced, so a star
// inside a criterion code stays part of the code.
QString queryLivelloSuccessivo(const QString& templateAnnidato, const QString& queryCorrente) {
    QString subSelect = queryCorrente;
    subSelect.replace(QStringLiteral("SELECT * "), QStringLiteral("SELECT BU20_CODICE_BU19 "));
    QString next = templateAnnidato;
    return next.replace(QStringLiteral("%1"), subSelect);
}

// Node keys already given in this run, to refuse a key that would land on another node.
class ChiaviNodi {
public:
    void registra(std::int32_t key, const QString& voce) {
        if (m_keys.contains(key))
            throw KeyVoceError(
                QStringLiteral("La chiave %1 della voce %2 coincide con quella di un altro nodo: "
                               "posizioni o numero di conti oltre i limiti del criterio")
                    .arg(key)
                    .arg(voce)
                    .toStdString());
        m_keys.insert(key);
    }

private:
    QSet<std::int32_t> m_keys;
};

// A row started with AddNew that an error interrupts is dropped, never left half-written.
class NuovaRiga {
public:
    explicit NuovaRiga(Recordset& rst) : m_rst(rst) { m_rst.AddNew(); }
    ~NuovaRiga() {
        if (m_salvata)
            return;
        try {
            m_rst.CancelUpdate();
        } catch (...) {
            // the row was never part of the table: nothing is left to undo
        }
    }
    NuovaRiga(const NuovaRiga&) = delete;
    NuovaRiga& operator=(const NuovaRiga&) = delete;
    void salva() {
        m_rst.Update();
        m_salvata = true;
    }

private:
    Recordset& m_rst;
    bool m_salvata = false;
};

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
    bool percorriLivelli();
    void aggiungiVoci(Recordset& livello, int nrLivello, std::int32_t moltiplicatore);
    void aggiungiVoce(const Recordset& livello, Recordset& padri, int nrLivello,
                      std::int32_t moltiplicatore);
    QString ordineImporti() const;
    bool aggiungiConti(Recordset& importi);
    void aggiungiContiVoce(const Recordset& voce, Recordset& importi);
    bool haImporti(const Recordset& importi) const;
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
        rst.setValue(FieldImp(set), Variant::null());
        if (set == 1)
            continue;
        rst.setValue(FieldDeltaImp(set), Variant::null());
        rst.setValue(FieldDeltaPerc(set), Variant::null());
    }
}

void Elaborazione::aggiungiRadice() {
    Recordset& rst = *m_state.RstCriterio;
    const QString criterio = m_state.Gcls_Global != nullptr
                                 ? m_state.Gcls_Global->GetMessageText(Msg::Criterio)
                                 : QString();
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
    m_chiavi.registra(0, m_codCriterio);
}

void Elaborazione::aggiungiVoce(const Recordset& livello, Recordset& padri, int nrLivello,
                                std::int32_t moltiplicatore) {
    const QString voce = testo(livello.value(QStringLiteral("BU20_CODICE_BU19")));
    const Variant padre = livello.value(QStringLiteral("BU20_CODPADRE_BU19"));
    const Variant posizione = livello.value(QStringLiteral("BU20_POSIZIONE"));
    const std::int64_t pos = posizione.toInt64().value_or(0);
    Recordset& rst = *m_state.RstCriterio;
    NuovaRiga riga(rst);
    if (isBlank(padre)) {
        const auto key = KeyVoceItem(0, std::numeric_limits<std::int32_t>::max(), pos, voce);
        rst.setValue(QStringLiteral("KEY_VOCE"), key);
        rst.setValue(QStringLiteral("KEY_VOCEPADRE"), 0);
        rst.setValue(QStringLiteral("VOCEPADRE"), QStringLiteral("0"));
        m_chiavi.registra(key, voce);
    } else {
        padri.setFilter(QStringLiteral("VOCE = ") + FiltroTesto(testo(padre)));
        rst.setValue(QStringLiteral("VOCEPADRE"), testo(padre));
        if (padri.RecordCount() > 0) {
            padri.MoveFirst();
            const std::int64_t keyPadre =
                NVL(padri.value(QStringLiteral("KEY_VOCE")), Variant(0)).toInt64().value_or(0);
            const auto key = KeyVoceItem(keyPadre, moltiplicatore, pos, voce);
            rst.setValue(QStringLiteral("KEY_VOCE"), key);
            rst.setValue(QStringLiteral("KEY_VOCEPADRE"), Variant(std::int64_t(keyPadre)));
            m_chiavi.registra(key, voce);
        }
    }
    rst.setValue(QStringLiteral("VOCE"), voce);
    rst.setValue(QStringLiteral("VOCEDES"), livello.value(QStringLiteral("BU19_DESCR")));
    rst.setValue(QStringLiteral("CRI_LIVELLO"), nrLivello);
    rst.setValue(QStringLiteral("POSIZIONE"), posizione);
    rst.setValue(QStringLiteral("TIPOVOCE"), livello.value(QStringLiteral("BU19_INDTIPOVOCE")));
    rst.setValue(QStringLiteral("TIPORECORD"), QStringLiteral("V"));
    impostaImportiNull(rst);
    riga.salva();
    m_state.LivelloMax = nrLivello;
}

void Elaborazione::aggiungiVoci(Recordset& livello, int nrLivello, std::int32_t moltiplicatore) {
    Recordset padri = m_state.RstCriterio->Clone();
    livello.setSort(QStringLiteral("BU20_CODPADRE_BU19, BU20_POSIZIONE"));
    for (livello.MoveFirst(); !livello.Eof(); livello.MoveNext()) {
        if (!m_trap([&] { aggiungiVoce(livello, padri, nrLivello, moltiplicatore); }))
            return;
    }
}

bool Elaborazione::percorriLivelli() {
    const QString annidato = templateLivelloAnnidato(m_codCriterio);
    QString query = queryLivello1(m_codCriterio);
    for (int nrLivello = 1;; ++nrLivello) {
        RecordsetPtr livello;
        if (!m_trap([&] {
                if (nrLivello > LivelliCriterioMassimi)
                    throw std::runtime_error(
                        QStringLiteral("La struttura del criterio %1 supera %2 livelli: una "
                                       "voce risulta antenata di se stessa")
                            .arg(m_codCriterio)
                            .arg(LivelliCriterioMassimi)
                            .toStdString());
                livello = m_state.connection->Execute(query);
            }))
            return false;
        if (!livello || livello->RecordCount() == 0)
            return true;
        const std::int32_t moltiplicatore =
            nrLivello > 1 ? GetNrVociPerLivello(Variant(livello->RecordCount())) : 0;
        aggiungiVoci(*livello, nrLivello, moltiplicatore);
        if (m_trap.left())
            return false;
        query = queryLivelloSuccessivo(annidato, query);
    }
}

bool Elaborazione::haImporti(const Recordset& importi) const {
    if (!m_state.ChkNascondiNull)
        return true;
    for (int set = 1; set <= m_state.NrConfronti; ++set) {
        if (!importi.value(FieldImp(set)).isNull())
            return true;
    }
    return false;
}

void Elaborazione::aggiungiContiVoce(const Recordset& voce, Recordset& importi) {
    const QString codVoce = testo(voce.value(QStringLiteral("VOCE")));
    const std::int64_t keyVoce = voce.value(QStringLiteral("KEY_VOCE")).toInt64().value_or(0);
    importi.clearFilter();
    importi.setFilter(QStringLiteral("VOCE = ") + FiltroTesto(codVoce));
    if (importi.RecordCount() == 0)
        return;
    Recordset& rst = *m_state.RstCriterio;
    std::int64_t ordinale = 0;
    for (importi.MoveFirst(); !importi.Eof(); importi.MoveNext()) {
        if (!haImporti(importi))
            continue;
        ++ordinale;
        const QString conto = importi.value(QStringLiteral("CONTO")).toString();
        const auto key = KeyVoceConto(keyVoce, ordinale, codVoce, conto);
        m_chiavi.registra(key, codVoce + QLatin1Char('/') + conto);
        NuovaRiga riga(rst);
        rst.setValue(QStringLiteral("KEY_VOCE"), key);
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
            rst.setValue(FieldImp(set), importi.value(FieldImp(set)));
        riga.salva();
    }
}

// The amounts statement has no ORDER BY, and each database returns its rows in its own
// order; account ordinals, and so the account keys, must not depend on the engine. Sorting
// on the account and then on the amounts also orders the rows of an account whose headers
// have both natures.
QString Elaborazione::ordineImporti() const {
    QString order = QStringLiteral("VOCE, PDC, CONTO");
    for (int set = 1; set <= m_state.NrConfronti; ++set)
        order += QStringLiteral(", ") + FieldImp(set);
    return order;
}

// The clone walks every row of the table, including the account rows added behind it, which
// it skips as they are not items.
bool Elaborazione::aggiungiConti(Recordset& importi) {
    if (!m_trap([&] { importi.setSort(ordineImporti()); }))
        return false;
    Recordset voci = m_state.RstCriterio->Clone();
    for (voci.MoveFirst(); !voci.Eof(); voci.MoveNext()) {
        if (isBlank(voci.value(QStringLiteral("VOCE"))) ||
            testo(voci.value(QStringLiteral("TIPORECORD"))) != QLatin1String("V"))
            continue;
        if (!m_trap([&] { aggiungiContiVoce(voci, importi); }))
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
    if (!m_trap([&] { aggiungiRadice(); }) || !percorriLivelli() || abbandonata())
        return EsitoElaborazione::Interrotta;

    // No amount row and an amounts query left after its error look the same to the user.
    RecordsetPtr importi = BdgIntRic_GetRstImportiPerConto(m_state, *m_state.RstConfronto);
    if (!importi) {
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
        BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(m_state, importiPeriodo);
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
