#include "views/delegato_importi.h"

#include "form/tree_grid_model.h"
#include "views/formato_celle.h"
#include "views/icone_nodi.h"

namespace bdg {

QColor DelegatoImporti::coloreNegativo() {
    return QColor(0xc6, 0x28, 0x28);
}

QString DelegatoImporti::testoMostrato(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initStyleOption(&option, index);
    return option.text;
}

void DelegatoImporti::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QAbstractItemModel* model = index.model();
    const QVariant image = index.data(TreeGridModel::NodeImageRole);
    if (index.column() == 0 && image.isValid()) {
        option->icon = IconeNodi::icona(image.toInt());
        option->features |= QStyleOptionViewItem::HasDecoration;
    }
    // Totals stand out from the values and accounts they add up.
    const QVariant kind = index.data(TreeGridModel::NodeKindRole);
    if (kind.isValid() && kind.toInt() >= 1 && kind.toInt() <= 4 && kind.toInt() != 3)
        option->font.setBold(true);
    const QString maschera =
        model->headerData(index.column(), Qt::Horizontal, TreeGridModel::FormatRole).toString();
    if (maschera.isEmpty())
        return;
    option->text = testoCella(index.data(TreeGridModel::RawValueRole).value<Variant>(), maschera);
    option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    // On the selected row the highlight's own text colour reads best; the sign remains.
    if (option->text.startsWith(QLatin1Char('-')) && !(option->state & QStyle::State_Selected))
        option->palette.setColor(QPalette::Text, coloreNegativo());
}

} // namespace bdg
