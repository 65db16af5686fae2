#include "app/gui/icona_applicazione.h"

#include <QPainter>
#include <QPixmap>

namespace bdg::gui {

namespace {

QPixmap disegna(int lato) {
    QPixmap pixmap(lato, lato);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lato / 64.0, lato / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1e, 0x88, 0xe5));
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 34, 8, 18));
    p.drawRect(QRectF(28, 22, 8, 30));
    p.drawRect(QRectF(42, 28, 8, 24));
    p.setBrush(QColor(0xfb, 0x8c, 0x00));
    p.drawEllipse(QPointF(46, 15), 5, 5);
    return pixmap;
}

} // namespace

QIcon iconaApplicazione() {
    QIcon icona;
    for (const int lato : {16, 24, 32, 48, 64, 128})
        icona.addPixmap(disegna(lato));
    return icona;
}

} // namespace bdg::gui
