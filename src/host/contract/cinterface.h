#pragma once

#include "data/variant.h"

#include <QRect>
#include <QString>

#include <cstdint>

class QObject;
class QWidget;

namespace bdg {

class Connection;
class HostGlobal;
class Navigator;

/// The host's frame window that holds a module's form: on the desktop, a window of the
/// host's work area. The navigator is told its status; the script model knows it by name.
class HostFrame {
public:
    virtual ~HostFrame() = default;
    virtual std::int16_t Status() const = 0;
    /// The frame's "Name" property.
    virtual QString Name() const = 0;
    virtual void setName(const QString& name) = 0;
    /// Takes the form's window as its content, with the form's caption as its title.
    virtual void mostraForm(QWidget* form, const QString& caption) = 0;
    /// Places the frame in the host's work area (twips) and gives it a window state (0
    /// normal, 1 minimised, 2 maximised).
    virtual void posiziona(const QRect& twips, std::int16_t windowState) = 0;
};

/// The host's menu entry that opened a module (ClsVoceMenu).
struct VoceMenu {
    Variant Id; ///< what the navigator is told when the module closes
    QString Descrizione;
};

/// What a module raises towards its host.
class ModuloEventi {
public:
    virtual ~ModuloEventi() = default;
    /// The module hands the host data (TransferData); what the host does with it is its own.
    virtual void DataTransfer(const Variant& Data) = 0;
};

/// The host's module contract: what the host hands a module before it shows the module's
/// form, the form's show and close, and what the form hands back (its own database
/// connection). A module stores what it is given; the form reads it as its
/// ActiveInterface.
///
/// The host owns every object reached from here; the module and its form keep the pointers
/// for their life and drop them when they close.
class Cinterface {
public:
    virtual ~Cinterface() = default;

    /// The host's global services (Gcls_Global): messages, company context, currencies.
    virtual HostGlobal* ClsGlobal() const = 0;
    virtual void setClsGlobal(HostGlobal* global) = 0;
    /// The module's database connection; the form replaces the host's with its own.
    virtual bdg::Connection* Connection() const = 0;
    virtual void setConnection(bdg::Connection* connection) = 0;
    /// The host window that holds the module; null when the host gives none, and again
    /// once the module has closed.
    virtual HostFrame* ActiveFrame() const = 0;
    virtual void setActiveFrame(HostFrame* frame) = 0;
    /// The host navigator the module reports to and takes its events from; may be null.
    virtual Navigator* ActiveNavigator() const = 0;
    virtual void setActiveNavigator(Navigator* navigator) = 0;
    /// The module object handed to the form as its ActiveInterface.
    virtual Cinterface* ActiveDll() const = 0;
    virtual void setActiveDll(Cinterface* module) = 0;
    /// The host's status bar; kept only.
    virtual QObject* StatusBar() const = 0;
    virtual void setStatusBar(QObject* statusBar) = 0;
    /// The menu entry that opened the module; may be null.
    virtual const VoceMenu* ClsVoceMenu() const = 0;
    virtual void setClsVoceMenu(const VoceMenu* voceMenu) = 0;
    /// The host's window object of the module; a module never assigns it.
    virtual QObject* Cwindow() const = 0;

    // Permissions, kept only.
    virtual bool CanInsert() const = 0;
    virtual void setCanInsert(bool can) = 0;
    virtual bool CanDelete() const = 0;
    virtual void setCanDelete(bool can) = 0;
    virtual bool CanUpdate() const = 0;
    virtual void setCanUpdate(bool can) = 0;
    virtual bool CanQbe() const = 0;
    virtual void setCanQbe(bool can) = 0;

    /// Whether the form is shown modally.
    virtual bool WindowModal() const = 0;
    virtual void setWindowModal(bool modal) = 0;
    /// Window state given to the form (0 normal, 1 minimised, 2 maximised); a value beyond
    /// 16 bits is refused and the previous one kept.
    virtual std::int16_t WindowState() const = 0;
    virtual void setWindowState(std::int32_t state) = 0;
    /// The host's program mode; kept only, with the same 16-bit limit.
    virtual std::int16_t ProgramMode() const = 0;
    virtual void setProgramMode(std::int32_t mode) = 0;
    // Menu identifiers, kept only.
    virtual Variant MenuModulo() const = 0;
    virtual void setMenuModulo(const Variant& value) = 0;
    virtual Variant MenuPadre() const = 0;
    virtual void setMenuPadre(const Variant& value) = 0;
    virtual Variant MenuProg() const = 0;
    virtual void setMenuProg(const Variant& value) = 0;
    /// Caption given to the form; empty keeps the form's own.
    virtual Variant Caption() const = 0;
    virtual void setCaption(const Variant& caption) = 0;
    /// The host's parent window handle; kept only.
    virtual std::int32_t hwndParent() const = 0;
    virtual void setHwndParent(std::int32_t handle) = 0;
    /// Position of the module's window in the host, in twips. A value that is not a 32-bit
    /// number is refused and the previous one kept.
    virtual std::int32_t Top() const = 0;
    virtual void setTop(const Variant& top) = 0;
    virtual std::int32_t Left() const = 0;
    virtual void setLeft(const Variant& left) = 0;
    virtual bool IsActive() const = 0;
    virtual void setIsActive(bool active) = 0;
    virtual bool IsCalled() const = 0;
    virtual void setIsCalled(bool called) = 0;
    /// The host's record filter: this module takes none (Empty).
    virtual Variant Filtro() const = 0;
    virtual void setFiltro(const Variant& filtro) = 0;

    /// Creates and shows the module's form; Empty.
    virtual Variant ShowForm() = 0;
    /// Closes the form; True when it closed, False when it refused.
    virtual Variant CloseForm() = 0;
    /// Raises DataTransfer with a copy of `Data`; Empty.
    virtual Variant TransferData(const Variant& Data) = 0;
    /// Where the module's events go; null for none.
    virtual void setEventi(ModuloEventi* eventi) = 0;
};

} // namespace bdg
