#pragma once

#include "data/decimal.h"

#include <QString>

namespace bdg {

/// A display mask of the run's amounts ("##,###,###,##0.00", "#,###,##0.00%") applied to an
/// exact decimal in the Italian way: "." between thousands, "," before the decimals.
///
/// The mask's digits after its decimal point fix how many decimals are shown, rounded half
/// away from zero as the database rounds; a "%" multiplies by a hundred, as the grid's
/// percentage columns do with the stored ratio. Only the features the masks of the
/// currency table and of the inquiry use are read: grouping, decimals, percent.
class FormatoNumero {
public:
    explicit FormatoNumero(const QString& maschera);

    QString format(const Decimal& value) const;

    int decimali() const { return m_decimali; }
    bool isPercentuale() const { return m_percentuale; }
    bool hasRaggruppamento() const { return m_raggruppamento; }

private:
    QString raggruppa(const QString& cifre) const;

    int m_decimali = 0;
    int m_decimaliMinimi = 0;
    bool m_raggruppamento = false;
    bool m_percentuale = false;
};

} // namespace bdg
