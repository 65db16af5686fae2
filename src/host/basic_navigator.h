#pragma once

#include "host/contract/navigator.h"

#include <QList>

namespace bdg {

/// A navigator that remembers what it was told, with a form-state object that lets the
/// module close unless told otherwise, and that raises its events on the modules connected
/// to it: for the command line, the tests, and as the base of the desktop's navigator.
class BasicNavigator : public Navigator, public NavigatorFormState {
public:
    /// One call received by the form-state object.
    struct FormStateCall {
        QString formName;
        int kind = 0;
        bool aperta = false;
        QString text;
    };

    void setFrameStatus(std::int16_t status) override { m_frameStatus = status; }
    void update() override { ++m_updates; }
    void formOpened() override { ++m_formsOpened; }
    NavigatorFormState* formState() override { return this; }
    void releaseModule() override { ++m_releases; }
    void connectEvents(NavigatorEvents* module) override;
    void disconnectEvents(NavigatorEvents* module) override { m_modules.removeAll(module); }
    const QList<NavigatorEvents*>& connectedModules() const { return m_modules; }

    // The events, raised on every connected module in the order they connected; each
    // returns the Cancel the modules left (true: one of them refused).
    bool raiseBeforeChangeDitta();
    bool raiseBeforeExportToOffice(OfficeExport* exportToOffice);
    bool raiseBeforeOpenViewTable(Variant& fieldBookmark, Variant& sqlStatement,
                                  Variant& headCaption);
    bool raiseInitializeLayoutObjectModel(LayoutObjectModel* layout);
    bool raiseInitializeScriptObjectModel(ScriptObjectModel* script);

    void setFormState(const QString& formName, int kind, bool aperta,
                      const QString& text) override {
        m_formStates.append({formName, kind, aperta, text});
    }
    bool refuseClose() override { return m_refuseClose; }
    void moduleClosed(const Variant& voceMenu) override { m_closedMenus.append(voceMenu); }

    /// Makes the form-state object refuse (or allow again) the module's close.
    void setRefuseClose(bool refuse) { m_refuseClose = refuse; }

    std::int16_t frameStatus() const { return m_frameStatus; }
    int updates() const { return m_updates; }
    int formsOpened() const { return m_formsOpened; }
    int releases() const { return m_releases; }
    const QList<FormStateCall>& formStates() const { return m_formStates; }
    const QList<Variant>& closedMenus() const { return m_closedMenus; }

private:
    std::int16_t m_frameStatus = 0;
    int m_updates = 0;
    int m_formsOpened = 0;
    int m_releases = 0;
    bool m_refuseClose = false;
    QList<FormStateCall> m_formStates;
    QList<Variant> m_closedMenus;
    QList<NavigatorEvents*> m_modules;
};

} // namespace bdg
