#include "module/clsbu_bdgintric.h"

#include "company/company_data_check.h"
#include "export/export_to_office.h"
#include "form/frmbu_bdgintric.h"
#include "host/contract/message_service.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"
#include "views/vista_interrogazione.h"

#include <exception>

namespace bdg {

namespace {

const QString NomeForm = QStringLiteral("FRMBU_BDGINTRIC");

// The module never lets a failure reach the host: the step is skipped.
template <typename Step> void ignoraErrori(Step step) {
    try {
        step();
    } catch (const std::exception&) { // skipped: the host goes on
    }
}

} // namespace

CLSBU_BDGINTRIC::CLSBU_BDGINTRIC(const ApplicazioneModulo* applicazione, TraceSink* trace)
    : m_applicazione(applicazione) {
    if (trace == nullptr)
        m_tracePredefinito = std::make_unique<DebugTraceSink>();
    m_trace = trace != nullptr ? trace : m_tracePredefinito.get();
    Class_Initialize();
}

CLSBU_BDGINTRIC::~CLSBU_BDGINTRIC() {
    Class_Terminate();
}

void CLSBU_BDGINTRIC::Class_Initialize() {
    m_idIstanza = NuovoIdIstanza();
    m_trace->trace(RigaTraccia(m_idIstanza, QStringLiteral("INI"), QLatin1String(NomeClasse)));
    setActiveDll(this);
}

// The references go in the host's order; the form's window goes before the form it shows.
void CLSBU_BDGINTRIC::Class_Terminate() {
    m_trace->trace(RigaTraccia(m_idIstanza, QStringLiteral("TER"), QLatin1String(NomeClasse)));
    setActiveNavigator(nullptr);
    setClsVoceMenu(nullptr);
    setActiveDll(nullptr);
    setClsGlobal(nullptr);
    setConnection(nullptr);
    chiudiVista();
    m_form.reset();
}

void CLSBU_BDGINTRIC::chiudiVista() {
    delete m_vista.data();
}

QString CLSBU_BDGINTRIC::didascaliaForm() const {
    return m_form ? m_form->caption() : Caption().toString();
}

void CLSBU_BDGINTRIC::setActiveNavigator(Navigator* navigator) {
    if (Navigator* previous = ActiveNavigator())
        previous->disconnectEvents(this);
    BasicModule::setActiveNavigator(navigator);
    if (navigator != nullptr)
        navigator->connectEvents(this);
}

// A new form each time, shown in the host's frame when there is one; its start-up runs as
// it is shown, and a company it refuses closes it again at once.
Variant CLSBU_BDGINTRIC::ShowForm() {
    ignoraErrori([&] {
        chiudiVista();
        ServiziForm servizi;
        servizi.applicazione = m_applicazione;
        if (HostGlobal* global = ClsGlobal())
            servizi.progress = global->progressIndicator();
        m_form = std::make_unique<FRMBU_BDGINTRIC>(servizi);
        m_form->setActiveInterface(ActiveDll());
        m_form->setWindowState(WindowState());
        m_form->setCaption(Caption().toString());
        auto* vista = new VistaInterrogazione(*m_form);
        m_vista = vista;
        QObject::connect(m_form.get(), &FRMBU_BDGINTRIC::unloaded, vista, &QObject::deleteLater);
        HostFrame* frame = ActiveFrame();
        if (frame != nullptr) {
            frame->mostraForm(vista, m_form->caption());
        } else {
            vista->setAttribute(Qt::WA_DeleteOnClose);
            vista->setWindowModality(WindowModal() ? Qt::ApplicationModal : Qt::NonModal);
            vista->show();
        }
        m_form->Form_Activate();
        if (!m_form->isLoaded())
            return;
        // The form reads the company through a connection of its own.
        CompanyDataCheck::install(m_form->connection());
        if (frame == nullptr)
            return;
        m_form->ZEL_MDICONTAINER_Posiziona();
        frame->posiziona(m_form->posizioneMdi, m_form->windowState());
    });
    return Variant();
}

Variant CLSBU_BDGINTRIC::CloseForm() {
    bool chiusa = false;
    ignoraErrori([&] {
        if (m_form)
            m_form->Unload();
        chiusa = !m_form || m_form->ActiveInterface() == nullptr;
    });
    return Variant(chiusa);
}

void CLSBU_BDGINTRIC::BeforeChangeDitta(bool& Cancel) {
    Cancel = true;
    ignoraErrori([&] {
        if (HostGlobal* global = ClsGlobal())
            global->ShowMessageNumber(Msg::CambioDittaNonAmmesso, MessageStyle::Information,
                                      didascaliaForm());
    });
}

void CLSBU_BDGINTRIC::BeforeExportToOffice(bool& Cancel, OfficeExport* Pcls_ExpToOffice) {
    ignoraErrori(
        [&] { ActiveNavigator_BeforeExportToOffice(m_form.get(), Cancel, Pcls_ExpToOffice); });
}

void CLSBU_BDGINTRIC::BeforeOpenViewTable(bool& /*Cancel*/, Variant& /*Pvar_FieldBookmark*/,
                                          Variant& /*Pvar_SqlStatement*/,
                                          Variant& /*Pvar_HeadCaption*/) {}

// The host's layout and script models take the form only while the module is active.
bool CLSBU_BDGINTRIC::formRegistrabile(const void* modello) const {
    const Cinterface* dll = ActiveDll();
    return dll != nullptr && dll->IsActive() && modello != nullptr && m_vista;
}

void CLSBU_BDGINTRIC::InitializeLayoutObjectModel(bool& /*Cancel*/, LayoutObjectModel* ClsLayout) {
    ignoraErrori([&] {
        if (!formRegistrabile(ClsLayout))
            return;
        QObject* form = m_vista;
        ClsLayout->AddForm(Variant(didascaliaForm()), form, 0, 0, 0);
        m_vista = qobject_cast<VistaInterrogazione*>(form);
    });
}

void CLSBU_BDGINTRIC::InitializeScriptObjectModel(bool& /*Cancel*/, ScriptObjectModel* ClsScript) {
    ignoraErrori([&] {
        if (!formRegistrabile(ClsScript))
            return;
        QObject* form = m_vista;
        ClsScript->AddObject(NomeForm, form, 0, didascaliaForm());
        m_vista = qobject_cast<VistaInterrogazione*>(form);
        HostFrame* frame = ActiveDll()->ActiveFrame();
        auto* oggetto = dynamic_cast<QObject*>(frame);
        if (frame == nullptr || oggetto == nullptr)
            return;
        frame->setName(QString());
        ClsScript->AddObject(frame->Name(), oggetto, 3, frame->Name());
    });
}

} // namespace bdg
