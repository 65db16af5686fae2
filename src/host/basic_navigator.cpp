#include "host/basic_navigator.h"

namespace bdg {

namespace {

// A module may disconnect while it handles an event (it closes): the event goes on over
// the modules connected when it was raised.
template <typename Event> bool raise(const QList<NavigatorEvents*>& modules, Event event) {
    bool cancel = false;
    const QList<NavigatorEvents*> receivers = modules;
    for (NavigatorEvents* module : receivers)
        event(*module, cancel);
    return cancel;
}

} // namespace

void BasicNavigator::connectEvents(NavigatorEvents* module) {
    if (module != nullptr && !m_modules.contains(module))
        m_modules.append(module);
}

bool BasicNavigator::raiseBeforeChangeDitta() {
    return raise(m_modules,
                 [](NavigatorEvents& module, bool& cancel) { module.BeforeChangeDitta(cancel); });
}

bool BasicNavigator::raiseBeforeExportToOffice(OfficeExport* exportToOffice) {
    return raise(m_modules, [exportToOffice](NavigatorEvents& module, bool& cancel) {
        module.BeforeExportToOffice(cancel, exportToOffice);
    });
}

bool BasicNavigator::raiseBeforeOpenViewTable(Variant& fieldBookmark, Variant& sqlStatement,
                                              Variant& headCaption) {
    return raise(m_modules, [&](NavigatorEvents& module, bool& cancel) {
        module.BeforeOpenViewTable(cancel, fieldBookmark, sqlStatement, headCaption);
    });
}

bool BasicNavigator::raiseInitializeLayoutObjectModel(LayoutObjectModel* layout) {
    return raise(m_modules, [layout](NavigatorEvents& module, bool& cancel) {
        module.InitializeLayoutObjectModel(cancel, layout);
    });
}

bool BasicNavigator::raiseInitializeScriptObjectModel(ScriptObjectModel* script) {
    return raise(m_modules, [script](NavigatorEvents& module, bool& cancel) {
        module.InitializeScriptObjectModel(cancel, script);
    });
}

} // namespace bdg
