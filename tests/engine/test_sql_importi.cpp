// The two amount batches are compared whole with texts written out line by line (in
// tests/fixtures/importi_per_conto*.txt) from the statements they must send, line ends
// included: a blank too many or a missing CR changes what the database tools read, so nothing
// short of the whole text is checked. The other charts, forecasts, sites and budget structures
// run on both engines in the fixture companies.

#include "data/sql_literal.h"
#include "engine/sql_importi_per_conto.h"
#include "engine/sql_importi_per_conto_periodo.h"
#include "support/fixture_runner.h"

#include <QStringList>
#include <QTest>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::ImportiSqlInput)

namespace {

// The lines joined as the database receives them: every line ends in CR LF.
QString crlf(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// `lines` with every line equal to `from` replaced by `to` (none, one or more lines).
QStringList replaced(const QStringList& lines, const QString& from, const QStringList& to) {
    if (!lines.contains(from))
        qFatal("test text lacks the line '%s'", qPrintable(from));
    QStringList out;
    for (const QString& line : lines)
        out << (line == from ? to : QStringList{line});
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

// The lines of a batch written out by hand in tests/fixtures (chart kind 1, one budget set);
// trailing blanks are part of the text.
QStringList expectedLines(const char* name) {
    const auto text = bdg::test::readTextFile(bdg::test::fixturePath(name, ".txt"));
    if (!text)
        qFatal("missing expected text %s", name);
    QStringList lines = text->split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

const QStringList kContoGeneralLedger = expectedLines("importi_per_conto");
const QStringList kPeriodoGeneralLedger = expectedLines("importi_per_conto_periodo");

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
    void batchTextIsExact_data() {
        QTest::addColumn<bool>("perPeriod");
        QTest::addColumn<ImportiSqlInput>("input");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("general ledger, one budget set")
            << false << baseInput(1) << kContoGeneralLedger;
        QTest::newRow("budget structure: constant chart code, structure accounts")
            << false << withStructure(baseInput(1))
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
            << false << consolidating(baseInput(1), "1, 2, 5")
            << replaced(kContoGeneralLedger, "     AND     BU65_DITTA_CG18 = 1",
                        {"     AND     BU65_DITTA_CG18 IN ", "         ( 1, 2, 5 ) "});
        QTest::newRow("consolidation asked, nothing to consolidate: current company")
            << false << consolidating(baseInput(1), "  ") << kContoGeneralLedger;
        QTest::newRow("quotes inside codes are doubled")
            << false << withQuotes()
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
        QTest::newRow("per period: general ledger, one budget set")
            << true << baseInput(1) << kPeriodoGeneralLedger;
        QTest::newRow("per period: consolidation, group companies on one line")
            << true << consolidating(baseInput(1), "1, 2, 5")
            << replaced(kPeriodoGeneralLedger, "     AND     BU65_DITTA_CG18 = 1",
                        {"     AND     BU65_DITTA_CG18 IN ( 1, 2, 5 ) "});
    }

    void batchTextIsExact() {
        // Each branch of the per-account and the per-period batch gives exactly its lines.
        QFETCH(bool, perPeriod);
        QFETCH(ImportiSqlInput, input);
        QFETCH(QStringList, expected);
        QCOMPARE(perPeriod ? BuildSqlImportiPerContoPeriodo(input) : BuildSqlImportiPerConto(input),
                 crlf(expected));
    }

    void inputThatCannotGiveAStatementIsRefused_data() {
        QTest::addColumn<ImportiSqlInput>("input");
        using Change = void (*)(ImportiSqlInput&);
        const auto row = [](const char* name, Change change, int kind = 1) {
            ImportiSqlInput input = baseInput(kind);
            change(input);
            QTest::newRow(name) << input;
        };
        row("year", [](ImportiSqlInput& i) { i.sets = {set("0", "20x6", 1)}; });
        row("progressive",
            [](ImportiSqlInput& i) { i.sets = {set("0", 2026, "1; DROP TABLE BU66_DETBUDGET")}; });
        row("site", [](ImportiSqlInput& i) {
            i.IsGestioneSede = true;
            i.sets = {set("0", 2026, 1, "A1")};
        });
        row("detail type", [](ImportiSqlInput& i) { i.sets = {set("budget", 2026, 1)}; });
        row("first period", [](ImportiSqlInput& i) { i.PeriodoDa = "gennaio"; });
        row("last period missing", [](ImportiSqlInput& i) { i.PeriodoA = Variant::null(); });
        row("rate", [](ImportiSqlInput& i) { i.FattoreCambio = " * 1.5 OR 1=1"; });
        row("rate operation", [](ImportiSqlInput& i) { i.FattoreCambio = " + 1.5"; });
        row(
            "chart kind 0", [](ImportiSqlInput&) {}, 0);
        row(
            "chart kind 4", [](ImportiSqlInput&) {}, 4);
        row("no comparison set", [](ImportiSqlInput& i) { i.sets.clear(); });
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
