#pragma once

#include "data/variant.h"

#include <QList>
#include <QString>

#include <array>
#include <vector>

namespace bdg {

/// How a grid column is edited.
enum class EditorColonna {
    Nessuno, ///< shown only
    Lista,   ///< a drop-down list of values, or typing
    Casella, ///< a check box holding its checked or unchecked value
};

/// One column of a grid or of the tree grid, as the form's set-up procedures describe it.
/// Widths are in twips; formats are the host's masks ("##,###,###,##0.00"), which the view
/// turns into text: the model never formats for a screen.
struct GridColumn {
    QString field; ///< bound field, also the column's key
    QString caption;
    int kind = 1; ///< the host's column kind: 1 text, 11 tree amounts, 12 grid amounts
    int width = 0;
    bool visible = true;
    QString format;
    int band = -1;         ///< the band the column sits in; -1 without bands
    bool editable = false; ///< typing or choosing from the list is allowed
    EditorColonna editor = EditorColonna::Nessuno;
    std::array<std::vector<Variant>, 2> listValues; ///< codes, and the texts shown
    QString checkedValue;
    QString uncheckedValue;
    int headerSetting = 0; ///< the grid's per-column header setting
    int cellSetting = 0;   ///< the grid's per-column cell setting
    int footerKind = 0;    ///< 99: the footer shows what the form computes
    bool footerEnabled = false;
    QString footerText;
};

/// A column as a grid's add-column call describes it.
inline GridColumn colonna(const QString& field, const QString& caption, int kind, int width,
                          bool visible, const QString& format = QString()) {
    GridColumn column;
    column.field = field;
    column.caption = caption;
    column.kind = kind;
    column.width = width;
    column.visible = visible;
    column.format = format;
    return column;
}

/// The columns of a grid in order, found by field name (case-blind, as recordset fields).
class GridColumns {
public:
    void clear() { m_columns.clear(); }
    void append(const GridColumn& column) { m_columns.append(column); }
    int size() const { return int(m_columns.size()); }
    const GridColumn& at(int index) const { return m_columns.at(index); }
    const QList<GridColumn>& list() const { return m_columns; }
    /// The column of a field; -1 when the grid has none.
    int indexOf(QStringView field) const {
        for (int index = 0; index < size(); ++index) {
            if (QStringView(m_columns.at(index).field).compare(field, Qt::CaseInsensitive) == 0)
                return index;
        }
        return -1;
    }
    const GridColumn* find(QStringView field) const {
        const int index = indexOf(field);
        return index < 0 ? nullptr : &m_columns.at(index);
    }
    GridColumn* find(QStringView field) {
        const int index = indexOf(field);
        return index < 0 ? nullptr : &m_columns[index];
    }

private:
    QList<GridColumn> m_columns;
};

} // namespace bdg
