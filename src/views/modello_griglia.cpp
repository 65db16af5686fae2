#include "views/modello_griglia.h"

#include "form/tree_grid_model.h"

namespace bdg {

ModelloGriglia::ModelloGriglia(GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    const auto rows = [this] { reload(false); };
    connect(&grid, &GridModel::dataSourceChanged, this, rows);
    connect(&grid, &GridModel::refreshed, this, rows);
    connect(&grid, &GridModel::edited, this, rows);
    connect(&grid, &GridModel::selectionBoxClicked, this, rows);
    connect(&grid, &GridModel::columnsChanged, this, [this] {
        reload(true);
        emit columnsLaidOut();
    });
    reload(true);
}

// Same shape: the cells change in place, so that the view keeps its current cell and its
// editor; otherwise the table is laid out anew.
void ModelloGriglia::reload(bool columns) {
    if (m_grid.isDrawingSuspended())
        return;
    std::vector<std::vector<Variant>> values;
    std::vector<std::vector<QString>> texts;
    const int rows = m_grid.rowCount();
    for (int row = 0; row < rows; ++row) {
        std::vector<Variant> rowValues;
        std::vector<QString> rowTexts;
        for (const GridColumn& column : m_grid.columns().list()) {
            rowValues.push_back(m_grid.value(row, column.field));
            rowTexts.push_back(column.editor == EditorColonna::Lista
                                   ? listText(column, rowValues.back())
                                   : m_grid.cellText(row, column.field));
        }
        values.push_back(std::move(rowValues));
        texts.push_back(std::move(rowTexts));
    }
    const bool sameShape = !columns && values.size() == m_values.size() &&
                           (values.empty() || values.front().size() == m_values.front().size());
    if (!sameShape)
        beginResetModel();
    m_values = std::move(values);
    m_texts = std::move(texts);
    if (!sameShape) {
        endResetModel();
    } else if (!m_values.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    emit rowsReloaded();
}

int ModelloGriglia::currentRow() const {
    const RecordsetPtr& rows = m_grid.dataSource();
    if (!rows || !rows->isOpen() || rows->Eof() || rows->Bof())
        return -1;
    return rows->AbsolutePosition() - 1;
}

// A list column shows the text the list gives its code ("Budget" for 0).
QString ModelloGriglia::listText(const GridColumn& column, const Variant& value) const {
    const auto& codici = column.listValues[0];
    for (std::size_t entry = 0; entry < codici.size(); ++entry) {
        if (!value.isNullOrEmpty() && codici[entry].toString() == value.toString())
            return column.listValues[1].at(entry).toString();
    }
    return value.toString();
}

QString ModelloGriglia::field(int column) const {
    if (column < 0 || column >= m_grid.columns().size())
        return QString();
    return m_grid.columns().at(column).field;
}

Variant ModelloGriglia::footer(int column) const {
    const QString name = field(column);
    return name.isEmpty() ? Variant::null() : m_grid.footer(name);
}

int ModelloGriglia::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_values.size());
}

int ModelloGriglia::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.columns().size();
}

QVariant ModelloGriglia::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const GridColumn& column = m_grid.columns().at(index.column());
    const Variant& value = m_values[std::size_t(index.row())][std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        if (column.editor == EditorColonna::Casella)
            return {};
        return m_texts[std::size_t(index.row())][std::size_t(index.column())];
    case Qt::EditRole:
        return value.toString();
    case Qt::CheckStateRole:
        if (column.editor != EditorColonna::Casella)
            return {};
        return value.toString() == column.checkedValue ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (column.editor == EditorColonna::Casella || column.headerSetting == 2)
            return int(Qt::AlignCenter);
        return {};
    case TreeGridModel::RawValueRole:
        return QVariant::fromValue(value);
    default:
        return {};
    }
}

bool ModelloGriglia::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !m_grid.selectRow(index.row()))
        return false;
    const GridColumn& column = m_grid.columns().at(index.column());
    if (role == Qt::CheckStateRole && column.editor == EditorColonna::Casella) {
        const bool checked = value.toInt() == Qt::Checked;
        const bool now =
            m_values[std::size_t(index.row())][std::size_t(index.column())].toString() ==
            column.checkedValue;
        return checked == now || m_grid.clickCheckBox(column.field);
    }
    if (role != Qt::EditRole)
        return false;
    const QString field = column.field;
    const bool done = m_grid.editCell(field, Variant(value.toString()));
    m_grid.selectRow(index.row());
    return done;
}

QVariant ModelloGriglia::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn& column = m_grid.columns().at(section);
    switch (role) {
    case Qt::DisplayRole:
        return column.caption;
    case TreeGridModel::FieldRole:
        return column.field;
    case TreeGridModel::FormatRole:
        return column.format;
    case BandRole:
        return column.band;
    case BandCaptionRole:
        return m_grid.bands().value(column.band);
    default:
        return {};
    }
}

Qt::ItemFlags ModelloGriglia::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn& column = m_grid.columns().at(index.column());
    if (!m_grid.enabled())
        return flags;
    if (column.editor == EditorColonna::Casella)
        flags |= Qt::ItemIsUserCheckable;
    else if (column.editable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

} // namespace bdg
