// The run and its result: the two buttons that switch between selection and result, the
// criterion tree, the periods grid with its footer totals.
#include "form/frmbu_bdgintric.h"

#include "form/testo_campo.h"

#include "engine/rst_criterio.h"
#include "engine/rst_periodi.h"
#include "engine/totali_criterio.h"
#include "host/budget_object.h"
#include "host/error_trap.h"

#include <cmath>

namespace bdg {

namespace {

const QString CampoPeriodo = QStringLiteral("PERIODO");
const QString PrefissoImporto = QStringLiteral("IMP");
const QString PrefissoDelta = QStringLiteral("DELTA_IMP");
const QString PrefissoDeltaPerc = QStringLiteral("DELTA_PERC");

// Where a footer's total sits among a set's totals: amount, difference, percentage.
enum VoceTotale { Rango = 0, TipoDettaglio = 1, Importo = 2, Delta = 3, DeltaPerc = 4 };

// The caption of a set's column: row 1, 2 or 3 of the caption table by the field's kind.
QString didascalia(const FormState& state, int set, const QString& field) {
    const int riga = field.startsWith(QStringLiteral("DELTA_PERC"))  ? 3
                     : field.startsWith(QStringLiteral("DELTA_IMP")) ? 2
                                                                     : 1;
    const auto& captions = state.ArrCaptionColonne[std::size_t(riga)];
    return set - 1 < int(captions.size()) ? captions[std::size_t(set - 1)] : QString();
}

} // namespace

// ---- The run ----------------------------------------------------------------------------

void FRMBU_BDGINTRIC::BUT_ELABORA_ButtonClick() {
    m_esito.reset();
    m_state.CodSottotipo = testoCampo(TXT_SOTTOTIPO.text());
    m_state.CodCriterio = testoCampo(TXT_CRITERIO.text());
    if (m_state.IsMultiAttivita) {
        m_state.IsConsolidoMultiAtt =
            testoCampo(CHK_CONSOLIDO_MULTIATT.value()) == QLatin1String("1");
    } else {
        CHK_CONSOLIDO_MULTIATT.setValue(Variant(0));
        m_state.IsConsolidoMultiAtt = false;
    }
    if (!IsParametriValidi())
        return;

    m_state.CodSottotipo = testoCampo(TXT_SOTTOTIPO.text());
    m_state.CodCriterio = testoCampo(TXT_CRITERIO.text());
    m_state.NrConfronti = std::int16_t(m_state.RstConfronto->RecordCount());
    m_state.PeriodoDa = NVL(TXT_PERIODO_DA.text(), Variant(1));
    m_state.PeriodoA = NVL(TXT_PERIODO_A.text(), Variant(1));
    m_state.ChkNascondiNull = testoCampo(CHK_NASCONDI_NULL.value()) == QLatin1String("1");
    m_state.CambioElab = TXT_CAMBIO.text();
    BUT_ELABORA.setEnabled(false);
    DisabilitaDopoBUT_ELABORA_ButtonClick();
    InizializzaProgress();
    AttivaProgress(true);

    // A currency whose data cannot be read stops the run as an error of the run would: the
    // form still reaches its result state, with nothing to show.
    ErrorTrap trap(m_state, QStringLiteral("BUT_ELABORA_ButtonClick"));
    const bool formato = trap([&] {
        ImpostaValutaEFormato(m_state, ValutaElaborazione{TXT_VALUTA.text(), TXT_CAMBIO.text()});
    });
    if (formato) {
        m_esito = BdgIntRic_Elabora();
    } else {
        m_esito = EsitoElaborazione::Interrotta;
        legaAlberoEPeriodi(*m_esito);
    }
    AttivaProgress(false);

    for (ControlModel* control :
         {static_cast<ControlModel*>(&TXT_SOTTOTIPO), static_cast<ControlModel*>(&TXT_CRITERIO),
          static_cast<ControlModel*>(&CHK_CONSOLIDO_MULTIATT),
          static_cast<ControlModel*>(&BUT_ELABORA)})
        control->setEnabled(false);
    for (ControlModel* control : {&BUT_PARAMETRI, &BUT_NODO_CONTI_VISIBILE, &BUT_PERIODI_VISIBLE})
        control->setEnabled(true);
    m_state.IsParametriModificabili = false;
    QGRID_CONFRONTO.setDataSource(nullptr);
    if (haRighe(m_state.RstConfronto))
        m_state.RstConfronto->MoveFirst();
    QGRID_CONFRONTO.setDataSource(m_state.RstConfronto);
    // A new result starts with no node chosen.
    TGRID_BDGINTRIC.setCurrentIndex(QModelIndex());
}

EsitoElaborazione FRMBU_BDGINTRIC::BdgIntRic_Elabora() {
    const EsitoElaborazione esito = bdg::BdgIntRic_Elabora(m_state);
    legaAlberoEPeriodi(esito);
    return esito;
}

// A complete run is shown; a run that stopped shows nothing, so that no figure of an
// earlier run stays on screen under the new parameters.
void FRMBU_BDGINTRIC::legaAlberoEPeriodi(EsitoElaborazione esito) {
    if (esito != EsitoElaborazione::Completata) {
        TGRID_BDGINTRIC.setDataSource(nullptr);
        TGRID_BDGINTRIC.reset();
        TGRID_BDGINTRIC.endSetUp();
        QGRID_PERIODI.setDataSource(nullptr);
        QGRID_PERIODI.reset();
        TotaliCalcolati = false;
        return;
    }
    ErrorTrap trap(m_state, QStringLiteral("BdgIntRic_Elabora"));
    InitTGridCriteri();
    trap([&] {
        m_state.RstCriterio->clearFilter();
        m_state.RstCriterio->setSort(QStringLiteral("KEY_VOCE"));
        TGRID_BDGINTRIC.setDataSource(m_state.RstCriterio);
    });
    InitQGridPeriodi(m_state.RstConfronto->RecordCount());
    QGRID_PERIODI.setDataSource(nullptr);
}

void FRMBU_BDGINTRIC::DisabilitaDopoBUT_ELABORA_ButtonClick() {
    for (const char* campo :
         {"CFR_SEQUENZA", "CFR_TIPODETT", "CFR_ANNO", "CFR_PROGESER", "CFR_SEDE", "CFR_DITTA"})
        QGRID_CONFRONTO.setColumnEditable(QLatin1String(campo), false);
    QGRID_CONFRONTO.endSetUp();
    for (ControlModel* control :
         {static_cast<ControlModel*>(&CHK_NASCONDI_NULL),
          static_cast<ControlModel*>(&TXT_PERIODO_DA), static_cast<ControlModel*>(&TXT_PERIODO_A),
          static_cast<ControlModel*>(&TXT_VALUTA), static_cast<ControlModel*>(&TXT_DATACAMBIO),
          static_cast<ControlModel*>(&TXT_CAMBIO)})
        control->setEnabled(false);
    abilitaConfronto(false);
}

void FRMBU_BDGINTRIC::svuotaColonneRisultato() {
    TGRID_BDGINTRIC.setDataSource(nullptr);
    QGRID_PERIODI.setDataSource(nullptr);
    for (int set = 1; set <= m_state.NrConfronti; ++set) {
        QStringList campi{FieldImp(set)};
        if (set != 1)
            campi << FieldDeltaImp(set) << FieldDeltaPerc(set);
        for (const QString& campo : campi) {
            TGRID_BDGINTRIC.setColumnCaption(campo, QString());
            QGRID_PERIODI.setFooterSummary(campo, 99, false);
            QGRID_PERIODI.setFooterText(campo, QString());
        }
    }
    QGRID_PERIODI.endSetUp();
}

void FRMBU_BDGINTRIC::BUT_NUOVO_ButtonClick() {
    if (!FRAME_PARAMETRI.visible())
        BUT_PARAMETRI_ButtonClick();
    QGRID_CONFRONTO.setDataSource(nullptr);
    svuotaColonneRisultato();
    m_state.RstConfronto.reset();
    m_state.RstCriterio.reset();
    m_state.RstCriterioPeriodi.reset();
    m_state.RstPeriodi.reset();
    m_esito.reset();
    TotaliCalcolati = false;

    for (EditModel* field : {&TXT_SOTTOTIPO, &TXT_CRITERIO, &TXT_VALUTA})
        field->setEnabled(true);
    for (EditModel* field : {&TXT_DATACAMBIO, &TXT_CAMBIO})
        field->setEnabled(false);
    for (EditModel* field : {&TXT_VALUTA, &TXT_DATACAMBIO, &TXT_CAMBIO})
        field->setText(Variant(QString()));
    TXT_PERIODO_DA.setEnabled(true);
    TXT_PERIODO_A.setEnabled(true);
    CHK_NASCONDI_NULL.setValue(Variant(1));
    CHK_NASCONDI_NULL.setEnabled(true);
    BUT_ELABORA.setEnabled(true);
    for (ControlModel* control :
         {&BUT_PARAMETRI, &BUT_NODO_CONTI_VISIBILE, &BUT_PERIODI_VISIBLE, &BUT_EXCEL})
        control->setEnabled(false);
    m_state.IsParametriModificabili = true;
    for (LabelModel* label : {&LBB_INDMULTIATTIVITA, &LBB_INDTIPOPDC, &LBB_NUMFORECAST,
                              &LBB_PERIODICITA, &LBB_PERIODOSOLAREFISCALE, &LBB_GESTIONESEDE,
                              &TXT_CRITERIO_DES, &TXT_SOTTOTIPO_DES, &TXT_CODSTRUTTURABU60})
        label->setText(QString());
    CHK_CONSOLIDO_MULTIATT.setValue(Variant(0));
    CHK_CONSOLIDO_MULTIATT.setEnabled(false);
    for (EditModel* field : {&TXT_PROFILO, &TXT_CRITERIO, &TXT_SOTTOTIPO}) {
        field->setText(Variant(QString()));
        field->setDecoded(false);
    }
    TXT_SOTTOTIPO.requestFocus();
}

// ---- The tree ---------------------------------------------------------------------------

// The columns of each comparison set in sequence order: its amount, then from the second
// set its difference and percentage against the set before, shown as the set asks.
void FRMBU_BDGINTRIC::aggiungiColonneInsiemi(
    const std::function<void(int set, const QString& field, int width, bool visible,
                             const QString& format)>& add) {
    Recordset& confronto = *m_state.RstConfronto;
    confronto.clearFilter();
    confronto.setSort(QStringLiteral("CFR_SEQUENZA"));
    int set = 0;
    for (confronto.MoveFirst(); !confronto.Eof(); confronto.MoveNext()) {
        ++set;
        add(set, FieldImp(set), LarghezzaColImporto, true, m_state.FormatoImporti);
        if (set == 1)
            continue;
        const bool delta = NVL(confronto.value(u"CFR_DELTA"), Variant(0)).toInt32().value_or(0);
        const bool perc = NVL(confronto.value(u"CFR_DELTA_PERC"), Variant(0)).toInt32().value_or(0);
        add(set, FieldDeltaImp(set), LarghezzaColDelta, delta, m_state.FormatoImporti);
        add(set, FieldDeltaPerc(set), LarghezzaColDeltaPerc, perc, m_state.FormatoPercentuali);
    }
}

void FRMBU_BDGINTRIC::InitTGridCriteri() {
    ErrorTrap trap(m_state, QStringLiteral("InitTGridCriteri"));
    TreeGridModel& tree = TGRID_BDGINTRIC;
    tree.reset();
    tree.setDefinition(QStringLiteral("KEY_VOCE"), QStringLiteral("KEY_VOCEPADRE"),
                       QStringLiteral("FRMBU_BDGINTRIC.TGRID_BDGINTRIC"));
    tree.addColumn(QStringLiteral("VOCE"), QStringLiteral("VOCE"), QStringLiteral("Voce/Conto"), 1,
                   2100, true);
    tree.addColumn(QStringLiteral("VOCEPADRE"), QStringLiteral("VOCEPADRE"),
                   QStringLiteral("Voce Padre"), 1, 1000, false);
    tree.addColumn(QStringLiteral("VOCEDES"), QStringLiteral("VOCEDES"),
                   QStringLiteral("Descrizione"), 1, 3000, true);
    tree.addColumn(QStringLiteral("TIPOVOCE"), QStringLiteral("TIPOVOCE"),
                   QStringLiteral("TipoVoce"), 1, 100, false);
    trap([&] {
        aggiungiColonneInsiemi(
            [&](int set, const QString& field, int width, bool visible, const QString& format) {
                tree.addColumn(field, field, didascalia(m_state, set, field), 11, width, visible);
                tree.setColumnSettings(field, 2, 1);
                tree.setColumnFormat(field, format);
            });
    });
    tree.endSetUp();
}

void FRMBU_BDGINTRIC::TGRID_BDGINTRIC_NodeImage(int node, std::int16_t& image) {
    if (!haRighe(m_state.RstCriterio))
        return;
    const auto tipo = TGRID_BDGINTRIC.nodeValue(node, u"TIPOVOCE").toInt32();
    image = std::int16_t(tipo.value_or(1));
}

void FRMBU_BDGINTRIC::TGRID_BDGINTRIC_RowChanged() {
    QGRID_PERIODI.setDataSource(nullptr);
    if (!TGRID_BDGINTRIC.dataSource() || !TGRID_BDGINTRIC.currentIndex().isValid() ||
        !haRighe(m_state.RstCriterio) || !m_state.RstCriterioPeriodi)
        return;
    if (testoCampo(TGRID_BDGINTRIC.currentValue(u"TIPORECORD")) == QLatin1String("K") ||
        TGRID_BDGINTRIC.currentValue(u"TIPOVOCE").toInt32() == 3)
        return;
    const QString voce = testoCampo(TGRID_BDGINTRIC.currentValue(u"VOCE"));
    if (voce.isEmpty())
        return;
    ErrorTrap trap(m_state, QStringLiteral("TGRID_BDGINTRIC_RowChanged"));
    trap([&] {
        Recordset& periodi = *m_state.RstCriterioPeriodi;
        periodi.clearFilter();
        periodi.setFilter(QStringLiteral(" VOCE = ") + FiltroTesto(voce) + QStringLiteral("\r\n"));
        periodi.setFilter(periodi.filter() + QStringLiteral(" AND TIPOVOCE <> 4 "));
        if (periodi.RecordCount() == 0)
            return;
        CalcoloTotaliColonne_QGRID_PERIODI(voce);
        // More rows than a year has periods cannot be one node's: the grid stays empty.
        if (periodi.RecordCount() > 12)
            return;
        PopolaRstPeriodi(periodi);
        if (!m_state.RstPeriodi)
            return;
        QGRID_PERIODI.setDataSource(m_state.RstPeriodi);
        if (m_state.RstPeriodi->RecordCount() > 0)
            m_state.RstPeriodi->MoveFirst();
    });
}

void FRMBU_BDGINTRIC::BUT_NODO_CONTI_VISIBILE_ButtonClick() {
    if (!m_state.RstCriterio)
        return;
    ErrorTrap trap(m_state, QStringLiteral("BUT_NODO_CONTI_VISIBILE_ButtonClick"));
    trap([&] {
        // The table keeps the filter for whoever reads it; the tree, built once per run,
        // switches to its account-free shape without reading the table again.
        if (NascondiConti)
            m_state.RstCriterio->setFilter(QStringLiteral(" TIPORECORD <> 'C' "));
        else
            m_state.RstCriterio->clearFilter();
        TGRID_BDGINTRIC.setAccountsHidden(NascondiConti);
        TGRID_BDGINTRIC.setDataSource(m_state.RstCriterio);
        TGRID_BDGINTRIC.refresh();
        NascondiConti = !NascondiConti;
    });
}

void FRMBU_BDGINTRIC::BUT_EXCEL_ButtonClick() {
    ErrorTrap trap(m_state, QStringLiteral("BUT_EXCEL_ButtonClick"));
}

// ---- The periods grid -------------------------------------------------------------------

void FRMBU_BDGINTRIC::InitQGridPeriodi(int /*n*/) {
    ErrorTrap trap(m_state, QStringLiteral("InitQGridPeriodi"));
    GridModel& grid = QGRID_PERIODI;
    grid.reset();
    grid.setKeyField(CampoPeriodo);
    grid.addBand(QStringLiteral("Periodi"));
    grid.addBand(QStringLiteral("Valori"));
    grid.addColumn(CampoPeriodo, QStringLiteral("Periodo"), 1, 5100);
    trap([&] {
        aggiungiColonneInsiemi(
            [&](int set, const QString& field, int width, bool visible, const QString& format) {
                grid.addColumn(field, didascalia(m_state, set, field), 12, width, visible, format);
            });
    });
    grid.endSetUp();
    for (const GridColumn& column : grid.columns().list()) {
        const bool periodo = column.field == CampoPeriodo;
        grid.setColumnBand(column.field, periodo ? 0 : 1);
        grid.setColumnSettings(column.field, periodo ? 0 : 2, periodo ? 0 : 1);
        if (!periodo)
            grid.setFooterSummary(column.field, 99, true);
    }
    grid.endSetUp();
    TotaliCalcolati = false;
}

void FRMBU_BDGINTRIC::PopolaRstPeriodi(Recordset& source) {
    ErrorTrap trap(m_state, QStringLiteral("PopolaRstPeriodi"));
    // A fresh table for every node: the rows of the node before never linger.
    m_state.RstPeriodi = BdgIntRic_DefinisciRstPeriodi(m_state);
    if (!m_state.RstPeriodi || source.RecordCount() == 0)
        return;
    Recordset& periodi = *m_state.RstPeriodi;
    QStringList campi;
    for (int set = 1; set <= m_state.NrConfronti; ++set) {
        campi << FieldImp(set);
        if (set != 1)
            campi << FieldDeltaImp(set) << FieldDeltaPerc(set);
    }
    for (source.MoveFirst(); !source.Eof(); source.MoveNext()) {
        if (campoVuoto(source.value(CampoPeriodo)))
            continue;
        const bool fatto = trap([&] {
            periodi.AddNew();
            periodi.setValue(CampoPeriodo, source.value(CampoPeriodo));
            for (const QString& campo : campi) {
                if (IsImportoValorizzato(source.value(campo)))
                    periodi.setValue(
                        campo, SommaImporto(periodi.value(campo), source.value(campo), campo));
            }
            periodi.Update();
        });
        if (!fatto)
            return;
    }
}

void FRMBU_BDGINTRIC::BUT_PERIODI_VISIBLE_ButtonClick() {
    if (PeriodiVisibili) {
        SplitPosSalvata = ZEL_SPLIT.lowerPaneSize;
        SplitPercSalvata = std::int16_t(std::lround(ZEL_SPLIT.proportion));
        ZEL_SPLIT.lowerPaneSize = 0;
        ZEL_SPLIT.proportion = 100;
    } else {
        ZEL_SPLIT.lowerPaneSize = SplitPosSalvata != 0 ? SplitPosSalvata : 750;
        ZEL_SPLIT.proportion = SplitPercSalvata != 0 ? SplitPercSalvata : 76;
    }
    PeriodiVisibili = !PeriodiVisibili;
    ZEL_SPLIT.apply();
}

// ---- Footer totals and period texts -----------------------------------------------------

void FRMBU_BDGINTRIC::CalcoloTotaliColonne_QGRID_PERIODI(const QString& Voce) {
    ErrorTrap trap(m_state, QStringLiteral("CalcoloTotaliColonne_QGRID_PERIODI"));
    trap([&] {
        Recordset confronto = m_state.RstConfronto->Clone();
        confronto.setSort(QStringLiteral("CFR_SEQUENZA"));
        const int insiemi = confronto.RecordCount();
        TotaliColonne.assign(std::size_t(insiemi), {});
        for (auto& totali : TotaliColonne)
            totali.fill(Variant::null());
        int set = 0;
        for (confronto.MoveFirst(); !confronto.Eof(); confronto.MoveNext()) {
            ++set;
            if (campoVuoto(confronto.value(u"CFR_SEQUENZA")))
                continue;
            auto& totali = TotaliColonne[std::size_t(set - 1)];
            totali[Rango] = Variant(set);
            totali[TipoDettaglio] = NVL(confronto.value(u"CFR_TIPODETT"), Variant(0));
        }
        Recordset nodo = m_state.RstCriterio->Clone();
        nodo.setFilter(QStringLiteral(" VOCE = ") + FiltroTesto(Voce));
        for (nodo.MoveFirst(); !nodo.Eof(); nodo.MoveNext()) {
            for (set = 1; set <= insiemi; ++set) {
                auto& totali = TotaliColonne[std::size_t(set - 1)];
                const Variant importo = nodo.value(FieldImp(set));
                if (IsImportoValorizzato(importo))
                    totali[Importo] = SommaImporto(totali[Importo], importo, FieldImp(set));
                if (set == 1)
                    continue;
                const Variant riferimento = nodo.value(FieldImp(set - 1));
                const Variant delta = BudgetObject::Delta(importo, riferimento);
                if (!delta.isNullOrEmpty())
                    totali[Delta] = SommaImporto(totali[Delta], delta, FieldDeltaImp(set));
                const Variant perc = BudgetObject::DeltaPerc(importo, riferimento);
                if (!perc.isNullOrEmpty())
                    totali[DeltaPerc] = SommaImporto(totali[DeltaPerc], perc, FieldDeltaPerc(set));
            }
        }
        TotaliCalcolati = true;
    });
}

// The total a column's footer shows, as the set's totals hold it (Null for none); nothing
// when the grid shows no node's totals or the column carries none.
std::optional<Variant> FRMBU_BDGINTRIC::totalePiede(const QString& field) const {
    const GridColumn* column = QGRID_PERIODI.column(field);
    if (!haRighe(m_state.RstCriterioPeriodi) || !haRighe(m_state.RstPeriodi) ||
        !QGRID_PERIODI.dataSource() || column == nullptr || !column->footerEnabled ||
        !TotaliCalcolati)
        return std::nullopt;
    struct Prefisso {
        const QString& testo;
        VoceTotale voce;
    };
    for (const Prefisso& prefisso :
         {Prefisso{PrefissoDeltaPerc, DeltaPerc}, Prefisso{PrefissoDelta, Delta},
          Prefisso{PrefissoImporto, Importo}}) {
        if (!field.startsWith(prefisso.testo, Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int set = field.mid(prefisso.testo.size()).toInt(&ok);
        if (!ok || set < 1 || set > int(TotaliColonne.size()))
            return std::nullopt;
        return TotaliColonne[std::size_t(set - 1)][std::size_t(prefisso.voce)];
    }
    return std::nullopt;
}

void FRMBU_BDGINTRIC::QGRID_PERIODI_CustomSummaryFooter(const QString& field, Variant& value) {
    const std::optional<Variant> totale = totalePiede(field);
    if (totale && !campoVuoto(*totale))
        value = *totale;
}

void FRMBU_BDGINTRIC::QGRID_PERIODI_CustomDrawFooter(const QString& field, QString& text) {
    const std::optional<Variant> totale = totalePiede(field);
    if (totale && campoVuoto(*totale))
        text.clear();
}

void FRMBU_BDGINTRIC::QGRID_PERIODI_DataFormatEXT(QString& text, const QString& field,
                                                  const Variant& value) {
    if (field.isEmpty() || m_state.CodDitta == 0 || campoVuoto(m_state.AnnoElab) ||
        campoVuoto(m_state.ProgEserElab) || field.compare(CampoPeriodo, Qt::CaseInsensitive) != 0 ||
        m_state.ObjBudget == nullptr)
        return;
    ErrorTrap trap(m_state, QStringLiteral("QGRID_PERIODI_DataFormatEXT"));
    trap([&] {
        const std::int32_t periodo = NVL(value, Variant(0)).toInt32().value_or(0);
        text = periodo == 0
                   ? QString()
                   : m_state.ObjBudget->DescrizionePeriodo(
                         m_state.CodDitta, m_state.CodPeriodicita, m_state.IndPeriodoSolareFiscale,
                         std::int16_t(periodo), m_state.AnnoElab, m_state.ProgEserElab);
    });
}

} // namespace bdg
