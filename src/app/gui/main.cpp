// Desktop host: a main window that loads the inquiry module and shows its form, or replays
// a user's session from a script.
#include "app/gui/caricatore_moduli.h"
#include "app/gui/finestra_principale.h"
#include "app/gui/messaggi_desktop.h"
#include "app/gui/replay.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

#include <cstring>

namespace {

constexpr int ExitFallito = 1;
constexpr int ExitUso = 2;
constexpr int ExitDitta = 4;

bool chiedeReplay(int argc, char* argv[]) {
    for (int index = 1; index < argc; ++index) {
        if (std::strcmp(argv[index], "--replay") == 0 ||
            std::strncmp(argv[index], "--replay=", 9) == 0)
            return true;
    }
    return false;
}

int errore(const QString& testo, int status) {
    QTextStream(stderr) << "bdgintric-gui: " << testo << '\n';
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    // A replay runs without a display when there is none.
    if (chiedeReplay(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bdgintric"));
    QCoreApplication::setOrganizationName(QStringLiteral("bdgintric"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BDGINTRIC_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("bdgintric-gui"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Budget reclassified by an elaboration criterion, on the desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("SQLite file or PostgreSQL connection of the "
                                               "company (default: the demo company)."),
                                QStringLiteral("TARGET"));
    const QCommandLineOption company(QStringLiteral("company"),
                                     QStringLiteral("Company code (default 1)."),
                                     QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption replay(QStringLiteral("replay"),
                                    QStringLiteral("Replays the user actions of FILE and exits "
                                                   "(non-zero at the first that fails)."),
                                    QStringLiteral("FILE"));
    parser.addOptions({db, company, replay});
    if (!parser.parse(QCoreApplication::arguments()))
        return errore(parser.errorText(), ExitUso);
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return errore(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()),
            ExitUso);
    bool ok = false;
    const int ditta = parser.value(company).toInt(&ok);
    if (!ok || ditta <= 0)
        return errore(
            QStringLiteral("--company: '%1' is not a company code").arg(parser.value(company)),
            ExitUso);

    QString script;
    const QString fileScript = parser.value(replay);
    if (parser.isSet(replay)) {
        QFile file(fileScript);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return errore(
                QStringLiteral("cannot read '%1': %2").arg(fileScript, file.errorString()),
                ExitUso);
        script = QString::fromUtf8(file.readAll());
    }

    bdg::gui::MessaggiDesktop messaggi;
    messaggi.setAutomatico(parser.isSet(replay));
    bdg::gui::FinestraPrincipale finestra(messaggi);
    finestra.caricaModuli(bdg::gui::CaricatoreModuli::cartellePredefinite());
    const bool aperta = finestra.apriDitta(parser.value(db), ditta);
    if (!parser.isSet(replay)) {
        finestra.show();
        if (aperta)
            finestra.apriModulo(0);
        return QApplication::exec();
    }
    if (!aperta)
        return errore(QStringLiteral("cannot open company %1 (see the message above)").arg(ditta),
                      ExitDitta);
    finestra.show();
    bdg::gui::Replay sessione(finestra, messaggi);
    const bool riuscita = sessione.esegui(script, fileScript);
    finestra.close();
    if (!riuscita)
        return errore(sessione.errore(), ExitFallito);
    return 0;
}
