#include "form/grid_model.h"

namespace bdg {

namespace {

bool hasCurrentRow(const Recordset& rows) {
    return rows.isOpen() && rows.RecordCount() > 0 && rows.AbsolutePosition() > 0;
}

} // namespace

void GridModel::reset() {
    m_columns.clear();
    m_bands.clear();
    m_keyField.clear();
    emit columnsChanged();
}

void GridModel::addColumn(const QString& field, const QString& caption, int kind, int width,
                          bool visible, const QString& format) {
    m_columns.append(colonna(field, caption, kind, width, visible, format));
}

void GridModel::addListColumn(const QString& field, int kind,
                              const std::array<std::vector<Variant>, 2>& values,
                              const QString& caption, int width, bool visible) {
    addColumn(field, caption, kind, width, visible);
    GridColumn* column = m_columns.find(field);
    column->editor = EditorColonna::Lista;
    column->listValues = values;
}

void GridModel::addCheckColumn(const QString& field, const QString& caption, const QString& checked,
                               const QString& unchecked, int width, bool visible) {
    addColumn(field, caption, 1, width, visible);
    GridColumn* column = m_columns.find(field);
    column->editor = EditorColonna::Casella;
    column->checkedValue = checked;
    column->uncheckedValue = unchecked;
}

void GridModel::setColumnBand(const QString& field, int band) {
    if (GridColumn* column = m_columns.find(field))
        column->band = band;
}

void GridModel::setColumnSettings(const QString& field, int headerSetting, int cellSetting) {
    if (GridColumn* column = m_columns.find(field)) {
        column->headerSetting = headerSetting;
        column->cellSetting = cellSetting;
    }
}

void GridModel::setColumnEditable(const QString& field, bool editable) {
    if (GridColumn* column = m_columns.find(field))
        column->editable = editable;
}

void GridModel::setColumnVisible(const QString& field, bool visible) {
    GridColumn* column = m_columns.find(field);
    if (column == nullptr || column->visible == visible)
        return;
    column->visible = visible;
    emit columnsChanged();
}

void GridModel::setFooterSummary(const QString& field, int kind, bool enabled) {
    if (GridColumn* column = m_columns.find(field)) {
        column->footerKind = kind;
        column->footerEnabled = enabled;
    }
}

void GridModel::setFooterText(const QString& field, const QString& text) {
    if (GridColumn* column = m_columns.find(field))
        column->footerText = text;
}

void GridModel::setDataSource(const RecordsetPtr& rows) {
    m_dataSource = rows;
    emit dataSourceChanged();
}

Recordset GridModel::view() const {
    Recordset rows = m_dataSource->Clone();
    rows.setFilter(m_dataSource->filter());
    rows.setSort(m_dataSource->sort());
    return rows;
}

int GridModel::rowCount() const {
    return m_dataSource && m_dataSource->isOpen() ? m_dataSource->RecordCount() : 0;
}

Variant GridModel::value(int row, QStringView field) const {
    if (row < 0 || row >= rowCount())
        return Variant();
    Recordset rows = view();
    rows.MoveFirst();
    for (int at = 0; at < row; ++at)
        rows.MoveNext();
    return rows.value(field);
}

Variant GridModel::currentValue(QStringView field) const {
    if (!m_dataSource || !hasCurrentRow(*m_dataSource))
        return Variant();
    return m_dataSource->value(field);
}

void GridModel::resumeDrawing() {
    if (m_suspended > 0 && --m_suspended == 0)
        emit refreshed();
}

void GridModel::commitEdit() {
    if (m_dataSource && m_dataSource->isOpen() && !m_dataSource->Eof() && !m_dataSource->Bof())
        m_dataSource->Update();
}

bool GridModel::selectRow(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    m_dataSource->MoveFirst();
    for (int at = 0; at < row; ++at)
        m_dataSource->MoveNext();
    return true;
}

bool GridModel::editCell(const QString& field, const Variant& value) {
    const GridColumn* column = m_columns.find(field);
    if (!enabled() || column == nullptr || !column->editable || !m_dataSource ||
        !hasCurrentRow(*m_dataSource))
        return false;
    m_focusedColumn = column->field;
    m_dataSource->setValue(field, value);
    emit edited(column->field);
    return true;
}

bool GridModel::clickCheckBox(const QString& field) {
    const GridColumn* column = m_columns.find(field);
    if (!enabled() || column == nullptr || column->editor != EditorColonna::Casella ||
        !m_dataSource || !hasCurrentRow(*m_dataSource))
        return false;
    m_focusedColumn = column->field;
    const bool checked = m_dataSource->value(field).toString() == column->checkedValue;
    m_dataSource->setValue(field, Variant(checked ? column->uncheckedValue : column->checkedValue));
    m_dataSource->Update();
    emit selectionBoxClicked(column->field);
    return true;
}

Variant GridModel::footer(const QString& field) const {
    return m_footer ? m_footer(field) : Variant::null();
}

QString GridModel::cellText(int row, const QString& field) const {
    const Variant cell = value(row, field);
    QString text = cell.toString();
    if (m_formatter)
        m_formatter(text, field, cell);
    return text;
}

} // namespace bdg
