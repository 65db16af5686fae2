#include "company/demo_budget.h"

#include "company/demo_random.h"
#include "company/demo_table_writer.h"

#include <QVariant>

#include <algorithm>

namespace bdg {

namespace {

constexpr int swingSeason = 3; // stock variations: either sign, month by month

// Shares of the two sites of company 1 in its monthly budget, and the size of the group's
// other companies against company 1, in percent.
constexpr int siteShare[3] = {100, 60, 40};
constexpr int companyShare[4] = {0, 100, 35, 20};

QString centsText(std::int64_t cents) {
    const std::int64_t magnitude = cents < 0 ? -cents : cents;
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

std::int64_t percentOf(std::int64_t value, int percent) {
    return value * percent / 100;
}

// Budget, actuals and forecasts of one header, month by month, for both years.
struct Figures {
    std::array<std::int64_t, 12> budget[DemoBudget::Years]{};
    std::array<std::int64_t, 12> actual[DemoBudget::Years]{};
    std::array<std::int64_t, 12> forecast[DemoBudget::Years][4]{};
};

std::int64_t monthBase(DemoRandom& random, const DemoBudgetLine& line, int month) {
    if (line.season == swingSeason)
        return random.scaled(line.annualCents / 12, -1500, 1500);
    const std::int64_t share = line.annualCents * DemoContent::seasonWeights(line.season)[month] /
                               DemoContent::seasonTotal(line.season);
    return random.scaled(share, 970, 1030);
}

// Next year's budget grows from this year's actuals; a forecast keeps the actuals of the
// quarters closed when it was made (forecast f after f quarters) and re-estimates the rest.
Figures makeFigures(DemoRandom& random, const DemoBudgetLine& line, int forecasts) {
    Figures figures;
    const std::int64_t annual = random.scaled(line.annualCents, 700, 1300);
    DemoBudgetLine scaled = line;
    scaled.annualCents = annual;
    for (int month = 0; month < 12; ++month) {
        figures.budget[0][month] = monthBase(random, scaled, month);
        figures.actual[0][month] = random.scaled(figures.budget[0][month], 900, 1100);
        figures.budget[1][month] = random.scaled(figures.actual[0][month], 1010, 1070);
        figures.actual[1][month] = random.scaled(figures.budget[1][month], 900, 1100);
    }
    for (int year = 0; year < DemoBudget::Years; ++year) {
        for (int forecast = 0; forecast < forecasts; ++forecast) {
            for (int month = 0; month < 12; ++month) {
                const bool closed = month < 3 * (forecast + 1);
                figures.forecast[year][forecast][month] =
                    closed ? figures.actual[year][month]
                           : random.scaled(figures.budget[year][month], 950, 1060);
            }
        }
    }
    return figures;
}

std::int64_t periodSum(const std::array<std::int64_t, 12>& months, int period, int length) {
    std::int64_t sum = 0;
    for (int month = (period - 1) * length; month < period * length; ++month)
        sum += months[month];
    return sum;
}

} // namespace

int DemoSubtype::periods() const {
    static constexpr int counts[6] = {12, 6, 4, 3, 2, 1};
    return periodicity >= 0 && periodicity < 6 ? counts[periodicity] : 12;
}

const QList<DemoSubtype>& DemoBudget::subtypes() {
    static const QList<DemoSubtype> table = {
        {"MENS",
         "Budget mensile per sede",
         true,
         0,
         0,
         2,
         0,
         1,
         DemoContent::ChartGeneralLedger,
         QString(),
         {1}},
        {"TRIM",
         "Budget trimestrale su schema CEE",
         false,
         1,
         2,
         1,
         0,
         2,
         DemoContent::ChartCee,
         QString(),
         {1}},
        {"GRUP",
         QString::fromUtf8("Budget di gruppo multi-attività"),
         false,
         1,
         0,
         0,
         1,
         3,
         DemoContent::ChartReclass,
         QString(),
         {1, 2, 3}},
        {"STRU",
         "Budget commerciale per struttura",
         false,
         0,
         1,
         1,
         0,
         1,
         DemoContent::ChartGeneralLedger,
         DemoContent::Structure,
         {1}},
    };
    return table;
}

DemoBudget::DemoBudget(const DemoContent& content) : m_content(content) {}

QList<DemoBudgetLine> DemoBudget::profitLossLines(bool structureOnly,
                                                  const QList<int>& sites) const {
    QList<DemoBudgetLine> result;
    for (const DemoAccount& account : m_content.accounts()) {
        if (account.category < 0 || (structureOnly && !account.structure))
            continue;
        const DemoCategoryFigures figures = DemoContent::figures(account.category);
        for (int site : sites)
            result.append({1, site, figures.nature, account.code,
                           percentOf(figures.annualEuro * 100, siteShare[site]), figures.season});
    }
    return result;
}

// CEE lines and reclassified accounts gather whole categories: their yearly amount is what
// the scale-1 accounts of those categories add up to, split by nature.
QList<DemoBudgetLine> DemoBudget::groupedLines(bool cee, int company) const {
    QList<DemoBudgetLine> result;
    for (int category = 0; category < DemoContent::categoryCount(); ++category) {
        const DemoCategoryFigures figures = DemoContent::figures(category);
        const QString account = cee ? figures.cee : figures.reclass;
        const std::int64_t cents = percentOf(figures.annualEuro * 100, companyShare[company]) *
                                   DemoContent::baseAccounts(category);
        auto existing = std::find_if(result.begin(), result.end(), [&](const DemoBudgetLine& line) {
            return line.account == account && line.nature == figures.nature;
        });
        if (existing != result.end()) {
            existing->annualCents += cents;
            continue;
        }
        result.append({company, 0, figures.nature, account, cents, figures.season});
    }
    return result;
}

QList<DemoBudgetLine> DemoBudget::lines(const DemoSubtype& subtype) const {
    if (subtype.chartKind == 2)
        return groupedLines(true, 1);
    if (subtype.chartKind == 3) {
        QList<DemoBudgetLine> result;
        for (int company : subtype.companies)
            result += groupedLines(false, company);
        return result;
    }
    if (!subtype.structure.isEmpty())
        return profitLossLines(true, {0});
    return profitLossLines(false, subtype.sites ? QList<int>{1, 2} : QList<int>{0});
}

int DemoBudget::detailsPerHeader(const DemoSubtype& subtype, int year) {
    const int periods = subtype.periods();
    const int actuals =
        year == FirstYear + Years - 1 ? LastActualMonth / subtype.monthsPerPeriod() : periods;
    return periods * (1 + subtype.forecasts) + actuals;
}

std::int64_t DemoBudget::detailCount() const {
    std::int64_t total = 0;
    for (const DemoSubtype& subtype : subtypes()) {
        std::int64_t perLine = 0;
        for (int year = FirstYear; year < FirstYear + Years; ++year)
            perLine += detailsPerHeader(subtype, year);
        total += perLine * lines(subtype).size();
    }
    return total;
}

void DemoBudget::write(DemoTableWriter& headers, DemoTableWriter& details,
                       const std::function<void(std::int64_t)>& progress) const {
    headers.begin("BU65_TESBUDGET",
                  {"BU65_ID", "BU65_INDTIPO_BU01", "BU65_SOTTOTIPO_BU01", "BU65_DITTA_CG18",
                   "BU65_ANNO", "BU65_PROGESER", "BU65_CODICE_CG31", "BU65_INDNATCONTO",
                   "BU65_GRUPPO_CG10", "BU65_CONTO_CG24", "BU65_CODICE_CG21", "BU65_CODICE_CG23",
                   "BU65_CODICE_PC01", "BU65_CONTO_PC03"});
    details.begin("BU66_DETBUDGET", {"BU66_ID_BU65", "BU66_TIPO", "BU66_PERIODO", "BU66_IMPORTO"});
    int id = 0;
    std::int64_t reported = 0;
    for (const DemoSubtype& subtype : subtypes()) {
        for (const DemoBudgetLine& line : lines(subtype)) {
            writeLine(headers, details, id, subtype, line);
            id += Years;
            if (progress && details.totalRows() - reported >= 100000) {
                reported = details.totalRows();
                progress(reported);
            }
        }
    }
    headers.finish();
    details.finish();
}

void DemoBudget::writeLine(DemoTableWriter& headers, DemoTableWriter& details, int id,
                           const DemoSubtype& subtype, const DemoBudgetLine& line) const {
    DemoRandom random(m_content.options().seed ^ (std::uint64_t(id + 1) * 0x9E3779B97F4A7C15ULL));
    const Figures figures = makeFigures(random, line, subtype.forecasts);
    const int length = subtype.monthsPerPeriod();
    const QVariant none;
    for (int year = 0; year < Years; ++year) {
        const int header = id + year + 1;
        const QString chart = subtype.chart;
        headers.add({header, IndTipoBudget, subtype.code, line.company, FirstYear + year, ProgEser,
                     line.site, line.nature, subtype.chartKind == 1 ? QVariant(chart) : none,
                     subtype.chartKind == 1 ? QVariant(line.account) : none,
                     subtype.chartKind == 2 ? QVariant(chart) : none,
                     subtype.chartKind == 2 ? QVariant(line.account) : none,
                     subtype.chartKind == 3 ? QVariant(chart) : none,
                     subtype.chartKind == 3 ? QVariant(line.account) : none});
        const int actualPeriods = year == Years - 1 ? LastActualMonth / length : subtype.periods();
        auto put = [&](int kind, const std::array<std::int64_t, 12>& months, int periods) {
            for (int period = 1; period <= periods; ++period)
                details.add({header, kind, period, centsText(periodSum(months, period, length))});
        };
        put(0, figures.budget[year], subtype.periods());
        put(1, figures.actual[year], actualPeriods);
        for (int forecast = 0; forecast < subtype.forecasts; ++forecast)
            put(forecast + 3, figures.forecast[year][forecast], subtype.periods());
    }
}

} // namespace bdg
