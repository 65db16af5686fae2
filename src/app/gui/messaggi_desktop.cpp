#include "app/gui/messaggi_desktop.h"

#include <QPushButton>

#include <cstdio>

namespace bdg::gui {

namespace {

struct Pulsante {
    int risposta;
    QMessageBox::StandardButton standard;
    const char* testo;
};

const Pulsante Pulsanti[] = {
    {MessageAnswer::Ok, QMessageBox::Ok, "OK"},
    {MessageAnswer::Cancel, QMessageBox::Cancel, "Annulla"},
    {MessageAnswer::Abort, QMessageBox::Abort, "Interrompi"},
    {MessageAnswer::Retry, QMessageBox::Retry, "Riprova"},
    {MessageAnswer::Ignore, QMessageBox::Ignore, "Ignora"},
    {MessageAnswer::Yes, QMessageBox::Yes, "Sì"},
    {MessageAnswer::No, QMessageBox::No, "No"},
};

const Pulsante& pulsante(int risposta) {
    for (const Pulsante& candidato : Pulsanti) {
        if (candidato.risposta == risposta)
            return candidato;
    }
    return Pulsanti[0];
}

// Escape closes a box as its way out: Cancel, else No, else Abort, else its only button.
int rispostaDiUscita(const QList<int>& risposte) {
    for (const int uscita : {MessageAnswer::Cancel, MessageAnswer::No, MessageAnswer::Abort}) {
        if (risposte.contains(uscita))
            return uscita;
    }
    return risposte.size() == 1 ? risposte.first() : 0;
}

} // namespace

AspettoMessaggio aspettoMessaggio(int style) {
    AspettoMessaggio aspetto;
    aspetto.risposte = answersOf(style);
    aspetto.predefinita = defaultAnswer(style);
    switch (style & 0x70) {
    case MessageStyle::Critical:
        aspetto.icona = QMessageBox::Critical;
        break;
    case MessageStyle::Question:
        aspetto.icona = QMessageBox::Question;
        break;
    case MessageStyle::Exclamation:
        aspetto.icona = QMessageBox::Warning;
        break;
    case MessageStyle::Information:
        aspetto.icona = QMessageBox::Information;
        break;
    default:
        break;
    }
    return aspetto;
}

MessaggiDesktop::MessaggiDesktop(QObject* parent) : QObject(parent) {}

int MessaggiDesktop::ShowMessage(const QString& text, int style, const QString& title) {
    return chiedi(title, text, QString(), style);
}

int MessaggiDesktop::ShowError(const QString& applicationTitle, const QString& caption,
                               const QString& procedureName, const QString& errorText,
                               int buttons) {
    const QString testo = QStringLiteral("Errore in %1 (%2).\n\nInterrompere, riprovare o "
                                         "ignorare il passo che non è riuscito?")
                              .arg(procedureName, caption);
    // Unattended, an error nobody answered is abandoned: retrying it would never end.
    if (m_automatico && m_risposte.empty())
        m_risposte.push_back(MessageAnswer::Abort);
    return chiedi(applicationTitle, testo, errorText, buttons);
}

int MessaggiDesktop::rispostaAutomatica(int style) {
    if (m_risposte.empty())
        return defaultAnswer(style);
    const int risposta = m_risposte.front();
    m_risposte.pop_front();
    return risposta;
}

int MessaggiDesktop::chiedi(const QString& title, const QString& text, const QString& dettagli,
                            int style) {
    m_ultimo = dettagli.isEmpty() ? text : text + QLatin1Char('\n') + dettagli;
    int risposta = 0;
    if (m_automatico) {
        risposta = rispostaAutomatica(style);
        std::fprintf(
            stdout, "%s\n",
            qUtf8Printable(
                QStringLiteral("[%1] %2 -> %3")
                    .arg(title, QString(m_ultimo).replace(QLatin1Char('\n'), QStringLiteral(" | ")),
                         QString::fromUtf8(pulsante(risposta).testo))));
        std::fflush(stdout);
    } else {
        const AspettoMessaggio aspetto = aspettoMessaggio(style);
        QMessageBox box(aspetto.icona, title, text, QMessageBox::NoButton, m_finestra);
        if (!dettagli.isEmpty())
            box.setDetailedText(dettagli);
        for (const int answer : aspetto.risposte) {
            QPushButton* button = box.addButton(pulsante(answer).standard);
            button->setText(QString::fromUtf8(pulsante(answer).testo));
            if (answer == aspetto.predefinita)
                box.setDefaultButton(button);
        }
        if (const int uscita = rispostaDiUscita(aspetto.risposte))
            box.setEscapeButton(box.button(pulsante(uscita).standard));
        if (style & MessageStyle::SystemModal)
            box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        risposta = MessageAnswer::Ok;
        for (const Pulsante& candidato : Pulsanti) {
            if (box.clickedButton() == box.button(candidato.standard))
                risposta = candidato.risposta;
        }
    }
    emit mostrato(title, m_ultimo, risposta);
    return risposta;
}

} // namespace bdg::gui
