#include "engine/sql_importi_per_conto.h"

#include "data/sql_literal.h"

namespace bdg {

namespace sql_importi {

namespace {

// Amounts of headers kept with the opposite nature enter with their sign turned.
const QString SIGN = QStringLiteral(" * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END)");

} // namespace

void checkInput(const ImportiSqlInput& input) {
    if (input.IndTipoPdc < 1 || input.IndTipoPdc > 3) {
        throw SqlValueError(QStringLiteral("tipo piano dei conti %1 non gestito (ammessi 1, 2 e 3)")
                                .arg(input.IndTipoPdc)
                                .toStdString());
    }
    if (input.sets.empty()) {
        throw SqlValueError("nessun set di confronto da leggere (RstConfronto vuota)");
    }
    if (!input.IsAziendaPrincipale) {
        throw SqlValueError("servizio azienda principale non impostato");
    }
}

QString fattoreCambioSql(const QString& fattoreCambio) {
    const QString trimmed = fattoreCambio.trimmed();
    if (trimmed.isEmpty()) {
        return QString();
    }
    const QChar operation = trimmed.front();
    if (operation != QLatin1Char('*') && operation != QLatin1Char('/')) {
        throw SqlValueError(
            QStringLiteral("fattore di cambio non valido: '%1'").arg(fattoreCambio).toStdString());
    }
    const QString rate = trimmed.mid(1).trimmed();
    return QStringLiteral(" %1 ").arg(operation) +
           sqlNumber(Variant(rate), QStringLiteral("FattoreCambio"));
}

QString amountTail(const ImportiSqlInput& input) {
    return SIGN + fattoreCambioSql(input.FattoreCambio) + QStringLiteral(" , ") +
           QString::number(input.NrDecimali) + QStringLiteral(")");
}

QString tipoDettaglioSql(const SetConfronto& set) {
    return sqlNumber(NVL(set.CFR_TIPODETT, Variant(0)), QStringLiteral("CFR_TIPODETT"));
}

bool isForecast(const SetConfronto& set) {
    const Variant tipo = NVL(set.CFR_TIPODETT, Variant(0));
    const std::optional<Decimal> value = tipo.toDecimal();
    if (!value) {
        throw SqlValueError(QStringLiteral("tipo dettaglio non numerico (CFR_TIPODETT): '%1'")
                                .arg(tipo.toString())
                                .toStdString());
    }
    return *value > Decimal(2);
}

std::optional<QString> consolidatedCompanies(const ImportiSqlInput& input,
                                             const SetConfronto& set) {
    // The service is asked for every set, even when consolidation is off: the host object
    // reports its own load errors to the user on each call.
    const Variant aziende = input.IsAziendaPrincipale(NVL(set.CFR_ANNO, Variant(0)));
    const bool consolidato = input.IsConsolidoMultiAtt && input.IsMultiAttivita &&
                             !NVL(set.CFR_ANNO, Variant()).isEmpty() &&
                             !NVL(aziende, Variant()).isEmpty();
    if (!consolidato) {
        return std::nullopt;
    }
    return input.IsAziendaPrincipale(set.CFR_ANNO).toString();
}

void line(QString& sql, const QString& text) {
    sql += text;
    sql += CRLF;
}

QString byKind(const ImportiSqlInput& input, const char* generalLedger, const char* ceeSchedule,
               const char* reclassified) {
    switch (input.IndTipoPdc) {
    case 1:
        return QString::fromUtf8(generalLedger);
    case 2:
        return QString::fromUtf8(ceeSchedule);
    default:
        return QString::fromUtf8(reclassified);
    }
}

bool hasStructure(const ImportiSqlInput& input) {
    return !NVL(input.CodStrutturaBU60, Variant()).isEmpty();
}

void appendDescriptionColumn(QString& sql, const ImportiSqlInput& input) {
    line(sql, byKind(input, "         CG24_DESCR                      AS CONTO_DES , ",
                     "         CG23_DESCR                      AS CONTO_DES , ",
                     "         PC03_ANAGPDC_RICL.PC03_DESCR    AS CONTO_DES , "));
}

QString stessaNatura(const QString& left, const QString& right) {
    return "COALESCE(" + left + ", -1) = COALESCE(" + right + ", -1) ";
}

QString periodRange(const ImportiSqlInput& input) {
    return sqlNumber(input.PeriodoDa, "PeriodoDa") + " AND " +
           sqlNumber(input.PeriodoA, "PeriodoA");
}

void appendYearAndSite(QString& sql, const ImportiSqlInput& input, const SetConfronto& set) {
    line(sql, "     AND     BU65_ANNO = " + sqlNumber(NVL(set.CFR_ANNO, Variant(0)), "CFR_ANNO"));
    line(sql, "     AND     BU65_PROGESER = " +
                  sqlNumber(NVL(set.CFR_PROGESER, Variant(0)), "CFR_PROGESER"));
    if (!input.IsConsolidoMultiAtt && input.IsGestioneSede) {
        line(sql, "     AND     BU65_CODICE_CG31 = " +
                      sqlNumber(NVL(set.CFR_SEDE, Variant(0)), "CFR_SEDE"));
    }
}

} // namespace sql_importi

namespace {

using sql_importi::byKind;
using sql_importi::hasStructure;
using sql_importi::line;

void appendCteBu50(QString& sql, const ImportiSqlInput& input) {
    line(sql, "; WITH CTE_BU50 AS ");
    line(sql, "  ( ");
    sql += "     SELECT  DISTINCT  BU50_CODICE_BU19, ";
    if (hasStructure(input)) {
        // With a budget structure the chart code is a constant column and accounts come
        // from the structure's own account column.
        line(sql, " BU50_CODICE_BU60 , ");
        line(sql, sqlText(input.CodPdc) + " AS BU50_PDC , BU50_CONTO_BU61 AS BU50_CONTO ");
    } else {
        line(sql, byKind(input, " BU50_GRUPPO_CG10 AS BU50_PDC , BU50_CONTO_CG24 AS BU50_CONTO ",
                         " BU50_CODICE_CG21 AS BU50_PDC , BU50_CODICE_CG23 AS BU50_CONTO ",
                         " BU50_CODICE_PC01 AS BU50_PDC , BU50_CONTO_PC03 AS BU50_CONTO "));
    }
    line(sql, "     FROM    BU50_CORRPDCVOCI    WITH(NOLOCK) ");
    line(sql, "     WHERE   BU50_CODICE_BU51 = " + sqlText(input.CodCriterio));
    if (hasStructure(input)) {
        line(sql, "     AND     BU50_CODICE_BU60 = " + sqlText(input.CodStrutturaBU60));
        line(sql, "     AND NOT BU50_CONTO_BU61 IS NULL ");
    } else {
        line(sql, byKind(input, "     AND     BU50_GRUPPO_CG10 = ",
                         "     AND     BU50_CODICE_CG21 = ", "     AND     BU50_CODICE_PC01 = ") +
                      sqlText(input.CodPdc));
    }
    line(sql, "  ) ");
    // Each mapped account once, however many items the criterion maps it under: the sets'
    // tables sum every detail row of an account a single time.
    line(sql, ", CTE_CONTI AS ");
    line(sql, "  ( ");
    line(sql, "     SELECT  DISTINCT  BU50_PDC , BU50_CONTO FROM CTE_BU50 ");
    line(sql, "  ) ");
}

void appendAmountColumn(QString& sql, const ImportiSqlInput& input, bool forecast) {
    const QString tail = sql_importi::amountTail(input);
    if (!forecast) {
        line(sql, "         ,   SUM(ROUND(BU66_IMPORTO" + tail + ") AS IMPORTO ");
        line(sql, "     FROM    BU66_DETBUDGET WITH (NOLOCK)    ");
        return;
    }
    // A forecast period that already has its actual amount shows the actual one.
    line(sql, "             --# Se Set di Confronto è di TipoDettaglio Forecast Join con relativo "
              "Consuntivo ");
    line(sql, "         ,   SUM(CASE WHEN BU66_CONS.BU66_IMPORTO IS NULL ");
    line(sql, "                 THEN    ROUND(BU66_FORECAST.BU66_IMPORTO " + tail);
    line(sql, "                 ELSE    ROUND(BU66_CONS.BU66_IMPORTO     " + tail);
    line(sql, "                 END) AS IMPORTO ");
    line(sql, "     FROM    BU66_DETBUDGET AS BU66_FORECAST WITH (NOLOCK) ");
}

void appendActualsJoin(QString& sql) {
    line(sql, "     --# Se Set di Confronto è di TipoDettaglio Forecast Join con relativo "
              "Consuntivo ");
    line(sql, "     LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS WITH (NOLOCK) ");
    line(sql, "     ON      BU66_CONS.BU66_ID_BU65 = BU66_FORECAST.BU66_ID_BU65 ");
    line(sql, "     AND     BU66_CONS.BU66_PERIODO = BU66_FORECAST.BU66_PERIODO ");
    line(sql, "     AND     BU66_CONS.BU66_TIPO = 1 ");
    line(sql, "     --# ");
}

void appendCompanyFilter(QString& sql, const ImportiSqlInput& input, const SetConfronto& set) {
    const std::optional<QString> aziende = sql_importi::consolidatedCompanies(input, set);
    if (!aziende) {
        line(sql, "     AND     BU65_DITTA_CG18 = " + QString::number(input.CodDitta));
        return;
    }
    line(sql, "     AND     BU65_DITTA_CG18 IN ");
    line(sql, "         ( " + *aziende + " ) ");
}

void appendTypeAndPeriods(QString& sql, const ImportiSqlInput& input, const SetConfronto& set,
                          bool forecast) {
    const QString periods = sql_importi::periodRange(input);
    const QString tipo = sql_importi::tipoDettaglioSql(set);
    if (!forecast) {
        line(sql, "     AND     BU66_TIPO = " + tipo);
        line(sql, "     AND     BU66_PERIODO BETWEEN " + periods);
        return;
    }
    line(sql, "     --# Se Set di Confronto è di TipoDettaglio Forecast Join con relativo "
              "Consuntivo ");
    line(sql, "     AND     BU66_FORECAST.BU66_TIPO = " + tipo);
    line(sql, "     AND     BU66_FORECAST.BU66_PERIODO BETWEEN " + periods);
}

void appendSetTable(QString& sql, const ImportiSqlInput& input, const SetConfronto& set,
                    int number) {
    const bool forecast = sql_importi::isForecast(set);
    line(sql, ", CTE_" + QString::number(number) + " AS ");
    line(sql, "  ( ");
    sql += "     SELECT ";
    line(sql, byKind(input, "            BU65_GRUPPO_CG10 AS PDC , BU65_CONTO_CG24  AS CONTO  ",
                     "            BU65_CODICE_CG21 AS PDC , BU65_CODICE_CG23 AS CONTO  ",
                     "            BU65_CODICE_PC01 AS PDC , BU65_CONTO_PC03  AS CONTO  "));
    line(sql, "         ,   BU65_INDNATCONTO  ");
    appendAmountColumn(sql, input, forecast);
    line(sql, "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ");
    line(sql, "     INNER JOIN CTE_CONTI ON ");
    line(sql, byKind(input, "             BU65_GRUPPO_CG10 = CTE_CONTI.BU50_PDC   ",
                     "             BU65_CODICE_CG21 = CTE_CONTI.BU50_PDC   ",
                     "             BU65_CODICE_PC01 = CTE_CONTI.BU50_PDC   "));
    line(sql, byKind(input, "     AND     BU65_CONTO_CG24 = CTE_CONTI.BU50_CONTO  ",
                     "     AND     BU65_CODICE_CG23 = CTE_CONTI.BU50_CONTO ",
                     "     AND     BU65_CONTO_PC03 = CTE_CONTI.BU50_CONTO  "));
    if (forecast) {
        appendActualsJoin(sql);
    }
    line(sql, "     WHERE   BU65_INDTIPO_BU01 = " + QString::number(input.IndTipoBudget));
    line(sql, "     AND     BU65_SOTTOTIPO_BU01 = " + sqlText(input.CodSottotipo));
    appendCompanyFilter(sql, input, set);
    sql_importi::appendYearAndSite(sql, input, set);
    appendTypeAndPeriods(sql, input, set, forecast);
    sql += byKind(input, "     GROUP BY BU65_GRUPPO_CG10, BU65_CONTO_CG24 ",
                  "     GROUP BY BU65_CODICE_CG21, BU65_CODICE_CG23 ",
                  "     GROUP BY BU65_CODICE_PC01, BU65_CONTO_PC03 ");
    line(sql, " , BU65_INDNATCONTO ");
    line(sql, "  ) ");
}

void appendFinalSelect(QString& sql, const ImportiSqlInput& input, const QString& columns,
                       const QString& joins) {
    line(sql, " SELECT  CTE_BU50.BU50_CODICE_BU19 AS VOCE , ");
    line(sql, "         CTE_BU50.BU50_PDC AS PDC, CTE_BU50.BU50_CONTO AS CONTO , ");
    sql_importi::appendDescriptionColumn(sql, input);
    line(sql, columns);
    line(sql, " FROM    CTE_BU50 ");
    line(sql, " --# LeftOuterJoin da CTE_BU50 alle CTE_N ");
    line(sql, joins);
    const QString ditta = QString::number(input.CodDitta);
    switch (input.IndTipoPdc) {
    case 1:
        line(sql, " OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, " + ditta +
                      ", " + sqlText(input.CodLingua) + ") AS CG24_TABPDC ");
        break;
    case 2:
        line(sql, " LEFT OUTER JOIN CG23_RICLBILCEE WITH (NOLOCK) ");
        line(sql, " ON   CTE_BU50.BU50_PDC = CG23_CODICE_CG21 ");
        line(sql, " AND  CTE_BU50.BU50_CONTO = CG23_CODICE ");
        break;
    default:
        line(sql, " OUTER APPLY FNPC03_ANAGPDC_COGE(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, " +
                      ditta + " , Null) AS PC03_ANAGPDC_RICL ");
        break;
    }
}

// The natures that any set's table has for each account: an account whose headers have
// both natures gives one result row per nature, each set's column holding its own amount of
// that nature, so that no set's rows multiply another's.
void appendCteNature(QString& sql, int sets) {
    line(sql, ", CTE_NATURE AS ");
    line(sql, "  ( ");
    for (int number = 1; number <= sets; ++number) {
        if (number > 1) {
            line(sql, "     UNION ");
        }
        line(sql, "     SELECT  PDC , CONTO , BU65_INDNATCONTO FROM CTE_" +
                      QString::number(number) + " ");
    }
    line(sql, "  ) ");
}

} // namespace

QString BuildSqlImportiPerConto(const ImportiSqlInput& input) {
    sql_importi::checkInput(input);
    QString sql;
    QString joins;
    QString columns;
    appendCteBu50(sql, input);
    line(joins, " LEFT OUTER JOIN CTE_NATURE ON  CTE_BU50.BU50_PDC = CTE_NATURE.PDC AND "
                " CTE_BU50.BU50_CONTO = CTE_NATURE.CONTO ");
    int number = 0;
    for (const SetConfronto& set : input.sets) {
        ++number;
        const QString cte = "CTE_" + QString::number(number);
        appendSetTable(sql, input, set, number);
        line(joins, " LEFT OUTER JOIN " + cte + " ON  CTE_NATURE.PDC = " + cte +
                        ".PDC AND  CTE_NATURE.CONTO = " + cte + ".CONTO AND " +
                        sql_importi::stessaNatura("CTE_NATURE.BU65_INDNATCONTO",
                                                  cte + ".BU65_INDNATCONTO"));
        if (!columns.isEmpty()) {
            columns += " , ";
        }
        line(columns, " " + cte + ".IMPORTO AS IMP" + QString::number(number));
    }
    appendCteNature(sql, number);
    line(columns, " ,  CTE_NATURE.BU65_INDNATCONTO AS NATURA");
    appendFinalSelect(sql, input, columns, joins);
    return sql;
}

} // namespace bdg
