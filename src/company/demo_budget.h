#pragma once

#include "company/demo_content.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace bdg {

class DemoTableWriter;

/// A budget subtype of the demo company, with every property the budget object answers.
struct DemoSubtype {
    QString code;
    QString description;
    bool sites = false;
    int fiscal = 0;      ///< 0 calendar periods, 1 periods of the financial year
    int periodicity = 0; ///< 0 monthly, 1 bimonthly, 2 quarterly, ...
    int forecasts = 0;
    int multiActivity = 0;
    int chartKind = 1;
    QString chart;
    QString structure; ///< budget structure code, empty without one
    QList<int> companies{1};

    int periods() const;
    int monthsPerPeriod() const { return 12 / periods(); }
};

/// One budget header before it is written: where the amounts belong and how big they are.
struct DemoBudgetLine {
    int company = 1;
    int site = 0;
    int nature = 1;
    QString account; ///< in the column pair of the subtype's chart kind
    std::int64_t annualCents = 0;
    int season = 0;
};

/// The budget figures of the demo company: headers (BU65_TESBUDGET) and amounts
/// (BU66_DETBUDGET) of every subtype for 2025 and 2026, with budget, actuals and forecasts.
///
/// Figures are made per month and then summed into the subtype's periods, so that a
/// quarterly subtype shows what three months of a monthly one would. Each header draws
/// from its own random stream (seeded from the options and the header number): the same
/// options give the same figures whatever engine receives them.
class DemoBudget {
public:
    static constexpr int FirstYear = 2025;
    static constexpr int Years = 2;
    static constexpr int ProgEser = 1;
    /// Actuals of the last year stop at this month.
    static constexpr int LastActualMonth = 9;
    static constexpr int IndTipoBudget = 5;

    explicit DemoBudget(const DemoContent& content);

    static const QList<DemoSubtype>& subtypes();

    /// Headers of a subtype for one year, in the order they are written.
    QList<DemoBudgetLine> lines(const DemoSubtype& subtype) const;
    /// Number of amount rows the whole budget has, for progress reports.
    std::int64_t detailCount() const;
    /// Amount rows of one header and year: (kind of figures) x periods with figures.
    static int detailsPerHeader(const DemoSubtype& subtype, int year);

    /// Writes headers and amounts; `progress` receives the amount rows written so far.
    void write(DemoTableWriter& headers, DemoTableWriter& details,
               const std::function<void(std::int64_t)>& progress) const;

private:
    struct Months {
        std::array<std::int64_t, 12> cents{};
    };
    void writeLine(DemoTableWriter& headers, DemoTableWriter& details, int id,
                   const DemoSubtype& subtype, const DemoBudgetLine& line) const;
    QList<DemoBudgetLine> profitLossLines(bool structureOnly, const QList<int>& sites) const;
    QList<DemoBudgetLine> groupedLines(bool cee, int company) const;

    const DemoContent& m_content;
};

} // namespace bdg
