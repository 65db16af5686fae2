#pragma once

#include "data/variant.h"

#include <QString>

#include <cstdint>

class QObject;

namespace bdg {

class OfficeExport;

/// The navigator's record of the module's forms: which are open, and whether the module
/// may close now.
class NavigatorFormState {
public:
    virtual ~NavigatorFormState() = default;

    /// A form of the module opened (`aperta` true) or closed.
    virtual void setFormState(const QString& formName, int kind, bool aperta,
                              const QString& text) = 0;
    /// Asked when the form is about to close: true refuses the close.
    virtual bool refuseClose() = 0;
    /// The module opened from the menu entry `voceMenu` has closed.
    virtual void moduleClosed(const Variant& voceMenu) = 0;
};

/// The host's layout model (ClsLayout): the windows whose layout the host keeps.
class LayoutObjectModel {
public:
    virtual ~LayoutObjectModel() = default;
    /// Registers a form under its caption; the host may hand back another object for it
    /// through `form`.
    virtual void AddForm(const Variant& caption, QObject*& form, int option1, int option2,
                         int option3) = 0;
};

/// The host's script model (ClsScript): the objects a script of the host reaches by name.
class ScriptObjectModel {
public:
    virtual ~ScriptObjectModel() = default;
    /// Registers `object` under `name` with a kind of the host's and a caption; the host may
    /// hand back another object for it through `object`.
    virtual void AddObject(const QString& name, QObject*& object, int kind,
                           const QString& caption) = 0;
};

/// The navigator's events, as a module receives them once it was given the navigator.
/// Every argument named Cancel may be set to true to refuse what the host is about to do.
class NavigatorEvents {
public:
    virtual ~NavigatorEvents() = default;

    /// The host is about to open another company.
    virtual void BeforeChangeDitta(bool& Cancel) = 0;
    /// The host is about to export the module in front to office documents.
    virtual void BeforeExportToOffice(bool& Cancel, OfficeExport* Pcls_ExpToOffice) = 0;
    /// The host is about to show a table of the module's current record.
    virtual void BeforeOpenViewTable(bool& Cancel, Variant& Pvar_FieldBookmark,
                                     Variant& Pvar_SqlStatement, Variant& Pvar_HeadCaption) = 0;
    /// The host builds its layout model: the module registers its forms.
    virtual void InitializeLayoutObjectModel(bool& Cancel, LayoutObjectModel* ClsLayout) = 0;
    /// The host builds its script model: the module registers its forms and objects.
    virtual void InitializeScriptObjectModel(bool& Cancel, ScriptObjectModel* ClsScript) = 0;
};

/// The host navigator (ActiveNavigator): the host's toolbar and status that follow the
/// module currently in front, and the source of the navigator events.
class Navigator {
public:
    virtual ~Navigator() = default;

    /// The status of the frame that holds the module.
    virtual void setFrameStatus(std::int16_t status) = 0;
    /// Refreshes the navigator for the module in front.
    virtual void update() = 0;
    /// Tells the navigator that the module's form has started or opened.
    virtual void formOpened() = 0;
    /// The form-state object; may be null.
    virtual NavigatorFormState* formState() = 0;
    /// Drops the references the navigator keeps to a module that closed.
    virtual void releaseModule() = 0;
    /// A module starts (or stops) receiving the navigator's events.
    virtual void connectEvents(NavigatorEvents* module) = 0;
    virtual void disconnectEvents(NavigatorEvents* module) = 0;
};

} // namespace bdg
