#pragma once

#include "company/demo_content.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <functional>

namespace bdg {

class Connection;

/// The demo company: "Demo Manifatture S.p.A." (company 1), main company of a group with
/// two associated companies, with every table the inquiry reads filled in:
///
/// - a general-ledger chart of profit-and-loss and balance-sheet accounts, the CEE
///   schedule and a reclassified chart;
/// - a value-added profit-and-loss criterion (CE01) mapped on all three charts, with
///   intermediate totals and formula items, and a criterion (ST01) on the budget structure;
/// - four budget subtypes: monthly per site on the ledger (MENS), quarterly on the CEE
///   schedule (TRIM), multi-activity of the group on the reclassified chart (GRUP) and
///   bimonthly on the budget structure (STRU), with budget, actuals and forecasts for
///   2025 and 2026;
/// - financial years (company 2 starts its year in July), sites, currencies with rates,
///   and stored comparison profiles.
///
/// Everything derives from DemoOptions alone, so two builds give the same rows.
class DemoCompany {
public:
    static constexpr int CodDitta = 1;
    static constexpr const char* RagioneSociale = "Demo Manifatture S.p.A.";

    /// Receives the amount rows written so far and their total; called every 100,000 rows.
    using Progress = std::function<void(std::int64_t written, std::int64_t total)>;

    /// Fills an open company database whose schema was just created (CompanySchema::create)
    /// in one transaction: all of it or, on failure, nothing. DemoError naming the table
    /// when the database refuses a row.
    static void fill(Connection& connection, const DemoOptions& options,
                     const Progress& progress = {});

    /// Creates the schema on an open, empty database, then fills it.
    static void create(Connection& connection, const DemoOptions& options,
                       const Progress& progress = {});

    /// Row count of every table of the company schema, in the schema's order.
    static QList<QPair<QString, std::int64_t>> rowCounts(Connection& connection);
};

} // namespace bdg
