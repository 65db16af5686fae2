#pragma once

#include "data/variant.h"

#include <QString>

#include <cstdint>

namespace bdg {

class Connection;
class HostGlobal;
class Navigator;

/// The host's frame window that holds a module; the navigator is told its status.
class HostFrame {
public:
    virtual ~HostFrame() = default;
    virtual std::int16_t Status() const = 0;
};

/// The host's menu entry that opened a module (ClsVoceMenu).
struct VoceMenu {
    Variant Id; ///< what the navigator is told when the module closes
    QString Descrizione;
};

/// The host's module contract as the form uses it: what the host hands a module before it
/// shows the module's form, and what the form hands back (its own database connection).
///
/// The host owns every object reached from here; the form keeps the pointers for its life
/// and drops them when it unloads.
class Cinterface {
public:
    virtual ~Cinterface() = default;

    /// The host's global services (Gcls_Global): messages, company context, currencies.
    virtual HostGlobal* ClsGlobal() const = 0;
    /// The module's database connection; the form replaces the host's with its own.
    virtual bdg::Connection* Connection() const = 0;
    virtual void setConnection(bdg::Connection* connection) = 0;
    /// The host window that holds the module; null when the host gives none, and again
    /// once the module has closed.
    virtual HostFrame* ActiveFrame() const = 0;
    virtual void setActiveFrame(HostFrame* frame) = 0;
    /// The host navigator the module reports to; may be null.
    virtual Navigator* ActiveNavigator() const = 0;
    /// The menu entry that opened the module; may be null.
    virtual const VoceMenu* ClsVoceMenu() const = 0;
    /// Window state given to the form (0 normal, 1 minimised, 2 maximised).
    virtual std::int16_t WindowState() const = 0;
    /// Caption given to the form; empty keeps the form's own.
    virtual QString Caption() const = 0;
    virtual bool IsActive() const = 0;
    /// Position of the module's window in the host, in twips.
    virtual std::int32_t Top() const = 0;
    virtual std::int32_t Left() const = 0;
};

} // namespace bdg
