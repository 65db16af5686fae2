#include "engine/sql_importi_per_conto_periodo.h"

#include "data/sql_literal.h"

namespace bdg {

namespace {

using sql_importi::byKind;
using sql_importi::hasStructure;
using sql_importi::line;

// The accounts and periods that have detail rows at all: a period without any detail row
// of the subtype gets no result row, whatever the sets would read.
void appendCteBudget(QString& sql, const ImportiSqlInput& input) {
    line(sql, " --# BdgIntRic_GetRstImportiPerContoPeriodo ");
    line(sql, "; WITH CTE_BUDGET AS ");
    line(sql, "  ( ");
    line(sql, "     SELECT DISTINCT   ");
    line(sql, "             BU50_CODICE_BU19, ");
    if (hasStructure(input)) {
        line(sql, "             " + sqlText(input.CodPdc) +
                      " AS BU50_PDC , BU50_CONTO_BU61 AS BU50_CONTO , ");
    } else {
        line(sql,
             byKind(
                 input,
                 "             BU50_GRUPPO_CG10 AS BU50_PDC , BU50_CONTO_CG24  AS BU50_CONTO , ",
                 "             BU50_CODICE_CG21 AS BU50_PDC , BU50_CODICE_CG23  AS BU50_CONTO , ",
                 "             BU50_CODICE_PC01 AS BU50_PDC , BU50_CONTO_PC03  AS BU50_CONTO , "));
    }
    line(sql, "             BU65_INDNATCONTO AS NATURA , ");
    line(sql, "             BU66_PERIODO ");
    line(sql, "     FROM    BU66_DETBUDGET WITH (NOLOCK) ");
    line(sql, "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ");
    line(sql, "     INNER JOIN BU50_CORRPDCVOCI ON  ");
}

void appendMappingJoin(QString& sql, const ImportiSqlInput& input) {
    if (hasStructure(input)) {
        line(sql, byKind(input, "             BU50_CONTO_BU61 = BU65_TESBUDGET.BU65_CONTO_CG24 ",
                         "             BU50_CONTO_BU61 = BU65_TESBUDGET.BU65_CONTO_CG23 ",
                         "             BU50_CONTO_BU61 = BU65_TESBUDGET.BU65_CONTO_PC03 "));
        return;
    }
    line(sql, byKind(input,
                     "             BU50_CORRPDCVOCI.BU50_GRUPPO_CG10 = "
                     "BU65_TESBUDGET.BU65_GRUPPO_CG10 ",
                     "             BU50_CORRPDCVOCI.BU50_CODICE_CG21 = "
                     "BU65_TESBUDGET.BU65_CODICE_CG21 ",
                     "             BU50_CORRPDCVOCI.BU50_CODICE_PC01 = "
                     "BU65_TESBUDGET.BU65_CODICE_PC01 "));
    line(sql, byKind(input,
                     "     AND     BU50_CORRPDCVOCI.BU50_CONTO_CG24 = "
                     "BU65_TESBUDGET.BU65_CONTO_CG24 ",
                     "     AND     BU50_CORRPDCVOCI.BU50_CODICE_CG23 = "
                     "BU65_TESBUDGET.BU65_CODICE_CG23 ",
                     "     AND     BU50_CORRPDCVOCI.BU50_CONTO_PC03 = "
                     "BU65_TESBUDGET.BU65_CONTO_PC03 "));
}

void appendCteBudgetFilter(QString& sql, const ImportiSqlInput& input) {
    line(sql, "     WHERE   BU50_CODICE_BU51 = " + sqlText(input.CodCriterio));
    if (hasStructure(input)) {
        line(sql, "     AND     BU50_CODICE_BU60 = " + sqlText(input.CodStrutturaBU60));
    } else {
        // Quoted like the per-account batch, so alphanumeric chart codes read the same rows.
        line(sql, byKind(input, "     AND     BU50_GRUPPO_CG10 = ",
                         "     AND     BU50_CODICE_CG21 = ", "     AND     BU50_CODICE_PC01 = ") +
                      sqlText(input.CodPdc));
    }
    line(sql, "     AND     BU65_INDTIPO_BU01 = " + QString::number(input.IndTipoBudget));
    line(sql, "     AND     BU65_SOTTOTIPO_BU01 = " + sqlText(input.CodSottotipo));
    line(sql, "     AND     BU66_PERIODO BETWEEN " + sql_importi::periodRange(input));
    line(sql, "  ) ");
}

void appendCompanyFilter(QString& sql, const ImportiSqlInput& input, const SetConfronto& set) {
    const std::optional<QString> aziende = sql_importi::consolidatedCompanies(input, set);
    if (!aziende) {
        line(sql, "     AND     BU65_DITTA_CG18 = " + QString::number(input.CodDitta));
        return;
    }
    line(sql, "     AND     BU65_DITTA_CG18 IN ( " + *aziende + " ) ");
}

void appendSetSelect(QString& sql, const ImportiSqlInput& input, int number) {
    line(sql, ", CTE_" + QString::number(number) + " AS ");
    line(sql, "  ( ");
    line(sql, "     SELECT  CTE_BUDGET.BU50_CODICE_BU19 AS VOCE  ");
    line(sql, byKind(input, "      ,       BU65_GRUPPO_CG10 AS PDC , BU65_CONTO_CG24  AS CONTO  ",
                     "      ,       BU65_CODICE_CG21 AS PDC , BU65_CODICE_CG23 AS CONTO  ",
                     "      ,       BU65_CODICE_PC01 AS PDC , BU65_CONTO_PC03  AS CONTO  "));
    line(sql, "        ,    CTE_BUDGET.NATURA AS NATURA ");
    line(sql, "        ,    BU66_DETBUDGET.BU66_PERIODO AS PERIODO ");
    line(sql,
         "        ,  SUM(ROUND(BU66_IMPORTO " + sql_importi::amountTail(input) + ") AS IMPORTO ");
    line(sql, "     FROM    BU66_DETBUDGET WITH (NOLOCK) ");
    line(sql, "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ");
    line(sql, "     INNER JOIN CTE_BUDGET ON ");
    line(sql, byKind(input, "             BU65_GRUPPO_CG10 = CTE_BUDGET.BU50_PDC   ",
                     "             BU65_CODICE_CG21 = CTE_BUDGET.BU50_PDC    ",
                     "             BU65_CODICE_PC01 = CTE_BUDGET.BU50_PDC   "));
    line(sql, byKind(input, "     AND     BU65_CONTO_CG24 = CTE_BUDGET.BU50_CONTO  ",
                     "     AND     BU65_CODICE_CG23 = CTE_BUDGET.BU50_CONTO  ",
                     "     AND     BU65_CONTO_PC03 = CTE_BUDGET.BU50_CONTO  "));
    line(sql, "     AND     BU66_DETBUDGET.BU66_PERIODO = CTE_BUDGET.BU66_PERIODO ");
    line(sql, "     AND     " + sql_importi::stessaNatura("BU65_TESBUDGET.BU65_INDNATCONTO",
                                                          "CTE_BUDGET.NATURA"));
}

// Forecast sets read their own detail type only: the period view does not replace
// forecast periods by actual amounts.
void appendSetTable(QString& sql, const ImportiSqlInput& input, const SetConfronto& set,
                    int number) {
    appendSetSelect(sql, input, number);
    line(sql, "     WHERE   BU65_INDTIPO_BU01 = " + QString::number(input.IndTipoBudget));
    line(sql, "     AND     BU65_SOTTOTIPO_BU01 = " + sqlText(input.CodSottotipo));
    appendCompanyFilter(sql, input, set);
    sql_importi::appendYearAndSite(sql, input, set);
    line(sql, "     AND     BU66_TIPO = " + sql_importi::tipoDettaglioSql(set));
    line(sql, "     GROUP BY CTE_BUDGET.BU50_CODICE_BU19, ");
    line(sql, byKind(input, "     BU65_GRUPPO_CG10, BU65_CONTO_CG24 , BU66_DETBUDGET.BU66_PERIODO ",
                     "     BU65_CODICE_CG21, BU65_CODICE_CG23 , BU66_DETBUDGET.BU66_PERIODO ",
                     "     BU65_CODICE_PC01, BU65_CONTO_PC03 , BU66_DETBUDGET.BU66_PERIODO "));
    line(sql, "     , CTE_BUDGET.NATURA ");
    line(sql, "  ) ");
}

void appendDescriptionSource(QString& sql, const ImportiSqlInput& input) {
    const QString ditta = QString::number(input.CodDitta);
    switch (input.IndTipoPdc) {
    case 1:
        line(sql, " OUTER APPLY FNCG_CG24_CONTO(CTE_BUDGET.BU50_PDC, CTE_BUDGET.BU50_CONTO, " +
                      ditta + ", " + sqlText(input.CodLingua) + ") AS CG24_TABPDC ");
        break;
    case 2:
        line(sql, " LEFT OUTER JOIN CG23_RICLBILCEE WITH (NOLOCK) ");
        line(sql, " ON   CTE_BUDGET.BU50_PDC = CG23_CODICE_CG21 ");
        line(sql, " AND  CTE_BUDGET.BU50_CONTO = CG23_CODICE ");
        break;
    default:
        line(sql, " OUTER APPLY FNPC03_ANAGPDC_COGE(CTE_BUDGET.BU50_PDC, CTE_BUDGET.BU50_CONTO, " +
                      ditta + " , Null) AS PC03_ANAGPDC_RICL ");
        break;
    }
}

void appendFinalSelect(QString& sql, const ImportiSqlInput& input, const QString& columns,
                       const QString& joins) {
    line(sql, " --# Select Finale Su CTE_BUDGET ");
    line(sql, " SELECT DISTINCT ");
    line(sql, "         CTE_BUDGET.BU50_CODICE_BU19 AS VOCE, ");
    line(sql, "         CTE_BUDGET.BU50_PDC AS PDC, CTE_BUDGET.BU50_CONTO AS CONTO ,");
    line(sql, "         CTE_BUDGET.BU66_PERIODO AS PERIODO, ");
    line(sql, " --# Descrizione Conto ");
    sql_importi::appendDescriptionColumn(sql, input);
    line(sql, columns);
    line(sql, " FROM    CTE_BUDGET ");
    line(sql, " --# LeftOuterJoin da CTE_BUDGET alle CTE_N ");
    line(sql, joins);
    line(sql, " --# LeftOuterJoin Descrizioni ");
    appendDescriptionSource(sql, input);
    line(sql, " ORDER BY VOCE, PDC, CONTO, PERIODO, NATURA ");
}

// The amount column of set `number`, with its (always Null) difference columns from the
// second set on: the period roll-up fills them later.
void appendColumns(QString& columns, int number) {
    const QString n = QString::number(number);
    if (!columns.isEmpty()) {
        columns += " , ";
    }
    line(columns, " CTE_" + n + ".IMPORTO AS IMP" + n);
    if (number == 1) {
        return;
    }
    line(columns, " , " + QStringLiteral(" NULL AS DELTA_IMP") + n);
    line(columns, " , " + QStringLiteral(" NULL AS DELTA_PERC") + n);
}

} // namespace

QString BuildSqlImportiPerContoPeriodo(const ImportiSqlInput& input) {
    sql_importi::checkInput(input);
    QString sql;
    QString joins;
    QString columns;
    appendCteBudget(sql, input);
    appendMappingJoin(sql, input);
    appendCteBudgetFilter(sql, input);
    int number = 0;
    for (const SetConfronto& set : input.sets) {
        ++number;
        const QString cte = "CTE_" + QString::number(number);
        appendSetTable(sql, input, set, number);
        // The item and the nature too: an account mapped under two items, or with headers
        // of both natures, meets only its own row of each set.
        line(joins, " LEFT OUTER JOIN " + cte + " ON " + " CTE_BUDGET.BU50_PDC = " + cte +
                        ".PDC AND " + " CTE_BUDGET.BU50_CONTO = " + cte + ".CONTO AND" +
                        " CTE_BUDGET.BU66_PERIODO = " + cte + ".PERIODO AND" +
                        " CTE_BUDGET.BU50_CODICE_BU19 = " + cte + ".VOCE AND " +
                        sql_importi::stessaNatura("CTE_BUDGET.NATURA", cte + ".NATURA"));
        appendColumns(columns, number);
    }
    line(columns, " , " + QStringLiteral(" CTE_BUDGET.NATURA AS NATURA"));
    appendFinalSelect(sql, input, columns, joins);
    return sql;
}

} // namespace bdg
