#pragma once

#include "form/variant_metatype.h"
#include "host/contract/lookup_service.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace bdg {

class ProgressIndicator;

/// What every control of the form has: a name, an enabled and a visible state, a caption
/// and its place in the form in twips (1440 to the inch). A view shows it and forwards the
/// user's actions; the form's handlers change it, and each change is signalled.
class ControlModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(bool visible READ visible WRITE setVisible NOTIFY visibleChanged)
    Q_PROPERTY(QString caption READ caption WRITE setCaption NOTIFY captionChanged)

public:
    explicit ControlModel(const QString& name, QObject* parent = nullptr);

    QString name() const { return objectName(); }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QRect geometry() const { return m_geometry; }
    void setGeometry(const QRect& geometry);

    /// Asks for the input focus in this control.
    void requestFocus() { emit focusRequested(); }

signals:
    void enabledChanged(bool enabled);
    void visibleChanged(bool visible);
    void captionChanged(const QString& caption);
    void geometryChanged(const QRect& geometry);
    void focusRequested();

private:
    bool m_enabled = true;
    bool m_visible = true;
    QString m_caption;
    QRect m_geometry;
};

/// A read-only text: a label, a description beside a code, an information field.
class LabelModel : public ControlModel {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)

public:
    using ControlModel::ControlModel;

    QString text() const { return m_text; }
    void setText(const QString& text);

signals:
    void textChanged(const QString& text);

private:
    QString m_text;
};

/// One entry of an edit field's key-button menu.
struct VoceMenuTasto {
    QString chiave; ///< what the field's menu handler receives, e.g. "Kpers1"
    QString didascalia;
    bool abilitata = true;
};

/// An edit field with lookup, decode and key-button menu.
///
/// The user types a code (the field decodes it), opens the lookup and picks an entry, or
/// chooses a menu entry; leaving the field validates it, and a refused value keeps the
/// focus there. The form gives the field its handlers; a field without a handler for an
/// event ignores that event.
class EditModel : public ControlModel {
    Q_OBJECT

public:
    struct Handlers {
        std::function<void(bool& cancel)> validate = {};
        std::function<void()> startDecode = {};
        std::function<void(bool& cancel)> startLookup = {};
        std::function<void()> afterItem = {};
        std::function<void(const QString& item)> keyButtonMenuPress = {};
        std::function<void()> event0 = {}; ///< the user entered the field
        std::function<void()> event1 = {}; ///< the user left it with an accepted value
    };

    using ControlModel::ControlModel;
    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }
    /// Whether the field offers a lookup list (its key button opens one).
    bool hasLookup() const { return bool(m_handlers.startLookup); }

    Variant text() const { return m_text; }
    /// The text as the program sets it: no decode, no handler.
    void setText(const Variant& text);
    /// The text trimmed, Null and blanks read as empty.
    QString code() const;
    /// Whether the last decode found the code.
    bool isDecoded() const { return m_decoded; }
    void setDecoded(bool decoded) { m_decoded = decoded; }

    void addMenuEntry(const VoceMenuTasto& entry);
    const QList<VoceMenuTasto>& menuEntries() const { return m_menu; }

    /// The lookup the field shows; nothing while none is open.
    const std::optional<RichiestaLookup>& lookup() const { return m_lookup; }
    void closeLookup();

    // What the user does.
    void type(const Variant& text);
    void enter();
    /// Validates the field; false when the value was refused and the focus stays.
    bool leave();
    /// Opens the lookup; false when the field's handler cancelled it.
    bool openLookup();
    /// Takes an entry of the open lookup; false when the lookup does not offer `code`.
    bool pick(const QString& code);
    /// Takes the typed code as the field's item, as a pick from the lookup would: when it
    /// decodes (or the field has no decode), the after-item handler runs; false, and
    /// nothing runs, for a code the decode did not find.
    bool takeTyped();
    void pressMenu(const QString& item);

    // What the field offers its form.
    /// Puts the user back in the field after a refusal.
    void reentry() { requestFocus(); }
    /// The field's housekeeping on entry: tells the view to redraw it.
    void housekeeping() { emit refreshed(); }
    /// Shows `request` as the field's open lookup.
    void showLookup(const RichiestaLookup& request);

signals:
    void textChanged(const bdg::Variant& text);
    void lookupChanged();
    void menuChanged();
    void refreshed();

private:
    Handlers m_handlers;
    Variant m_text;
    bool m_decoded = false;
    QList<VoceMenuTasto> m_menu;
    std::optional<RichiestaLookup> m_lookup;
};

/// A check box whose value is 1 (checked), 0 or Null (unset).
class CheckModel : public ControlModel {
    Q_OBJECT

public:
    using ControlModel::ControlModel;
    void setClickHandler(std::function<void()> handler) { m_onClick = std::move(handler); }

    Variant value() const { return m_value; }
    void setValue(const Variant& value);
    /// The user clicks: an enabled box turns from 1 to 0 or to 1 otherwise, then its click
    /// handler runs.
    void click();
    /// Redraws the box.
    void refresh() { emit refreshed(); }

signals:
    void valueChanged(const bdg::Variant& value);
    void refreshed();

private:
    Variant m_value;
    std::function<void()> m_onClick;
};

/// A toolbar button.
class ButtonModel : public ControlModel {
    Q_OBJECT

public:
    using ControlModel::ControlModel;
    void setClickHandler(std::function<void()> handler) { m_onClick = std::move(handler); }

    /// The user clicks: the handler runs when the button is enabled and visible.
    bool click();

private:
    std::function<void()> m_onClick;
};

/// The progress indicator of the form: caption, mode and whether it runs. A host's own
/// indicator, when given, starts and stops with it.
class ProgressModel : public ControlModel {
    Q_OBJECT

public:
    using ControlModel::ControlModel;
    void setIndicator(ProgressIndicator* indicator) { m_indicator = indicator; }

    int mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }
    bool running() const { return m_running; }
    void setRunning(bool running);
    void start();
    void stop();

signals:
    void runningChanged(bool running);

private:
    ProgressIndicator* m_indicator = nullptr;
    int m_mode = 0;
    bool m_running = false;
};

/// The splitter between the tree and the periods grid: its two regions, the size of each
/// pane in twips and the upper pane's share in percent.
class SplitModel : public ControlModel {
    Q_OBJECT

public:
    using ControlModel::ControlModel;

    QString firstRegion;
    QString secondRegion;
    int upperPaneSize = 0;
    int lowerPaneSize = 0;
    float proportion = 100;

    /// Lays the panes out again; counted for the tests.
    void apply() {
        ++m_applied;
        emit applied();
    }
    int appliedCount() const { return m_applied; }

signals:
    void applied();

private:
    int m_applied = 0;
};

} // namespace bdg
