#pragma once

#include "app/gui/caricatore_moduli.h"
#include "app/gui/modelli_host.h"
#include "host/basic_navigator.h"
#include "host/contract/cinterface.h"
#include "host/contract/progress_indicator.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <vector>

class QLabel;
class QMdiArea;
class QMenu;
class QPlainTextEdit;
class QProgressBar;

namespace bdg {
class DittaAperta;
}

namespace bdg::gui {

class CorniceMdi;
class MessaggiDesktop;

/// The desktop host: a main window whose work area holds the forms of the modules it
/// loaded, the company they work on, and the host's services for them (messages, the
/// log, the progress indicator, the navigator with its layout and script models).
///
/// The host knows a module only through the module contract: it creates the module's
/// object from its library, hands it the company's services, its frame and the navigator,
/// and asks it to show and to close its form. Changing company and exporting are asked of
/// the modules first, through the navigator's events.
class FinestraPrincipale : public QMainWindow, public ModuloEventi, public ProgressIndicator {
    Q_OBJECT

public:
    explicit FinestraPrincipale(MessaggiDesktop& messaggi, QWidget* parent = nullptr);
    ~FinestraPrincipale() override;

    /// Opens a company (the demo company when `database` is empty) in place of the current
    /// one; false, after telling the user, when it cannot.
    bool apriDitta(const QString& database, int ditta);
    /// Asks the open modules, then opens the other company; false when a module refused or
    /// the company could not be opened.
    bool cambiaDitta(const QString& database, int ditta);
    /// Loads the libraries of modules found in `cartelle` and lists their classes in the
    /// "Moduli" menu.
    void caricaModuli(const QStringList& cartelle);
    /// Opens the form of the module class at `indice` of the menu; its frame, or null when
    /// the form did not open.
    CorniceMdi* apriModulo(int indice = 0);
    /// The frames of the forms open now.
    QList<CorniceMdi*> cornici() const;

    /// How an office export ended.
    enum class EsitoEsportazione { Scritta, NienteDaEsportare, Rifiutata, ErroreFile };
    /// Asks the modules for their blocks (the navigator's BeforeExportToOffice; only the
    /// active module answers) and writes them as a workbook at `file` as the command line
    /// writes its outputs (OutputTarget: a file is replaced only when complete, the company
    /// database never); `motivo` receives why the file was not written.
    EsitoEsportazione esportaInOffice(const QString& file, QString& motivo);

    DittaAperta* ditta() const { return m_ditta.get(); }
    ModelloScript& modelloScript() { return m_script; }
    BasicNavigator& navigatore() { return m_navigatore; }
    QMdiArea* area() const { return m_area; }
    /// How many module classes the "Moduli" menu offers.
    int classiOfferte() const { return int(m_classi.size()); }

    // ModuloEventi
    void DataTransfer(const Variant& Data) override;
    // ProgressIndicator
    void start(const QString& caption) override;
    void stop() override;

public slots:
    void cambiaDittaDaDialogo();
    /// The menu's export: the file chosen in a dialog, then opened with the desktop's
    /// application for it.
    void esportaDaMenu();
    void informazioni();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Classe {
        ModuloFactory* factory = nullptr;
        QString nome;
        QString didascalia;
    };
    struct ModuloAperto;

    void creaMenu();
    void registra(const QString& riga);
    void aggiornaTitolo();
    void rimuovi(ModuloAperto* modulo);
    void preparaModulo(Cinterface& modulo, ModuloAperto& aperto);

    MessaggiDesktop& m_messaggi;
    std::unique_ptr<DittaAperta> m_ditta;
    BasicNavigator m_navigatore;
    ModelloLayout m_layout;
    ModelloScript m_script;
    CaricatoreModuli m_caricatore;
    QList<LibreriaModuli> m_librerie;
    std::vector<Classe> m_classi;
    std::vector<std::unique_ptr<ModuloAperto>> m_aperti;
    int m_vociAperte = 0;
    QMdiArea* m_area;
    QMenu* m_menuModuli = nullptr;
    QPlainTextEdit* m_registro;
    QLabel* m_stato;
    QLabel* m_avanzamentoTesto;
    QProgressBar* m_avanzamento;
};

} // namespace bdg::gui
