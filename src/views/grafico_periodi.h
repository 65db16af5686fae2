#pragma once

#include <QChartView>

namespace bdg {

class ModelloGriglia;
class TreeGridModel;

/// The chosen node's amounts period by period, one bar series per comparison set, beside
/// the periods grid: what the grid lists, drawn. It reads the periods grid's rows and the
/// tree's current node; it computes nothing.
class GraficoPeriodi : public QChartView {
    Q_OBJECT

public:
    explicit GraficoPeriodi(QWidget* parent = nullptr);

    void collega(ModelloGriglia& periodi, TreeGridModel& albero);
    /// The sets drawn (their captions) and the periods on the axis, for tests.
    QStringList serie() const;
    QStringList categorie() const;

private:
    void ridisegna();

    ModelloGriglia* m_periodi = nullptr;
    TreeGridModel* m_albero = nullptr;
};

} // namespace bdg
