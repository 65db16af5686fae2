#pragma once

// The desktop host started on a fixture company as a user starts it, with the inquiry
// module loaded from the build tree. Messages are answered unattended and kept, so that a
// test reads them; settings and data files live in a folder of the test's own.

#include "app/gui/cornice_mdi.h"
#include "app/gui/finestra_principale.h"
#include "app/gui/messaggi_desktop.h"
#include "support/fixture_runner.h"

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace bdg::test {

/// Keeps the settings, the log and the demo database of a test out of the user's folders.
inline void cartellePrivate(const QTemporaryDir& dir) {
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       dir.filePath(QStringLiteral("config")));
    QCoreApplication::setOrganizationName(QStringLiteral("bdgintric"));
    QCoreApplication::setApplicationName(QStringLiteral("bdgintric"));
}

/// Lets the deferred steps run: validations after a move, closed windows, layouts.
inline void attendi() {
    for (int giro = 0; giro < 4; ++giro) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

struct DesktopSession {
    /// The host on a company built from a fixture's SQL ("totali"), or by `fill`.
    explicit DesktopSession(const QString& fixture,
                            const std::function<void(Connection&)>& fill = {})
        : company(QString::fromLatin1(SQLiteEngine)) {
        if (fill) {
            valido = company.build(fill);
        } else {
            valido = company.buildFixture(fixture);
        }
        messaggi.setAutomatico(true);
        QObject::connect(&messaggi, &gui::MessaggiDesktop::mostrato,
                         [this](const QString& titolo, const QString& testo, int) {
                             titoli << titolo;
                             mostrati << testo;
                         });
        finestra = std::make_unique<gui::FinestraPrincipale>(messaggi);
        finestra->caricaModuli({QStringLiteral(BDGINTRIC_MODULE_DIR)});
        valido = valido && finestra->apriDitta(company.connectionString(), 1);
        finestra->resize(1280, 900);
        finestra->show();
        attiva();
    }

    void attiva() const {
        finestra->activateWindow();
        QApplication::setActiveWindow(finestra.get());
        attendi();
    }

    /// The inquiry's window once open; null before.
    QWidget* form() const {
        return qobject_cast<QWidget*>(
            finestra->modelloScript().oggetto(QStringLiteral("FRMBU_BDGINTRIC")));
    }
    template <typename Widget = QWidget> Widget* w(const char* nome) const {
        return form()->findChild<Widget*>(QLatin1String(nome));
    }
    QLineEdit* editor(const char* campo) const { return w(campo)->findChild<QLineEdit*>(); }

    /// Moves into a field as the Tab key would.
    void entra(const char* campo) const {
        attiva();
        editor(campo)->setFocus(Qt::TabFocusReason);
        attendi();
    }
    /// Types `testo` over a field's text and leaves it with Tab.
    void scrivi(const char* campo, const QString& testo) const {
        entra(campo);
        QLineEdit* line = editor(campo);
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, testo);
        QTest::keyClick(line, Qt::Key_Tab);
        attendi();
    }
    QWidget* fuoco() const { return QApplication::focusWidget(); }

    FixtureCompany company;
    bool valido = false;
    gui::MessaggiDesktop messaggi;
    QStringList mostrati;
    QStringList titoli;
    std::unique_ptr<gui::FinestraPrincipale> finestra;
};

} // namespace bdg::test
