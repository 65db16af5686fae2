#include "app/gui/replay.h"

#include "app/gui/cornice_mdi.h"
#include "app/gui/finestra_principale.h"
#include "app/gui/messaggi_desktop.h"
#include "host/contract/message_service.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>

#include <stdexcept>

namespace bdg::gui {

namespace {

class ErroreReplay : public std::runtime_error {
public:
    explicit ErroreReplay(const QString& testo) : std::runtime_error(testo.toStdString()) {}
};

[[noreturn]] void fallisci(const QString& testo) {
    throw ErroreReplay(testo);
}

// Lets every deferred step run: validations after a move, closed windows, new layouts.
void attendi() {
    for (int giro = 0; giro < 4; ++giro) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void premi(QWidget* widget, int key, const QString& text = QString(),
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &release);
}

bool acceso(const QString& parola) {
    if (parola == QLatin1String("on"))
        return true;
    if (parola == QLatin1String("off"))
        return false;
    fallisci(QStringLiteral("expected on or off, found '%1'").arg(parola));
}

int numero(const QString& parola) {
    bool ok = false;
    const int valore = parola.toInt(&ok);
    if (!ok)
        fallisci(QStringLiteral("'%1' is not a number").arg(parola));
    return valore;
}

int risposta(const QString& parola) {
    static const std::map<QString, int> risposte = {
        {QStringLiteral("ok"), MessageAnswer::Ok},
        {QStringLiteral("cancel"), MessageAnswer::Cancel},
        {QStringLiteral("abort"), MessageAnswer::Abort},
        {QStringLiteral("retry"), MessageAnswer::Retry},
        {QStringLiteral("ignore"), MessageAnswer::Ignore},
        {QStringLiteral("yes"), MessageAnswer::Yes},
        {QStringLiteral("no"), MessageAnswer::No}};
    const auto found = risposte.find(parola.toLower());
    if (found == risposte.end())
        fallisci(QStringLiteral("unknown answer '%1'").arg(parola));
    return found->second;
}

// The kinds of figures as the command line names them, by their code: budget 0,
// actuals 1, forecast N is N + 2.
QString codiceTipo(const QString& tipo) {
    const QString parola = tipo.toLower().remove(QLatin1Char(' '));
    if (parola == QLatin1String("budget"))
        return QStringLiteral("0");
    if (parola == QLatin1String("actuals"))
        return QStringLiteral("1");
    if (parola.startsWith(QLatin1String("forecast"))) {
        bool ok = false;
        const int n = parola.mid(8).toInt(&ok);
        if (ok && n > 0)
            return QString::number(n + 2);
    }
    return tipo;
}

int colonnaDi(const QAbstractItemView& view, const QString& didascalia) {
    const QAbstractItemModel* model = view.model();
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->headerData(column, Qt::Horizontal).toString() == didascalia)
            return column;
    }
    fallisci(QStringLiteral("the grid has no column '%1'").arg(didascalia));
}

} // namespace

Replay::Replay(FinestraPrincipale& host, MessaggiDesktop& messaggi)
    : m_host(host), m_messaggi(messaggi) {
    registraAzioni();
}

QStringList Replay::parole(const QString& riga) {
    QStringList result;
    QString corrente;
    bool virgolette = false;
    bool parola = false;
    for (const QChar c : riga) {
        if (c == QLatin1Char('"')) {
            virgolette = !virgolette;
            parola = true;
        } else if (c == QLatin1Char('#') && !virgolette) {
            break;
        } else if (c.isSpace() && !virgolette) {
            if (parola)
                result << corrente;
            corrente.clear();
            parola = false;
        } else {
            corrente += c;
            parola = true;
        }
    }
    if (parola)
        result << corrente;
    return result;
}

void Replay::registraAzioni() {
    const auto campo = [this](const char* controllo) {
        return std::pair{1, Azione([this, controllo](const QStringList& a) {
                             scrivi(QLatin1String(controllo), a.at(0));
                         })};
    };
    const auto pulsante = [this](const char* controllo) {
        return std::pair{
            0, Azione([this, controllo](const QStringList&) { clicca(QLatin1String(controllo)); })};
    };
    const auto leva = [this](const char* controllo) {
        return std::pair{1, Azione([this, controllo](const QStringList& a) {
                             interruttore(QLatin1String(controllo), acceso(a.at(0)));
                         })};
    };
    m_azioni = {
        {QStringLiteral("open"),
         {0,
          [this](const QStringList& a) {
              if (m_host.apriModulo(a.isEmpty() ? 0 : numero(a.at(0)) - 1) == nullptr)
                  fallisci(QStringLiteral("the inquiry did not open (see the messages)"));
          }}},
        {QStringLiteral("subtype"), campo("TXT_SOTTOTIPO")},
        {QStringLiteral("criterion"), campo("TXT_CRITERIO")},
        {QStringLiteral("from"), campo("TXT_PERIODO_DA")},
        {QStringLiteral("to"), campo("TXT_PERIODO_A")},
        {QStringLiteral("currency"), campo("TXT_VALUTA")},
        {QStringLiteral("rate-date"), campo("TXT_DATACAMBIO")},
        {QStringLiteral("rate"), campo("TXT_CAMBIO")},
        {QStringLiteral("profile"), campo("TXT_PROFILO")},
        {QStringLiteral("lookup"),
         {2,
          [this](const QStringList& a) {
              static const std::map<QString, QString> campi = {
                  {QStringLiteral("subtype"), QStringLiteral("TXT_SOTTOTIPO")},
                  {QStringLiteral("criterion"), QStringLiteral("TXT_CRITERIO")},
                  {QStringLiteral("currency"), QStringLiteral("TXT_VALUTA")},
                  {QStringLiteral("profile"), QStringLiteral("TXT_PROFILO")}};
              const auto found = campi.find(a.at(0));
              if (found == campi.end())
                  fallisci(QStringLiteral("no list for '%1'").arg(a.at(0)));
              scegliDaElenco(found->second, a.at(1));
          }}},
        {QStringLiteral("set"), {2, [this](const QStringList& a) { aggiungiInsieme(a); }}},
        {QStringLiteral("delta"),
         {2,
          [this](const QStringList& a) {
              spunta(numero(a.at(0)), QStringLiteral("Delta"), acceso(a.at(1)));
          }}},
        {QStringLiteral("perc"),
         {2,
          [this](const QStringList& a) {
              spunta(numero(a.at(0)), QStringLiteral("%Delta"), acceso(a.at(1)));
          }}},
        {QStringLiteral("consolidate"), leva("CHK_CONSOLIDO_MULTIATT")},
        {QStringLiteral("hide-null"), leva("CHK_NASCONDI_NULL")},
        {QStringLiteral("click"), {1, [this](const QStringList& a) { clicca(a.at(0)); }}},
        {QStringLiteral("run"), pulsante("BUT_ELABORA")},
        {QStringLiteral("new"), pulsante("BUT_NUOVO")},
        {QStringLiteral("parameters"), leva("BUT_PARAMETRI")},
        {QStringLiteral("accounts"), leva("BUT_NODO_CONTI_VISIBILE")},
        {QStringLiteral("periods"), leva("BUT_PERIODI_VISIBLE")},
        {QStringLiteral("select"), {1, [this](const QStringList& a) { seleziona(a.at(0)); }}},
        {QStringLiteral("answer"),
         {1, [this](const QStringList& a) { m_messaggi.accodaRisposta(risposta(a.at(0))); }}},
        {QStringLiteral("check"),
         {2, [this](const QStringList& a) { controlla(a.at(0), a.at(1)); }}},
        {QStringLiteral("message"),
         {1,
          [this](const QStringList& a) {
              if (!m_messaggi.ultimoTesto().contains(a.at(0)))
                  fallisci(
                      QStringLiteral("the last message is '%1'").arg(m_messaggi.ultimoTesto()));
          }}},
        {QStringLiteral("export"), {1, [this](const QStringList& a) { esporta(a.at(0)); }}},
        {QStringLiteral("screenshot"),
         {1,
          [this](const QStringList& a) {
              attendi();
              if (!m_host.grab().save(a.at(0)))
                  fallisci(QStringLiteral("cannot write the screenshot '%1'").arg(a.at(0)));
          }}},
        {QStringLiteral("resize"),
         {2, [this](const QStringList& a) { m_host.resize(numero(a.at(0)), numero(a.at(1))); }}},
        {QStringLiteral("maximize"),
         {0,
          [this](const QStringList&) {
              if (m_host.cornici().isEmpty())
                  fallisci(QStringLiteral("no inquiry is open"));
              m_host.cornici().last()->showMaximized();
          }}},
        {QStringLiteral("split"),
         {1, [this](const QStringList& a) { trascinaSplit(numero(a.at(0))); }}},
        {QStringLiteral("change-company"),
         {0,
          [this](const QStringList& a) {
              m_host.cambiaDitta(a.value(0), a.size() > 1 ? numero(a.at(1)) : 1);
          }}},
        {QStringLiteral("close"), {0, [this](const QStringList&) { chiudi(); }}},
    };
}

bool Replay::esegui(const QString& testo, const QString& nomeFile) {
    m_errore.clear();
    const QStringList righe = testo.split(QLatin1Char('\n'));
    for (int numeroRiga = 0; numeroRiga < righe.size(); ++numeroRiga) {
        const QString riga = righe.at(numeroRiga).trimmed();
        const QStringList lette = parole(riga);
        if (lette.isEmpty())
            continue;
        try {
            esegui(lette);
        } catch (const std::exception& error) {
            m_errore = QStringLiteral("%1:%2: '%3': %4")
                           .arg(nomeFile)
                           .arg(numeroRiga + 1)
                           .arg(riga, QString::fromUtf8(error.what()));
            return false;
        }
    }
    return true;
}

void Replay::esegui(const QStringList& parole) {
    const auto found = m_azioni.find(parole.first());
    if (found == m_azioni.end())
        fallisci(QStringLiteral("unknown action '%1'").arg(parole.first()));
    const QStringList argomenti = parole.mid(1);
    if (argomenti.size() < found->second.first)
        fallisci(QStringLiteral("'%1' needs %2 argument(s)")
                     .arg(parole.first())
                     .arg(found->second.first));
    attivaFinestra();
    found->second.second(argomenti);
    attendi();
}

void Replay::attivaFinestra() const {
    if (!m_host.isVisible())
        m_host.show();
    m_host.activateWindow();
    QApplication::setActiveWindow(&m_host);
    attendi();
}

QWidget* Replay::form() const {
    auto* form =
        qobject_cast<QWidget*>(m_host.modelloScript().oggetto(QStringLiteral("FRMBU_BDGINTRIC")));
    if (form == nullptr)
        fallisci(QStringLiteral("the inquiry is not open (missing 'open'?)"));
    return form;
}

QWidget* Replay::controllo(const QString& nome) const {
    auto* widget = form()->findChild<QWidget*>(nome);
    if (widget == nullptr)
        fallisci(QStringLiteral("the form has no control '%1'").arg(nome));
    if (!widget->isEnabled() || !widget->isVisibleTo(form()))
        fallisci(QStringLiteral("%1 is not available now").arg(nome));
    return widget;
}

// Typed as a user types: into the field, then Tab. A field the form refuses to leave
// keeps the focus, and the line fails with the form's message.
void Replay::scrivi(const QString& nome, const QString& valore) {
    auto* editor = controllo(nome)->findChild<QLineEdit*>();
    if (editor == nullptr)
        fallisci(QStringLiteral("%1 is not a field").arg(nome));
    editor->setFocus(Qt::TabFocusReason);
    attendi();
    if (QApplication::focusWidget() != editor)
        fallisci(QStringLiteral("cannot reach %1: the form keeps the focus elsewhere").arg(nome));
    editor->selectAll();
    premi(editor, Qt::Key_Delete);
    for (const QChar c : valore)
        premi(editor, 0, QString(c));
    const QString prima = m_messaggi.ultimoTesto();
    premi(editor, Qt::Key_Tab);
    attendi();
    if (QApplication::focusWidget() == editor) {
        const QString messaggio = m_messaggi.ultimoTesto() != prima ? m_messaggi.ultimoTesto()
                                                                    : QStringLiteral("no message");
        fallisci(QStringLiteral("the form refused '%1' in %2 (%3)").arg(valore, nome, messaggio));
    }
}

void Replay::scegliDaElenco(const QString& nome, const QString& codice) {
    auto* editor = controllo(nome)->findChild<QLineEdit*>();
    editor->setFocus(Qt::TabFocusReason);
    attendi();
    premi(editor, Qt::Key_F4);
    attendi();
    QTableView* elenco = nullptr;
    for (QDialog* dialogo : form()->window()->findChildren<QDialog*>()) {
        if (dialogo->isVisible())
            elenco = dialogo->findChild<QTableView*>();
    }
    if (elenco == nullptr)
        fallisci(QStringLiteral("%1 opened no list").arg(nome));
    const QModelIndexList found = elenco->model()->match(
        elenco->model()->index(0, 0), Qt::DisplayRole, codice, 1, Qt::MatchExactly);
    if (found.isEmpty()) {
        premi(elenco, Qt::Key_Escape);
        fallisci(QStringLiteral("the list of %1 does not offer '%2'").arg(nome, codice));
    }
    elenco->setCurrentIndex(found.first());
    premi(elenco, Qt::Key_Return);
    attendi();
    attivaFinestra();
    editor->setFocus(Qt::OtherFocusReason);
    attendi();
    premi(editor, Qt::Key_Tab);
    attendi();
    if (QApplication::focusWidget() == editor)
        fallisci(QStringLiteral("the form refused '%1' in %2 (%3)")
                     .arg(codice, nome, m_messaggi.ultimoTesto()));
}

// A set as the user adds it: the add button, then a choice in each list of the new row,
// then its check boxes.
void Replay::aggiungiInsieme(const QStringList& argomenti) {
    clicca(QStringLiteral("BUT_QGRID_PIU"));
    auto* griglia = qobject_cast<QTableView*>(controllo(QStringLiteral("QGRID_CONFRONTO")));
    const int riga = griglia->currentIndex().row();
    if (riga < 0)
        fallisci(QStringLiteral("the comparison grid shows no new row"));
    const QStringList colonne = {QStringLiteral("TipoDettaglio"), QStringLiteral("Anno"),
                                 QStringLiteral("Progressivo"), QStringLiteral("Sede")};
    int valore = 0;
    for (const QString& argomento : argomenti) {
        if (argomento == QLatin1String("delta") || argomento == QLatin1String("perc")) {
            spunta(riga + 1,
                   argomento == QLatin1String("delta") ? QStringLiteral("Delta")
                                                       : QStringLiteral("%Delta"),
                   true);
            continue;
        }
        if (valore >= colonne.size())
            fallisci(QStringLiteral("too many values for a set"));
        // A kind of figures must be one the subtype offers; years, progressives and sites
        // may also be typed.
        const bool tipo = valore == 0;
        scegliInCella(riga, colonne.at(valore++), tipo ? codiceTipo(argomento) : argomento, tipo);
    }
}

void Replay::scegliInCella(int riga, const QString& colonna, const QString& valore,
                           bool soloLista) {
    auto* griglia = qobject_cast<QTableView*>(controllo(QStringLiteral("QGRID_CONFRONTO")));
    const QModelIndex cella = griglia->model()->index(riga, colonnaDi(*griglia, colonna));
    griglia->setFocus(Qt::TabFocusReason);
    griglia->setCurrentIndex(cella);
    griglia->edit(cella);
    attendi();
    QComboBox* lista = nullptr;
    for (QComboBox* combo : griglia->viewport()->findChildren<QComboBox*>()) {
        if (combo->isVisible())
            lista = combo;
    }
    if (lista == nullptr)
        fallisci(QStringLiteral("column %1 offers no list now").arg(colonna));
    int scelta = lista->findData(valore);
    if (scelta < 0)
        scelta = lista->findText(valore, Qt::MatchFixedString);
    if (scelta < 0 && soloLista) {
        premi(lista, Qt::Key_Escape);
        fallisci(QStringLiteral("column %1 does not offer '%2'").arg(colonna, valore));
    }
    if (scelta >= 0)
        lista->setCurrentIndex(scelta);
    else
        lista->setEditText(valore);
    premi(lista, Qt::Key_Return);
    attendi();
}

void Replay::spunta(int riga, const QString& colonna, bool voluto) {
    auto* griglia = qobject_cast<QTableView*>(controllo(QStringLiteral("QGRID_CONFRONTO")));
    const QModelIndex cella = griglia->model()->index(riga - 1, colonnaDi(*griglia, colonna));
    if (!cella.isValid())
        fallisci(QStringLiteral("the comparison grid has no row %1").arg(riga));
    if ((cella.data(Qt::CheckStateRole).toInt() == Qt::Checked) == voluto)
        return;
    griglia->setFocus(Qt::TabFocusReason);
    griglia->setCurrentIndex(cella);
    premi(griglia, Qt::Key_Space, QStringLiteral(" "));
    attendi();
    if ((cella.data(Qt::CheckStateRole).toInt() == Qt::Checked) != voluto)
        fallisci(QStringLiteral("the box %1 of row %2 did not change").arg(colonna).arg(riga));
}

void Replay::interruttore(const QString& nome, bool voluto) {
    auto* pulsante = qobject_cast<QAbstractButton*>(controllo(nome));
    if (pulsante == nullptr || !pulsante->isCheckable())
        fallisci(QStringLiteral("%1 is not a switch").arg(nome));
    if (pulsante->isChecked() != voluto)
        pulsante->click();
    attendi();
    if (pulsante->isChecked() != voluto)
        fallisci(QStringLiteral("%1 did not switch").arg(nome));
}

void Replay::clicca(const QString& nome) {
    auto* pulsante = qobject_cast<QAbstractButton*>(controllo(nome));
    if (pulsante == nullptr)
        fallisci(QStringLiteral("%1 is not a button").arg(nome));
    pulsante->click();
    attendi();
}

void Replay::seleziona(const QString& codice) {
    auto* albero = qobject_cast<QTreeView*>(controllo(QStringLiteral("TGRID_BDGINTRIC")));
    const QModelIndexList found =
        albero->model()->match(albero->model()->index(0, 0), Qt::DisplayRole, codice, 1,
                               Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty())
        fallisci(QStringLiteral("the tree shows no node '%1'").arg(codice));
    albero->setFocus(Qt::MouseFocusReason);
    albero->scrollTo(found.first());
    albero->setCurrentIndex(found.first());
}

void Replay::controlla(const QString& nome, const QString& atteso) {
    auto* widget = form()->findChild<QWidget*>(nome);
    if (widget == nullptr)
        fallisci(QStringLiteral("the form has no control '%1'").arg(nome));
    QString mostrato;
    if (auto* label = qobject_cast<QLabel*>(widget))
        mostrato = label->text();
    else if (auto* editor = widget->findChild<QLineEdit*>())
        mostrato = editor->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        mostrato = button->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    if (mostrato != atteso)
        fallisci(QStringLiteral("%1 shows '%2'").arg(nome, mostrato));
}

// The splitter's handle dragged with the mouse until the upper pane holds `percentuale`.
void Replay::trascinaSplit(int percentuale) {
    auto* split = qobject_cast<QSplitter*>(controllo(QStringLiteral("ZEL_SPLIT")));
    if (split == nullptr || split->count() < 2 || percentuale < 0 || percentuale > 100)
        fallisci(QStringLiteral("cannot move the split to %1%").arg(percentuale));
    QSplitterHandle* maniglia = split->handle(1);
    const int totale = split->height() - maniglia->height();
    const QPointF inizio(maniglia->width() / 2.0, maniglia->height() / 2.0);
    const QPointF fine(inizio.x(), inizio.y() + totale * percentuale / 100.0 - maniglia->y());
    const auto mouse = [maniglia](QEvent::Type tipo, const QPointF& punto, Qt::MouseButtons tasti) {
        QMouseEvent evento(tipo, punto, maniglia->mapToGlobal(punto), Qt::LeftButton, tasti,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(maniglia, &evento);
    };
    mouse(QEvent::MouseButtonPress, inizio, Qt::LeftButton);
    mouse(QEvent::MouseMove, fine, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, fine, Qt::NoButton);
}

// The host's office export of the inquiry in front, written as a workbook.
void Replay::esporta(const QString& file) {
    using Esito = FinestraPrincipale::EsitoEsportazione;
    QString motivo;
    switch (m_host.esportaInOffice(file, motivo)) {
    case Esito::Scritta:
        return;
    case Esito::NienteDaEsportare:
        fallisci(QStringLiteral("nothing to export: no result in front (missing 'run'?)"));
    case Esito::Rifiutata:
        fallisci(QStringLiteral("the inquiry refused the export"));
    case Esito::ErroreFile:
        fallisci(QStringLiteral("cannot write workbook '%1': %2").arg(file, motivo));
    }
}

void Replay::chiudi() {
    const QList<CorniceMdi*> cornici = m_host.cornici();
    if (cornici.isEmpty())
        fallisci(QStringLiteral("no inquiry is open"));
    CorniceMdi* cornice = cornici.last();
    cornice->close();
    attendi();
    if (m_host.cornici().contains(cornice))
        fallisci(QStringLiteral("the inquiry refused to close"));
}

} // namespace bdg::gui
