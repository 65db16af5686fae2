#include "app/gui/finestra_principale.h"

#include "app/gui/cornice_mdi.h"
#include "app/gui/dialogo_ditta.h"
#include "app/gui/icona_applicazione.h"
#include "app/gui/messaggi_desktop.h"
#include "company/ditta_aperta.h"
#include "export/esportazione_office.h"
#include "export/file_xlsx.h"
#include "export/output_target.h"
#include "host/contract/modulo.h"
#include "host/host_log.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

namespace bdg::gui {

namespace {

const QString TitoloApplicazione = QStringLiteral("bdgintric");
// Each new form opens a little below and to the right of the one before (twips).
constexpr int PassoCascata = 360;

} // namespace

/// A module the host opened: its object, its menu entry and its frame.
struct FinestraPrincipale::ModuloAperto {
    std::unique_ptr<Cinterface> modulo;
    VoceMenu voce;
    QPointer<CorniceMdi> cornice;
};

FinestraPrincipale::FinestraPrincipale(MessaggiDesktop& messaggi, QWidget* parent)
    : QMainWindow(parent), m_messaggi(messaggi), m_area(new QMdiArea(this)),
      m_registro(new QPlainTextEdit(this)), m_stato(new QLabel(this)),
      m_avanzamentoTesto(new QLabel(this)), m_avanzamento(new QProgressBar(this)) {
    setObjectName(QStringLiteral("FinestraPrincipale"));
    setWindowIcon(iconaApplicazione());
    m_area->setObjectName(QStringLiteral("AreaLavoro"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    m_messaggi.setFinestra(this);
    // Only the module in front is active: the navigator's commands are for it. The work
    // area losing the focus to another window changes nothing.
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* davanti) {
        if (davanti == nullptr)
            return;
        for (const auto& aperto : m_aperti)
            aperto->modulo->setIsActive(aperto->cornice == davanti);
    });
    connect(&m_messaggi, &MessaggiDesktop::mostrato, this,
            [this](const QString& titolo, const QString& testo, int) {
                registra(titolo + QStringLiteral(": ") + testo);
            });

    auto* dock = new QDockWidget(QStringLiteral("Registro"), this);
    dock->setObjectName(QStringLiteral("Registro"));
    m_registro->setReadOnly(true);
    m_registro->setMaximumBlockCount(2000);
    dock->setWidget(m_registro);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide();

    m_avanzamento->setRange(0, 0);
    m_avanzamento->setMaximumWidth(160);
    m_avanzamento->hide();
    m_avanzamentoTesto->hide();
    statusBar()->addWidget(m_stato, 1);
    statusBar()->addPermanentWidget(m_avanzamentoTesto);
    statusBar()->addPermanentWidget(m_avanzamento);
    creaMenu();
    aggiornaTitolo();
    resize(1100, 760);
    QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("principale/geometria")).toByteArray());
    restoreState(settings.value(QStringLiteral("principale/stato")).toByteArray());
}

FinestraPrincipale::~FinestraPrincipale() {
    // Modules close before the company they work on.
    for (auto& aperto : m_aperti) {
        if (aperto->cornice)
            delete aperto->cornice.data();
    }
    m_aperti.clear();
    m_ditta.reset();
}

void FinestraPrincipale::creaMenu() {
    QMenu* ditta = menuBar()->addMenu(QStringLiteral("&Ditta"));
    ditta->addAction(QStringLiteral("&Cambia ditta…"), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                     &FinestraPrincipale::cambiaDittaDaDialogo);
    ditta->addSeparator();
    ditta->addAction(QStringLiteral("&Esci"), QKeySequence::Quit, this, &QWidget::close);

    m_menuModuli = menuBar()->addMenu(QStringLiteral("&Moduli"));

    QMenu* strumenti = menuBar()->addMenu(QStringLiteral("&Strumenti"));
    QAction* registro = findChild<QDockWidget*>(QStringLiteral("Registro"))->toggleViewAction();
    registro->setText(QStringLiteral("&Registro"));
    registro->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    strumenti->addAction(QStringLiteral("&Esporta in Office…"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), this,
                         &FinestraPrincipale::esportaDaMenu);
    strumenti->addAction(registro);
    strumenti->addAction(QStringLiteral("Apri il &file di registro"), this, [] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(HostLog::defaultLogFilePath()));
    });

    QMenu* finestra = menuBar()->addMenu(QStringLiteral("&Finestra"));
    finestra->addAction(QStringLiteral("&Affianca"), m_area, &QMdiArea::tileSubWindows);
    finestra->addAction(QStringLiteral("&Sovrapponi"), m_area, &QMdiArea::cascadeSubWindows);
    finestra->addAction(QStringLiteral("&Chiudi"), QKeySequence(Qt::CTRL | Qt::Key_F4), m_area,
                        &QMdiArea::closeActiveSubWindow);
    finestra->addAction(QStringLiteral("Finestra s&uccessiva"), QKeySequence::NextChild, m_area,
                        &QMdiArea::activateNextSubWindow);

    QMenu* aiuto = menuBar()->addMenu(QStringLiteral("&?"));
    aiuto->addAction(QStringLiteral("&Informazioni"), this, &FinestraPrincipale::informazioni);
}

void FinestraPrincipale::registra(const QString& riga) {
    m_registro->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")) +
                                QStringLiteral("  ") + riga);
}

void FinestraPrincipale::aggiornaTitolo() {
    if (!m_ditta) {
        setWindowTitle(TitoloApplicazione);
        m_stato->setText(QStringLiteral("Nessuna ditta aperta"));
        return;
    }
    const HostGlobal& global = m_ditta->global();
    setWindowTitle(QStringLiteral("%1 - %2").arg(global.RagioneSociale(), TitoloApplicazione));
    m_stato->setText(QStringLiteral("Ditta %1 %2 - %3")
                         .arg(global.CodDitta())
                         .arg(global.RagioneSociale(), m_ditta->etichetta()));
}

bool FinestraPrincipale::apriDitta(const QString& database, int ditta) {
    std::unique_ptr<DittaAperta> nuova;
    try {
        nuova = std::make_unique<DittaAperta>(database, m_messaggi, [this](const QString& path) {
            statusBar()->showMessage(
                QStringLiteral("Creazione della ditta dimostrativa in %1 (primo avvio)…")
                    .arg(path));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        nuova->apriDitta(ditta);
    } catch (const std::exception& error) {
        statusBar()->clearMessage();
        m_messaggi.ShowMessage(QStringLiteral("Impossibile aprire la ditta %1:\n%2")
                                   .arg(ditta)
                                   .arg(QString::fromUtf8(error.what())),
                               MessageStyle::Critical, TitoloApplicazione);
        return false;
    }
    statusBar()->clearMessage();
    nuova->global().setProgressIndicator(this);
    m_ditta = std::move(nuova);
    registra(QStringLiteral("Aperta la ditta %1 %2 (%3)")
                 .arg(ditta)
                 .arg(m_ditta->global().RagioneSociale(), m_ditta->etichetta()));
    aggiornaTitolo();
    return true;
}

bool FinestraPrincipale::cambiaDitta(const QString& database, int ditta) {
    if (m_navigatore.raiseBeforeChangeDitta()) {
        registra(QStringLiteral("Cambio ditta rifiutato da un modulo aperto"));
        return false;
    }
    // Modules that do not watch the navigator close before their company goes.
    m_area->closeAllSubWindows();
    if (!cornici().isEmpty())
        return false;
    return apriDitta(database, ditta);
}

void FinestraPrincipale::cambiaDittaDaDialogo() {
    if (m_navigatore.raiseBeforeChangeDitta()) {
        registra(QStringLiteral("Cambio ditta rifiutato da un modulo aperto"));
        return;
    }
    DialogoDitta dialogo(m_ditta ? m_ditta->stringaConnessione() : QString(),
                         m_ditta ? m_ditta->global().CodDitta() : 1, this);
    if (dialogo.exec() == QDialog::Accepted)
        cambiaDitta(dialogo.database(), dialogo.ditta());
}

void FinestraPrincipale::caricaModuli(const QStringList& cartelle) {
    m_librerie = m_caricatore.carica(cartelle);
    for (const QString& scartata : m_caricatore.scartate())
        registra(QStringLiteral("Modulo non caricato: ") + scartata);
    for (const LibreriaModuli& libreria : m_librerie) {
        registra(QStringLiteral("Caricata la libreria %1 %2 (%3)")
                     .arg(libreria.factory->applicazione().progetto,
                          libreria.factory->applicazione().versione, libreria.percorso));
        for (const QString& classe : libreria.factory->classi()) {
            const int indice = int(m_classi.size());
            m_classi.push_back({libreria.factory, classe, libreria.factory->didascalia(classe)});
            QAction* voce = m_menuModuli->addAction(m_classi.back().didascalia, this,
                                                    [this, indice] { apriModulo(indice); });
            if (indice < 9)
                voce->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + indice)));
        }
    }
    if (m_classi.empty())
        m_menuModuli->addAction(QStringLiteral("(nessun modulo trovato)"))->setEnabled(false);
}

void FinestraPrincipale::preparaModulo(Cinterface& modulo, ModuloAperto& aperto) {
    HostGlobal& global = m_ditta->global();
    modulo.setClsGlobal(&global);
    modulo.setConnection(&m_ditta->connection());
    modulo.setActiveNavigator(&m_navigatore);
    modulo.setClsVoceMenu(&aperto.voce);
    modulo.setStatusBar(statusBar());
    modulo.setCaption(Variant(aperto.voce.Descrizione));
    modulo.setIsActive(true);
    modulo.setWindowState(0);
    const int scarto = PassoCascata * (int(m_area->subWindowList().size()) % 8);
    modulo.setLeft(Variant(scarto));
    modulo.setTop(Variant(scarto));
    modulo.setEventi(this);
}

CorniceMdi* FinestraPrincipale::apriModulo(int indice) {
    if (!m_ditta || indice < 0 || indice >= int(m_classi.size()))
        return nullptr;
    const Classe& classe = m_classi[std::size_t(indice)];
    auto aperto = std::make_unique<ModuloAperto>();
    aperto->voce = VoceMenu{Variant(++m_vociAperte), classe.didascalia};
    aperto->modulo = classe.factory->crea(classe.nome);
    if (!aperto->modulo)
        return nullptr;
    Cinterface& modulo = *aperto->modulo;
    preparaModulo(modulo, *aperto);
    auto* cornice = new CorniceMdi(modulo, m_area);
    aperto->cornice = cornice;
    modulo.setActiveFrame(cornice);
    ModuloAperto* chiave = aperto.get();
    connect(cornice, &CorniceMdi::chiusa, this,
            [this, chiave] { QTimer::singleShot(0, this, [this, chiave] { rimuovi(chiave); }); });
    m_aperti.push_back(std::move(aperto));
    registra(QStringLiteral("Apertura di ") + classe.didascalia);
    modulo.ShowForm();
    if (cornice->widget() == nullptr) {
        // The module showed nothing in its frame: nothing is open.
        delete cornice;
        rimuovi(chiave);
        return nullptr;
    }
    m_navigatore.raiseInitializeLayoutObjectModel(&m_layout);
    m_navigatore.raiseInitializeScriptObjectModel(&m_script);
    return cornice;
}

void FinestraPrincipale::rimuovi(ModuloAperto* modulo) {
    const auto found = std::find_if(m_aperti.begin(), m_aperti.end(), [modulo](const auto& aperto) {
        return aperto.get() == modulo;
    });
    if (found == m_aperti.end())
        return;
    registra(QStringLiteral("Chiusura di ") + (*found)->voce.Descrizione);
    m_aperti.erase(found);
}

QList<CorniceMdi*> FinestraPrincipale::cornici() const {
    QList<CorniceMdi*> result;
    for (const auto& aperto : m_aperti) {
        if (aperto->cornice && !aperto->cornice->isChiusa())
            result << aperto->cornice.data();
    }
    return result;
}

FinestraPrincipale::EsitoEsportazione FinestraPrincipale::esportaInOffice(const QString& file,
                                                                          QString& motivo) {
    if (m_ditta && OutputTarget::companyDatabaseFile(file, m_ditta->stringaConnessione())) {
        motivo = QStringLiteral("è il database della ditta aperta; scegliere un altro file");
        return EsitoEsportazione::ErroreFile;
    }
    EsportazioneOffice esportazione;
    if (m_navigatore.raiseBeforeExportToOffice(&esportazione))
        return EsitoEsportazione::Rifiutata;
    if (esportazione.blocchi().isEmpty())
        return EsitoEsportazione::NienteDaEsportare;
    try {
        OutputTarget(file).writeFile(
            [&](const QString& provvisorio) { esportazione.scriviXlsx(provvisorio); });
    } catch (const ErroreXlsx& errore) {
        motivo = errore.motivo();
        return EsitoEsportazione::ErroreFile;
    } catch (const DatabaseError& errore) {
        motivo = QString::fromUtf8(errore.what());
        return EsitoEsportazione::ErroreFile;
    }
    registra(QStringLiteral("Esportazione in %1").arg(file));
    return EsitoEsportazione::Scritta;
}

void FinestraPrincipale::esportaDaMenu() {
    if (cornici().isEmpty()) {
        m_messaggi.ShowMessage(QStringLiteral("Nessuna interrogazione aperta da esportare."),
                               MessageStyle::Information, TitoloApplicazione);
        return;
    }
    const QString cartella = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Esporta in Office"),
        QDir(cartella).filePath(QStringLiteral("Budget per criterio.xlsx")),
        QStringLiteral("Cartella di lavoro (*.xlsx)"));
    if (file.isEmpty())
        return;
    QString motivo;
    switch (esportaInOffice(file, motivo)) {
    case EsitoEsportazione::Scritta:
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
            m_messaggi.ShowMessage(QStringLiteral("Esportazione scritta in %1.").arg(file),
                                   MessageStyle::Information, TitoloApplicazione);
        break;
    case EsitoEsportazione::NienteDaEsportare:
        m_messaggi.ShowMessage(
            QStringLiteral("Nessun risultato da esportare: elaborare prima l'interrogazione."),
            MessageStyle::Information, TitoloApplicazione);
        break;
    case EsitoEsportazione::Rifiutata:
        break;
    case EsitoEsportazione::ErroreFile:
        m_messaggi.ShowMessage(QStringLiteral("Impossibile scrivere %1:\n%2").arg(file, motivo),
                               MessageStyle::Critical, TitoloApplicazione);
        break;
    }
}

void FinestraPrincipale::DataTransfer(const Variant& Data) {
    registra(QStringLiteral("Dati ricevuti da un modulo: ") + Data.toString());
}

void FinestraPrincipale::start(const QString& caption) {
    m_avanzamentoTesto->setText(caption);
    m_avanzamentoTesto->show();
    m_avanzamento->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    statusBar()->repaint();
}

void FinestraPrincipale::stop() {
    m_avanzamento->hide();
    m_avanzamentoTesto->hide();
    QApplication::restoreOverrideCursor();
}

void FinestraPrincipale::informazioni() {
    QString testo = QStringLiteral("<b>bdgintric</b> %1<br>Budget riclassificato per criterio "
                                   "di elaborazione.<br><br>Moduli caricati:")
                        .arg(QCoreApplication::applicationVersion());
    for (const LibreriaModuli& libreria : m_librerie) {
        const ApplicazioneModulo& app = libreria.factory->applicazione();
        testo += QStringLiteral("<br>%1 %2 - %3<br><small>%4</small>")
                     .arg(app.progetto.toHtmlEscaped(), app.versione.toHtmlEscaped(),
                          app.descrizione.toHtmlEscaped(), app.percorso.toHtmlEscaped());
    }
    m_messaggi.ShowMessage(testo, MessageStyle::Information, QStringLiteral("Informazioni"));
}

void FinestraPrincipale::closeEvent(QCloseEvent* event) {
    m_area->closeAllSubWindows();
    if (!cornici().isEmpty()) {
        event->ignore();
        return;
    }
    QSettings settings;
    settings.setValue(QStringLiteral("principale/geometria"), saveGeometry());
    settings.setValue(QStringLiteral("principale/stato"), saveState());
    QMainWindow::closeEvent(event);
}

} // namespace bdg::gui
