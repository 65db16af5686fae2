#pragma once

#include "data/variant.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace bdg {

/// One comparison set as the amount batches read it: the row of RstConfronto, in
/// CFR_SEQUENZA order. Values stay Variants because Null has its own meaning (a Null
/// detail type reads type 0, a Null year reads year 0).
struct SetConfronto {
    Variant CFR_TIPODETT;
    Variant CFR_ANNO;
    Variant CFR_PROGESER;
    Variant CFR_SEDE;
};

/// Everything the two amount batches are built from, taken out of the form state so that
/// the text can be built and checked without a database.
struct ImportiSqlInput {
    std::int32_t IndTipoPdc = 0; ///< 1 general ledger, 2 CEE schedule, 3 reclassified chart
    Variant CodPdc;
    Variant CodStrutturaBU60;
    Variant CodCriterio;
    std::int32_t IndTipoBudget = 0;
    Variant CodSottotipo;
    std::int32_t CodDitta = 0;
    QString CodLingua;
    QString FattoreCambio; ///< empty, or " * rate" / " / rate"
    std::int16_t NrDecimali = 2;
    Variant PeriodoDa;
    Variant PeriodoA;
    bool IsConsolidoMultiAtt = false;
    bool IsMultiAttivita = false;
    bool IsGestioneSede = false;
    std::vector<SetConfronto> sets;
    /// The main-company service: for a year, the company list of an IN filter or a blank
    /// value when there is nothing to consolidate.
    std::function<Variant(const Variant& anno)> IsAziendaPrincipale;
};

/// Text of the batch that reads, per criterion item and account, the amount of every
/// comparison set (IMP1 ... IMPn) and the nature of the headers they come from (NATURA): one
/// row per nature that any set has for the account, in each set's column that set's amount
/// of that nature. Raises SqlValueError when a value that goes into the
/// text as a number is not one, or when the chart kind or the set list cannot give a
/// statement at all.
QString BuildSqlImportiPerConto(const ImportiSqlInput& input);

namespace sql_importi {

/// Carriage return and line feed: the batches are read by SQL Server tools that expect it.
inline const QString CRLF = QStringLiteral("\r\n");

/// Refuses what would only give a broken statement: a chart kind outside 1..3, no sets,
/// a missing main-company service.
void checkInput(const ImportiSqlInput& input);

/// The exchange factor checked and rewritten: "" stays "", " * 1,5" becomes " * 1.5".
/// The rate is parsed as a number before it may enter the text.
QString fattoreCambioSql(const QString& fattoreCambio);

/// What follows every BU66_IMPORTO reference: sign, exchange factor, ", decimals)".
QString amountTail(const ImportiSqlInput& input);

/// NVL(CFR_TIPODETT, 0) as a checked number.
QString tipoDettaglioSql(const SetConfronto& set);

/// True when the set's detail type is a forecast (above 2): a value that is not a number
/// raises SqlValueError.
bool isForecast(const SetConfronto& set);

/// The company list when the set reads the consolidated companies, nothing when it reads
/// the current company only. The service is asked once for every set, and a second time
/// for the list itself when consolidation applies.
std::optional<QString> consolidatedCompanies(const ImportiSqlInput& input, const SetConfronto& set);

/// Appends one line of a batch: the text as written, then CR LF.
void line(QString& sql, const QString& text);

/// The piece of text that belongs to the chart kind of the run.
QString byKind(const ImportiSqlInput& input, const char* generalLedger, const char* ceeSchedule,
               const char* reclassified);

/// True when the subtype has a budget structure (accounts from the structure's column).
bool hasStructure(const ImportiSqlInput& input);

/// The account description column of the final select (one line).
void appendDescriptionColumn(QString& sql, const ImportiSqlInput& input);

/// Year, progressive and, when the budget keeps sites and no consolidation applies, site.
void appendYearAndSite(QString& sql, const ImportiSqlInput& input, const SetConfronto& set);

/// "COALESCE(left, -1) = COALESCE(right, -1) ": two natures compared so that a Null nature
/// matches a Null one, as the sets' GROUP BY keeps it.
QString stessaNatura(const QString& left, const QString& right);

/// "PeriodoDa AND PeriodoA", both checked numbers.
QString periodRange(const ImportiSqlInput& input);

} // namespace sql_importi

} // namespace bdg
