#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class QWidget;

namespace bdg::gui {

class FinestraPrincipale;
class MessaggiDesktop;

/// Replays a user's session from a text script on the real windows of the host: one
/// action per line, words separated by blanks ("quoted words" may hold blanks), "#" starts
/// a comment. Messages are answered unattended and written on the standard output. The
/// first action that cannot be done stops the script; its line is named.
///
/// Actions: open; subtype, criterion, from, to, currency, rate-date, rate, profile VALUE
/// (typed and left with Tab); lookup FIELD CODE (chosen from the field's list); set KIND
/// YEAR [PROGRESSIVE [SITE]] [delta] [perc]; delta ROW on|off, perc ROW on|off;
/// consolidate, hide-null on|off; click CONTROL; run; new; parameters, accounts, periods
/// on|off; select CODE; answer yes|no|ok|cancel|abort|retry|ignore; check CONTROL TEXT;
/// message TEXT; export FILE; screenshot FILE; resize WIDTH HEIGHT; maximize; split
/// PERCENT; change-company [DB [COMPANY]]; close.
class Replay {
public:
    Replay(FinestraPrincipale& host, MessaggiDesktop& messaggi);

    /// Runs the script `testo` read from `nomeFile`; false at the first line that fails.
    bool esegui(const QString& testo, const QString& nomeFile);
    /// "FILE:LINE: 'the line': what went wrong", after a failure.
    QString errore() const { return m_errore; }

    /// The words of a line ("quoted words" kept whole); empty for a blank or comment line.
    static QStringList parole(const QString& riga);

private:
    using Azione = std::function<void(const QStringList& argomenti)>;

    void registraAzioni();
    void esegui(const QStringList& parole);
    QWidget* form() const;
    QWidget* controllo(const QString& nome) const;
    void attivaFinestra() const;
    void scrivi(const QString& controllo, const QString& valore);
    void scegliDaElenco(const QString& controllo, const QString& codice);
    void aggiungiInsieme(const QStringList& argomenti);
    void scegliInCella(int riga, const QString& colonna, const QString& valore, bool soloLista);
    void spunta(int riga, const QString& colonna, bool acceso);
    void interruttore(const QString& controllo, bool acceso);
    void clicca(const QString& controllo);
    void seleziona(const QString& codice);
    void trascinaSplit(int percentuale);
    void controlla(const QString& controllo, const QString& atteso);
    void esporta(const QString& file);
    void chiudi();

    FinestraPrincipale& m_host;
    MessaggiDesktop& m_messaggi;
    std::map<QString, std::pair<int, Azione>> m_azioni; ///< verb -> least arguments, action
    QString m_errore;
};

} // namespace bdg::gui
