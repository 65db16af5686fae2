#include "views/griglia_periodi.h"

#include "form/tree_grid_model.h"
#include "views/delegato_importi.h"
#include "views/formato_celle.h"
#include "views/modello_griglia.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace bdg {

// ---- Band header ------------------------------------------------------------------------

IntestazioneBande::IntestazioneBande(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setDefaultAlignment(Qt::AlignCenter);
    setSectionsClickable(false);
}

int IntestazioneBande::altezzaRiga() const {
    return QHeaderView::sizeHint().height();
}

QSize IntestazioneBande::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(altezzaRiga() * 2);
    return size;
}

void IntestazioneBande::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const int alto = rect.height() / 2;
    QHeaderView::paintSection(painter, rect.adjusted(0, alto, 0, 0), logicalIndex);
}

// The bands are drawn over the upper half, one section across the visible columns each
// band holds, after the column captions.
void IntestazioneBande::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    if (model() == nullptr)
        return;
    QPainter painter(viewport());
    const int alto = height() / 2;
    int visual = 0;
    while (visual < count()) {
        const int first = logicalIndex(visual);
        const QVariant band = model()->headerData(first, Qt::Horizontal, ModelloGriglia::BandRole);
        int left = sectionViewportPosition(first);
        int right = left;
        int last = visual;
        for (; last < count(); ++last) {
            const int logical = logicalIndex(last);
            if (model()->headerData(logical, Qt::Horizontal, ModelloGriglia::BandRole) != band)
                break;
            if (!isSectionHidden(logical))
                right = sectionViewportPosition(logical) + sectionSize(logical);
        }
        if (right > left && band.toInt() >= 0) {
            QStyleOptionHeader option;
            initStyleOption(&option);
            option.rect = QRect(left, 0, right - left, alto);
            option.section = first;
            option.textAlignment = Qt::AlignCenter;
            option.text = model()
                              ->headerData(first, Qt::Horizontal, ModelloGriglia::BandCaptionRole)
                              .toString();
            style()->drawControl(QStyle::CE_Header, &option, &painter, this);
        }
        visual = last;
    }
}

// ---- Footer -----------------------------------------------------------------------------

PiedeTotali::PiedeTotali(QTableView* table, ModelloGriglia* model, QWidget* parent)
    : QWidget(parent), m_table(table), m_model(model) {
    setObjectName(QStringLiteral("PIEDE"));
    QFont grassetto = font();
    grassetto.setBold(true);
    setFont(grassetto);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    const auto ridisegna = [this] { update(); };
    connect(table->horizontalHeader(), &QHeaderView::sectionResized, this, ridisegna);
    connect(table->horizontalHeader(), &QHeaderView::geometriesChanged, this, ridisegna);
    connect(table->horizontalScrollBar(), &QScrollBar::valueChanged, this, ridisegna);
    connect(model, &ModelloGriglia::rowsReloaded, this, ridisegna);
    connect(model, &ModelloGriglia::columnsLaidOut, this, ridisegna);
}

int PiedeTotali::larghezza(int column) const {
    const QString text = testo(column);
    return text.isEmpty() ? 0 : fontMetrics().horizontalAdvance(text) + 12;
}

QSize PiedeTotali::sizeHint() const {
    return QSize(100, fontMetrics().height() + 8);
}

QString PiedeTotali::testo(int column) const {
    if (m_model->rowCount() == 0)
        return QString();
    const QString maschera =
        m_model->headerData(column, Qt::Horizontal, TreeGridModel::FormatRole).toString();
    if (maschera.isEmpty())
        return QString();
    return testoCella(m_model->footer(column), maschera);
}

void PiedeTotali::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().alternateBase());
    painter.setPen(palette().mid().color());
    painter.drawLine(rect().topLeft(), rect().topRight());
    const QHeaderView* header = m_table->horizontalHeader();
    const int origine =
        m_table->viewport()->mapTo(window(), QPoint(0, 0)).x() - mapTo(window(), QPoint(0, 0)).x();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const QString text = testo(column);
        if (text.isEmpty())
            continue;
        const QRect cella(origine + header->sectionViewportPosition(column), 0,
                          header->sectionSize(column), height());
        painter.setPen(text.startsWith(QLatin1Char('-')) ? DelegatoImporti::coloreNegativo()
                                                         : palette().text().color());
        painter.drawText(cella.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text);
    }
}

// ---- Grid -------------------------------------------------------------------------------

GrigliaPeriodi::GrigliaPeriodi(QWidget* parent)
    : QWidget(parent), m_table(new QTableView(this)),
      m_scorrimento(new QScrollBar(Qt::Horizontal, this)) {
    m_table->setObjectName(QStringLiteral("TABELLA"));
    m_table->setHorizontalHeader(new IntestazioneBande(m_table));
    m_table->verticalHeader()->hide();
    m_table->setItemDelegate(new DelegatoImporti(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // The table's own bar would sit above the footer: this one, below it, moves the table.
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar* interna = m_table->horizontalScrollBar();
    connect(interna, &QScrollBar::rangeChanged, m_scorrimento, [this](int minimo, int massimo) {
        m_scorrimento->setRange(minimo, massimo);
        m_scorrimento->setPageStep(m_table->horizontalScrollBar()->pageStep());
        m_scorrimento->setVisible(massimo > minimo);
    });
    connect(interna, &QScrollBar::valueChanged, m_scorrimento, &QScrollBar::setValue);
    connect(m_scorrimento, &QScrollBar::valueChanged, interna, &QScrollBar::setValue);
    m_scorrimento->hide();
    setFocusProxy(m_table);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_table);
}

void GrigliaPeriodi::collega(GridModel& grid) {
    m_model = new ModelloGriglia(grid, this);
    m_table->setModel(m_model);
    m_piede = new PiedeTotali(m_table, m_model, this);
    layout()->addWidget(m_piede);
    layout()->addWidget(m_scorrimento);
    connect(m_model, &ModelloGriglia::columnsLaidOut, this, [this] { disponiColonne(false); });
    // Another node's rows only widen the columns: they do not jump as the user moves on.
    connect(m_model, &ModelloGriglia::rowsReloaded, this, [this] { disponiColonne(true); });
    disponiColonne(false);
}

int GrigliaPeriodi::larghezzaContenuto() const {
    int larghezza = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (!m_table->isColumnHidden(column))
            larghezza += m_table->columnWidth(column);
    }
    return larghezza;
}

// The amounts get the design's width or what their texts and totals need on this screen;
// the period column, far wider in the design than its texts, what its texts need.
void GrigliaPeriodi::disponiColonne(bool soloAllarga) {
    const GridColumns& columns = m_model->grid().columns();
    for (int column = 0; column < columns.size(); ++column) {
        const GridColumn& definition = columns.at(column);
        m_table->setColumnHidden(column, !definition.visible);
        const int contenuto = std::max(
            {static_cast<QAbstractItemView*>(m_table)->sizeHintForColumn(column),
             m_table->horizontalHeader()->sectionSizeHint(column), m_piede->larghezza(column)});
        const int disegno = pixelDaTwips(definition.width, this);
        int larghezza = definition.format.isEmpty() ? std::clamp(contenuto, disegno / 3, disegno)
                                                    : std::max(contenuto, disegno);
        if (soloAllarga)
            larghezza = std::max(larghezza, m_table->columnWidth(column));
        m_table->setColumnWidth(column, larghezza);
    }
    m_piede->update();
}

} // namespace bdg
