#pragma once

#include "host/contract/navigator.h"

#include <QHash>
#include <QPointer>
#include <QStringList>

namespace bdg::gui {

/// The host's layout model: the forms registered in it get back the place and state their
/// window had when it last closed, and leave theirs when they close.
class ModelloLayout : public LayoutObjectModel {
public:
    void AddForm(const Variant& caption, QObject*& form, int option1, int option2,
                 int option3) override;
};

/// The host's script model: the objects a script reaches by name (the replay finds the
/// inquiry form's window here).
class ModelloScript : public ScriptObjectModel {
public:
    void AddObject(const QString& name, QObject*& object, int kind,
                   const QString& caption) override;

    /// A registered object still alive; null for an unknown name.
    QObject* oggetto(const QString& name) const;

private:
    QHash<QString, QPointer<QObject>> m_oggetti;
};

} // namespace bdg::gui
