#include "app/gui/caricatore_moduli.h"
#include "app/gui/cornice_mdi.h"
#include "app/gui/finestra_principale.h"
#include "app/gui/messaggi_desktop.h"
#include "app/gui/modelli_host.h"
#include "app/gui/replay.h"
#include "company/company_schema.h"
#include "company/demo_company.h"
#include "data/tsv_rows.h"
#include "export/lettore_xlsx.h"
#include "form/tree_grid_model.h"
#include "form/variant_metatype.h"
#include "host/basic_navigator.h"
#include "host/contract/modulo.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"
#include "support/fixture_runner.h"
#include "views/delegato_importi.h"
#include "views/grafico_periodi.h"
#include "views/griglia_periodi.h"
#include "views/modello_griglia.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <cmath>
#include <functional>
#include <memory>

using namespace bdg;

// The desktop host started on a fixture company as a user starts it, with the inquiry
// module loaded from the build tree. Messages are answered unattended and kept, so that a
// test reads them; settings and data files live in a folder of the test's own.

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

namespace {

// A value of a list cell of the comparison grid, with the keyboard: F2 opens the cell's
// list, the value is typed (a text of the list or a value of one's own), Enter takes it.
void scegli(QTableView& griglia, int riga, int colonna, const QString& testo) {
    griglia.setCurrentIndex(griglia.model()->index(riga, colonna));
    QTest::keyClick(&griglia, Qt::Key_F2);
    auto* lista = griglia.viewport()->findChild<QComboBox*>();
    QVERIFY2(lista != nullptr && lista->lineEdit() != nullptr, qPrintable(testo));
    lista->lineEdit()->selectAll();
    QTest::keyClicks(lista->lineEdit(), testo);
    QTest::keyClick(lista, Qt::Key_Return);
    test::attendi();
}

QStringList colonnaTesti(const QTableView& griglia, int colonna) {
    QStringList testi;
    for (int riga = 0; riga < griglia.model()->rowCount(); ++riga)
        testi << griglia.model()->index(riga, colonna).data().toString();
    return testi;
}

QStringList g_tracce;

void raccogliTracce(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QLatin1String(context.category) == QLatin1String("bdgintric.trace"))
        g_tracce << message;
}

struct EventiRicevuti : ModuloEventi {
    void DataTransfer(const Variant& Data) override { dati << Data.toString(); }
    QStringList dati;
};

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::cartellePrivate(m_cartella); }
    void onlyTheUsersMovesValidateAndARefusalKeepsTheFocus() {
        // The form moving the focus validates nothing, so that a refusal never bounces between
        // two empty fields; the user's Tab out of the empty criterion is refused and keeps the
        // user there, not in the subtype left before. Leaving the subtype with Tab validates it:
        // a refused code keeps the user in the field.
        test::DesktopSession sessione(QStringLiteral("totali"));
        QVERIFY(sessione.valido);
        QVERIFY(sessione.finestra->apriModulo(0) != nullptr);
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_SOTTOTIPO"));

        sessione.editor("TXT_CRITERIO")->setFocus(Qt::OtherFocusReason);
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_CRITERIO"));

        QTest::keyClick(sessione.editor("TXT_CRITERIO"), Qt::Key_Tab);
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_CRITERIO"));
        QVERIFY(sessione.mostrati.isEmpty());
        sessione.editor("TXT_SOTTOTIPO")->setFocus(Qt::OtherFocusReason); // back, unvalidated
        for (const auto& [sottotipo, descrizione] :
             {std::pair{"", ""}, {"NOPE", ""}, {"SB1", "Quadrimestrale"}}) {
            sessione.scrivi("TXT_SOTTOTIPO", QString::fromUtf8(sottotipo));
            QCOMPARE(sessione.fuoco() == sessione.editor("TXT_SOTTOTIPO"), !*descrizione);
            QCOMPARE(sessione.w<QLabel>("TXT_SOTTOTIPO_DES")->text(),
                     QString::fromUtf8(descrizione));
        }
    }
    void wholeInquiryFromTheKeyboardAndTheMouse() {
        // The inquiry opened from the host's menu on the totals company: the subtype from the
        // list of the field's menu entry, the criterion typed, three sets added and ordered with
        // the keyboard, a run with F5, a node clicked, accounts and periods toggled, the close.
        // The figures themselves are the headless form's test; here the widgets.
        test::DesktopSession sessione(QStringLiteral("totali"));
        QVERIFY(sessione.valido);
        QAction* voce = nullptr;
        for (QAction* menu : sessione.finestra->menuBar()->actions()) {
            for (QAction* action : menu->menu()->actions())
                voce = action->text() == QLatin1String("Budget per criterio di elaborazione")
                           ? action
                           : voce;
        }
        QVERIFY(voce != nullptr);
        voce->trigger();
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_SOTTOTIPO"));

        // The subtype from "Budget in uso": only the subtypes holding a budget are offered.
        sessione.entra("TXT_SOTTOTIPO");
        QMenu* menu = sessione.w("TXT_SOTTOTIPO")->findChild<QToolButton*>()->menu();
        QAction* inUso = nullptr;
        for (QAction* action : menu->actions())
            inUso = action->text() == QLatin1String("Budget in uso") ? action : inUso;
        QVERIFY(inUso != nullptr);
        inUso->trigger();
        test::attendi();
        QTableView* elenco = nullptr;
        for (QDialog* aperto : sessione.form()->window()->findChildren<QDialog*>())
            elenco = aperto->isVisible() ? aperto->findChild<QTableView*>() : elenco;
        QVERIFY(elenco != nullptr);
        QCOMPARE(elenco->model()->rowCount(), 1);
        QTest::keyClick(elenco, Qt::Key_Return);
        test::attendi();
        sessione.attiva();
        sessione.editor("TXT_SOTTOTIPO")->setFocus();
        QTest::keyClick(sessione.editor("TXT_SOTTOTIPO"), Qt::Key_Tab);
        test::attendi();
        QCOMPARE(sessione.w<QLabel>("TXT_SOTTOTIPO_DES")->text(), QStringLiteral("Quadrimestrale"));
        sessione.scrivi("TXT_CRITERIO", QStringLiteral("CR02"));

        // Budget, actuals and forecast 1 of 2026, each added with Ins; the forecast moved up
        // with Ctrl+Up; the differences of the second and third sets ticked with Space.
        auto* griglia = sessione.w<QTableView>("QGRID_CONFRONTO");
        griglia->setFocus(Qt::TabFocusReason);
        for (const QString& tipo : {QStringLiteral("Budget"), QStringLiteral("Consuntivo"),
                                    QStringLiteral("Forecast 1")}) {
            QTest::keyClick(griglia, Qt::Key_Insert);
            test::attendi();
            const int riga = griglia->currentIndex().row();
            scegli(*griglia, riga, 1, tipo);
            scegli(*griglia, riga, 2, QStringLiteral("2026"));
            scegli(*griglia, riga, 3, QStringLiteral("1"));
        }
        griglia->setCurrentIndex(griglia->model()->index(2, 1));
        QTest::keyClick(griglia, Qt::Key_Up, Qt::ControlModifier);
        test::attendi();
        QCOMPARE(colonnaTesti(*griglia, 1), (QStringList{"Budget", "Forecast 1", "Consuntivo"}));
        QCOMPARE(colonnaTesti(*griglia, 0), (QStringList{"1", "2", "3"}));
        for (int riga : {1, 2}) {
            for (int colonna : {4, 5}) {
                griglia->setCurrentIndex(griglia->model()->index(riga, colonna));
                QTest::keyClick(griglia, Qt::Key_Space);
            }
        }
        sessione.w<QCheckBox>("CHK_NASCONDI_NULL")->click();
        test::attendi();
        QTest::keyClick(sessione.fuoco(), Qt::Key_F5);
        test::attendi();

        // The tree shows the ticked columns only; a negative amount is painted in the colour
        // of a loss, and no other.
        auto* albero = sessione.w<QTreeView>("TGRID_BDGINTRIC");
        QAbstractItemModel& modello = *albero->model();
        const auto intestazioni = [&] {
            QStringList visibili;
            for (int column = 0; column < modello.columnCount(); ++column) {
                if (!albero->isColumnHidden(column))
                    visibili << modello.headerData(column, Qt::Horizontal).toString();
            }
            return visibili;
        };
        QCOMPARE(intestazioni(),
                 (QStringList{"Voce/Conto", "Descrizione", "Bdg 2026", "Fo1 2026", "D Fo12026",
                              "% Fo12026", "Con 2026", "D Con2026", "% Con2026"}));
        struct Opzioni : DelegatoImporti {
            using DelegatoImporti::initStyleOption;
        } opzioni;
        int nodi = 0, negativi = 0;
        std::function<void(const QModelIndex&)> visita = [&](const QModelIndex& padre) {
            for (int riga = 0; riga < modello.rowCount(padre); ++riga) {
                const QModelIndex nodo = modello.index(riga, 0, padre);
                ++nodi;
                for (int column = 0; column < modello.columnCount(); ++column) {
                    if (albero->isColumnHidden(column))
                        continue;
                    QStyleOptionViewItem stile;
                    opzioni.initStyleOption(&stile, nodo.siblingAtColumn(column));
                    const bool negativo = stile.text.startsWith(QLatin1Char('-'));
                    negativi += negativo ? 1 : 0;
                    QCOMPARE(stile.palette.color(QPalette::Text) ==
                                 DelegatoImporti::coloreNegativo(),
                             negativo);
                }
                visita(nodo);
            }
        };
        visita(QModelIndex());
        QVERIFY(negativi > 0);

        // R1 clicked: its three four-monthly periods in the grid and the chart.
        const QModelIndex r1 = modello
                                   .match(modello.index(0, 0), TreeGridModel::KeyRole, qint64(12),
                                          1, Qt::MatchExactly | Qt::MatchRecursive)
                                   .value(0);
        QVERIFY(r1.isValid());
        albero->scrollTo(r1);
        QTest::mouseClick(albero->viewport(), Qt::LeftButton, {}, albero->visualRect(r1).center());
        test::attendi();
        auto* periodi = sessione.w<GrigliaPeriodi>("QGRID_PERIODI");
        QCOMPARE(periodi->tabella()->model()->rowCount(), 3);
        auto* grafico = sessione.w<GraficoPeriodi>("GRAFICO_PERIODI");
        QCOMPARE(grafico->serie(), (QStringList{"Bdg 2026", "Fo1 2026", "Con 2026"}));
        QCOMPARE(grafico->categorie(), (QStringList{"1°", "2°", "3°"}));

        // The periods pane opens with its button; the accounts go with theirs.
        auto* split = sessione.w<QSplitter>("ZEL_SPLIT");
        QCOMPARE(split->sizes().value(1), 0);
        sessione.w<QToolButton>("BUT_PERIODI_VISIBLE")->click();
        test::attendi();
        QVERIFY(split->sizes().value(1) > 0);
        const int conConti = nodi;
        sessione.w<QToolButton>("BUT_NODO_CONTI_VISIBILE")->click();
        test::attendi();
        nodi = 0;
        visita(QModelIndex());
        QCOMPARE(nodi, conConti - 6);                         // the fixture's six accounts
        QCOMPARE(periodi->tabella()->model()->rowCount(), 3); // R1 is no account: it stays chosen

        // After the run the difference of the second set goes from both grids with its box.
        griglia->setCurrentIndex(griglia->model()->index(1, 4));
        QTest::keyClick(griglia, Qt::Key_Space);
        test::attendi();
        QVERIFY(periodi->tabella()->isColumnHidden(
            periodi->modello()->columnOf(QStringLiteral("DELTA_IMP2"))));
        QVERIFY(!intestazioni().contains(QStringLiteral("D Fo12026")));

        // Another company is refused while the inquiry is open, and allowed once it closed.
        QVERIFY(!sessione.finestra->cambiaDitta(sessione.company.connectionString(), 1));
        sessione.finestra->cornici().first()->close();
        test::attendi();
        QVERIFY(sessione.finestra->cornici().isEmpty());
        QVERIFY(sessione.finestra->cambiaDitta(sessione.company.connectionString(), 1));
    }

    void hostFindsTheModuleByItsContractAndTracesItsLife() {
        // The library declares the host's contract: it is found among files that are no
        // module, offers its one class and knows where it was found. Creation and destruction
        // of the module each trace one line with the same fresh instance id; data handed to
        // the module reaches the host as the module's event.
        QTemporaryDir altri;
        QFile finto(altri.filePath(QStringLiteral("libfinto.so")));
        QVERIFY(finto.open(QIODevice::WriteOnly));
        finto.write("not a library");
        finto.close();
        gui::CaricatoreModuli caricatore;
        const QList<gui::LibreriaModuli> librerie =
            caricatore.carica({altri.path(), QStringLiteral(BDGINTRIC_MODULE_DIR)});
        QCOMPARE(librerie.size(), 1);
        ModuloFactory& libreria = *librerie.first().factory;
        QCOMPARE(libreria.classi(), QStringList{QStringLiteral("CLSBU_BDGINTRIC")});
        QCOMPARE(libreria.applicazione().progetto, QStringLiteral("BUUO_BDGINTRIC"));
        QVERIFY(libreria.applicazione().percorso.startsWith(QStringLiteral(BDGINTRIC_MODULE_DIR)));
        QVERIFY(libreria.crea(QStringLiteral("ALTRA_CLASSE")) == nullptr);

        QLoggingCategory::setFilterRules(QStringLiteral("bdgintric.trace.debug=true"));
        const QtMessageHandler prima = qInstallMessageHandler(raccogliTracce);
        g_tracce.clear();
        EventiRicevuti eventi;
        {
            std::unique_ptr<Cinterface> modulo = libreria.crea(QStringLiteral("CLSBU_BDGINTRIC"));
            modulo->setEventi(&eventi);
            QVERIFY(modulo->TransferData(Variant(QStringLiteral("righe"))).isEmpty());
            QVERIFY(modulo->CloseForm().toBool().value_or(false)); // no form: nothing to refuse
        }
        qInstallMessageHandler(prima);
        QLoggingCategory::setFilterRules(QStringLiteral("bdgintric.trace.debug=false"));
        QCOMPARE(eventi.dati, QStringList{QStringLiteral("righe")});
        const QString id = g_tracce.value(0).section(u'|', 1, 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(id).hasMatch(),
                 qPrintable(g_tracce.join('\n')));
        const QString riga = QStringLiteral("WOBN:|%1|%2|BUUO_BDGINTRIC|CLSBU_BDGINTRIC").arg(id);
        QCOMPARE(g_tracce, (QStringList{riga.arg("INI"), riga.arg("TER")}));
    }
    void moduleAnswersTheNavigatorsEvents_data() {
        QTest::addColumn<bool>("attivo");
        QTest::addColumn<int>("registrati"); // objects registered in the script model
        QTest::newRow("active module") << true << 2;
        QTest::newRow("inactive module") << false << 0;
    }
    void moduleAnswersTheNavigatorsEvents() {
        // The module refuses every change of company with message 30179 under the form's
        // caption; only an active module registers its form and its frame for scripts.
        QFETCH(bool, attivo);
        QFETCH(int, registrati);
        test::DesktopSession sessione(QStringLiteral("chiavi"));
        QVERIFY(sessione.valido);
        gui::CorniceMdi* cornice = sessione.finestra->apriModulo(0);
        QVERIFY(cornice != nullptr);
        test::attendi();
        BasicNavigator& navigatore = sessione.finestra->navigatore();
        QCOMPARE(navigatore.connectedModules().size(), 1);
        NavigatorEvents& modulo = *navigatore.connectedModules().first();
        dynamic_cast<Cinterface&>(modulo).setIsActive(attivo);

        struct Registro : ScriptObjectModel {
            void AddObject(const QString& name, QObject*&, int kind, const QString&) override {
                oggetti << QStringLiteral("%1:%2").arg(name).arg(kind);
            }
            QStringList oggetti;
        } script;
        bool cancel = false;
        modulo.InitializeScriptObjectModel(cancel, &script);
        QCOMPARE(int(script.oggetti.size()), registrati);
        if (registrati > 0)
            QCOMPARE(script.oggetti, (QStringList{"FRMBU_BDGINTRIC:0", ":3"}));

        sessione.mostrati.clear();
        modulo.BeforeChangeDitta(cancel);
        QVERIFY(cancel);
        QCOMPARE(sessione.mostrati,
                 QStringList{*MessageCatalogue::text(Msg::CambioDittaNonAmmesso)});
        QCOMPARE(sessione.titoli.last(), QStringLiteral("Budget per criterio di elaborazione"));
    }
    void companyWithoutCurrencyClosesTheFormAtOnce() {
        // A company without a management currency: the form says so (76205) and closes itself
        // with its frame; the host's close finds it gone.
        test::DesktopSession sessione(QString(), [](Connection& connection) {
            CompanySchema::create(connection);
            connection.ExecuteNonQuery(
                "INSERT INTO HS01_DITTE (HS01_CODICE, HS01_RAGSOC, HS01_VALUTA_HS02, "
                "HS01_GESTIONESEDI) VALUES (1, 'Senza valuta', NULL, 0)");
        });
        QVERIFY(sessione.valido);
        QPointer<gui::CorniceMdi> cornice = sessione.finestra->apriModulo(0);
        test::attendi();
        QCOMPARE(sessione.mostrati,
                 QStringList{*MessageCatalogue::text(Msg::ValutaGestioneMancante)});
        QVERIFY(cornice.isNull());
        QVERIFY(sessione.finestra->cornici().isEmpty());
        QVERIFY(sessione.finestra->navigatore().connectedModules().isEmpty());
    }
    void styleCodeChoosesIconButtonsAndDefault_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icona");
        QTest::newRow("plain message") << 0 << int(QMessageBox::NoIcon);
        QTest::newRow("a refused criterion") << 16 << int(QMessageBox::Critical);
        QTest::newRow("save the new profile?") << 36 << int(QMessageBox::Question);
        QTest::newRow("a profile without sites") << 48 << int(QMessageBox::Warning);
        QTest::newRow("a numbered message") << 64 << int(QMessageBox::Information);
        QTest::newRow("the error dialog") << 4370 << int(QMessageBox::Critical);
    }
    void styleCodeChoosesIconButtonsAndDefault() {
        // The host's style code decides the icon; its buttons are the host contract's.
        QFETCH(int, style);
        QFETCH(int, icona);
        QCOMPARE(int(gui::aspettoMessaggio(style).icona), icona);
    }
    void unattendedMessagesTakeTheQueuedAnswersFirst() {
        // Unattended, a message gets the next queued answer, then its preselected button's;
        // an error with nothing queued is abandoned. Each one is announced for the log.
        gui::MessaggiDesktop messaggi;
        messaggi.setAutomatico(true);
        QSignalSpy annunci(&messaggi, &gui::MessaggiDesktop::mostrato);
        messaggi.accodaRisposta(MessageAnswer::No);

        QCOMPARE(messaggi.ShowMessage(QStringLiteral("Salvare nuovo profilo ?"), 36,
                                      QStringLiteral("Budget")),
                 MessageAnswer::No);
        QCOMPARE(messaggi.ShowMessage(QStringLiteral("Salvare nuovo profilo ?"), 36,
                                      QStringLiteral("Budget")),
                 MessageAnswer::Yes);
        QCOMPARE(messaggi.ShowError(QStringLiteral("bdgintric"), QStringLiteral("Budget"),
                                    QStringLiteral("BdgIntRic_Elabora"),
                                    QStringLiteral("no such table"), 4370),
                 MessageAnswer::Abort);

        QCOMPARE(annunci.size(), 3);
        QVERIFY(messaggi.ultimoTesto().contains(QStringLiteral("BdgIntRic_Elabora")));
        QVERIFY(messaggi.ultimoTesto().endsWith(QStringLiteral("no such table")));
    }

    void linesSplitIntoWords_data() {
        QTest::addColumn<QString>("riga");
        QTest::addColumn<QStringList>("parole");
        QTest::newRow("words") << "set budget 2026 1 1 delta"
                               << QStringList{"set", "budget", "2026", "1", "1", "delta"};
        QTest::newRow("quoted blanks") << R"(profile "Budget e consuntivo 2025" # a name)"
                                       << QStringList{"profile", "Budget e consuntivo 2025"};
        QTest::newRow("an empty quoted word")
            << R"(check TXT_CRITERIO_DES "")" << QStringList{"check", "TXT_CRITERIO_DES", ""};
        QTest::newRow("a comment line") << "   # nothing to do" << QStringList{};
    }
    void linesSplitIntoWords() {
        // Blanks separate words except between quotes; "#" outside quotes ends the line.
        QFETCH(QString, riga);
        QFETCH(QStringList, parole);
        QCOMPARE(gui::Replay::parole(riga), parole);
    }
    void scriptStopsAtTheFirstActionThatFails_data() {
        test::addTsvRows("replay_errori", {"script", "errore"});
    }
    void scriptStopsAtTheFirstActionThatFails() {
        // A script runs line by line on the real windows; the first line that cannot be done
        // stops it and is named with its number.
        QFETCH(QString, script);
        QFETCH(QString, errore);
        test::DesktopSession sessione(QStringLiteral("chiavi"));
        QVERIFY(sessione.valido);
        gui::Replay replay(*sessione.finestra, sessione.messaggi);

        const bool riuscito = replay.esegui(script, QStringLiteral("s.txt"));

        QCOMPARE(riuscito, errore.isEmpty());
        if (!errore.isEmpty())
            QVERIFY2(replay.errore().startsWith(errore), qPrintable(replay.errore()));
    }
    void placeAndSplitAreRememberedBetweenSessions() {
        // The inquiry's window opens where it was when it closed, and the periods come back
        // with the share of the result area the user gave them.
        const QString risultato =
            QStringLiteral("subtype SB1\ncriterion CR01\nset budget 2026 1\nrun\nperiods on\n");
        const QRect posto(30, 40, 900, 620);
        {
            test::DesktopSession prima(QStringLiteral("chiavi"));
            QVERIFY(prima.valido);
            gui::Replay replay(*prima.finestra, prima.messaggi);
            QVERIFY2(replay.esegui(QStringLiteral("open\n"), QStringLiteral("a.txt")),
                     qPrintable(replay.errore()));
            prima.finestra->cornici().first()->setGeometry(posto);
            QVERIFY2(replay.esegui(risultato + QStringLiteral("split 40\nclose\n"),
                                   QStringLiteral("b.txt")),
                     qPrintable(replay.errore()));
        }
        test::DesktopSession seconda(QStringLiteral("chiavi"));
        QVERIFY(seconda.valido);
        gui::Replay replay(*seconda.finestra, seconda.messaggi);
        QVERIFY2(replay.esegui(QStringLiteral("open\n") + risultato, QStringLiteral("c.txt")),
                 qPrintable(replay.errore()));
        QCOMPARE(seconda.finestra->cornici().first()->geometry(), posto);
        const QList<int> split = seconda.w<QSplitter>("ZEL_SPLIT")->sizes();
        const double quota = 100.0 * split.value(0) / (split.value(0) + split.value(1));
        QVERIFY2(std::abs(quota - 40.0) < 2.0, qPrintable(QString::number(quota)));
    }
    void hostReplaysWithoutADisplayAndNamesTheFailingLine() {
        // The desktop program itself, started with --replay and no display, on the demo company:
        // the offscreen platform, the screenshots of the selection, of the result with its
        // periods and of the chart (for people to look at, under the build folder, never
        // compared pixel by pixel), the host's office export under the grid's visible captions
        // (its cells are the export suite's test), and a non-zero status naming the first line
        // that fails: an export over the company database, which is left as it was.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY(company.build(
            [](Connection& connection) { DemoCompany::create(connection, DemoOptions{}); }));
        const QDir schermate(QStringLiteral(BDGINTRIC_SCREENSHOTS));
        QVERIFY(schermate.mkpath(QStringLiteral(".")));
        QStringList file;
        for (const char* nome : {"selezione.png", "risultato_periodi.png", "grafico.png"})
            file << schermate.filePath(QLatin1String(nome));
        QTemporaryDir cartella;
        const QString libro = cartella.filePath(QStringLiteral("risultato.xlsx"));
        QFile script(cartella.filePath(QStringLiteral("sessione.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral(
                         "open\nresize 1280 900\nmaximize\nsubtype MENS\ncriterion CE01\n"
                         "set budget 2026 1 1\nset forecast1 2026 1 1 delta perc\n"
                         "set actuals 2026 1 1 delta\nscreenshot \"%1\"\nrun\nexport \"%4\"\n"
                         "parameters off\nselect A10\nperiods on\nsplit 55\nscreenshot \"%2\"\n"
                         "accounts off\nselect A111\nsplit 30\nscreenshot \"%3\"\nexport \"%5\"\n")
                         .arg(file.at(0), file.at(1), file.at(2), libro, company.connectionString())
                         .toUtf8());
        script.close();
        QProcess programma;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        for (const char* variabile : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ambiente.remove(QLatin1String(variabile));
        ambiente.insert(QStringLiteral("XDG_CONFIG_HOME"), cartella.path());
        ambiente.insert(QStringLiteral("XDG_DATA_HOME"), cartella.path());
        ambiente.insert(QStringLiteral("BDGINTRIC_MODULE_PATH"),
                        QStringLiteral(BDGINTRIC_MODULE_DIR));
        programma.setProcessEnvironment(ambiente);
        programma.start(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../src/app/bdgintric-gui"),
                        {QStringLiteral("--db"), company.connectionString(),
                         QStringLiteral("--replay"), script.fileName()});
        QVERIFY(programma.waitForFinished(300000));
        const QString errori = QString::fromUtf8(programma.readAllStandardError());
        QCOMPARE(programma.exitCode(), 1);
        QVERIFY2(errori.contains(script.fileName() + QStringLiteral(":21: 'export \"%1\"': "
                                                                    "cannot write workbook")
                                                         .arg(company.connectionString())),
                 qPrintable(errori));
        QFile intatto(company.connectionString());
        QVERIFY(intatto.open(QIODevice::ReadOnly));
        QCOMPARE(intatto.read(16), QByteArray("SQLite format 3\0", 16));

        for (const QString& schermata : file) {
            const QImage immagine(schermata);
            QVERIFY2(immagine.width() >= 1000 && immagine.height() >= 700, qPrintable(schermata));
            // Not one colour: something was drawn.
            QVERIFY(immagine.pixel(10, 10) != immagine.pixel(immagine.width() / 2, 300) ||
                    immagine.pixel(10, 10) != immagine.pixel(640, 600));
        }
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        const test::LettoreXlsx foglio(libro);
        int intestazione = 1;
        while (intestazione < 20 &&
               foglio.riga(intestazione).value(0) != QLatin1String("Voce/Conto"))
            ++intestazione;
        QCOMPARE(foglio.riga(intestazione).mid(2),
                 (QStringList{"Bdg 2026", "Fo1 2026", "D Fo12026", "% Fo12026", "Con 2026",
                              "D Con2026"}));
    }

private:
    QTemporaryDir m_cartella;
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
