#pragma once

#include "host/contract/modulo.h"

#include <QObject>

namespace bdg {

/// The library of the budget reclassification inquiry, as the host loads it: one module
/// class, CLSBU_BDGINTRIC.
class PluginBdgIntRic : public QObject, public ModuloFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BDGINTRIC_MODULO_IID FILE "modulo.json")
    Q_INTERFACES(bdg::ModuloFactory)

public:
    PluginBdgIntRic();

    const ApplicazioneModulo& applicazione() const override { return m_applicazione; }
    void setPercorso(const QString& percorso) override { m_applicazione.percorso = percorso; }
    QStringList classi() const override;
    QString didascalia(const QString& classe) const override;
    std::unique_ptr<Cinterface> crea(const QString& classe) override;

private:
    ApplicazioneModulo m_applicazione;
};

} // namespace bdg
