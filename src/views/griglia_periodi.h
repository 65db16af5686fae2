#pragma once

#include <QHeaderView>
#include <QWidget>

class QScrollBar;
class QTableView;

namespace bdg {

class GridModel;
class ModelloGriglia;

/// A header in two rows: above, the caption of each band across the columns it holds
/// ("Periodi", "Valori"); below, the column captions.
class IntestazioneBande : public QHeaderView {
    Q_OBJECT

public:
    explicit IntestazioneBande(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int altezzaRiga() const;
};

/// The footer of a grid: under each column the total the form gives for it, in the
/// column's mask, aligned with the columns as they are resized and scrolled.
class PiedeTotali : public QWidget {
    Q_OBJECT

public:
    PiedeTotali(QTableView* table, ModelloGriglia* model, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    /// The text shown under a column (empty when it shows no total).
    QString testo(int column) const;
    /// The width the total of a column needs.
    int larghezza(int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTableView* m_table;
    ModelloGriglia* m_model;
};

/// The periods grid (QGRID_PERIODI) on screen: one row per period of the chosen node, the
/// amounts of every comparison set under the bands "Periodi" and "Valori", and the node's
/// totals in the footer, which stays between the rows and the horizontal scroll bar.
class GrigliaPeriodi : public QWidget {
    Q_OBJECT

public:
    explicit GrigliaPeriodi(QWidget* parent = nullptr);

    void collega(GridModel& grid);
    ModelloGriglia* modello() const { return m_model; }
    QTableView* tabella() const { return m_table; }
    PiedeTotali* piede() const { return m_piede; }
    /// The width that shows every column without scrolling.
    int larghezzaContenuto() const;

private:
    void disponiColonne(bool soloAllarga);

    QTableView* m_table;
    ModelloGriglia* m_model = nullptr;
    PiedeTotali* m_piede = nullptr;
    QScrollBar* m_scorrimento;
};

} // namespace bdg
