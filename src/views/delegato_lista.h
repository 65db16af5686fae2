#pragma once

#include <QStyledItemDelegate>

namespace bdg {

/// Edits a cell of a list column of a form grid with a drop-down of the column's values:
/// the user reads the texts ("Budget", "Forecast 1"), the grid receives the codes. A check
/// box column shows its box in the middle of the cell, and a click anywhere in the cell
/// or Space ticks it.
class DelegatoLista : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

} // namespace bdg
