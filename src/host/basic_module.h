#pragma once

#include "host/contract/cinterface.h"

namespace bdg {

/// A module contract that only stores what a host hands in: the command line and the tests
/// give the form their services through it, as the desktop host's module class will.
class BasicModule : public Cinterface {
public:
    HostGlobal* ClsGlobal() const override { return m_global; }
    void setClsGlobal(HostGlobal* global) { m_global = global; }
    bdg::Connection* Connection() const override { return m_connection; }
    void setConnection(bdg::Connection* connection) override { m_connection = connection; }
    HostFrame* ActiveFrame() const override { return m_frame; }
    void setActiveFrame(HostFrame* frame) override { m_frame = frame; }
    Navigator* ActiveNavigator() const override { return m_navigator; }
    void setActiveNavigator(Navigator* navigator) { m_navigator = navigator; }
    const VoceMenu* ClsVoceMenu() const override { return m_voceMenu; }
    void setClsVoceMenu(const VoceMenu* voceMenu) { m_voceMenu = voceMenu; }
    std::int16_t WindowState() const override { return m_windowState; }
    void setWindowState(std::int16_t state) { m_windowState = state; }
    QString Caption() const override { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }
    bool IsActive() const override { return m_isActive; }
    void setIsActive(bool active) { m_isActive = active; }
    std::int32_t Top() const override { return m_top; }
    std::int32_t Left() const override { return m_left; }
    void setPosition(std::int32_t left, std::int32_t top) {
        m_left = left;
        m_top = top;
    }

private:
    HostGlobal* m_global = nullptr;
    bdg::Connection* m_connection = nullptr;
    HostFrame* m_frame = nullptr;
    Navigator* m_navigator = nullptr;
    const VoceMenu* m_voceMenu = nullptr;
    std::int16_t m_windowState = 0;
    QString m_caption;
    bool m_isActive = true;
    std::int32_t m_top = 0;
    std::int32_t m_left = 0;
};

} // namespace bdg
