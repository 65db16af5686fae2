#pragma once

#include "views/dialogo_elenco.h"

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QMenu;
class QToolButton;

namespace bdg {

class EditModel;

/// An edit field of the form as the host's edit control shows it: the code typed in a box,
/// a key button that opens the field's lookup list (F4) and, from its arrow, the field's
/// menu (Shift+F4). Leaving the field with a changed code takes it as the field's item
/// and validates it; a refused code keeps the focus in the field. Enter moves on as Tab.
///
/// The field shows its EditModel and forwards the user's actions to it; the form's
/// handlers decide. Only a move the user makes (Tab, a click, a shortcut) validates: the
/// form putting the user back on a control does not.
class CampoLookup : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int caratteri READ caratteri WRITE setCaratteri)

public:
    explicit CampoLookup(QWidget* parent = nullptr);

    void collega(EditModel& model);
    EditModel* modello() const { return m_model; }
    QLineEdit* editor() const { return m_editor; }
    QToolButton* tasto() const { return m_tasto; }
    /// The lookup list shown now; null when none is open.
    DialogoElenco* elenco() const { return m_elenco; }

    int caratteri() const { return m_caratteri; }
    void setCaratteri(int caratteri);

    /// Opens the field's lookup list, as the key button does.
    void apriElenco();
    /// Shows the field's key-button menu.
    void apriMenu();

signals:
    /// A lookup list opened (for scripts and tests that choose in it).
    void elencoAperto(bdg::DialogoElenco* elenco);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void entra();
    void esci();
    void mostraElenco();
    void aggiornaMenu();
    void riprendiFuoco();

    EditModel* m_model = nullptr;
    QLineEdit* m_editor;
    QToolButton* m_tasto;
    QMenu* m_menu;
    QPointer<DialogoElenco> m_elenco;
    int m_caratteri = 8;
    /// The model's value was accepted by a validation and has not changed since.
    bool m_accettato = false;
    /// The model is changing the text: not the user typing.
    bool m_aggiornando = false;
};

} // namespace bdg
