#include "app/gui/caricatore_moduli.h"

#include "host/contract/modulo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QSet>

namespace bdg::gui {

QStringList CaricatoreModuli::cartellePredefinite() {
    QStringList cartelle;
    const QString ambiente = qEnvironmentVariable("BDGINTRIC_MODULE_PATH");
    for (const QString& cartella : ambiente.split(QDir::listSeparator(), Qt::SkipEmptyParts))
        cartelle << cartella;
    const QString eseguibile = QCoreApplication::applicationDirPath();
    cartelle << eseguibile << eseguibile + QStringLiteral("/modules")
             << QDir::cleanPath(eseguibile + QStringLiteral("/../" BDGINTRIC_MODULEDIR));
    return cartelle;
}

QList<LibreriaModuli> CaricatoreModuli::carica(const QStringList& cartelle) {
    QList<LibreriaModuli> librerie;
    QSet<QString> viste;
    for (const QString& cartella : cartelle) {
        const QFileInfoList files = QDir(cartella).entryInfoList(QDir::Files, QDir::Name);
        for (const QFileInfo& file : files) {
            if (!QLibrary::isLibrary(file.fileName()) || viste.contains(file.fileName()))
                continue;
            QPluginLoader loader(file.absoluteFilePath());
            const QString iid = loader.metaData().value(QStringLiteral("IID")).toString();
            if (!iid.startsWith(QStringLiteral("it.bdgintric.host.ModuloFactory/")))
                continue;
            viste.insert(file.fileName());
            if (iid != QLatin1String(BDGINTRIC_MODULO_IID)) {
                m_scartate << QStringLiteral("%1: built for module contract %2, the host speaks %3")
                                  .arg(file.absoluteFilePath(), iid,
                                       QLatin1String(BDGINTRIC_MODULO_IID));
                continue;
            }
            auto* factory = qobject_cast<ModuloFactory*>(loader.instance());
            if (factory == nullptr) {
                m_scartate << file.absoluteFilePath() + QStringLiteral(": ") + loader.errorString();
                continue;
            }
            factory->setPercorso(file.absoluteFilePath());
            librerie.append({file.absoluteFilePath(), factory});
        }
    }
    return librerie;
}

} // namespace bdg::gui
