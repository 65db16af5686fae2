// The two amount batches are compared whole with texts written out line by line from the
// statements they must send, line ends included: a blank too many or a missing CR changes
// what the database tools read, so nothing short of the whole text is checked. The other
// charts, forecasts, sites and budget structures run on both engines in the fixture companies.

#include "data/sql_literal.h"
#include "engine/sql_importi_per_conto.h"
#include "engine/sql_importi_per_conto_periodo.h"

#include <QStringList>
#include <QTest>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::ImportiSqlInput)

namespace {

// The lines joined as the database receives them: every line ends in CR LF.
QString crlf(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line + QStringLiteral("\r\n");
    }
    return text;
}

// `lines` with every line equal to `from` replaced by `to` (none, one or more lines).
QStringList replaced(const QStringList& lines, const QString& from, const QStringList& to) {
    if (!lines.contains(from)) {
        qFatal("test text lacks the line '%s'", qPrintable(from));
    }
    QStringList out;
    for (const QString& line : lines) {
        if (line == from) {
            out << to;
        } else {
            out << line;
        }
    }
    return out;
}

SetConfronto set(const Variant& tipo, const Variant& anno, const Variant& progEser,
                 const Variant& sede = Variant::null()) {
    return SetConfronto{tipo, anno, progEser, sede};
}

// Company 1, criterion CR01, subtype SB1 of budget type 5 on chart 01, periods 1 to 12,
// one budget set of 2026/1; the main-company service has nothing to consolidate.
ImportiSqlInput baseInput(int kind) {
    ImportiSqlInput input;
    input.IndTipoPdc = kind;
    input.CodPdc = "01";
    input.CodStrutturaBU60 = Variant::null();
    input.CodCriterio = "CR01";
    input.IndTipoBudget = 5;
    input.CodSottotipo = "SB1";
    input.CodDitta = 1;
    input.CodLingua = "ITA ";
    input.NrDecimali = 2;
    input.PeriodoDa = 1;
    input.PeriodoA = 12;
    input.sets = {set("0", 2026, 1)};
    input.IsAziendaPrincipale = [](const Variant&) { return Variant(QString()); };
    return input;
}

ImportiSqlInput consolidating(ImportiSqlInput input, const QString& aziende) {
    input.IsConsolidoMultiAtt = true;
    input.IsMultiAttivita = true;
    input.IsGestioneSede = true;
    input.sets = {set("0", 2026, 1, 4)};
    input.IsAziendaPrincipale = [aziende](const Variant& anno) {
        return anno.toString() == QLatin1String("2026") ? Variant(aziende) : Variant(QString());
    };
    return input;
}

// Per account, chart kind 1, one budget set.
const QStringList kContoGeneralLedger = {
    "; WITH CTE_BU50 AS ",
    "  ( ",
    "     SELECT  DISTINCT  BU50_CODICE_BU19, "
    " BU50_GRUPPO_CG10 AS BU50_PDC , BU50_CONTO_CG24 AS BU50_CONTO ",
    "     FROM    BU50_CORRPDCVOCI    WITH(NOLOCK) ",
    "     WHERE   BU50_CODICE_BU51 = 'CR01'",
    "     AND     BU50_GRUPPO_CG10 = '01'",
    "  ) ",
    ", CTE_CONTI AS ",
    "  ( ",
    "     SELECT  DISTINCT  BU50_PDC , BU50_CONTO FROM CTE_BU50 ",
    "  ) ",
    ", CTE_1 AS ",
    "  ( ",
    "     SELECT "
    "            BU65_GRUPPO_CG10 AS PDC , BU65_CONTO_CG24  AS CONTO  ",
    "         ,   BU65_INDNATCONTO  ",
    "         ,   SUM(ROUND(BU66_IMPORTO"
    " * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END)"
    " , 2)) AS IMPORTO ",
    "     FROM    BU66_DETBUDGET WITH (NOLOCK)    ",
    "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ",
    "     INNER JOIN CTE_CONTI ON ",
    "             BU65_GRUPPO_CG10 = CTE_CONTI.BU50_PDC   ",
    "     AND     BU65_CONTO_CG24 = CTE_CONTI.BU50_CONTO  ",
    "     WHERE   BU65_INDTIPO_BU01 = 5",
    "     AND     BU65_SOTTOTIPO_BU01 = 'SB1'",
    "     AND     BU65_DITTA_CG18 = 1",
    "     AND     BU65_ANNO = 2026",
    "     AND     BU65_PROGESER = 1",
    "     AND     BU66_TIPO = 0",
    "     AND     BU66_PERIODO BETWEEN 1 AND 12",
    "     GROUP BY BU65_GRUPPO_CG10, BU65_CONTO_CG24 "
    " , BU65_INDNATCONTO ",
    "  ) ",
    ", CTE_NATURE AS ",
    "  ( ",
    "     SELECT  PDC , CONTO , BU65_INDNATCONTO FROM CTE_1 ",
    "  ) ",
    " SELECT  CTE_BU50.BU50_CODICE_BU19 AS VOCE , ",
    "         CTE_BU50.BU50_PDC AS PDC, CTE_BU50.BU50_CONTO AS CONTO , ",
    "         CG24_DESCR                      AS CONTO_DES , ",
    " CTE_1.IMPORTO AS IMP1",
    " ,  CTE_NATURE.BU65_INDNATCONTO AS NATURA",
    "",
    " FROM    CTE_BU50 ",
    " --# LeftOuterJoin da CTE_BU50 alle CTE_N ",
    " LEFT OUTER JOIN CTE_NATURE ON  CTE_BU50.BU50_PDC = CTE_NATURE.PDC AND "
    " CTE_BU50.BU50_CONTO = CTE_NATURE.CONTO ",
    " LEFT OUTER JOIN CTE_1 ON  CTE_NATURE.PDC = CTE_1.PDC AND  CTE_NATURE.CONTO = CTE_1.CONTO "
    "AND COALESCE(CTE_NATURE.BU65_INDNATCONTO, -1) = COALESCE(CTE_1.BU65_INDNATCONTO, -1) ",
    "",
    " OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, 'ITA ') AS "
    "CG24_TABPDC ",
};

// Per account and period, chart kind 1, one budget set.
const QStringList kPeriodoGeneralLedger = {
    " --# BdgIntRic_GetRstImportiPerContoPeriodo ",
    "; WITH CTE_BUDGET AS ",
    "  ( ",
    "     SELECT DISTINCT   ",
    "             BU50_CODICE_BU19, ",
    "             BU50_GRUPPO_CG10 AS BU50_PDC , BU50_CONTO_CG24  AS BU50_CONTO , ",
    "             BU65_INDNATCONTO AS NATURA , ",
    "             BU66_PERIODO ",
    "     FROM    BU66_DETBUDGET WITH (NOLOCK) ",
    "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ",
    "     INNER JOIN BU50_CORRPDCVOCI ON  ",
    "             BU50_CORRPDCVOCI.BU50_GRUPPO_CG10 = BU65_TESBUDGET.BU65_GRUPPO_CG10 ",
    "     AND     BU50_CORRPDCVOCI.BU50_CONTO_CG24 = BU65_TESBUDGET.BU65_CONTO_CG24 ",
    "     WHERE   BU50_CODICE_BU51 = 'CR01'",
    "     AND     BU50_GRUPPO_CG10 = '01'",
    "     AND     BU65_INDTIPO_BU01 = 5",
    "     AND     BU65_SOTTOTIPO_BU01 = 'SB1'",
    "     AND     BU66_PERIODO BETWEEN 1 AND 12",
    "  ) ",
    ", CTE_1 AS ",
    "  ( ",
    "     SELECT  CTE_BUDGET.BU50_CODICE_BU19 AS VOCE  ",
    "      ,       BU65_GRUPPO_CG10 AS PDC , BU65_CONTO_CG24  AS CONTO  ",
    "        ,    CTE_BUDGET.NATURA AS NATURA ",
    "        ,    BU66_DETBUDGET.BU66_PERIODO AS PERIODO ",
    "        ,  SUM(ROUND(BU66_IMPORTO "
    " * (CASE WHEN BU65_INDNATCONTO = 2 THEN -1 ELSE 1 END)"
    " , 2)) AS IMPORTO ",
    "     FROM    BU66_DETBUDGET WITH (NOLOCK) ",
    "     INNER JOIN BU65_TESBUDGET ON BU65_TESBUDGET.BU65_ID = BU66_ID_BU65 ",
    "     INNER JOIN CTE_BUDGET ON ",
    "             BU65_GRUPPO_CG10 = CTE_BUDGET.BU50_PDC   ",
    "     AND     BU65_CONTO_CG24 = CTE_BUDGET.BU50_CONTO  ",
    "     AND     BU66_DETBUDGET.BU66_PERIODO = CTE_BUDGET.BU66_PERIODO ",
    "     AND     COALESCE(BU65_TESBUDGET.BU65_INDNATCONTO, -1) = COALESCE(CTE_BUDGET.NATURA, -1) ",
    "     WHERE   BU65_INDTIPO_BU01 = 5",
    "     AND     BU65_SOTTOTIPO_BU01 = 'SB1'",
    "     AND     BU65_DITTA_CG18 = 1",
    "     AND     BU65_ANNO = 2026",
    "     AND     BU65_PROGESER = 1",
    "     AND     BU66_TIPO = 0",
    "     GROUP BY CTE_BUDGET.BU50_CODICE_BU19, ",
    "     BU65_GRUPPO_CG10, BU65_CONTO_CG24 , BU66_DETBUDGET.BU66_PERIODO ",
    "     , CTE_BUDGET.NATURA ",
    "  ) ",
    " --# Select Finale Su CTE_BUDGET ",
    " SELECT DISTINCT ",
    "         CTE_BUDGET.BU50_CODICE_BU19 AS VOCE, ",
    "         CTE_BUDGET.BU50_PDC AS PDC, CTE_BUDGET.BU50_CONTO AS CONTO ,",
    "         CTE_BUDGET.BU66_PERIODO AS PERIODO, ",
    " --# Descrizione Conto ",
    "         CG24_DESCR                      AS CONTO_DES , ",
    " CTE_1.IMPORTO AS IMP1",
    " ,  CTE_BUDGET.NATURA AS NATURA",
    "",
    " FROM    CTE_BUDGET ",
    " --# LeftOuterJoin da CTE_BUDGET alle CTE_N ",
    " LEFT OUTER JOIN CTE_1 ON "
    " CTE_BUDGET.BU50_PDC = CTE_1.PDC AND "
    " CTE_BUDGET.BU50_CONTO = CTE_1.CONTO AND"
    " CTE_BUDGET.BU66_PERIODO = CTE_1.PERIODO AND"
    " CTE_BUDGET.BU50_CODICE_BU19 = CTE_1.VOCE AND "
    "COALESCE(CTE_BUDGET.NATURA, -1) = COALESCE(CTE_1.NATURA, -1) ",
    "",
    " --# LeftOuterJoin Descrizioni ",
    " OUTER APPLY FNCG_CG24_CONTO(CTE_BUDGET.BU50_PDC, CTE_BUDGET.BU50_CONTO, 1, 'ITA ') AS "
    "CG24_TABPDC ",
    " ORDER BY VOCE, PDC, CONTO, PERIODO, NATURA ",
};

ImportiSqlInput withStructure(ImportiSqlInput input) {
    input.CodStrutturaBU60 = "ST1";
    return input;
}

ImportiSqlInput withQuotes() {
    ImportiSqlInput input = baseInput(1);
    input.CodCriterio = "CR'1";
    input.CodSottotipo = "S'B";
    input.CodPdc = "0'1";
    input.CodLingua = "IT'";
    return input;
}

} // namespace

class TestSqlImporti : public QObject {
    Q_OBJECT

private slots:
    void perContoTextIsExact_data() {
        QTest::addColumn<ImportiSqlInput>("input");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("general ledger, one budget set") << baseInput(1) << kContoGeneralLedger;
        QTest::newRow("budget structure: constant chart code, structure accounts")
            << withStructure(baseInput(1))
            << replaced(replaced(kContoGeneralLedger,
                                 "     SELECT  DISTINCT  BU50_CODICE_BU19, "
                                 " BU50_GRUPPO_CG10 AS BU50_PDC , BU50_CONTO_CG24 AS BU50_CONTO ",
                                 {"     SELECT  DISTINCT  BU50_CODICE_BU19, "
                                  " BU50_CODICE_BU60 , ",
                                  "'01' AS BU50_PDC , BU50_CONTO_BU61 AS BU50_CONTO "}),
                        "     AND     BU50_GRUPPO_CG10 = '01'",
                        {"     AND     BU50_CODICE_BU60 = 'ST1'",
                         "     AND NOT BU50_CONTO_BU61 IS NULL "});
        QTest::newRow("consolidation: group companies, no site filter")
            << consolidating(baseInput(1), "1, 2, 5")
            << replaced(kContoGeneralLedger, "     AND     BU65_DITTA_CG18 = 1",
                        {"     AND     BU65_DITTA_CG18 IN ", "         ( 1, 2, 5 ) "});
        QTest::newRow("consolidation asked, nothing to consolidate: current company")
            << consolidating(baseInput(1), "  ") << kContoGeneralLedger;
        QTest::newRow("quotes inside codes are doubled")
            << withQuotes()
            << replaced(replaced(replaced(replaced(kContoGeneralLedger,
                                                   "     WHERE   BU50_CODICE_BU51 = 'CR01'",
                                                   {"     WHERE   BU50_CODICE_BU51 = 'CR''1'"}),
                                          "     AND     BU50_GRUPPO_CG10 = '01'",
                                          {"     AND     BU50_GRUPPO_CG10 = '0''1'"}),
                                 "     AND     BU65_SOTTOTIPO_BU01 = 'SB1'",
                                 {"     AND     BU65_SOTTOTIPO_BU01 = 'S''B'"}),
                        " OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, "
                        "'ITA ') AS CG24_TABPDC ",
                        {" OUTER APPLY FNCG_CG24_CONTO(CTE_BU50.BU50_PDC, CTE_BU50.BU50_CONTO, 1, "
                         "'IT''') AS CG24_TABPDC "});
    }

    void perContoTextIsExact() {
        // Scenario: each branch of the per-account batch gives exactly its lines.
        QFETCH(ImportiSqlInput, input);
        QFETCH(QStringList, expected);
        QCOMPARE(BuildSqlImportiPerConto(input), crlf(expected));
    }

    void perContoPeriodoTextIsExact_data() {
        QTest::addColumn<ImportiSqlInput>("input");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("general ledger, one budget set") << baseInput(1) << kPeriodoGeneralLedger;
        QTest::newRow("consolidation: group companies on one line, no site filter")
            << consolidating(baseInput(1), "1, 2, 5")
            << replaced(kPeriodoGeneralLedger, "     AND     BU65_DITTA_CG18 = 1",
                        {"     AND     BU65_DITTA_CG18 IN ( 1, 2, 5 ) "});
    }

    void perContoPeriodoTextIsExact() {
        // Scenario: each branch of the per-period batch gives exactly its lines.
        QFETCH(ImportiSqlInput, input);
        QFETCH(QStringList, expected);
        QCOMPARE(BuildSqlImportiPerContoPeriodo(input), crlf(expected));
    }

    void inputThatCannotGiveAStatementIsRefused_data() {
        QTest::addColumn<ImportiSqlInput>("input");

        ImportiSqlInput year = baseInput(1);
        year.sets = {set("0", "20x6", 1)};
        QTest::newRow("year") << year;
        ImportiSqlInput progressive = baseInput(1);
        progressive.sets = {set("0", 2026, "1; DROP TABLE BU66_DETBUDGET")};
        QTest::newRow("progressive") << progressive;
        ImportiSqlInput site = baseInput(1);
        site.IsGestioneSede = true;
        site.sets = {set("0", 2026, 1, "A1")};
        QTest::newRow("site") << site;
        ImportiSqlInput type = baseInput(1);
        type.sets = {set("budget", 2026, 1)};
        QTest::newRow("detail type") << type;
        ImportiSqlInput first = baseInput(1);
        first.PeriodoDa = "gennaio";
        QTest::newRow("first period") << first;
        ImportiSqlInput last = baseInput(1);
        last.PeriodoA = Variant::null();
        QTest::newRow("last period missing") << last;
        ImportiSqlInput rate = baseInput(1);
        rate.FattoreCambio = " * 1.5 OR 1=1";
        QTest::newRow("rate") << rate;
        ImportiSqlInput operation = baseInput(1);
        operation.FattoreCambio = " + 1.5";
        QTest::newRow("rate operation") << operation;
        QTest::newRow("chart kind 0") << baseInput(0);
        QTest::newRow("chart kind 4") << baseInput(4);
        ImportiSqlInput noSets = baseInput(1);
        noSets.sets.clear();
        QTest::newRow("no comparison set") << noSets;
    }

    void inputThatCannotGiveAStatementIsRefused() {
        // Scenario: a value that goes into the text as a number but is not one, or a chart kind
        // or set list that would only give a broken statement, stops both batches with a reason.
        QFETCH(ImportiSqlInput, input);
        QVERIFY_THROWS_EXCEPTION(SqlValueError, BuildSqlImportiPerConto(input));
        QVERIFY_THROWS_EXCEPTION(SqlValueError, BuildSqlImportiPerContoPeriodo(input));
    }
};

QTEST_GUILESS_MAIN(TestSqlImporti)
#include "test_sql_importi.moc"
