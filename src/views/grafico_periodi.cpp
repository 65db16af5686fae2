#include "views/grafico_periodi.h"

#include "form/tree_grid_model.h"
#include "views/modello_griglia.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

namespace bdg {

namespace {

// "Gennaio 2026" is "Gen" on the axis, "3° Quadrimestre 2026" is "3°": the grid beside
// the chart carries the whole text.
QString etichettaBreve(const QString& periodo) {
    const QString prima = periodo.section(QLatin1Char(' '), 0, 0);
    if (prima.endsWith(QChar(0x00B0)) || prima.size() <= 4)
        return prima;
    return prima.left(3);
}

// Up to six periods (quarters, four-month periods) keep their labels level.
constexpr int EtichetteOrizzontali = 6;

const QList<QColor>& colori() {
    static const QList<QColor> palette = {QColor(0x1e, 0x88, 0xe5), QColor(0xfb, 0x8c, 0x00),
                                          QColor(0x43, 0xa0, 0x47), QColor(0x8e, 0x24, 0xaa),
                                          QColor(0x6d, 0x4c, 0x41), QColor(0x00, 0x89, 0x7b)};
    return palette;
}

} // namespace

GraficoPeriodi::GraficoPeriodi(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    auto* grafico = new QChart;
    grafico->setLocalizeNumbers(true);
    grafico->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    grafico->legend()->setAlignment(Qt::AlignBottom);
    grafico->setMargins(QMargins(4, 4, 4, 4));
    grafico->setBackgroundRoundness(0);
    setChart(grafico);
    setMinimumWidth(240);
}

void GraficoPeriodi::collega(ModelloGriglia& periodi, TreeGridModel& albero) {
    m_periodi = &periodi;
    m_albero = &albero;
    connect(&periodi, &ModelloGriglia::rowsReloaded, this, &GraficoPeriodi::ridisegna);
    connect(&periodi, &ModelloGriglia::columnsLaidOut, this, &GraficoPeriodi::ridisegna);
    ridisegna();
}

void GraficoPeriodi::ridisegna() {
    QChart* grafico = chart();
    grafico->removeAllSeries();
    for (QAbstractAxis* asse : grafico->axes())
        grafico->removeAxis(asse);
    const int righe = m_periodi->rowCount();
    if (righe == 0) {
        grafico->setTitle(QStringLiteral("Scegliere una voce o un conto per vederne i periodi"));
        return;
    }
    grafico->setTitle(QStringLiteral("<b>%1</b> %2")
                          .arg(m_albero->currentValue(u"VOCE").toString().toHtmlEscaped(),
                               m_albero->currentValue(u"VOCEDES").toString().toHtmlEscaped()));
    auto* serie = new QBarSeries;
    for (int column = 0; column < m_periodi->columnCount(); ++column) {
        if (!m_periodi->field(column).startsWith(QLatin1String("IMP")))
            continue;
        auto* insieme =
            new QBarSet(m_periodi->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        insieme->setColor(colori().at(int(serie->count()) % colori().size()));
        for (int row = 0; row < righe; ++row) {
            const Variant value =
                m_periodi->index(row, column).data(TreeGridModel::RawValueRole).value<Variant>();
            insieme->append(value.toDouble().value_or(0.0));
        }
        serie->append(insieme);
    }
    QStringList periodi;
    const int colonnaPeriodo = m_periodi->columnOf(QStringLiteral("PERIODO"));
    for (int row = 0; row < righe; ++row)
        periodi << etichettaBreve(m_periodi->index(row, colonnaPeriodo).data().toString());
    grafico->addSeries(serie);
    auto* asseX = new QBarCategoryAxis;
    asseX->append(periodi);
    QFont piccolo = asseX->labelsFont();
    piccolo.setPointSizeF(piccolo.pointSizeF() * 0.85);
    asseX->setLabelsFont(piccolo);
    // Twelve months side by side leave no room for a word each: upright, none is cut short.
    if (righe > EtichetteOrizzontali)
        asseX->setLabelsAngle(-90);
    grafico->addAxis(asseX, Qt::AlignBottom);
    serie->attachAxis(asseX);
    auto* asseY = new QValueAxis;
    asseY->setLabelFormat(QStringLiteral("%.0f"));
    grafico->addAxis(asseY, Qt::AlignLeft);
    serie->attachAxis(asseY);
    asseY->applyNiceNumbers();
}

QStringList GraficoPeriodi::serie() const {
    QStringList captions;
    for (QAbstractSeries* series : chart()->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(series)) {
            for (QBarSet* set : bars->barSets())
                captions << set->label();
        }
    }
    return captions;
}

QStringList GraficoPeriodi::categorie() const {
    for (QAbstractAxis* axis : chart()->axes(Qt::Horizontal)) {
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
            return categories->categories();
    }
    return {};
}

} // namespace bdg
