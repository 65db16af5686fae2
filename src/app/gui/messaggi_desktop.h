#pragma once

#include "host/contract/message_service.h"

#include <QMessageBox>
#include <QObject>

#include <deque>

class QWidget;

namespace bdg::gui {

/// How a message of a style code looks: its buttons in order (as answers), the one Enter
/// chooses and its icon.
struct AspettoMessaggio {
    QList<int> risposte;
    int predefinita = MessageAnswer::Ok;
    QMessageBox::Icon icona = QMessageBox::NoIcon;
};

/// The buttons, default and icon of a host style code (0, 2, 16, 36, 48, 64, 4370...).
AspettoMessaggio aspettoMessaggio(int style);

/// The host's messages on the desktop: a message box per message, with Italian buttons
/// chosen by the style code, and the answer of the button the user pressed; the error
/// dialog asks abort, retry or ignore with the error's text under "Dettagli".
///
/// Unattended (a replayed script) nobody is there to press a button: each message gets the
/// next queued answer, or the answer of its preselected button (an error: abort), and is
/// written on the standard output instead of shown. Every message is announced, for the
/// host's log.
class MessaggiDesktop : public QObject, public MessageService {
    Q_OBJECT

public:
    explicit MessaggiDesktop(QObject* parent = nullptr);

    void setFinestra(QWidget* finestra) { m_finestra = finestra; }
    void setAutomatico(bool automatico) { m_automatico = automatico; }
    bool isAutomatico() const { return m_automatico; }
    /// The answer the next message gets when unattended.
    void accodaRisposta(int risposta) { m_risposte.push_back(risposta); }
    /// The last text shown, message or error.
    QString ultimoTesto() const { return m_ultimo; }

    int ShowMessage(const QString& text, int style, const QString& title) override;
    int ShowError(const QString& applicationTitle, const QString& caption,
                  const QString& procedureName, const QString& errorText, int buttons) override;

signals:
    /// A message was shown (or answered unattended) and got `risposta`.
    void mostrato(const QString& titolo, const QString& testo, int risposta);

private:
    int chiedi(const QString& title, const QString& text, const QString& dettagli, int style);
    int rispostaAutomatica(int style);

    QWidget* m_finestra = nullptr;
    bool m_automatico = false;
    std::deque<int> m_risposte;
    QString m_ultimo;
};

} // namespace bdg::gui
