#include "views/griglia_albero.h"

#include "form/tree_grid_model.h"
#include "views/delegato_importi.h"
#include "views/formato_celle.h"

#include <QHeaderView>
#include <QPainter>

#include <algorithm>

namespace bdg {

GrigliaAlbero::GrigliaAlbero(QWidget* parent) : QTreeView(parent) {
    setItemDelegate(new DelegatoImporti(this));
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignCenter);
}

void GrigliaAlbero::collega(TreeGridModel& model) {
    m_model = &model;
    setModel(&model);
    connect(&model, &TreeGridModel::columnsChanged, this, &GrigliaAlbero::disponiColonne);
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        expandAll();
        disponiColonne();
        mostraCorrente();
    });
    connect(&model, &TreeGridModel::rowChanged, this, &GrigliaAlbero::mostraCorrente);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_model->currentIndex().row() != current.row() ||
                    m_model->currentIndex().internalId() != current.internalId())
                    m_model->setCurrentIndex(current.siblingAtColumn(0));
            });
    disponiColonne();
}

// Widths come in twips from the form's set-up, widened where the screen's font needs more
// for the codes and the amounts shown; captions, visibility and masks from the model's
// columns. Descriptions keep their width and show the rest in a tooltip-wide column.
void GrigliaAlbero::disponiColonne() {
    const GridColumns& columns = m_model->columns();
    for (int column = 0; column < columns.size(); ++column) {
        const GridColumn& definition = columns.at(column);
        setColumnHidden(column, !definition.visible);
        int width = pixelDaTwips(definition.width, this);
        if (definition.visible && (column == 0 || !definition.format.isEmpty()))
            width = std::max({width, sizeHintForColumn(column), header()->sectionSizeHint(column)});
        setColumnWidth(column, width);
    }
    const int descrizione = columns.indexOf(u"VOCEDES");
    m_descrizioneVoluta = descrizione < 0 ? 0 : sizeHintForColumn(descrizione);
    allargaDescrizione();
}

// Before a run the empty tree says how to get a result.
void GrigliaAlbero::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (m_model == nullptr || m_model->rowCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().placeholderText().color());
    painter.drawText(viewport()->rect(), Qt::AlignCenter,
                     QStringLiteral("Scegliere sottotipo, criterio e confronti, poi Elabora (F5)"));
}

void GrigliaAlbero::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    allargaDescrizione();
}

// What the columns leave of the view's width goes to the description, as far as its texts
// need it; it never shrinks below the design's width.
void GrigliaAlbero::allargaDescrizione() {
    if (m_model == nullptr)
        return;
    const int colonna = m_model->columns().indexOf(u"VOCEDES");
    if (colonna < 0 || isColumnHidden(colonna))
        return;
    int occupato = 0;
    for (int column = 0; column < m_model->columns().size(); ++column) {
        if (!isColumnHidden(column))
            occupato += columnWidth(column);
    }
    const int base = pixelDaTwips(m_model->columns().at(colonna).width, this);
    const int voluta = std::max(base, m_descrizioneVoluta);
    const int libero = viewport()->width() - occupato;
    setColumnWidth(colonna, std::clamp(columnWidth(colonna) + libero, base, voluta));
}

// The model's current row, also when the form changed it (accounts hidden, a new run).
void GrigliaAlbero::mostraCorrente() {
    const QModelIndex current = m_model->currentIndex();
    if (current == currentIndex().siblingAtColumn(0))
        return;
    if (!current.isValid()) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    scrollTo(current);
}

bool GrigliaAlbero::selezionaVoce(const QString& voce) {
    const int colonna = m_model->columns().indexOf(u"VOCE");
    if (colonna < 0)
        return false;
    const QModelIndexList found = m_model->match(m_model->index(0, colonna), Qt::DisplayRole, voce,
                                                 1, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty())
        return false;
    setCurrentIndex(found.first().siblingAtColumn(0));
    return true;
}

} // namespace bdg
