#include "module/plugin_bdgintric.h"

#include "module/clsbu_bdgintric.h"

namespace bdg {

PluginBdgIntRic::PluginBdgIntRic() {
    m_applicazione.progetto = QStringLiteral("BUUO_BDGINTRIC");
    m_applicazione.descrizione =
        QStringLiteral("Interrogazione del budget riclassificato per criterio di elaborazione");
    m_applicazione.versione = QStringLiteral(BDGINTRIC_VERSION);
}

QStringList PluginBdgIntRic::classi() const {
    return {QLatin1String(CLSBU_BDGINTRIC::NomeClasse)};
}

QString PluginBdgIntRic::didascalia(const QString& classe) const {
    if (classe != QLatin1String(CLSBU_BDGINTRIC::NomeClasse))
        return QString();
    return QStringLiteral("Budget per criterio di elaborazione");
}

std::unique_ptr<Cinterface> PluginBdgIntRic::crea(const QString& classe) {
    if (classe != QLatin1String(CLSBU_BDGINTRIC::NomeClasse))
        return nullptr;
    return std::make_unique<CLSBU_BDGINTRIC>(&m_applicazione);
}

} // namespace bdg
