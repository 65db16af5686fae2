#pragma once

#include "host/basic_module.h"
#include "host/contract/modulo.h"
#include "host/contract/navigator.h"
#include "host/trace.h"
#include "views/vista_interrogazione.h"

#include <QPointer>

#include <memory>

namespace bdg {

class FRMBU_BDGINTRIC;

/// The inquiry module as the host creates it: a store of what the host hands in (the
/// module contract), the owner of the one inquiry form FRMBU_BDGINTRIC and its window, and
/// the receiver of the navigator's events once it was given the navigator.
///
/// Every member ignores its own failures: nothing goes wrong towards the host from here.
/// Creation and destruction each write a trace line.
class CLSBU_BDGINTRIC : public BasicModule, public NavigatorEvents {
public:
    static constexpr const char* NomeClasse = "CLSBU_BDGINTRIC";

    /// `applicazione` is the library's application object; `trace` receives the trace
    /// lines (default: the debug output).
    explicit CLSBU_BDGINTRIC(const ApplicazioneModulo* applicazione, TraceSink* trace = nullptr);
    ~CLSBU_BDGINTRIC() override;
    CLSBU_BDGINTRIC(const CLSBU_BDGINTRIC&) = delete;
    CLSBU_BDGINTRIC& operator=(const CLSBU_BDGINTRIC&) = delete;

    /// The running library's application object.
    const ApplicazioneModulo* ObjApplication() const { return m_applicazione; }
    /// The form; null before ShowForm.
    FRMBU_BDGINTRIC* form() const { return m_form.get(); }
    /// The form's window; null when it is not on screen.
    VistaInterrogazione* vista() const { return m_vista; }

    // Cinterface
    void setActiveNavigator(Navigator* navigator) override;
    Variant ShowForm() override;
    Variant CloseForm() override;

    // ActiveNavigator's events
    void BeforeChangeDitta(bool& Cancel) override;
    void BeforeExportToOffice(bool& Cancel, OfficeExport* Pcls_ExpToOffice) override;
    void BeforeOpenViewTable(bool& Cancel, Variant& Pvar_FieldBookmark, Variant& Pvar_SqlStatement,
                             Variant& Pvar_HeadCaption) override;
    void InitializeLayoutObjectModel(bool& Cancel, LayoutObjectModel* ClsLayout) override;
    void InitializeScriptObjectModel(bool& Cancel, ScriptObjectModel* ClsScript) override;

private:
    void Class_Initialize();
    void Class_Terminate();
    QString didascaliaForm() const;
    bool formRegistrabile(const void* modello) const;
    void chiudiVista();

    const ApplicazioneModulo* m_applicazione;
    std::unique_ptr<DebugTraceSink> m_tracePredefinito;
    TraceSink* m_trace;
    QString m_idIstanza;
    std::unique_ptr<FRMBU_BDGINTRIC> m_form;
    QPointer<VistaInterrogazione> m_vista;
};

} // namespace bdg
