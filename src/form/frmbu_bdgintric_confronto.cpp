// The comparison list of the form: its grid, its four buttons and the stored profiles.
#include "form/frmbu_bdgintric.h"

#include "form/testo_campo.h"

#include "compare/profili.h"
#include "compare/rst_confronto.h"
#include "host/contract/lookup_service.h"
#include "host/error_trap.h"
#include "host/host_global.h"
#include "host/message_service.h"

namespace bdg {

namespace {

const QString CampoSequenza = QStringLiteral("CFR_SEQUENZA");
const QString CampoDelta = QStringLiteral("CFR_DELTA");
const QString CampoDeltaPerc = QStringLiteral("CFR_DELTA_PERC");
const QString CampoSede = QStringLiteral("CFR_SEDE");

} // namespace

bool FRMBU_BDGINTRIC::haRighe(const RecordsetPtr& rst) const {
    return rst && rst->isOpen() && rst->RecordCount() > 0;
}

void FRMBU_BDGINTRIC::abilitaConfronto(bool enabled) {
    for (ControlModel* control :
         {static_cast<ControlModel*>(&TXT_PROFILO), static_cast<ControlModel*>(&BUT_BU68_SALVA),
          static_cast<ControlModel*>(&BUT_BU68_DELETE), static_cast<ControlModel*>(&BUT_QGRID_PIU),
          static_cast<ControlModel*>(&BUT_QGRID_MENO), static_cast<ControlModel*>(&BUT_QGRID_SU),
          static_cast<ControlModel*>(&BUT_QGRID_GIU)})
        control->setEnabled(enabled);
}

bool FRMBU_BDGINTRIC::DefinisciRstConfronto() {
    return bdg::DefinisciRstConfronto(m_state);
}

void FRMBU_BDGINTRIC::InitQGridConfronto() {
    GridModel& grid = QGRID_CONFRONTO;
    grid.reset();
    grid.setKeyField(CampoSequenza);
    grid.addColumn(CampoSequenza, QStringLiteral("Seq"), 1, 600);
    grid.addListColumn(QStringLiteral("CFR_TIPODETT"), 1, m_state.ArrTipoDettaglio,
                       QStringLiteral("TipoDettaglio"), 1100, true);
    grid.addListColumn(QStringLiteral("CFR_ANNO"), 1, m_state.ArrAnni, QStringLiteral("Anno"), 1100,
                       true);
    grid.addListColumn(QStringLiteral("CFR_PROGESER"), 1, m_state.ArrProgEser,
                       QStringLiteral("Progressivo"), 1100, true);
    const bool consolida =
        NVL(CHK_CONSOLIDO_MULTIATT.value(), Variant(0)).toInt32().value_or(0) != 0;
    if (!consolida && m_state.IsGestioneSede)
        grid.addListColumn(CampoSede, 1, m_state.ArrSedi, QStringLiteral("Sede"), 1200, true);
    grid.addCheckColumn(CampoDelta, QStringLiteral("Delta"), QStringLiteral("1"),
                        QStringLiteral("0"), 1000, true);
    grid.addCheckColumn(CampoDeltaPerc, QStringLiteral("%Delta"), QStringLiteral("1"),
                        QStringLiteral("0"), 1000, true);
    grid.endSetUp();
    grid.setColumnSettings(CampoSequenza, 2, 2);
    for (const char* campo : {"CFR_TIPODETT", "CFR_ANNO", "CFR_PROGESER", "CFR_SEDE"}) {
        grid.setColumnSettings(QLatin1String(campo), 0, 0);
        grid.setColumnEditable(QLatin1String(campo), true);
    }
    grid.setColumnSettings(CampoDelta, 2, 2);
    grid.setColumnSettings(CampoDeltaPerc, 2, 2);
    grid.endSetUp();
}

bool FRMBU_BDGINTRIC::RstConfrontoDelete() {
    QGRID_CONFRONTO.setDataSource(nullptr);
    const bool fatto = bdg::RstConfrontoDelete(m_state);
    QGRID_CONFRONTO.setDataSource(m_state.RstConfronto);
    return fatto;
}

bool FRMBU_BDGINTRIC::IsDatiRstConfrontoValido() {
    return bdg::IsDatiRstConfrontoValido(m_state);
}

void FRMBU_BDGINTRIC::BUT_QGRID_PIU_ButtonClick() {
    QGRID_CONFRONTO.suspendDrawing();
    AddSet(m_state);
    QGRID_CONFRONTO.resumeDrawing();
    QGRID_CONFRONTO.refresh();
}

void FRMBU_BDGINTRIC::BUT_QGRID_MENO_ButtonClick() {
    if (!haRighe(m_state.RstConfronto))
        return;
    RemoveSet(m_state);
    QGRID_CONFRONTO.refresh();
}

void FRMBU_BDGINTRIC::BUT_QGRID_SU_ButtonClick() {
    QGRID_CONFRONTO.suspendDrawing();
    MoveSetUp(m_state);
    QGRID_CONFRONTO.resumeDrawing();
    QGRID_CONFRONTO.refresh();
}

void FRMBU_BDGINTRIC::BUT_QGRID_GIU_ButtonClick() {
    QGRID_CONFRONTO.suspendDrawing();
    MoveSetDown(m_state);
    QGRID_CONFRONTO.resumeDrawing();
    QGRID_CONFRONTO.refresh();
}

void FRMBU_BDGINTRIC::QGRID_CONFRONTO_LostFocus() {
    ErrorTrap trap(m_state, QStringLiteral("QGRID_CONFRONTO_LostFocus"));
    trap([&] { QGRID_CONFRONTO.commitEdit(); });
}

void FRMBU_BDGINTRIC::QGRID_CONFRONTO_OnEdited(const QString& column) {
    if (column.isEmpty() || !haRighe(m_state.RstConfronto))
        return;
    if (QGRID_CONFRONTO.focusedColumn().isEmpty())
        return;
    ErrorTrap trap(m_state, QStringLiteral("QGRID_CONFRONTO_OnEdited"));
    trap([&] {
        if (!m_state.IsParametriModificabili && m_state.RstConfronto->Eof()) {
            QGRID_CONFRONTO.suspendDrawing();
            m_state.RstConfronto->MoveFirst();
            QGRID_CONFRONTO.resumeDrawing();
        }
        QGRID_CONFRONTO.commitEdit();
    });
}

// After a run the check boxes show or hide the result columns of their set at once. The
// columns are named by the set's rank in sequence order, which is the stored sequence
// while no set was removed and stays right when one was.
void FRMBU_BDGINTRIC::QGRID_CONFRONTO_SelectionBoxClick(const QString& field) {
    if (!haRighe(m_state.RstConfronto) || m_state.IsParametriModificabili)
        return;
    ErrorTrap trap(m_state, QStringLiteral("QGRID_CONFRONTO_SelectionBoxClick"));
    trap([&] {
        const Variant sequenza = QGRID_CONFRONTO.currentValue(CampoSequenza);
        if (testoCampo(sequenza).isEmpty())
            return;
        Recordset precedenti = m_state.RstConfronto->Clone();
        precedenti.setFilter(QStringLiteral("CFR_SEQUENZA <= ") + sequenza.toString());
        const int rango = precedenti.RecordCount();
        if (rango <= 1)
            return;
        QString colonna;
        if (field.compare(CampoDelta, Qt::CaseInsensitive) == 0)
            colonna = QStringLiteral("DELTA_IMP");
        else if (field.compare(CampoDeltaPerc, Qt::CaseInsensitive) == 0)
            colonna = QStringLiteral("DELTA_PERC");
        else
            return;
        colonna += QString::number(rango);
        const bool visibile =
            NVL(QGRID_CONFRONTO.currentValue(field), Variant(0)).toInt32().value_or(0) == 1;
        TGRID_BDGINTRIC.setColumnVisible(colonna, visibile);
        QGRID_PERIODI.setColumnVisible(colonna, visibile);
    });
}

// ---- Profiles ---------------------------------------------------------------------------

void FRMBU_BDGINTRIC::BUT_BU68_SALVA_ButtonClick() {
    m_ultimoRifiuto.reset();
    QGRID_CONFRONTO.suspendDrawing();
    const auto avviso = bdg::BUT_BU68_SALVA_ButtonClick(m_state, TXT_PROFILO.text(), &m_salvato);
    QGRID_CONFRONTO.resumeDrawing();
    if (avviso)
        registraRifiuto(
            Rifiuto{0, avviso->testo, avviso->stile, avviso->titolo, TXT_PROFILO.name(), 0, true});
}

void FRMBU_BDGINTRIC::BUT_BU68_DELETE_ButtonClick() {
    QGRID_CONFRONTO.setDataSource(nullptr);
    bdg::BUT_BU68_DELETE_ButtonClick(m_state, TXT_PROFILO.text());
    QGRID_CONFRONTO.setDataSource(m_state.RstConfronto);
}

void FRMBU_BDGINTRIC::TXT_PROFILO_StartLookup(bool& Cancel) {
    Cancel = false;
    ErrorTrap trap(m_state, QStringLiteral("TXT_PROFILO_StartLookup"));
    trap([&] {
        // Opening the list already drops the current comparison list.
        if (haRighe(m_state.RstConfronto))
            RstConfrontoDelete();
        RichiestaLookup richiesta{QStringLiteral("Lkp_ProfiloConfronto"),
                                  QStringLiteral("Elenco profili confronto"),
                                  {QStringLiteral("Nome profilo confronto"), QString()},
                                  {}};
        for (const QString& nome : lookup().ElencoProfili())
            richiesta.voci.append({nome, QString()});
        TXT_PROFILO.showLookup(richiesta);
    });
}

void FRMBU_BDGINTRIC::TXT_PROFILO_Event0() {
    TXT_PROFILO.housekeeping();
    if (testoCampo(NomeProfiloPrecedente).isEmpty())
        NomeProfiloPrecedente = TXT_PROFILO.code().isEmpty() ? Variant::null() : TXT_PROFILO.text();
}

void FRMBU_BDGINTRIC::TXT_PROFILO_Event1() {
    NomeProfiloPrecedente = Variant::null();
}

void FRMBU_BDGINTRIC::TXT_PROFILO_Validate(bool& Cancel) {
    Cancel = false;
    m_ultimoRifiuto.reset();
    ErrorTrap trap(m_state, QStringLiteral("TXT_PROFILO_Validate"));
    trap([&] {
        const QString nome = testoCampo(TXT_PROFILO.text());
        const bool righe = haRighe(m_state.RstConfronto);
        if (!nome.isEmpty() && righe && nome != testoCampo(NomeProfiloPrecedente)) {
            const int risposta = m_state.Gcls_Global->ShowMessage(
                QStringLiteral("Salvare nuovo profilo ?"),
                MessageStyle::YesNo | MessageStyle::Question, m_state.Caption);
            if (risposta == MessageAnswer::Yes) {
                BUT_BU68_SALVA_ButtonClick();
                return;
            }
        }
        if (righe)
            RstConfrontoDelete();
        if (!nome.isEmpty())
            PopolaRstConfrontoDaBU68(TXT_PROFILO.text(), Cancel);
    });
}

void FRMBU_BDGINTRIC::PopolaRstConfrontoDaBU68(const Variant& name, bool& Cancel) {
    QGRID_CONFRONTO.suspendDrawing();
    const auto avviso = bdg::PopolaRstConfrontoDaBU68(m_state, name, Cancel);
    QGRID_CONFRONTO.resumeDrawing();
    if (QGRID_CONFRONTO.dataSource() != m_state.RstConfronto)
        QGRID_CONFRONTO.setDataSource(m_state.RstConfronto);
    QGRID_CONFRONTO.refresh();
    if (avviso)
        registraRifiuto(
            Rifiuto{0, avviso->testo, avviso->stile, avviso->titolo, TXT_PROFILO.name(), 0, true});
}

} // namespace bdg
