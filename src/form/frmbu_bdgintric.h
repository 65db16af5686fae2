#pragma once

#include "data/connection.h"
#include "engine/elabora.h"
#include "form/control_model.h"
#include "form/grid_model.h"
#include "form/tree_grid_model.h"
#include "host/associated_companies.h"
#include "host/form_state.h"
#include "params/parametri.h"
#include "params/rifiuto.h"
#include "params/valuta.h"

#include <QDate>
#include <QObject>

#include <array>
#include <memory>
#include <optional>

namespace bdg {

class BudgetObject;
class Cinterface;
struct ApplicazioneModulo;
class HostGlobal;
class HostLog;
class LookupService;
class ProgressIndicator;
class TraceSink;

/// What a host plugs into the form besides its module contract; every member may be left
/// empty, and the form then uses its own over the company database.
struct ServiziForm {
    LookupService* lookup = nullptr;       ///< lookups and decodes; default: the database's
    ProgressIndicator* progress = nullptr; ///< a bar of the host's own, besides ZEL_PROGRESS
    TraceSink* trace = nullptr;            ///< default: the "bdgintric.trace" debug messages
    QString logFilePath;                   ///< the log's file; default: the user's data folder
    AssociatedCompaniesFactory aziende;    ///< the main-company service; default: the database
    QDate oggi;                            ///< today; invalid: the system date
    /// The application object of the library that holds the form, handed to the host.
    const ApplicazioneModulo* applicazione = nullptr;
};

/// One image of the node image list: its position (from 1), key and tag.
struct ImmagineNodo {
    int posizione;
    const char* chiave;
    const char* tag;
};

/// The inquiry form as a model without widgets: its state, one model per control, the
/// three grids and the event handlers under the names the form's procedures have.
///
/// A view shows the control models and forwards the user's actions to them (typing,
/// leaving a field, clicking); the controls call the handlers below, which change the
/// controls and the state. The command line drives the same model, so a refusal, a message
/// or a figure is the same in both. Messages reach the user through the host's services
/// (ActiveInterface's ClsGlobal); the form never talks to a screen.
///
/// Lifecycle: construction traces the form's creation; setActiveInterface() hands it the
/// module contract; Form_Activate() starts it (connection, company settings, budget
/// object, initial controls) and may close it at once when the company has no usable
/// management currency; Unload() asks the navigator and releases everything.
class FRMBU_BDGINTRIC : public QObject {
    Q_OBJECT

public:
    static const QList<ImmagineNodo>& IMGLST_TIPINODO();

    explicit FRMBU_BDGINTRIC(ServiziForm servizi = {}, QObject* parent = nullptr);
    ~FRMBU_BDGINTRIC() override;

    FormState& state() { return m_state; }
    const FormState& state() const { return m_state; }
    QString caption() const { return m_state.Caption; }
    void setCaption(const QString& caption);
    std::int16_t windowState() const { return m_windowState; }
    void setWindowState(std::int16_t state) { m_windowState = state; }
    Cinterface* ActiveInterface() const { return m_activeInterface; }
    void setActiveInterface(Cinterface* module) { m_activeInterface = module; }
    /// True from the first activation until the form is unloaded.
    bool isLoaded() const { return m_loaded; }
    bool isActivated() const { return m_activated; }
    /// The control that has (or last asked for) the input focus.
    QString focus() const { return m_focus; }
    /// The last refusal of a field or of the run's parameters; cleared by the next check.
    const EsitoParametro& ultimoRifiuto() const { return m_ultimoRifiuto; }
    /// How the last run ended; nothing before the first run or after a refused click.
    std::optional<EsitoElaborazione> esitoElaborazione() const { return m_esito; }
    /// Whether the last click of BUT_BU68_SALVA stored the list.
    bool profiloSalvato() const { return m_salvato; }
    /// True while the form shows a result (after a run, until BUT_NUOVO).
    bool isStatoRisultato() const { return !m_state.IsParametriModificabili; }
    HostLog* log() const { return m_log.get(); }
    Connection& connection() { return m_connection; }

    // Controls.
    ControlModel FRAME_MAIN{QStringLiteral("FRAME_MAIN")};
    ControlModel FRAME_PARAMETRI{QStringLiteral("FRAME_PARAMETRI")};
    ControlModel FRAME_SOTTOTIPO{QStringLiteral("FRAME_SOTTOTIPO")};
    ControlModel FRAME_SOTTOTIPO_INFO{QStringLiteral("FRAME_SOTTOTIPO_INFO")};
    ControlModel FRAME_CRITERIO{QStringLiteral("FRAME_CRITERIO")};
    ControlModel FRAME_PERIODO_DA_A{QStringLiteral("FRAME_PERIODO_DA_A")};
    ControlModel FRAME_VALUTA{QStringLiteral("FRAME_VALUTA")};
    ControlModel FRAME_CONFRONTO{QStringLiteral("FRAME_CONFRONTO")};
    ControlModel FRAME_TGRID{QStringLiteral("FRAME_TGRID")};
    ControlModel FRAME_PERIODI{QStringLiteral("FRAME_PERIODI")};
    ControlModel FRAME_LEGENDA{QStringLiteral("FRAME_LEGENDA")};
    EditModel TXT_SOTTOTIPO{QStringLiteral("TXT_SOTTOTIPO")};
    LabelModel TXT_SOTTOTIPO_DES{QStringLiteral("TXT_SOTTOTIPO_DES")};
    LabelModel TXT_CODSTRUTTURABU60{QStringLiteral("TXT_CODSTRUTTURABU60")};
    LabelModel LBB_NUMFORECAST{QStringLiteral("LBB_NUMFORECAST")};
    LabelModel LBB_INDMULTIATTIVITA{QStringLiteral("LBB_INDMULTIATTIVITA")};
    LabelModel LBB_INDTIPOPDC{QStringLiteral("LBB_INDTIPOPDC")};
    LabelModel LBB_PERIODOSOLAREFISCALE{QStringLiteral("LBB_PERIODOSOLAREFISCALE")};
    LabelModel LBB_PERIODICITA{QStringLiteral("LBB_PERIODICITA")};
    LabelModel LBB_GESTIONESEDE{QStringLiteral("LBB_GESTIONESEDE")};
    EditModel TXT_CRITERIO{QStringLiteral("TXT_CRITERIO")};
    LabelModel TXT_CRITERIO_DES{QStringLiteral("TXT_CRITERIO_DES")};
    CheckModel CHK_CONSOLIDO_MULTIATT{QStringLiteral("CHK_CONSOLIDO_MULTIATT")};
    CheckModel CHK_NASCONDI_NULL{QStringLiteral("CHK_NASCONDI_NULL")};
    EditModel TXT_PERIODO_DA{QStringLiteral("TXT_PERIODO_DA")};
    EditModel TXT_PERIODO_A{QStringLiteral("TXT_PERIODO_A")};
    EditModel TXT_VALUTA{QStringLiteral("TXT_VALUTA")};
    EditModel TXT_DATACAMBIO{QStringLiteral("TXT_DATACAMBIO")};
    EditModel TXT_CAMBIO{QStringLiteral("TXT_CAMBIO")};
    EditModel TXT_PROFILO{QStringLiteral("TXT_PROFILO")};
    GridModel QGRID_CONFRONTO{QStringLiteral("QGRID_CONFRONTO")};
    ButtonModel BUT_QGRID_PIU{QStringLiteral("BUT_QGRID_PIU")};
    ButtonModel BUT_QGRID_MENO{QStringLiteral("BUT_QGRID_MENO")};
    ButtonModel BUT_QGRID_SU{QStringLiteral("BUT_QGRID_SU")};
    ButtonModel BUT_QGRID_GIU{QStringLiteral("BUT_QGRID_GIU")};
    ButtonModel BUT_BU68_SALVA{QStringLiteral("BUT_BU68_SALVA")};
    ButtonModel BUT_BU68_DELETE{QStringLiteral("BUT_BU68_DELETE")};
    ButtonModel BUT_ELABORA{QStringLiteral("BUT_ELABORA")};
    ButtonModel BUT_NUOVO{QStringLiteral("BUT_NUOVO")};
    ButtonModel BUT_PARAMETRI{QStringLiteral("BUT_PARAMETRI")};
    ButtonModel BUT_NODO_CONTI_VISIBILE{QStringLiteral("BUT_NODO_CONTI_VISIBILE")};
    ButtonModel BUT_PERIODI_VISIBLE{QStringLiteral("BUT_PERIODI_VISIBLE")};
    ButtonModel BUT_EXCEL{QStringLiteral("BUT_EXCEL")};
    TreeGridModel TGRID_BDGINTRIC{QStringLiteral("TGRID_BDGINTRIC")};
    GridModel QGRID_PERIODI{QStringLiteral("QGRID_PERIODI")};
    ProgressModel ZEL_PROGRESS{QStringLiteral("ZEL_PROGRESS")};
    SplitModel ZEL_SPLIT{QStringLiteral("ZEL_SPLIT")};
    LabelModel LBL_TI{QStringLiteral("LBL_TI")};
    LabelModel LBL_TA{QStringLiteral("LBL_TA")};
    LabelModel LBL_VA{QStringLiteral("LBL_VA")};
    LabelModel LBL_IMG_FORMULA{QStringLiteral("LBL_IMG_FORMULA")};

    /// A control by name; null for an unknown name.
    QObject* controllo(const QString& name) const;

    // Form-level values of the Parts that own them.
    std::int32_t LarghezzaColImporto = 1300;
    std::int32_t LarghezzaColDelta = 1100;
    std::int32_t LarghezzaColDeltaPerc = 1100;
    bool NascondiConti = true;
    bool PeriodiVisibili = false;
    bool LookupDaMenu = false;
    int ModoLookupCriterio = 0;
    Variant NomeProfiloPrecedente = Variant::null();
    /// Footer totals of the periods grid: per set, its rank, kind, amount, difference and
    /// percentage difference.
    std::vector<std::array<Variant, 5>> TotaliColonne;
    bool TotaliCalcolati = false;
    std::int32_t SplitPosSalvata = 0;
    std::int16_t SplitPercSalvata = 0;
    /// Where the MDI container put the form (twips) and its window state.
    QRect posizioneMdi;

    // Lifecycle.
    void Form_Initialize();
    void Form_Terminate();
    void Form_Activate();
    void Form_QueryUnload(bool& Cancel, int unloadMode = 0);
    void Form_Unload(bool& Cancel);
    /// The close the host asks for: the guard, then the release; false when refused.
    bool Unload();
    void ZEL_MDICONTAINER_Posiziona();
    void AggiornaNavigatore();
    Variant ExecuteFormEvent(const Variant& eventName);

    // Shared procedures.
    int VisualizzaErrore(const QString& SubOrFunctionName, const QString& errorText);
    void InizializzaProgress();
    void AttivaProgress(bool run);

    // Subtype.
    void TXT_SOTTOTIPO_StartDecode();
    void TXT_SOTTOTIPO_StartLookup(bool& Cancel);
    void TXT_SOTTOTIPO_KeyButtonMenuPress(const QString& item);
    void TXT_SOTTOTIPO_Validate(bool& Cancel);
    void TXT_SOTTOTIPO_Event0();
    void CHK_CONSOLIDO_MULTIATT_Click();
    void BUT_PARAMETRI_ButtonClick();

    // Criterion.
    bool IsCriterioValido();
    void TXT_CRITERIO_StartDecode(bool& Cancel);
    void TXT_CRITERIO_StartLookup(bool& Cancel);
    void TXT_CRITERIO_KeyButtonMenuPress(const QString& item);
    void TXT_CRITERIO_AfterItem(bool& Cancel);
    void TXT_CRITERIO_Validate(bool& Cancel);
    void TXT_CRITERIO_Event0();

    // Period range and currency.
    bool ValutaGetDati();
    void ValutaGestione(EditModel& field);
    void TXT_VALUTA_StartDecode();
    void TXT_VALUTA_StartLookup(bool& Cancel);
    void TXT_VALUTA_AfterItem();
    void TXT_VALUTA_KeyButtonMenuPress(const QString& item);
    void TXT_CAMBIO_KeyButtonMenuPress(const QString& item);
    void TXT_DATACAMBIO_AfterItem();
    void TXT_PERIODO_DA_Event0();
    void TXT_PERIODO_A_Event0();

    // Parameter validation and the run.
    bool IsParametriValidi();
    void BUT_ELABORA_ButtonClick();
    EsitoElaborazione BdgIntRic_Elabora();
    void DisabilitaDopoBUT_ELABORA_ButtonClick();
    void BUT_NUOVO_ButtonClick();

    // Comparison sets.
    bool DefinisciRstConfronto();
    void InitQGridConfronto();
    bool RstConfrontoDelete();
    bool IsDatiRstConfrontoValido();
    void BUT_QGRID_PIU_ButtonClick();
    void BUT_QGRID_MENO_ButtonClick();
    void BUT_QGRID_SU_ButtonClick();
    void BUT_QGRID_GIU_ButtonClick();
    void QGRID_CONFRONTO_LostFocus();
    void QGRID_CONFRONTO_OnEdited(const QString& column);
    void QGRID_CONFRONTO_SelectionBoxClick(const QString& field);

    // Comparison profiles.
    void BUT_BU68_SALVA_ButtonClick();
    void BUT_BU68_DELETE_ButtonClick();
    void TXT_PROFILO_StartLookup(bool& Cancel);
    void TXT_PROFILO_Validate(bool& Cancel);
    void TXT_PROFILO_Event0();
    void TXT_PROFILO_Event1();
    void PopolaRstConfrontoDaBU68(const Variant& name, bool& Cancel);

    // Result tree and periods.
    void InitTGridCriteri();
    void TGRID_BDGINTRIC_NodeImage(int node, std::int16_t& image);
    void TGRID_BDGINTRIC_RowChanged();
    void BUT_NODO_CONTI_VISIBILE_ButtonClick();
    /// Answers at once: the result leaves through the host's office export.
    void BUT_EXCEL_ButtonClick();
    void InitQGridPeriodi(int n);
    void PopolaRstPeriodi(Recordset& source);
    void BUT_PERIODI_VISIBLE_ButtonClick();
    void CalcoloTotaliColonne_QGRID_PERIODI(const QString& Voce);
    void QGRID_PERIODI_CustomSummaryFooter(const QString& field, Variant& value);
    void QGRID_PERIODI_CustomDrawFooter(const QString& field, QString& text);
    void QGRID_PERIODI_DataFormatEXT(QString& text, const QString& field, const Variant& value);

    // Layout.
    /// The controls the resize control keeps proportioned, with their modes.
    static const QList<QPair<QString, int>>& RegistrazioniResize();
    void ZEL_RESIZEFORM_AfterResize();
    void ZEL_SPLIT_AfterMove();
    void ImpostaSplit();
    void AdattaSplit();
    void AdattaGriglie();
    /// The form's new size in twips: the resize control scales every design-time length.
    void Ridimensiona(int width, int height);
    /// The resize control's scaling of a design-time length, vertical and horizontal.
    int Sv(int twips) const;
    int Sh(int twips) const;

signals:
    void focusChanged(const QString& control);
    /// The form was unloaded (closed by the host or refused at start-up).
    void unloaded();

private:
    void creaControlli();
    void collegaGestori();
    void impostaGeometria();
    void setFocus(const QString& control);
    bool avvio();
    bool controllaValutaGestione();
    void impostaFormatiGestione();
    void creaOggettiHost();
    void impostaControlliIniziali();
    void chiudiAllAvvio();
    void rilascia();
    QDate oggi() const;
    void registraRifiuto(const EsitoParametro& rifiuto);
    bool codiceDecodificato(EditModel& field, Rifiuto (*rifiuto)(const QString& codice),
                            bool& Cancel);
    ValoriParametri valoriParametri() const;
    LookupService& lookup() const;
    void decodifica(EditModel& field, LabelModel* description, const QString& procedure,
                    const std::function<std::optional<QString>(const QString&)>& decode);
    void tornaAlControllo(const QString& controllo);
    void applicaCampiCambio(const CampiCambio& campi);
    CampiCambio campiCambio() const;
    void abilitaConfronto(bool enabled);
    void legaAlberoEPeriodi(EsitoElaborazione esito);
    void svuotaColonneRisultato();
    Recordset* rstAperto(const RecordsetPtr& rst) const;
    bool haRighe(const RecordsetPtr& rst) const;
    std::optional<Variant> totalePiede(const QString& field) const;
    void
    aggiungiColonneInsiemi(const std::function<void(int set, const QString& field, int width,
                                                    bool visible, const QString& format)>& add);

    ServiziForm m_servizi;
    FormState m_state;
    Connection m_connection;
    std::unique_ptr<HostLog> m_log;
    std::unique_ptr<BudgetObject> m_budget;
    std::unique_ptr<LookupService> m_lookupPredefinito;
    LookupService* m_lookup = nullptr;
    std::unique_ptr<TraceSink> m_tracePredefinito;
    TraceSink* m_trace = nullptr;
    QString m_idIstanza;
    Cinterface* m_activeInterface = nullptr;
    std::int16_t m_windowState = 0;
    bool m_activated = false;
    bool m_loaded = false;
    bool m_chiusuraAllAvvio = false;
    QString m_focus;
    EsitoParametro m_ultimoRifiuto;
    std::optional<EsitoElaborazione> m_esito;
    bool m_salvato = false;
    double m_scalaV = 1.0;
    double m_scalaH = 1.0;
};

} // namespace bdg
