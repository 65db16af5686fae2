#pragma once

#include "data/recordset.h"
#include "form/control_model.h"
#include "form/grid_columns.h"

#include <QStringList>

#include <functional>

namespace bdg {

/// A grid bound to a recordset: its columns and bands as the form's set-up describes them,
/// the bound rows and the current row (the data source's cursor), and the user's edits.
///
/// Settings for a column the grid does not have are ignored, as the host grid does. The
/// grid reads its rows through the data source's own filter and sort.
class GridModel : public ControlModel {
    Q_OBJECT

public:
    using ControlModel::ControlModel;

    // Set-up.
    void reset();
    void setKeyField(const QString& field) { m_keyField = field; }
    QString keyField() const { return m_keyField; }
    void addBand(const QString& caption) { m_bands.append(caption); }
    const QStringList& bands() const { return m_bands; }
    void addColumn(const QString& field, const QString& caption, int kind, int width,
                   bool visible = true, const QString& format = QString());
    void addListColumn(const QString& field, int kind,
                       const std::array<std::vector<Variant>, 2>& values, const QString& caption,
                       int width, bool visible);
    void addCheckColumn(const QString& field, const QString& caption, const QString& checked,
                        const QString& unchecked, int width, bool visible);
    /// The closing call of a set-up or an update: views lay the columns out again.
    void endSetUp() { emit columnsChanged(); }
    void setColumnBand(const QString& field, int band);
    void setColumnSettings(const QString& field, int headerSetting, int cellSetting);
    void setColumnEditable(const QString& field, bool editable);
    void setColumnVisible(const QString& field, bool visible);
    void setFooterSummary(const QString& field, int kind, bool enabled);
    void setFooterText(const QString& field, const QString& text);
    const GridColumns& columns() const { return m_columns; }
    const GridColumn* column(QStringView field) const { return m_columns.find(field); }

    // Rows.
    const RecordsetPtr& dataSource() const { return m_dataSource; }
    void setDataSource(const RecordsetPtr& rows);
    int rowCount() const;
    /// A value of the row at `row` (0-based) in the grid's order; Empty out of range.
    Variant value(int row, QStringView field) const;
    /// A value of the current row (the data source's cursor); Empty without one.
    Variant currentValue(QStringView field) const;
    /// Drawing stops while the form moves the cursor about, and resumes after.
    void suspendDrawing() { ++m_suspended; }
    void resumeDrawing();
    bool isDrawingSuspended() const { return m_suspended > 0; }
    void refresh() { emit refreshed(); }
    /// Writes the cell being edited into its row.
    void commitEdit();
    QString focusedColumn() const { return m_focusedColumn; }

    // What the user does.
    /// Makes the row at `row` current; false when there is none.
    bool selectRow(int row);
    /// Types or chooses `value` in a cell of the current row: false when the grid is
    /// disabled, has no current row, or the column is absent or not editable. The edit is
    /// then announced with edited(field).
    bool editCell(const QString& field, const Variant& value);
    /// Clicks the check box of a column in the current row: its value flips between the
    /// column's checked and unchecked values, then selectionBoxClicked(field).
    bool clickCheckBox(const QString& field);
    void leave() { emit focusLeft(); }

    // Footer and cell texts, as the form's handlers answer them.
    using FooterProvider = std::function<Variant(const QString& field)>;
    using CellFormatter =
        std::function<void(QString& text, const QString& field, const Variant& value)>;
    void setFooterProvider(FooterProvider provider) { m_footer = std::move(provider); }
    void setCellFormatter(CellFormatter formatter) { m_formatter = std::move(formatter); }
    /// The total under a column; Null shows a blank footer.
    Variant footer(const QString& field) const;
    /// The text of a cell: its value's text unless the form gives another.
    QString cellText(int row, const QString& field) const;

signals:
    void columnsChanged();
    void dataSourceChanged();
    void refreshed();
    void edited(const QString& field);
    void selectionBoxClicked(const QString& field);
    void focusLeft();

private:
    Recordset view() const;

    GridColumns m_columns;
    QStringList m_bands;
    QString m_keyField;
    RecordsetPtr m_dataSource;
    int m_suspended = 0;
    QString m_focusedColumn;
    FooterProvider m_footer;
    CellFormatter m_formatter;
};

} // namespace bdg
