#pragma once

#include "host/contract/cinterface.h"

namespace bdg {

/// A module contract that only stores what a host hands in, with the conversions the
/// contract asks for (16-bit window state, 32-bit position) and no form of its own: the
/// command line and the tests give the form their services through it, and the desktop
/// module class adds its form on top of it.
class BasicModule : public Cinterface {
public:
    BasicModule() { m_activeDll = this; }

    HostGlobal* ClsGlobal() const override { return m_global; }
    void setClsGlobal(HostGlobal* global) override { m_global = global; }
    bdg::Connection* Connection() const override { return m_connection; }
    void setConnection(bdg::Connection* connection) override { m_connection = connection; }
    HostFrame* ActiveFrame() const override { return m_frame; }
    void setActiveFrame(HostFrame* frame) override { m_frame = frame; }
    Navigator* ActiveNavigator() const override { return m_navigator; }
    void setActiveNavigator(Navigator* navigator) override { m_navigator = navigator; }
    Cinterface* ActiveDll() const override { return m_activeDll; }
    void setActiveDll(Cinterface* module) override { m_activeDll = module; }
    QObject* StatusBar() const override { return m_statusBar; }
    void setStatusBar(QObject* statusBar) override { m_statusBar = statusBar; }
    const VoceMenu* ClsVoceMenu() const override { return m_voceMenu; }
    void setClsVoceMenu(const VoceMenu* voceMenu) override { m_voceMenu = voceMenu; }
    QObject* Cwindow() const override { return m_window; }

    bool CanInsert() const override { return m_canInsert; }
    void setCanInsert(bool can) override { m_canInsert = can; }
    bool CanDelete() const override { return m_canDelete; }
    void setCanDelete(bool can) override { m_canDelete = can; }
    bool CanUpdate() const override { return m_canUpdate; }
    void setCanUpdate(bool can) override { m_canUpdate = can; }
    bool CanQbe() const override { return m_canQbe; }
    void setCanQbe(bool can) override { m_canQbe = can; }

    bool WindowModal() const override { return m_windowModal; }
    void setWindowModal(bool modal) override { m_windowModal = modal; }
    std::int16_t WindowState() const override { return m_windowState; }
    void setWindowState(std::int32_t state) override { store16(m_windowState, state); }
    std::int16_t ProgramMode() const override { return m_programMode; }
    void setProgramMode(std::int32_t mode) override { store16(m_programMode, mode); }
    Variant MenuModulo() const override { return m_menuModulo; }
    void setMenuModulo(const Variant& value) override { m_menuModulo = value; }
    Variant MenuPadre() const override { return m_menuPadre; }
    void setMenuPadre(const Variant& value) override { m_menuPadre = value; }
    Variant MenuProg() const override { return m_menuProg; }
    void setMenuProg(const Variant& value) override { m_menuProg = value; }
    Variant Caption() const override { return m_caption; }
    void setCaption(const Variant& caption) override { m_caption = caption; }
    std::int32_t hwndParent() const override { return m_hwndParent; }
    void setHwndParent(std::int32_t handle) override { m_hwndParent = handle; }
    std::int32_t Top() const override { return m_top; }
    void setTop(const Variant& top) override { store32(m_top, top); }
    std::int32_t Left() const override { return m_left; }
    void setLeft(const Variant& left) override { store32(m_left, left); }
    bool IsActive() const override { return m_isActive; }
    void setIsActive(bool active) override { m_isActive = active; }
    bool IsCalled() const override { return m_isCalled; }
    void setIsCalled(bool called) override { m_isCalled = called; }
    Variant Filtro() const override { return Variant(); }
    void setFiltro(const Variant& /*filtro*/) override {}

    Variant ShowForm() override { return Variant(); }
    Variant CloseForm() override { return Variant(true); }
    Variant TransferData(const Variant& Data) override;
    void setEventi(ModuloEventi* eventi) override { m_eventi = eventi; }

    /// Both coordinates at once, for hosts and tests that place the module themselves.
    void setPosition(std::int32_t left, std::int32_t top) {
        m_left = left;
        m_top = top;
    }

protected:
    ModuloEventi* eventi() const { return m_eventi; }

private:
    static void store16(std::int16_t& target, std::int32_t value);
    static void store32(std::int32_t& target, const Variant& value);

    HostGlobal* m_global = nullptr;
    bdg::Connection* m_connection = nullptr;
    HostFrame* m_frame = nullptr;
    Navigator* m_navigator = nullptr;
    Cinterface* m_activeDll = nullptr;
    QObject* m_statusBar = nullptr;
    QObject* m_window = nullptr;
    const VoceMenu* m_voceMenu = nullptr;
    ModuloEventi* m_eventi = nullptr;
    bool m_canInsert = false;
    bool m_canDelete = false;
    bool m_canUpdate = false;
    bool m_canQbe = false;
    bool m_windowModal = false;
    std::int16_t m_windowState = 0;
    std::int16_t m_programMode = 0;
    Variant m_menuModulo;
    Variant m_menuPadre;
    Variant m_menuProg;
    Variant m_caption;
    std::int32_t m_hwndParent = 0;
    bool m_isActive = true;
    bool m_isCalled = false;
    std::int32_t m_top = 0;
    std::int32_t m_left = 0;
};

} // namespace bdg
