#include "views/campo_lookup.h"

#include "form/control_model.h"
#include "form/testo_campo.h"
#include "views/dialogo_elenco.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace bdg {

namespace {

// The field the form is putting the user back into after a refusal: until it has the
// focus again, no other field starts or validates.
QPointer<CampoLookup> g_rientro;

// Moves the user makes; the form moving the focus itself is none of them.
bool mossaUtente(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
}

bool entrataUtente(Qt::FocusReason reason) {
    return mossaUtente(reason) || reason == Qt::OtherFocusReason;
}

} // namespace

CampoLookup::CampoLookup(QWidget* parent)
    : QWidget(parent), m_editor(new QLineEdit(this)), m_tasto(new QToolButton(this)),
      m_menu(new QMenu(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_editor);
    layout->addWidget(m_tasto);
    m_tasto->setText(QStringLiteral("…"));
    m_tasto->setToolTip(QStringLiteral("Elenco (F4), menu del campo (Maiusc+F4)"));
    m_tasto->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_editor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setCaratteri(m_caratteri);
    m_editor->installEventFilter(this);
    connect(m_tasto, &QToolButton::clicked, this, &CampoLookup::apriElenco);
    connect(m_editor, &QLineEdit::textEdited, this, [this] { m_accettato = false; });
    // Enter takes the user on, as Tab does.
    connect(m_editor, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
}

void CampoLookup::setCaratteri(int caratteri) {
    m_caratteri = caratteri;
    const QFontMetrics metrics(m_editor->font());
    m_editor->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('M')) * caratteri / 2 +
                              metrics.horizontalAdvance(QLatin1Char('0')) * caratteri / 2 + 8);
}

void CampoLookup::collega(EditModel& model) {
    m_model = &model;
    m_editor->setText(testoCampo(model.text()));
    setEnabled(model.enabled());
    setVisible(model.visible());
    m_editor->setAccessibleName(model.caption());
    aggiornaMenu();
    connect(&model, &EditModel::textChanged, this, [this](const Variant& text) {
        m_accettato = false;
        const QString testo = testoCampo(text);
        if (m_editor->text() != testo)
            m_editor->setText(testo);
    });
    connect(&model, &ControlModel::enabledChanged, this, &QWidget::setEnabled);
    connect(&model, &ControlModel::visibleChanged, this, &QWidget::setVisible);
    connect(&model, &ControlModel::focusRequested, this, &CampoLookup::riprendiFuoco);
    connect(&model, &EditModel::menuChanged, this, &CampoLookup::aggiornaMenu);
    connect(&model, &EditModel::refreshed, this, qOverload<>(&QWidget::update));
    connect(&model, &EditModel::lookupChanged, this, [this] {
        if (m_model->lookup() && !m_elenco)
            mostraElenco();
        else if (!m_model->lookup() && m_elenco)
            m_elenco->reject();
    });
}

void CampoLookup::aggiornaMenu() {
    m_menu->clear();
    if (m_model == nullptr)
        return;
    if (m_model->hasLookup()) {
        // The key is the field's own (a shortcut of the action would be the window's).
        m_menu->addAction(QStringLiteral("Elenco…\tF4"), this, &CampoLookup::apriElenco);
    }
    for (const VoceMenuTasto& voce : m_model->menuEntries()) {
        if (m_menu->actions().size() == 1)
            m_menu->addSeparator();
        QAction* action = m_menu->addAction(voce.didascalia);
        action->setEnabled(voce.abilitata);
        connect(action, &QAction::triggered, this,
                [this, chiave = voce.chiave] { m_model->pressMenu(chiave); });
    }
    m_tasto->setVisible(!m_menu->isEmpty());
    // The arrow shows only where the field has a menu beside its list.
    const bool conMenu = !m_model->menuEntries().isEmpty();
    m_tasto->setMenu(conMenu ? m_menu : nullptr);
    m_tasto->setPopupMode(conMenu ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

void CampoLookup::apriElenco() {
    if (m_model != nullptr && isEnabled() && m_model->hasLookup() && !m_elenco)
        m_model->openLookup();
}

void CampoLookup::apriMenu() {
    if (isEnabled() && !m_menu->isEmpty())
        m_menu->popup(m_editor->mapToGlobal(QPoint(0, m_editor->height())));
}

// The list opens beside the form without blocking it; the choice comes back as a pick.
void CampoLookup::mostraElenco() {
    auto* dialogo = new DialogoElenco(*m_model->lookup(), window());
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    m_elenco = dialogo;
    connect(dialogo, &QDialog::finished, this, [this, dialogo](int result) {
        const QString codice = dialogo->codiceScelto();
        if (result == QDialog::Accepted && !codice.isEmpty()) {
            m_accettato = false;
            m_model->pick(codice);
        } else {
            m_model->closeLookup();
        }
        m_editor->setFocus(Qt::OtherFocusReason);
    });
    dialogo->open();
    emit elencoAperto(dialogo);
}

void CampoLookup::entra() {
    if (m_model != nullptr)
        m_model->enter();
}

void CampoLookup::esci() {
    if (m_model == nullptr || !isEnabled())
        return;
    const QString testo = m_editor->text();
    if (testo != testoCampo(m_model->text())) {
        m_model->type(Variant(testo));
        m_model->takeTyped();
    } else if (m_accettato) {
        return;
    }
    m_accettato = m_model->leave();
}

void CampoLookup::riprendiFuoco() {
    if (m_editor->hasFocus())
        return;
    g_rientro = this;
    QTimer::singleShot(0, this, [this] {
        if (g_rientro == this)
            g_rientro = nullptr;
        if (!isVisibleTo(window()) || !isEnabled())
            return;
        m_editor->setFocus(Qt::OtherFocusReason);
        m_editor->selectAll();
    });
}

bool CampoLookup::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_editor)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (g_rientro == this)
            g_rientro = nullptr;
        if (!g_rientro && entrataUtente(reason))
            entra();
        break;
    }
    case QEvent::FocusOut: {
        // Validated once the focus has moved, so that a message it shows runs from the
        // event loop rather than from inside the move.
        if (!g_rientro && mossaUtente(static_cast<QFocusEvent*>(event)->reason()))
            QTimer::singleShot(0, this, &CampoLookup::esci);
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 && key->modifiers() == Qt::ShiftModifier) {
            apriMenu();
            return true;
        }
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier)) {
            apriElenco();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace bdg
