#include "views/icone_nodi.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace bdg {

namespace {

using Disegno = std::function<void(QPainter&, const QRectF&)>;

QPixmap disegna(int lato, const Disegno& disegno) {
    QPixmap pixmap(lato, lato);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal margine = lato / 8.0;
    disegno(painter, QRectF(margine, margine, lato - 2 * margine, lato - 2 * margine));
    return pixmap;
}

QIcon iconaDa(const Disegno& disegno) {
    QIcon icona;
    for (const int lato : {16, 24, 32, 48})
        icona.addPixmap(disegna(lato, disegno));
    return icona;
}

void lettera(QPainter& painter, const QRectF& area, const QString& testo, const QColor& colore) {
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(area.height() * 0.8));
    painter.setFont(font);
    painter.setPen(colore);
    painter.drawText(area, Qt::AlignCenter, testo);
}

// Values a dot, totals a square, intermediate totals a diamond, formulas an f, the
// criterion a tree root, accounts a sheet: told apart by shape as well as colour.
Disegno disegnoNodo(int tipoVoce) {
    switch (tipoVoce) {
    case 0:
        return [](QPainter& p, const QRectF& r) {
            p.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1));
            p.setBrush(QColor(0x43, 0xa0, 0x47));
            p.drawEllipse(
                r.adjusted(r.width() / 6, r.height() / 6, -r.width() / 6, -r.height() / 6));
        };
    case 1:
        return [](QPainter& p, const QRectF& r) {
            p.setPen(QPen(QColor(0x0d, 0x47, 0xa1), 1));
            p.setBrush(QColor(0x1e, 0x88, 0xe5));
            p.drawRoundedRect(r, r.width() / 6, r.height() / 6);
            lettera(p, r, QStringLiteral("Σ"), Qt::white);
        };
    case 2:
        return [](QPainter& p, const QRectF& r) {
            QPainterPath rombo;
            rombo.moveTo(r.center().x(), r.top());
            rombo.lineTo(r.right(), r.center().y());
            rombo.lineTo(r.center().x(), r.bottom());
            rombo.lineTo(r.left(), r.center().y());
            rombo.closeSubpath();
            p.setPen(QPen(QColor(0xbf, 0x36, 0x0c), 1));
            p.setBrush(QColor(0xfb, 0x8c, 0x00));
            p.drawPath(rombo);
        };
    case 3:
        return [](QPainter& p, const QRectF& r) {
            p.setPen(QPen(QColor(0x4a, 0x14, 0x8c), 1));
            p.setBrush(QColor(0xed, 0xe7, 0xf6));
            p.drawRoundedRect(r, r.width() / 6, r.height() / 6);
            lettera(p, r, QStringLiteral("f"), QColor(0x6a, 0x1b, 0x9a));
        };
    case 4:
        return [](QPainter& p, const QRectF& r) {
            p.setPen(QPen(QColor(0x37, 0x47, 0x4f), r.width() / 8));
            const QPointF radice(r.left() + r.width() / 4, r.top() + r.height() / 6);
            p.drawLine(radice, QPointF(radice.x(), r.bottom() - r.height() / 6));
            for (const qreal y : {0.5, 0.83})
                p.drawLine(QPointF(radice.x(), r.top() + r.height() * y),
                           QPointF(r.right(), r.top() + r.height() * y));
            p.setBrush(QColor(0x37, 0x47, 0x4f));
            p.drawEllipse(radice, r.width() / 7, r.width() / 7);
        };
    case 5:
        return [](QPainter& p, const QRectF& r) {
            const QRectF foglio = r.adjusted(r.width() / 6, 0, -r.width() / 6, 0);
            p.setPen(QPen(QColor(0x61, 0x61, 0x61), 1));
            p.setBrush(Qt::white);
            p.drawRect(foglio);
            for (const qreal y : {0.3, 0.5, 0.7})
                p.drawLine(
                    QPointF(foglio.left() + foglio.width() / 5, foglio.top() + foglio.height() * y),
                    QPointF(foglio.right() - foglio.width() / 5,
                            foglio.top() + foglio.height() * y));
        };
    default:
        return {};
    }
}

} // namespace

QIcon IconeNodi::icona(int tipoVoce) {
    static QHash<int, QIcon> icone;
    if (!icone.contains(tipoVoce)) {
        const Disegno disegno = disegnoNodo(tipoVoce);
        icone.insert(tipoVoce, disegno ? iconaDa(disegno) : QIcon());
    }
    return icone.value(tipoVoce);
}

} // namespace bdg
