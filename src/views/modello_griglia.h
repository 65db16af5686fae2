#pragma once

#include "form/grid_model.h"

#include <QAbstractTableModel>

#include <vector>

namespace bdg {

/// A table item model over one of the form's grids (the comparison list, the periods): a
/// row per bound row in the grid's order, a column per grid column, hidden ones included
/// (the view hides them). Edits and check-box clicks go to the grid's own user actions,
/// so the form's handlers run as they do for any user.
///
/// The cells are read once per change of the grid, not per paint: the grid reads a row by
/// walking its data source.
class ModelloGriglia : public QAbstractTableModel {
    Q_OBJECT

public:
    /// Header roles: the band a column sits in (-1 without bands), and its caption.
    static constexpr int BandRole = Qt::UserRole + 20;
    static constexpr int BandCaptionRole = Qt::UserRole + 21;

    explicit ModelloGriglia(GridModel& grid, QObject* parent = nullptr);

    GridModel& grid() const { return m_grid; }
    /// The field of a column; empty out of range.
    QString field(int column) const;
    int columnOf(const QString& field) const { return m_grid.columns().indexOf(field); }
    /// The total the grid shows under a column; Null for none.
    Variant footer(int column) const;
    /// The row of the grid's current row (its data source's cursor); -1 without one.
    int currentRow() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    /// The columns were laid out again (captions, widths, visibility).
    void columnsLaidOut();
    /// The rows were read again from the grid.
    void rowsReloaded();

private:
    void reload(bool columns);
    QString listText(const GridColumn& column, const Variant& value) const;

    GridModel& m_grid;
    std::vector<std::vector<Variant>> m_values;
    std::vector<std::vector<QString>> m_texts;
};

} // namespace bdg
