#include "app/gui/cornice_mdi.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QStyle>

#include <cmath>

namespace bdg::gui {

namespace {

// The status the navigator is told: 2 maximised, 1 minimised, 0 otherwise.
std::int16_t statoFinestra(const QWidget& window) {
    if (window.isMaximized())
        return 2;
    return window.isMinimized() ? 1 : 0;
}

int pixel(int twips, const QWidget& widget) {
    return int(std::lround(twips * widget.logicalDpiX() / 1440.0));
}

} // namespace

CorniceMdi::CorniceMdi(Cinterface& modulo, QMdiArea* area) : m_modulo(modulo), m_area(area) {
    setAttribute(Qt::WA_DeleteOnClose);
}

std::int16_t CorniceMdi::Status() const {
    return statoFinestra(*this);
}

void CorniceMdi::mostraForm(QWidget* form, const QString& caption) {
    setWidget(form);
    setWindowTitle(caption);
    if (!form->windowIcon().isNull())
        setWindowIcon(form->windowIcon());
    // A form that goes by itself (refused at start-up) takes its frame along.
    connect(form, &QObject::destroyed, this, [this] {
        if (!m_chiusa)
            close();
    });
    m_area->addSubWindow(this);
    show();
}

void CorniceMdi::posiziona(const QRect& twips, std::int16_t windowState) {
    const int titolo = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const int bordo = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    setGeometry(pixel(twips.left(), *this), pixel(twips.top(), *this),
                pixel(twips.width(), *this) + 2 * bordo,
                pixel(twips.height(), *this) + titolo + bordo);
    if (windowState == 2)
        showMaximized();
    else if (windowState == 1)
        showMinimized();
}

void CorniceMdi::closeEvent(QCloseEvent* event) {
    if (!m_chiusa && !m_modulo.CloseForm().toBool().value_or(false)) {
        event->ignore();
        return;
    }
    m_chiusa = true;
    emit chiusa();
    QMdiSubWindow::closeEvent(event);
}

} // namespace bdg::gui
