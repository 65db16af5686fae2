#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace bdg {

/// Raised when the demo company cannot be written; the text names the table.
class DemoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Raised when the demo company cannot be sized as asked; the text says which size and why.
class DemoSizeError : public DemoError {
public:
    using DemoError::DemoError;
};

/// How big the demo company is.
///
/// Scale 1 is the demo: about 150 general-ledger accounts, a profit-and-loss criterion of 47
/// items in 4 levels and some 31,000 budget amounts. Benchmarks raise the scale: the
/// profit-and-loss accounts grow with it (139 per unit of scale) and the criterion grows by
/// 10 items per unit up to 400, so that scale 37 gives about 1,000,000 budget amounts on
/// 5,150 accounts and 400 items.
struct DemoOptions {
    int scale = 1;
    int accounts = 0; ///< profit-and-loss accounts of the general ledger; 0 derives it from scale
    int items = 0;    ///< items of the profit-and-loss criterion; 0 derives it from scale
    int levels = 4;   ///< levels of the profit-and-loss criterion: 3 or 4
    std::uint64_t seed = 0x5EED2025ULL;

    /// The same options with every derived size filled in; DemoError for a size out of range.
    DemoOptions resolved() const;
};

/// One general-ledger account. Balance-sheet accounts have no item and no budget.
struct DemoAccount {
    QString code;
    QString description;
    int category = -1;      ///< index in the category table, -1 for balance-sheet accounts
    QString item;           ///< item of the profit-and-loss criterion that receives it
    bool structure = false; ///< also an account of the budget structure
};

/// A line of the CEE schedule or an account of the reclassified chart.
struct DemoLine {
    QString code;
    QString description;
};

/// One item of a criterion and its place in the criterion's tree.
struct DemoItem {
    QString criterion;
    QString code;
    QString description; ///< on formula items "caption:formula"
    int type = 0;        ///< 0 analytic value, 1 analytic total, 2 intermediate total, 3 formula
    QString parent;      ///< empty for a top item
    int position = 0;    ///< 1.. among the siblings
    int level = 1;
};

/// One account-to-item mapping row; exactly one chart kind's pair is filled, and a
/// general-ledger row may also name the budget structure's account.
struct DemoMapping {
    QString criterion;
    QString item;
    int chartKind = 1; ///< 1 general ledger, 2 CEE schedule, 3 reclassified chart
    QString chart;
    QString account;
    bool structure = false; ///< BU50_CODICE_BU60/BU50_CONTO_BU61 filled with the account
};

/// What a category of profit-and-loss accounts contributes to the budget.
struct DemoCategoryFigures {
    int nature = 1;          ///< 2 reverses the sign of every amount in the inquiry
    int effect = 1;          ///< +1 revenue, -1 cost: the sign the inquiry shows
    std::int64_t annualEuro; ///< yearly amount of one account of the category, company 1
    int season = 0;          ///< index of the monthly profile
    QString cee;             ///< CEE schedule line
    QString reclass;         ///< account of the reclassified chart
};

/// The demo company's charts and criteria: accounts, CEE schedule, reclassified chart,
/// criterion items, their tree and the account mapping. Built in memory, deterministically,
/// from the options alone; DemoCompany writes it and the budgets derived from it.
class DemoContent {
public:
    static constexpr const char* ChartGeneralLedger = "1";
    static constexpr const char* ChartCee = "4";
    static constexpr const char* ChartReclass = "10";
    static constexpr const char* Structure = "COMM";
    static constexpr const char* CriterionProfitLoss = "CE01";
    static constexpr const char* CriterionStructure = "ST01";

    explicit DemoContent(const DemoOptions& options);

    const DemoOptions& options() const { return m_options; }
    const QList<DemoAccount>& accounts() const { return m_accounts; }
    const QList<DemoLine>& ceeLines() const { return m_ceeLines; }
    const QList<DemoLine>& reclassAccounts() const { return m_reclassAccounts; }
    const QList<DemoItem>& items() const { return m_items; }
    const QList<DemoMapping>& mappings() const { return m_mappings; }

    /// Figures of the category of a profit-and-loss account.
    static DemoCategoryFigures figures(int category);
    static int categoryCount();
    /// Accounts of a category at scale 1.
    static int baseAccounts(int category);
    /// Monthly weights of a season profile (12 entries) and their sum.
    static const int* seasonWeights(int season);
    static int seasonTotal(int season);

private:
    void buildAccounts();
    void buildLines();
    void buildProfitLossCriterion();
    void expandProfitLossCriterion();
    void foldDeepItems();
    void buildStructureCriterion();
    void mapAccounts();
    QStringList leavesUnder(const QString& item) const;
    int itemIndex(const QString& code) const;

    DemoOptions m_options;
    QList<DemoAccount> m_accounts;
    QList<DemoLine> m_ceeLines;
    QList<DemoLine> m_reclassAccounts;
    QList<DemoItem> m_items;
    QList<DemoMapping> m_mappings;
};

} // namespace bdg
