#pragma once

#include "host/contract/cinterface.h"

#include <QMdiSubWindow>

namespace bdg::gui {

/// A window of the host's work area that holds one module's form (the module's
/// ActiveFrame). Closing it asks the module to close its form, which may refuse; when the
/// form's window goes (the form closed itself), the frame goes with it.
class CorniceMdi : public QMdiSubWindow, public HostFrame {
    Q_OBJECT

public:
    CorniceMdi(Cinterface& modulo, QMdiArea* area);

    // HostFrame
    std::int16_t Status() const override;
    QString Name() const override { return objectName(); }
    void setName(const QString& name) override { setObjectName(name); }
    void mostraForm(QWidget* form, const QString& caption) override;
    void posiziona(const QRect& twips, std::int16_t windowState) override;

    /// True once the module let its form close.
    bool isChiusa() const { return m_chiusa; }

signals:
    /// The frame is closing for good (the form closed).
    void chiusa();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Cinterface& m_modulo;
    QMdiArea* m_area;
    bool m_chiusa = false;
};

} // namespace bdg::gui
