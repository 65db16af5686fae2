#include "views/delegato_lista.h"

#include "views/modello_griglia.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace bdg {

namespace {

const GridColumn* colonna(const QModelIndex& index, EditorColonna editor) {
    const auto* model = qobject_cast<const ModelloGriglia*>(index.model());
    if (model == nullptr || index.column() >= model->grid().columns().size())
        return nullptr;
    const GridColumn& column = model->grid().columns().at(index.column());
    return column.editor == editor ? &column : nullptr;
}

const GridColumn* colonnaLista(const QModelIndex& index) {
    return colonna(index, EditorColonna::Lista);
}

bool isCasella(const QModelIndex& index) {
    return colonna(index, EditorColonna::Casella) != nullptr;
}

const QStyle* stile(const QStyleOptionViewItem& option) {
    return option.widget != nullptr ? option.widget->style() : QApplication::style();
}

QRect rettangoloCasella(const QStyleOptionViewItem& option) {
    const QStyle* style = stile(option);
    const QSize lato(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget),
                     style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget));
    return QStyle::alignedRect(option.direction, Qt::AlignCenter, lato, option.rect);
}

} // namespace

QWidget* DelegatoLista::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    const GridColumn* column = colonnaLista(index);
    if (column == nullptr)
        return QStyledItemDelegate::createEditor(parent, option, index);
    // The list offers the column's values; a value it does not hold may be typed.
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    const auto& [codici, testi] = column->listValues;
    for (std::size_t entry = 0; entry < codici.size() && entry < testi.size(); ++entry) {
        if (!codici[entry].isNullOrEmpty())
            combo->addItem(testi[entry].toString(), codici[entry].toString());
    }
    return combo;
}

void DelegatoLista::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (combo == nullptr || colonnaLista(index) == nullptr) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString codice = index.data(Qt::EditRole).toString();
    const int entry = combo->findData(codice);
    if (entry >= 0)
        combo->setCurrentIndex(entry);
    else
        combo->setEditText(codice);
}

void DelegatoLista::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (!isCasella(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cella = option;
    initStyleOption(&cella, index);
    cella.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    cella.text.clear();
    const QStyle* style = stile(option);
    style->drawControl(QStyle::CE_ItemViewItem, &cella, painter, option.widget);
    QStyleOptionViewItem casella = option;
    casella.rect = rettangoloCasella(option);
    casella.state &= ~QStyle::State_HasFocus;
    casella.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                           : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &casella, painter, option.widget);
}

bool DelegatoLista::editorEvent(QEvent* event, QAbstractItemModel* model,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    const Qt::ItemFlags flags = model->flags(index);
    if (!isCasella(index) || !(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
            return false;
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        break;
    }
    default:
        return false;
    }
    const bool spuntata = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, spuntata ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void DelegatoLista::setModelData(QWidget* editor, QAbstractItemModel* model,
                                 const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (combo == nullptr || colonnaLista(index) == nullptr) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // A text the list shows stands for its code; a code typed is taken as it is.
    const QString testo = combo->currentText().trimmed();
    int entry = combo->findText(testo, Qt::MatchFixedString);
    if (entry < 0)
        entry = combo->findData(testo);
    const QString codice = entry >= 0 ? combo->itemData(entry).toString() : testo;
    if (!codice.isEmpty())
        model->setData(index, codice, Qt::EditRole);
}

} // namespace bdg
