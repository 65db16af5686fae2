#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace bdg {
class ModuloFactory;
}

namespace bdg::gui {

/// A library of modules the host loaded.
struct LibreriaModuli {
    QString percorso;
    ModuloFactory* factory = nullptr; ///< owned by the plug-in loader, alive until exit
};

/// Finds and loads the libraries of modules: shared libraries that declare the host's
/// module contract (its interface id, with the contract's version). Other files, and
/// libraries built for another version of the contract, are passed over with a reason.
class CaricatoreModuli {
public:
    /// The folders searched, in order: those of BDGINTRIC_MODULE_PATH (separated as PATH
    /// is), then the executable's folder, its "modules" folder, and the installed module
    /// folder beside the executable's.
    static QStringList cartellePredefinite();

    /// Loads every library found in `cartelle`; a library found twice (by file name) is
    /// loaded from the first folder only.
    QList<LibreriaModuli> carica(const QStringList& cartelle);
    /// Why the libraries not loaded were passed over, one line each.
    const QStringList& scartate() const { return m_scartate; }

private:
    QStringList m_scartate;
};

} // namespace bdg::gui
