#include "app/gui/modelli_host.h"

#include "app/gui/cornice_mdi.h"

#include <QSettings>

namespace bdg::gui {

namespace {

CorniceMdi* corniceDi(QObject* form) {
    for (QObject* parent = form; parent != nullptr; parent = parent->parent()) {
        if (auto* cornice = qobject_cast<CorniceMdi*>(parent))
            return cornice;
    }
    return nullptr;
}

QString chiave(const QObject& form) {
    return QStringLiteral("finestre/") + form.objectName() + QStringLiteral("/");
}

} // namespace

void ModelloLayout::AddForm(const Variant& /*caption*/, QObject*& form, int /*option1*/,
                            int /*option2*/, int /*option3*/) {
    CorniceMdi* cornice = corniceDi(form);
    if (cornice == nullptr || form->objectName().isEmpty())
        return;
    const QString radice = chiave(*form);
    QSettings settings;
    const QRect posto = settings.value(radice + "geometria").toRect();
    if (posto.isValid()) {
        cornice->showNormal();
        cornice->setGeometry(posto);
    }
    if (settings.value(radice + "ingrandita", false).toBool())
        cornice->showMaximized();
    QObject::connect(cornice, &CorniceMdi::chiusa, cornice, [cornice, radice] {
        QSettings uscita;
        uscita.setValue(radice + "ingrandita", cornice->isMaximized());
        if (!cornice->isMaximized() && !cornice->isMinimized())
            uscita.setValue(radice + "geometria", cornice->geometry());
    });
}

void ModelloScript::AddObject(const QString& name, QObject*& object, int /*kind*/,
                              const QString& /*caption*/) {
    m_oggetti.insert(name, object);
}

QObject* ModelloScript::oggetto(const QString& name) const {
    return m_oggetti.value(name);
}

} // namespace bdg::gui
