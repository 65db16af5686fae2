#include "form/control_model.h"

#include "host/contract/progress_indicator.h"

#include <algorithm>

namespace bdg {

ControlModel::ControlModel(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
}

void ControlModel::setEnabled(bool enabled) {
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    emit enabledChanged(enabled);
}

void ControlModel::setVisible(bool visible) {
    if (m_visible == visible)
        return;
    m_visible = visible;
    emit visibleChanged(visible);
}

void ControlModel::setCaption(const QString& caption) {
    if (m_caption == caption)
        return;
    m_caption = caption;
    emit captionChanged(caption);
}

void ControlModel::setGeometry(const QRect& geometry) {
    if (m_geometry == geometry)
        return;
    m_geometry = geometry;
    emit geometryChanged(geometry);
}

void LabelModel::setText(const QString& text) {
    if (m_text == text)
        return;
    m_text = text;
    emit textChanged(text);
}

void EditModel::setText(const Variant& text) {
    if (m_text.type() == text.type() && m_text.toString() == text.toString())
        return;
    m_text = text;
    emit textChanged(text);
}

QString EditModel::code() const {
    return NVL(m_text, Variant(QString())).toString().trimmed();
}

void EditModel::addMenuEntry(const VoceMenuTasto& entry) {
    m_menu.append(entry);
    emit menuChanged();
}

void EditModel::closeLookup() {
    if (!m_lookup)
        return;
    m_lookup.reset();
    emit lookupChanged();
}

void EditModel::showLookup(const RichiestaLookup& request) {
    m_lookup = request;
    emit lookupChanged();
}

void EditModel::type(const Variant& text) {
    setText(text);
    m_decoded = false;
    if (m_handlers.startDecode)
        m_handlers.startDecode();
}

void EditModel::enter() {
    requestFocus();
    if (m_handlers.event0)
        m_handlers.event0();
}

bool EditModel::leave() {
    bool cancel = false;
    if (m_handlers.validate)
        m_handlers.validate(cancel);
    if (cancel) {
        requestFocus();
        return false;
    }
    if (m_handlers.event1)
        m_handlers.event1();
    return true;
}

bool EditModel::openLookup() {
    bool cancel = false;
    if (m_handlers.startLookup)
        m_handlers.startLookup(cancel);
    if (cancel)
        closeLookup();
    return !cancel && m_lookup.has_value();
}

bool EditModel::pick(const QString& code) {
    if (!m_lookup)
        return false;
    const auto& voci = m_lookup->voci;
    const bool offered = std::any_of(voci.begin(), voci.end(),
                                     [&](const VoceElenco& voce) { return voce.codice == code; });
    if (!offered)
        return false;
    closeLookup();
    type(code);
    if (m_handlers.afterItem)
        m_handlers.afterItem();
    return true;
}

bool EditModel::takeTyped() {
    // A field without a decode takes any text as it stands.
    if (m_handlers.startDecode && !m_decoded)
        return false;
    if (m_handlers.afterItem)
        m_handlers.afterItem();
    return true;
}

void EditModel::pressMenu(const QString& item) {
    if (m_handlers.keyButtonMenuPress)
        m_handlers.keyButtonMenuPress(item);
}

void CheckModel::setValue(const Variant& value) {
    if (m_value.type() == value.type() && m_value.toString() == value.toString())
        return;
    m_value = value;
    emit valueChanged(value);
}

void CheckModel::click() {
    if (!enabled() || !visible())
        return;
    const bool checked = NVL(m_value, Variant(0)).toInt32().value_or(0) == 1;
    setValue(Variant(checked ? 0 : 1));
    if (m_onClick)
        m_onClick();
}

bool ButtonModel::click() {
    if (!enabled() || !visible() || !m_onClick)
        return false;
    m_onClick();
    return true;
}

void ProgressModel::setRunning(bool running) {
    if (m_running == running)
        return;
    m_running = running;
    emit runningChanged(running);
}

void ProgressModel::start() {
    if (m_indicator != nullptr)
        m_indicator->start(caption());
}

void ProgressModel::stop() {
    if (m_indicator != nullptr)
        m_indicator->stop();
}

} // namespace bdg
