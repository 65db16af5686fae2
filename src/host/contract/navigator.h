#pragma once

#include "data/variant.h"

#include <QString>

#include <cstdint>

namespace bdg {

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

/// The host navigator (ActiveNavigator): the host's toolbar and status that follow the
/// module currently in front.
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
};

} // namespace bdg
