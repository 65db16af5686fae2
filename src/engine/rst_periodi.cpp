#include "engine/rst_periodi.h"

#include "data/recordset_filter.h"

#include "engine/rst_criterio.h"
#include "engine/scrittura_riga.h"
#include "engine/totali_criterio.h"
#include "host/error_trap.h"
#include "host/form_state.h"

#include <array>
#include <optional>
#include <stdexcept>

namespace bdg {

namespace {

const QString ProcDefinisciCriterioPeriodi =
    QStringLiteral("BdgIntRic_DefinisciRstCriterioPeriodi");
const QString ProcDefinisciPeriodi = QStringLiteral("BdgIntRic_DefinisciRstPeriodi");
const QString ProcPopola = QStringLiteral("BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio");
const QString ProcAggiorno = QStringLiteral("BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo");

RecordsetPtr definisciCriterioPeriodi(const FormState& state) {
    auto recordset = std::make_shared<Recordset>();
    AppendCampiNodo(*recordset, true);
    AppendCampiConfronto(*recordset, state.NrConfronti, Variant(int(state.NrDecimali)));
    recordset->Open();
    return recordset;
}

RecordsetPtr definisciPeriodi(const FormState& state) {
    auto recordset = std::make_shared<Recordset>();
    recordset->appendField(QStringLiteral("PERIODO"), FieldType::Integer);
    AppendCampiConfronto(*recordset, state.NrConfronti, Variant(int(state.NrDecimali)));
    recordset->Open();
    return recordset;
}

// Node fields copied to every period row: missing keys become 0 and missing texts empty,
// the type and level fields keep their Null. The fields are found by name on the first row,
// in the order they are written, and by position after that; a node's values are read once
// for all its periods. A row that fails halfway is dropped.
class CopiaNodo {
public:
    void operator()(Recordset& target, const Recordset& node, int period) {
        const Bookmark nodo = node.bookmark();
        if (m_letto != nodo) {
            m_letto.reset();
            leggi(node);
            m_letto = nodo;
        }
        NuovaRiga riga(target);
        const bool cerca = !m_trovatiTarget;
        for (std::size_t at = 0; at < Campi.size(); ++at) {
            if (cerca)
                m_target[at] = target.requireField(QStringView(Campi[at].nome));
            target.setValue(m_target[at], Campi[at].copiato ? m_valori[at] : Variant(period));
        }
        m_trovatiTarget = true;
        riga.salva();
    }

private:
    void leggi(const Recordset& node) {
        const Variant emptyText = Variant(QString());
        for (std::size_t at = 0; at < Campi.size(); ++at) {
            const Campo& campo = Campi[at];
            if (!campo.copiato)
                continue;
            if (!m_trovatiNodo)
                m_node[at] = node.requireField(QStringView(campo.nome));
            const Variant& value = node.value(m_node[at]);
            if (campo.sostituto == Sostituto::Zero)
                m_valori[at] = NVL(value, Variant(0));
            else if (campo.sostituto == Sostituto::TestoVuoto)
                m_valori[at] = NVL(value, emptyText);
            else
                m_valori[at] = value;
        }
        m_trovatiNodo = true;
    }

    enum class Sostituto { Nessuno, Zero, TestoVuoto };
    struct Campo {
        const char16_t* nome;
        bool copiato; ///< from the node; otherwise the period
        Sostituto sostituto;
    };
    static constexpr std::array<Campo, 10> Campi{{
        {u"KEY_VOCE", true, Sostituto::Zero},
        {u"KEY_VOCEPADRE", true, Sostituto::Zero},
        {u"VOCE", true, Sostituto::TestoVuoto},
        {u"VOCEPADRE", true, Sostituto::TestoVuoto},
        {u"PERIODO", false, Sostituto::Nessuno},
        {u"VOCEDES", true, Sostituto::TestoVuoto},
        {u"POSIZIONE", true, Sostituto::Nessuno},
        {u"TIPOVOCE", true, Sostituto::Nessuno},
        {u"TIPORECORD", true, Sostituto::Nessuno},
        {u"CRI_LIVELLO", true, Sostituto::Nessuno},
    }};

    bool m_trovatiTarget = false;
    bool m_trovatiNodo = false;
    std::array<int, Campi.size()> m_target{};
    std::array<int, Campi.size()> m_node{};
    std::optional<Bookmark> m_letto; ///< the node whose values m_valori holds
    std::array<Variant, Campi.size()> m_valori;
};

// Same nature of account: both Null, or the same number.
bool stessaNatura(const Variant& a, const Variant& b) {
    if (a.isNullOrEmpty() || b.isNullOrEmpty())
        return a.isNullOrEmpty() && b.isNullOrEmpty();
    return a.compare(b) == 0;
}

} // namespace

RecordsetPtr BdgIntRic_DefinisciRstCriterioPeriodi(FormState& state) {
    ErrorTrap trap(state, ProcDefinisciCriterioPeriodi);
    RecordsetPtr recordset;
    trap([&] { recordset = definisciCriterioPeriodi(state); });
    return recordset;
}

RecordsetPtr BdgIntRic_DefinisciRstPeriodi(FormState& state) {
    ErrorTrap trap(state, ProcDefinisciPeriodi);
    RecordsetPtr recordset;
    trap([&] { recordset = definisciPeriodi(state); });
    return recordset;
}

void BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio(FormState& state) {
    const RecordsetPtr criterio = state.RstCriterio;
    if (!criterio) {
        return;
    }
    ErrorTrap trap(state, ProcPopola);
    Recordset& source = *criterio;
    if (!trap([&] { source.clearFilter(); })) {
        return;
    }
    CopiaNodo copiaNodo;
    VisitaRighe(trap, source, [&] {
        if (!state.RstCriterioPeriodi) {
            throw std::runtime_error("tabella dei periodi non definita (RstCriterioPeriodi)");
        }
        // Each period row is its own statement: a retry adds only the row that failed.
        for (int period = 1; period <= state.NrPeriodi; ++period) {
            if (!trap([&] { copiaNodo(*state.RstCriterioPeriodi, source, period); })) {
                return;
            }
        }
    });
}

void BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(FormState& state,
                                                         const RecordsetPtr& importi,
                                                         const NatureConti* nature) {
    const RecordsetPtr periodi = state.RstCriterioPeriodi;
    if (!periodi) {
        return;
    }
    ErrorTrap trap(state, ProcAggiorno);
    Recordset& conti = *periodi;
    if (!trap([&] {
            conti.clearFilter();
            conti.setFilter(QStringLiteral(" TIPORECORD = 'C' "));
        })) {
        return;
    }
    CampiConfronto campiConti;
    CampiConfronto campiImporti;
    const Variant emptyText = Variant(QString());
    const FilterTemplate filtroImporti(QStringLiteral(" VOCE = ? AND CONTO = ? AND PERIODO = ?"));
    std::vector<FilterLiteral> literals(3);
    literals[0].quoted = literals[1].quoted = true;
    CampoPerNome padre(u"VOCEPADRE"), voce(u"VOCE"), periodo(u"PERIODO"), chiave(u"KEY_VOCE");
    CampoPerNome campoNatura(u"NATURA");
    VisitaRighe(trap, conti, [&] {
        if (!importi) {
            throw std::runtime_error("nessun importo per conto e periodo da registrare");
        }
        // The account's rows of its own item only, and of the nature of its row.
        importi->clearFilter();
        literals[0].text = NVL(conti.value(padre.in(conti)), emptyText).toString();
        literals[1].text = NVL(conti.value(voce.in(conti)), emptyText).toString();
        literals[2].text = NVL(conti.value(periodo.in(conti)), emptyText).toString();
        importi->setFilter(filtroImporti, literals);
        const auto natura =
            nature ? nature->find(conti.value(chiave.in(conti)).toInt64().value_or(0)) : nullptr;
        VisitaRighe(trap, *importi, [&] {
            if (natura == nullptr ||
                stessaNatura(importi->value(campoNatura.in(*importi)), *natura)) {
                SommaImportiRiga(conti, campiConti, *importi, campiImporti, state.NrConfronti);
            }
        });
    });
}

} // namespace bdg
