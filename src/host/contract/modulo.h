#pragma once

#include "host/contract/cinterface.h"

#include <QString>
#include <QStringList>
#include <QtPlugin>

#include <memory>

namespace bdg {

/// What a library of modules tells about itself (its application object, ObjApplication).
struct ApplicazioneModulo {
    QString progetto;    ///< the library's project name
    QString descrizione; ///< what the library offers, for the host's "about" box
    QString versione;
    QString percorso; ///< the library's file, once a host loaded it
};

/// The entry point of a library of modules, as a host loads it at run time: it names its
/// module classes and creates their objects. The host knows a module only through this
/// factory and the module contract (Cinterface); a module that wants the navigator's
/// events connects itself when it is given the navigator.
class ModuloFactory {
public:
    virtual ~ModuloFactory() = default;

    virtual const ApplicazioneModulo& applicazione() const = 0;
    /// Tells the library where the host found it.
    virtual void setPercorso(const QString& percorso) = 0;
    /// The module classes the library offers, in the order a menu lists them.
    virtual QStringList classi() const = 0;
    /// The caption of a class's menu entry.
    virtual QString didascalia(const QString& classe) const = 0;
    /// A new object of a module class; null for a class the library does not offer.
    virtual std::unique_ptr<Cinterface> crea(const QString& classe) = 0;
};

} // namespace bdg

/// The plugin interface id: its last part is the version of the module contract, so that a
/// host never loads a library built against another contract.
#define BDGINTRIC_MODULO_IID "it.bdgintric.host.ModuloFactory/1"
Q_DECLARE_INTERFACE(bdg::ModuloFactory, BDGINTRIC_MODULO_IID)
