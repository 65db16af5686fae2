// The two amount queries on the small company of tests/fixtures/importi.sql, whose every
// amount is worked out in its comment.

#include "engine/importi_query.h"
#include "support/fixture_runner.h"
#include "support/text_rows.h"

#include <QTest>

using namespace bdg;

namespace {

// The company's rows, read once.
const QStringList& companyRows() {
    static const QStringList rows =
        test::scriptStatements(test::readTextFile(test::fixturePath("importi", ".sql")).value());
    return rows;
}

struct Company : test::HostedCompany {
    explicit Company(const QString& engine) : HostedCompany(engine, companyRows()) {}

    FormState state() {
        FormState result = HostedCompany::state(1);
        result.CodLingua = "ITA";
        result.IndTipoBudget = 5;
        result.CodSottotipo = "SB1";
        result.CodCriterio = "CR01";
        result.CodStrutturaBU60 = Variant::null();
        result.PeriodoDa = 1;
        result.PeriodoA = 2;
        result.NrDecimali = 2;
        result.Gcls_Log = &log;
        result.ObjBudget = &budget;
        // Budget 2026/1 and forecast 1 2026/1, entered in the reverse order of their sequence.
        result.RstConfronto =
            test::table("CFR_SEQUENZA:i CFR_TIPODETT:v15 CFR_ANNO:i CFR_PROGESER:i CFR_SEDE:i",
                        {"2|3|2026|1|", "1|0|2026|1|"});
        return result;
    }

    QTemporaryDir logFolder;
    HostLog log{&global, logFolder.filePath("bdgintric.log")};
    BudgetObject budget{&connection, database.connectionString(), 5, 1};
};

// One "a|b|..." line per row over `fields`, amounts normalised, "-" for Null.
QStringList rowsOf(Recordset& result, std::initializer_list<const char*> fields) {
    QStringList rows;
    for (result.MoveFirst(); !result.Eof(); result.MoveNext()) {
        QStringList row;
        for (const char* field : fields) {
            const Variant value = result.value(QString::fromLatin1(field));
            row << (value.isNullOrEmpty() ? QStringLiteral("-")
                    : value.isNumeric()   ? value.toDecimal()->normalized().toString()
                                          : value.toString());
        }
        rows << row.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestImportiQuery : public QObject {
    Q_OBJECT

private slots:
    void bothQueriesReadEverySetWithSignsRoundingAndActuals_data() { test::addEngineRows(); }

    void bothQueriesReadEverySetWithSignsRoundingAndActuals() {
        // Scenario: the worked company above, per account and per account and period, the
        // forecast never replaced; a criterion without mappings makes both answer null, and
        // nobody is asked.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, company, engine);
        FormState state = company.state();
        const int executions = ImportiQueryTimer::executions();
        const RecordsetPtr result = BdgIntRic_GetRstImportiPerConto(state, *state.RstConfronto);
        QVERIFY2(result, qPrintable(company.log.lastErrorText()));
        QCOMPARE(ImportiQueryTimer::executions(), executions + 1);
        QCOMPARE(state.IndTipoPdc, 1);
        QCOMPARE(state.CodPdc.toString(), QStringLiteral("01"));
        QVERIFY(state.RstConfronto->Eof());
        result->setSort(QStringLiteral("VOCE, CONTO"));
        QCOMPARE(
            rowsOf(*result, {"VOCE", "CONTO", "IMP1", "IMP2", "CONTO_DES", "PDC"}),
            QStringList({"V1|100|30.26|71|Ricavi|01", "V2|200|-5|-|Costi|01", "V2|300|-|-|-|01"}));

        const RecordsetPtr periods =
            BdgIntRic_GetRstImportiPerContoPeriodo(state, *state.RstConfronto);
        QVERIFY2(periods, qPrintable(company.log.lastErrorText()));
        QCOMPARE(
            rowsOf(*periods,
                   {"VOCE", "CONTO", "PERIODO", "IMP1", "IMP2", "DELTA_IMP2", "DELTA_PERC2"}),
            QStringList({"V1|100|1|10.13|50|-|-", "V1|100|2|20.13|60|-|-", "V2|200|1|-5|-|-|-"}));

        state.CodCriterio = "NONE";
        QVERIFY(!BdgIntRic_GetRstImportiPerConto(state, *state.RstConfronto));
        QVERIFY(!BdgIntRic_GetRstImportiPerContoPeriodo(state, *state.RstConfronto));
        QVERIFY(company.messages.messages().isEmpty());
    }

    void badValueIsReportedUnderTheProcedureName_data() {
        QTest::addColumn<bool>("perPeriod");
        QTest::addColumn<QString>("procedure");
        QTest::newRow("per account") << false << "BdgIntRic_GetRstImportiPerConto";
        QTest::newRow("per period") << true << "BdgIntRic_GetRstImportiPerContoPeriodo";
    }

    void badValueIsReportedUnderTheProcedureName() {
        // Scenario: a first period that is not a number; the user aborts; nothing is run.
        QFETCH(bool, perPeriod);
        QFETCH(QString, procedure);
        OPEN_TEST_DATABASE(Company, company, QString::fromLatin1(test::SQLiteEngine));
        FormState state = company.state();
        state.PeriodoDa = "gennaio";
        company.messages.queueAnswer(MessageAnswer::Abort);
        const int executions = ImportiQueryTimer::executions();
        const RecordsetPtr result =
            perPeriod ? BdgIntRic_GetRstImportiPerContoPeriodo(state, *state.RstConfronto)
                      : BdgIntRic_GetRstImportiPerConto(state, *state.RstConfronto);
        QVERIFY(!result);
        QCOMPARE(ImportiQueryTimer::executions(), executions);
        const QList<RecordedMessage> errors = company.messages.errors();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].procedureName, procedure);
        QVERIFY2(errors[0].text.contains("gennaio"), qPrintable(errors[0].text));
    }
};

QTEST_GUILESS_MAIN(TestImportiQuery)
#include "test_importi_query.moc"
