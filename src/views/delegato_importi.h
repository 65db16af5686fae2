#pragma once

#include <QStyledItemDelegate>

namespace bdg {

/// Paints the cells of the result grids: a value under a column with a display mask in
/// that mask the Italian way, right-aligned, a negative one in the colour of a loss; a
/// node's picture beside its code. The models answer raw values (RawValueRole) and the
/// column's mask (FormatRole in the header); the delegate alone turns them into text.
class DelegatoImporti : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    /// The colour of a negative amount.
    static QColor coloreNegativo();
    /// The text a cell shows, as painted.
    QString testoMostrato(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace bdg
