// The form's construction, its start-up and close, the shared procedures and the layout.
#include "form/frmbu_bdgintric.h"

#include "form/testo_campo.h"

#include "form/company_lookup_service.h"
#include "host/budget_object.h"
#include "host/contract/cinterface.h"
#include "host/contract/navigator.h"
#include "host/error_trap.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"
#include "host/trace.h"

#include <cmath>
#include <stdexcept>

namespace bdg {

namespace {

const QString NomeForm = QStringLiteral("FRMBU_BDGINTRIC");
const QString DidascaliaForm = QStringLiteral("Elaborazione criteri");
// The budget kind of this inquiry, until a subtype is chosen.
constexpr std::int32_t TipoBudgetInquiry = 5;
// The MDI container's size for the form, in twips.
constexpr int LarghezzaMdi = 15180;
constexpr int AltezzaMdi = 8640;

} // namespace

const QList<ImmagineNodo>& FRMBU_BDGINTRIC::IMGLST_TIPINODO() {
    static const QList<ImmagineNodo> immagini = {
        {1, "VA", "Valore analitco"}, {2, "TA", "Totale analitico"}, {3, "TI", "Totale Intermedio"},
        {4, "FO", "Fomula"},          {5, "CR", "Criterio"},         {6, "CO", "Conto"},
    };
    return immagini;
}

const QList<QPair<QString, int>>& FRMBU_BDGINTRIC::RegistrazioniResize() {
    static const QList<QPair<QString, int>> registrazioni = {
        {QStringLiteral("FRAME_MAIN"), 15},
        {QStringLiteral("FRAME_PARAMETRI"), 7},
        {QStringLiteral("FRAME_CRITERIO"), 7},
        {QStringLiteral("FRAME_CONFRONTO"), 7},
        {QStringLiteral("QGRID_CONFRONTO"), 7},
        {QStringLiteral("BUT_QGRID_PIU"), 5},
        {QStringLiteral("BUT_QGRID_MENO"), 5},
        {QStringLiteral("BUT_QGRID_SU"), 5},
        {QStringLiteral("BUT_QGRID_GIU"), 5},
        {QStringLiteral("ZEL_SPLIT"), 15},
        {QStringLiteral("BUT_PARAMETRI"), 10},
        {QStringLiteral("BUT_NODO_CONTI_VISIBILE"), 10},
        {QStringLiteral("BUT_PERIODI_VISIBLE"), 10},
        {QStringLiteral("FRAME_LEGENDA"), 10},
        {QStringLiteral("FRAME_VALUTAONDEMAND_PIEDE"), 10},
        {QStringLiteral("BUT_EXCEL"), 12},
        {QStringLiteral("BUT_NUOVO"), 12},
        {QStringLiteral("BUT_ELABORA"), 12},
    };
    return registrazioni;
}

FRMBU_BDGINTRIC::FRMBU_BDGINTRIC(ServiziForm servizi, QObject* parent)
    : QObject(parent), m_servizi(std::move(servizi)) {
    setObjectName(NomeForm);
    m_state.Caption = DidascaliaForm;
    m_state.IndTipoBudget = TipoBudgetInquiry;
    if (m_servizi.trace == nullptr)
        m_tracePredefinito = std::make_unique<DebugTraceSink>();
    m_trace = m_servizi.trace != nullptr ? m_servizi.trace : m_tracePredefinito.get();
    creaControlli();
    collegaGestori();
    impostaGeometria();
    Form_Initialize();
}

FRMBU_BDGINTRIC::~FRMBU_BDGINTRIC() {
    if (m_loaded) {
        bool cancel = false;
        Form_Unload(cancel);
    }
    Form_Terminate();
}

void FRMBU_BDGINTRIC::setCaption(const QString& caption) {
    if (!caption.isEmpty())
        m_state.Caption = caption;
}

QObject* FRMBU_BDGINTRIC::controllo(const QString& name) const {
    return findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
}

// ---- Controls ---------------------------------------------------------------------------

void FRMBU_BDGINTRIC::creaControlli() {
    // The controls are members; parenting them to the form makes them reachable by name.
    for (QObject* control : std::initializer_list<QObject*>{&FRAME_MAIN,
                                                            &FRAME_PARAMETRI,
                                                            &FRAME_SOTTOTIPO,
                                                            &FRAME_SOTTOTIPO_INFO,
                                                            &FRAME_CRITERIO,
                                                            &FRAME_PERIODO_DA_A,
                                                            &FRAME_VALUTA,
                                                            &FRAME_CONFRONTO,
                                                            &FRAME_TGRID,
                                                            &FRAME_PERIODI,
                                                            &FRAME_LEGENDA,
                                                            &TXT_SOTTOTIPO,
                                                            &TXT_SOTTOTIPO_DES,
                                                            &TXT_CODSTRUTTURABU60,
                                                            &LBB_NUMFORECAST,
                                                            &LBB_INDMULTIATTIVITA,
                                                            &LBB_INDTIPOPDC,
                                                            &LBB_PERIODOSOLAREFISCALE,
                                                            &LBB_PERIODICITA,
                                                            &LBB_GESTIONESEDE,
                                                            &TXT_CRITERIO,
                                                            &TXT_CRITERIO_DES,
                                                            &CHK_CONSOLIDO_MULTIATT,
                                                            &CHK_NASCONDI_NULL,
                                                            &TXT_PERIODO_DA,
                                                            &TXT_PERIODO_A,
                                                            &TXT_VALUTA,
                                                            &TXT_DATACAMBIO,
                                                            &TXT_CAMBIO,
                                                            &TXT_PROFILO,
                                                            &QGRID_CONFRONTO,
                                                            &BUT_QGRID_PIU,
                                                            &BUT_QGRID_MENO,
                                                            &BUT_QGRID_SU,
                                                            &BUT_QGRID_GIU,
                                                            &BUT_BU68_SALVA,
                                                            &BUT_BU68_DELETE,
                                                            &BUT_ELABORA,
                                                            &BUT_NUOVO,
                                                            &BUT_PARAMETRI,
                                                            &BUT_NODO_CONTI_VISIBILE,
                                                            &BUT_PERIODI_VISIBLE,
                                                            &BUT_EXCEL,
                                                            &TGRID_BDGINTRIC,
                                                            &QGRID_PERIODI,
                                                            &ZEL_PROGRESS,
                                                            &ZEL_SPLIT,
                                                            &LBL_TI,
                                                            &LBL_TA,
                                                            &LBL_VA,
                                                            &LBL_IMG_FORMULA}) {
        control->setParent(this);
        if (auto* model = qobject_cast<ControlModel*>(control))
            connect(model, &ControlModel::focusRequested, this,
                    [this, model] { setFocus(model->name()); });
    }
    FRAME_SOTTOTIPO.setCaption(QStringLiteral("Budget"));
    TXT_SOTTOTIPO.setCaption(QStringLiteral("Sottotipo"));
    FRAME_CRITERIO.setCaption(QStringLiteral("Criterio"));
    TXT_CRITERIO.setCaption(QStringLiteral("Criterio di elaborazione/riclassificazione budget"));
    CHK_CONSOLIDO_MULTIATT.setCaption(QStringLiteral("Consolidamento Multi Attività"));
    CHK_NASCONDI_NULL.setCaption(QStringLiteral("Nascondi conti senza importi"));
    FRAME_CONFRONTO.setCaption(QStringLiteral("Confronto"));
    BUT_QGRID_PIU.setCaption(QStringLiteral("Aggiungi"));
    BUT_QGRID_MENO.setCaption(QStringLiteral("Elimina"));
    BUT_QGRID_SU.setCaption(QStringLiteral("Sposta su"));
    BUT_QGRID_GIU.setCaption(QStringLiteral("Sposta giù"));
    TXT_PROFILO.setCaption(QStringLiteral("Profilo confronto"));
    BUT_BU68_SALVA.setCaption(QStringLiteral("Salva profilo"));
    BUT_BU68_DELETE.setCaption(QStringLiteral("Elimina profilo"));
    FRAME_VALUTA.setCaption(QStringLiteral("Visualizzazione in valuta"));
    TXT_VALUTA.setCaption(QStringLiteral("valuta"));
    TXT_DATACAMBIO.setCaption(QStringLiteral("Data cambio"));
    TXT_CAMBIO.setCaption(QStringLiteral("Cambio"));
    TXT_PERIODO_DA.setCaption(QStringLiteral("Da Periodo"));
    TXT_PERIODO_A.setCaption(QStringLiteral("a Periodo"));
    BUT_ELABORA.setCaption(QStringLiteral("Elabora"));
    BUT_NUOVO.setCaption(QStringLiteral("Nuovo"));
    BUT_PARAMETRI.setCaption(QStringLiteral("Parametri"));
    BUT_NODO_CONTI_VISIBILE.setCaption(QStringLiteral("Conti"));
    BUT_PERIODI_VISIBLE.setCaption(QStringLiteral("Periodi"));
    BUT_EXCEL.setCaption(QStringLiteral("Esporta"));
    LBL_TI.setText(QStringLiteral("Tot. intermedio"));
    LBL_TA.setText(QStringLiteral("Tot. analitico"));
    LBL_VA.setText(QStringLiteral("Valore analitico"));
    LBL_IMG_FORMULA.setText(QStringLiteral("Formula"));
    // Nothing of the result exists before the first run.
    for (ControlModel* control : {static_cast<ControlModel*>(&BUT_PARAMETRI),
                                  static_cast<ControlModel*>(&BUT_NODO_CONTI_VISIBILE),
                                  static_cast<ControlModel*>(&BUT_PERIODI_VISIBLE)})
        control->setEnabled(false);
    abilitaConfronto(false);
    TXT_DATACAMBIO.setEnabled(false);
    TXT_CAMBIO.setEnabled(false);
    CHK_CONSOLIDO_MULTIATT.setEnabled(false);
    CHK_CONSOLIDO_MULTIATT.setValue(Variant(0));
    TXT_CODSTRUTTURABU60.setVisible(false);
    ZEL_PROGRESS.setVisible(false);
    ZEL_PROGRESS.setIndicator(m_servizi.progress);
}

void FRMBU_BDGINTRIC::collegaGestori() {
    TXT_SOTTOTIPO.setHandlers({
        .validate = [this](bool& cancel) { TXT_SOTTOTIPO_Validate(cancel); },
        .startDecode = [this] { TXT_SOTTOTIPO_StartDecode(); },
        .startLookup = [this](bool& cancel) { TXT_SOTTOTIPO_StartLookup(cancel); },
        .keyButtonMenuPress =
            [this](const QString& item) { TXT_SOTTOTIPO_KeyButtonMenuPress(item); },
        .event0 = [this] { TXT_SOTTOTIPO_Event0(); },
    });
    TXT_CRITERIO.setHandlers({
        .validate = [this](bool& cancel) { TXT_CRITERIO_Validate(cancel); },
        .startDecode =
            [this] {
                bool cancel = false;
                TXT_CRITERIO_StartDecode(cancel);
            },
        .startLookup = [this](bool& cancel) { TXT_CRITERIO_StartLookup(cancel); },
        .afterItem =
            [this] {
                bool cancel = false;
                TXT_CRITERIO_AfterItem(cancel);
            },
        .keyButtonMenuPress =
            [this](const QString& item) { TXT_CRITERIO_KeyButtonMenuPress(item); },
        .event0 = [this] { TXT_CRITERIO_Event0(); },
    });
    TXT_VALUTA.setHandlers({
        .startDecode = [this] { TXT_VALUTA_StartDecode(); },
        .startLookup = [this](bool& cancel) { TXT_VALUTA_StartLookup(cancel); },
        .afterItem = [this] { TXT_VALUTA_AfterItem(); },
        .keyButtonMenuPress = [this](const QString& item) { TXT_VALUTA_KeyButtonMenuPress(item); },
        .event0 = [this] { TXT_VALUTA.housekeeping(); },
    });
    // A date field has no lookup: a date typed and left is its item.
    TXT_DATACAMBIO.setHandlers({
        .validate = [this](bool&) { TXT_DATACAMBIO_AfterItem(); },
        .event0 = [this] { TXT_DATACAMBIO.housekeeping(); },
    });
    TXT_CAMBIO.setHandlers({
        .keyButtonMenuPress = [this](const QString& item) { TXT_CAMBIO_KeyButtonMenuPress(item); },
        .event0 = [this] { TXT_CAMBIO.housekeeping(); },
    });
    TXT_PERIODO_DA.setHandlers({.event0 = [this] { TXT_PERIODO_DA_Event0(); }});
    TXT_PERIODO_A.setHandlers({.event0 = [this] { TXT_PERIODO_A_Event0(); }});
    TXT_PROFILO.setHandlers({
        .validate = [this](bool& cancel) { TXT_PROFILO_Validate(cancel); },
        .startLookup = [this](bool& cancel) { TXT_PROFILO_StartLookup(cancel); },
        .event0 = [this] { TXT_PROFILO_Event0(); },
        .event1 = [this] { TXT_PROFILO_Event1(); },
    });
    CHK_CONSOLIDO_MULTIATT.setClickHandler([this] { CHK_CONSOLIDO_MULTIATT_Click(); });
    const QList<QPair<ButtonModel*, void (FRMBU_BDGINTRIC::*)()>> bottoni = {
        {&BUT_PARAMETRI, &FRMBU_BDGINTRIC::BUT_PARAMETRI_ButtonClick},
        {&BUT_ELABORA, &FRMBU_BDGINTRIC::BUT_ELABORA_ButtonClick},
        {&BUT_NUOVO, &FRMBU_BDGINTRIC::BUT_NUOVO_ButtonClick},
        {&BUT_QGRID_PIU, &FRMBU_BDGINTRIC::BUT_QGRID_PIU_ButtonClick},
        {&BUT_QGRID_MENO, &FRMBU_BDGINTRIC::BUT_QGRID_MENO_ButtonClick},
        {&BUT_QGRID_SU, &FRMBU_BDGINTRIC::BUT_QGRID_SU_ButtonClick},
        {&BUT_QGRID_GIU, &FRMBU_BDGINTRIC::BUT_QGRID_GIU_ButtonClick},
        {&BUT_BU68_SALVA, &FRMBU_BDGINTRIC::BUT_BU68_SALVA_ButtonClick},
        {&BUT_BU68_DELETE, &FRMBU_BDGINTRIC::BUT_BU68_DELETE_ButtonClick},
        {&BUT_NODO_CONTI_VISIBILE, &FRMBU_BDGINTRIC::BUT_NODO_CONTI_VISIBILE_ButtonClick},
        {&BUT_PERIODI_VISIBLE, &FRMBU_BDGINTRIC::BUT_PERIODI_VISIBLE_ButtonClick},
        {&BUT_EXCEL, &FRMBU_BDGINTRIC::BUT_EXCEL_ButtonClick},
    };
    for (const auto& [bottone, gestore] : bottoni)
        bottone->setClickHandler([this, gestore = gestore] { (this->*gestore)(); });

    connect(&QGRID_CONFRONTO, &GridModel::edited, this, &FRMBU_BDGINTRIC::QGRID_CONFRONTO_OnEdited);
    connect(&QGRID_CONFRONTO, &GridModel::selectionBoxClicked, this,
            &FRMBU_BDGINTRIC::QGRID_CONFRONTO_SelectionBoxClick);
    connect(&QGRID_CONFRONTO, &GridModel::focusLeft, this,
            &FRMBU_BDGINTRIC::QGRID_CONFRONTO_LostFocus);
    connect(&TGRID_BDGINTRIC, &TreeGridModel::rowChanged, this,
            &FRMBU_BDGINTRIC::TGRID_BDGINTRIC_RowChanged);
    TGRID_BDGINTRIC.setNodeImageProvider([this](int node) {
        std::int16_t image = 0;
        TGRID_BDGINTRIC_NodeImage(node, image);
        return int(image);
    });
    QGRID_PERIODI.setFooterProvider([this](const QString& field) {
        // The summary gives the total; the drawing blanks a footer whose total is missing.
        Variant value = Variant::null();
        QGRID_PERIODI_CustomSummaryFooter(field, value);
        QString text = QStringLiteral("-");
        QGRID_PERIODI_CustomDrawFooter(field, text);
        return text.isEmpty() ? Variant::null() : value;
    });
    QGRID_PERIODI.setCellFormatter(
        [this](QString& text, const QString& field, const Variant& value) {
            QGRID_PERIODI_DataFormatEXT(text, field, value);
        });
}

void FRMBU_BDGINTRIC::setFocus(const QString& control) {
    m_focus = control;
    emit focusChanged(control);
}

// ---- Lifecycle --------------------------------------------------------------------------

void FRMBU_BDGINTRIC::Form_Initialize() {
    m_idIstanza = NuovoIdIstanza();
    m_trace->trace(RigaTraccia(m_idIstanza, QStringLiteral("INI"), NomeForm));
}

void FRMBU_BDGINTRIC::Form_Terminate() {
    m_trace->trace(RigaTraccia(m_idIstanza, QStringLiteral("TER"), NomeForm));
}

void FRMBU_BDGINTRIC::Form_Activate() {
    AggiornaNavigatore();
    if (m_activated || m_chiusuraAllAvvio)
        return;
    m_loaded = true;
    if (!avvio()) {
        chiudiAllAvvio();
        return;
    }
    m_activated = true;
}

bool FRMBU_BDGINTRIC::avvio() {
    HostGlobal* global = m_activeInterface != nullptr ? m_activeInterface->ClsGlobal() : nullptr;
    if (global == nullptr)
        throw std::logic_error("the form was shown without the host's global services");
    m_state.Gcls_Global = global;
    m_log = std::make_unique<HostLog>(global, m_servizi.logFilePath);
    m_state.Gcls_Log = m_log.get();
    m_state.StringaConnessione = global->StringaConnessione();
    ErrorTrap trap(m_state, QStringLiteral("Form_Activate"));
    if (!trap([&] { m_connection.Open(m_state.StringaConnessione); }))
        return false;
    m_activeInterface->setConnection(&m_connection);
    m_state.connection = &m_connection;
    m_state.CodDitta = global->CodDitta();
    m_state.CodLingua = global->CodLingua().isEmpty() ? QStringLiteral("ITA") : global->CodLingua();
    if (!controllaValutaGestione())
        return false;
    impostaFormatiGestione();
    m_state.IndTipoBudget = TipoBudgetInquiry;
    creaOggettiHost();
    impostaControlliIniziali();
    m_state.IsParametriModificabili = true;
    if (Navigator* navigator = m_activeInterface->ActiveNavigator())
        navigator->update();
    ExecuteFormEvent(Variant(QStringLiteral("tsOpen")));
    global->setApplicazioneModulo(m_servizi.applicazione);
    ImpostaSplit();
    AdattaSplit();
    return true;
}

// A company whose management currency is missing, or lacks its description or decimals,
// cannot show an amount: the form refuses to start.
bool FRMBU_BDGINTRIC::controllaValutaGestione() {
    HostGlobal& global = *m_state.Gcls_Global;
    const Variant codice = global.CodValutaGestione();
    if (campoVuoto(codice)) {
        global.ShowMessage(QString::number(Msg::ValutaGestioneMancante), MessageStyle::Information,
                           m_state.Caption);
        return false;
    }
    std::optional<CurrencyData> dati;
    ErrorTrap trap(m_state, QStringLiteral("Form_Activate"));
    if (!trap([&] { dati = global.DatiValuta(codice.toString().trimmed()); }))
        return false;
    if (!dati || campoVuoto(dati->Descrizione) || campoVuoto(dati->NrDecimali)) {
        global.ShowMessage(QString::number(Msg::ValutaGestioneIncompleta),
                           MessageStyle::Information, m_state.Caption);
        return false;
    }
    m_state.CodValutaGestione = codice.toString().trimmed();
    m_state.NrDecimaliGestione = dati->NrDecimali;
    return true;
}

// The management currency's decimals and mask are the formats until a run chooses another
// currency.
void FRMBU_BDGINTRIC::impostaFormatiGestione() {
    ImpostaValutaEFormato(m_state, ValutaElaborazione{});
    m_state.FormatoImportiValuta = m_state.FormatoImportiGestione;
    m_state.FormatoPercentuali = QStringLiteral("#,###,##0.00%");
    LarghezzaColImporto = 1300;
    LarghezzaColDelta = 1100;
    LarghezzaColDeltaPerc = 1100;
}

void FRMBU_BDGINTRIC::creaOggettiHost() {
    m_budget = std::make_unique<BudgetObject>(&m_connection, m_state.StringaConnessione,
                                              m_state.IndTipoBudget, m_state.CodDitta);
    m_state.ObjBudget = m_budget.get();
    if (m_servizi.lookup == nullptr)
        m_lookupPredefinito =
            std::make_unique<CompanyLookupService>(&m_connection, m_state.Gcls_Global);
    m_lookup = m_servizi.lookup != nullptr ? m_servizi.lookup : m_lookupPredefinito.get();
}

void FRMBU_BDGINTRIC::impostaControlliIniziali() {
    TXT_SOTTOTIPO.setText(Variant(QString()));
    TXT_PERIODO_DA.setEnabled(true);
    TXT_PERIODO_A.setEnabled(true);
    NascondiConti = true;
    PeriodiVisibili = false;
    CHK_NASCONDI_NULL.setValue(Variant(1));
    CHK_NASCONDI_NULL.setEnabled(true);
    BUT_EXCEL.setVisible(false);
    BUT_EXCEL.setEnabled(false);
    if (TXT_SOTTOTIPO.enabled())
        TXT_SOTTOTIPO.requestFocus();
    TXT_SOTTOTIPO.addMenuEntry({QStringLiteral("Kpers1"), QStringLiteral("Budget in uso")});
    TXT_CRITERIO.addMenuEntry({QStringLiteral("Kpers1"), QStringLiteral("Criteri con struttura")});
    TXT_CRITERIO.addMenuEntry({QStringLiteral("Kpers2"), QStringLiteral("Criteri correlati")});
    TXT_CRITERIO.addMenuEntry(
        {QStringLiteral("Kpers3"), QStringLiteral("Criteri correlati al budget")});
}

void FRMBU_BDGINTRIC::chiudiAllAvvio() {
    m_chiusuraAllAvvio = true;
    bool cancel = false;
    Form_Unload(cancel);
}

void FRMBU_BDGINTRIC::Form_QueryUnload(bool& Cancel, int /*unloadMode*/) {
    AggiornaNavigatore();
    if (!m_activated && !m_chiusuraAllAvvio) {
        // A form that is still starting cannot be closed.
        Cancel = true;
        return;
    }
    if (Cancel)
        return;
    ExecuteFormEvent(Variant(QStringLiteral("tsClose")));
    Navigator* navigator =
        m_activeInterface != nullptr ? m_activeInterface->ActiveNavigator() : nullptr;
    if (navigator != nullptr && navigator->formState() != nullptr)
        Cancel = navigator->formState()->refuseClose();
}

void FRMBU_BDGINTRIC::Form_Unload(bool& /*Cancel*/) {
    if (!m_loaded)
        return;
    if (m_activeInterface != nullptr) {
        if (HostGlobal* global = m_activeInterface->ClsGlobal())
            global->releaseInterface(m_activeInterface);
        m_activeInterface->setActiveFrame(nullptr);
        if (Navigator* navigator = m_activeInterface->ActiveNavigator()) {
            const VoceMenu* voce = m_activeInterface->ClsVoceMenu();
            if (navigator->formState() != nullptr)
                navigator->formState()->moduleClosed(voce != nullptr ? voce->Id : Variant());
            navigator->releaseModule();
        }
    }
    rilascia();
    m_loaded = false;
    emit unloaded();
}

// Everything the form holds, in the order the host expects: host objects, grids, tables,
// connection, and the log last.
void FRMBU_BDGINTRIC::rilascia() {
    m_state.ObjBudget = nullptr;
    m_budget.reset();
    m_lookup = nullptr;
    m_lookupPredefinito.reset();
    QGRID_CONFRONTO.setDataSource(nullptr);
    TGRID_BDGINTRIC.setDataSource(nullptr);
    QGRID_PERIODI.setDataSource(nullptr);
    m_state.RstCriterio.reset();
    m_state.RstCriterioPeriodi.reset();
    m_state.RstConfronto.reset();
    m_state.RstPeriodi.reset();
    if (m_activeInterface != nullptr && m_activeInterface->Connection() == &m_connection)
        m_activeInterface->setConnection(nullptr);
    m_state.connection = nullptr;
    m_connection.Close();
    m_activeInterface = nullptr;
    m_state.Gcls_Log = nullptr;
    m_log.reset();
}

bool FRMBU_BDGINTRIC::Unload() {
    if (!m_loaded)
        return true;
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel)
        return false;
    Form_Unload(cancel);
    return true;
}

void FRMBU_BDGINTRIC::ZEL_MDICONTAINER_Posiziona() {
    if (m_activeInterface == nullptr)
        return;
    posizioneMdi =
        QRect(m_activeInterface->Left(), m_activeInterface->Top(), LarghezzaMdi, AltezzaMdi);
    m_windowState = m_activeInterface->WindowState();
}

void FRMBU_BDGINTRIC::AggiornaNavigatore() {
    if (m_activeInterface == nullptr)
        return;
    if (HostGlobal* global = m_activeInterface->ClsGlobal())
        global->setActiveInterface(m_activeInterface);
    Navigator* navigator = m_activeInterface->ActiveNavigator();
    if (navigator == nullptr)
        return;
    if (const HostFrame* frame = m_activeInterface->ActiveFrame())
        navigator->setFrameStatus(frame->Status());
    navigator->update();
}

Variant FRMBU_BDGINTRIC::ExecuteFormEvent(const Variant& eventName) {
    const QString evento = eventName.toString();
    Navigator* navigator =
        m_activeInterface != nullptr ? m_activeInterface->ActiveNavigator() : nullptr;
    if (navigator == nullptr)
        return Variant();
    if (evento == QLatin1String("tsOpen")) {
        navigator->formOpened();
        if (NavigatorFormState* stato = navigator->formState())
            stato->setFormState(NomeForm, 0, true, QString());
    } else if (evento == QLatin1String("tsClose")) {
        if (NavigatorFormState* stato = navigator->formState())
            stato->setFormState(NomeForm, 0, false, QString());
    }
    return Variant();
}

// ---- Shared procedures ------------------------------------------------------------------

int FRMBU_BDGINTRIC::VisualizzaErrore(const QString& SubOrFunctionName, const QString& errorText) {
    ErrorReporter reporter{m_log.get(), m_state.connection, m_state.Gcls_Global, m_state.Caption,
                           &m_state.ProcedureAbbandonate};
    return bdg::VisualizzaErrore(reporter, SubOrFunctionName, errorText);
}

void FRMBU_BDGINTRIC::InizializzaProgress() {
    ZEL_PROGRESS.setVisible(true);
    ZEL_PROGRESS.setCaption(QStringLiteral("Elaborazione in corso ..."));
    ZEL_PROGRESS.setMode(1);
    ZEL_PROGRESS.setRunning(false);
}

void FRMBU_BDGINTRIC::AttivaProgress(bool run) {
    if (run) {
        ZEL_PROGRESS.start();
        ZEL_PROGRESS.setRunning(true);
        return;
    }
    ZEL_PROGRESS.setRunning(false);
    ZEL_PROGRESS.stop();
}

QDate FRMBU_BDGINTRIC::oggi() const {
    return m_servizi.oggi.isValid() ? m_servizi.oggi : QDate::currentDate();
}

// ---- Layout -----------------------------------------------------------------------------

// Design-time places of the frames, in twips: the parameters above, the tree and the
// periods pane below them.
void FRMBU_BDGINTRIC::impostaGeometria() {
    FRAME_MAIN.setGeometry(QRect(0, 0, LarghezzaMdi, AltezzaMdi));
    FRAME_PARAMETRI.setGeometry(QRect(60, 60, 15000, 3900));
    FRAME_TGRID.setGeometry(QRect(60, 4065, 15000, 2760));
    FRAME_PERIODI.setGeometry(QRect(60, 6825, 15000, 1380));
    FRAME_LEGENDA.setGeometry(QRect(60, 8205, 9000, 375));
}

int FRMBU_BDGINTRIC::Sv(int twips) const {
    return int(std::lround(twips * m_scalaV));
}

int FRMBU_BDGINTRIC::Sh(int twips) const {
    return int(std::lround(twips * m_scalaH));
}

void FRMBU_BDGINTRIC::Ridimensiona(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    m_scalaH = double(width) / LarghezzaMdi;
    m_scalaV = double(height) / AltezzaMdi;
    impostaGeometria();
    for (ControlModel* frame :
         {&FRAME_MAIN, &FRAME_PARAMETRI, &FRAME_TGRID, &FRAME_PERIODI, &FRAME_LEGENDA}) {
        const QRect design = frame->geometry();
        frame->setGeometry(
            QRect(Sh(design.left()), Sv(design.top()), Sh(design.width()), Sv(design.height())));
    }
    ZEL_RESIZEFORM_AfterResize();
}

void FRMBU_BDGINTRIC::ZEL_RESIZEFORM_AfterResize() {
    AdattaSplit();
}

void FRMBU_BDGINTRIC::ZEL_SPLIT_AfterMove() {
    AdattaGriglie();
}

void FRMBU_BDGINTRIC::ImpostaSplit() {
    const QRect tree = FRAME_TGRID.geometry();
    ZEL_SPLIT.setGeometry(QRect(Sv(60), tree.top(), tree.width() - Sh(30),
                                tree.height() + FRAME_PERIODI.geometry().height() - Sv(30)));
    ZEL_SPLIT.firstRegion = FRAME_TGRID.name();
    ZEL_SPLIT.secondRegion = FRAME_PERIODI.name();
    ZEL_SPLIT.upperPaneSize = 750;
    ZEL_SPLIT.lowerPaneSize = 0;
    ZEL_SPLIT.proportion = 100;
    AdattaSplit();
    PeriodiVisibili = false;
}

void FRMBU_BDGINTRIC::AdattaSplit() {
    ZEL_SPLIT.apply();
    AdattaGriglie();
}

void FRMBU_BDGINTRIC::AdattaGriglie() {
    const QRect tree = FRAME_TGRID.geometry();
    TGRID_BDGINTRIC.setGeometry(
        QRect(Sh(30), Sv(150), tree.width() - Sh(120), tree.height() - Sv(210)));
    TGRID_BDGINTRIC.refreshLayout();
    const QRect periods = FRAME_PERIODI.geometry();
    QGRID_PERIODI.setGeometry(
        QRect(Sh(30), Sv(150), periods.width() - Sh(120), periods.height() - Sv(210)));
}

void FRMBU_BDGINTRIC::BUT_PARAMETRI_ButtonClick() {
    const QRect parametri = FRAME_PARAMETRI.geometry();
    const QRect main = FRAME_MAIN.geometry();
    QRect tree = FRAME_TGRID.geometry();
    if (FRAME_PARAMETRI.visible()) {
        FRAME_PARAMETRI.setVisible(false);
        const int d = tree.top() - parametri.top();
        tree.setTop(parametri.top());
        tree.setHeight(FRAME_TGRID.geometry().height() + Sv(d));
        FRAME_TGRID.setGeometry(tree);
        QRect grid = TGRID_BDGINTRIC.geometry();
        grid.setHeight(grid.height() + Sv(d));
        TGRID_BDGINTRIC.setGeometry(grid);
        ZEL_SPLIT.setGeometry(
            QRect(Sv(60), parametri.top(), parametri.width() - Sh(30), main.height() - Sv(180)));
        BUT_NUOVO.setEnabled(false);
    } else {
        FRAME_PARAMETRI.setVisible(true);
        const int a = main.height() - Sv(120) - parametri.height() - Sv(105);
        tree.moveTop(parametri.height() + Sv(105));
        tree.setHeight(a * 2 / 3);
        FRAME_TGRID.setGeometry(tree);
        QRect periods = FRAME_PERIODI.geometry();
        periods.setHeight(a - tree.height() - Sv(60));
        FRAME_PERIODI.setGeometry(periods);
        ZEL_SPLIT.setGeometry(QRect(Sv(60), tree.top(), parametri.width() - Sh(30), a));
        BUT_NUOVO.setEnabled(true);
    }
    AdattaSplit();
}

} // namespace bdg
