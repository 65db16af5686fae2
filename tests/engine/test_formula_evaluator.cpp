#include "data/decimal.h"
#include "data/recordset.h"
#include "engine/formula_evaluator.h"
#include "engine/rst_criterio.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/engine_host.h"

#include <QTemporaryDir>
#include <QTest>

#include <chrono>

using namespace bdg;
using test::amount;
using test::text;
using namespace std::chrono_literals;

namespace {

const QString Caption = QStringLiteral("Budget riclassificato");

/// A criterion table with the root CRIT, the items A, B, C (values per set), and formula
/// items added by the test; no log, so a trapped error is answered with abort.
struct Run : test::EngineHost {
    FormState state;
    int nextKey = 1;

    explicit Run(int sets) {
        state.NrConfronti = std::int16_t(sets);
        state.Gcls_Global = &global;
        state.Gcls_Log = &log;
        state.ObjBudget = &budget;
        state.Caption = Caption;
        state.RstConfronto = std::make_shared<Recordset>();
        state.RstConfronto->appendField(QStringLiteral("CFR_SEQUENZA"), FieldType::Integer);
        state.RstConfronto->Open();
        for (int set = 1; set <= sets; ++set) {
            state.RstConfronto->AddNew();
            state.RstConfronto->setValue(u"CFR_SEQUENZA", Variant(set));
            state.RstConfronto->Update();
        }
        state.RstCriterio = BdgIntRic_DefinisciRstCriterio(state);
        add("CRIT", 4, Variant("CRIT - Criterio"), {});
    }

    void add(const QString& voce, int tipo, const Variant& descrizione,
             const QStringList& importi) {
        Recordset& rs = *state.RstCriterio;
        rs.AddNew();
        rs.setValue(u"KEY_VOCE", Variant(tipo == 4 ? 0 : nextKey++));
        rs.setValue(u"VOCE", Variant(voce));
        rs.setValue(u"VOCEDES", descrizione);
        rs.setValue(u"TIPOVOCE", Variant(tipo));
        rs.setValue(u"TIPORECORD", Variant(tipo == 4 ? "K" : "V"));
        for (int set = 1; set <= importi.size(); ++set) {
            rs.setValue(FieldImp(set), amount(importi.at(set - 1)));
        }
        rs.Update();
    }

    QString imp(const QString& voce, int set = 1) {
        Recordset view = state.RstCriterio->Clone();
        view.setFilter(QStringLiteral("VOCE = '%1'").arg(voce));
        return text(view.value(FieldImp(set)));
    }

    /// The texts of the trapped errors, one a line; empty when the procedures ran clean.
    QString errorTexts() const {
        QStringList texts;
        for (const RecordedMessage& error : messages.errors()) {
            texts << error.procedureName + QStringLiteral(": ") + error.text;
        }
        return texts.join(QLatin1Char('\n'));
    }
};

} // namespace

class TestFormulaEvaluator : public QObject {
    Q_OBJECT

private slots:
    void formulaOfADescription_data();
    void formulaOfADescription();
    void formulaItemValue_data();
    void formulaItemValue();
    void resultRoundsHalfToEven_data();
    void resultRoundsHalfToEven();
    void loopingFormulaIsInterruptedAndTheEngineGoesOn();
    void loopingFormulaItemIsReportedOncePerSet();
    void formulaAddsToWhatTheItemHolds();
    void formulaValuesAreNotAvailableToOtherFormulas();
    void missingDescriptionIsAnErrorOfTheProcedure();
};

void TestFormulaEvaluator::formulaOfADescription_data() {
    QTest::addColumn<QString>("descrizione");
    QTest::addColumn<QString>("formula");

    QTest::newRow("colon") << "Margine:[A10]-[A20]"
                           << "[A10]-[A20]";
    QTest::newRow("blank after colon") << "Totale: [A] + [B]"
                                       << " [A] + [B]";
    QTest::newRow("first colon only") << "a:b:c"
                                      << "b:c";
    QTest::newRow("no colon") << "[A]*2"
                              << "[A]*2";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFormulaEvaluator::formulaOfADescription() {
    // The formula is what follows the first colon, the whole text without one.
    QFETCH(QString, descrizione);
    QFETCH(QString, formula);
    QCOMPARE(FormulaDaDescrizione(descrizione), formula);
}

void TestFormulaEvaluator::formulaItemValue_data() {
    QTest::addColumn<QString>("descrizione");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message"); // empty: no message

    // B is 30 and C is 0 in every case.
    QTest::newRow("colon") << "Margine:[A]-[B]"
                           << "100"
                           << "70"
                           << "";
    QTest::newRow("no colon") << "[A]+[B]"
                              << "100"
                              << "130"
                              << "";
    QTest::newRow("code case ignored") << "X:[a]*2"
                                       << "100"
                                       << "200"
                                       << "";
    QTest::newRow("Null amount is 0") << "X:[A]+1"
                                      << "Null"
                                      << "1"
                                      << "";
    QTest::newRow("negative amount") << "X:[B]-[A]"
                                     << "-5"
                                     << "35"
                                     << "";
    QTest::newRow("Italian decimals") << "X:[A]*2"
                                      << "1234.56"
                                      << "2469.12"
                                      << "";
    QTest::newRow("words without colon") << "Margine [A]-[B]"
                                         << "100"
                                         << "Null"
                                         << "Formula Margine [A]-[B] non corretta: \r\n"
                                            "Margine (100)-(30)";
    QTest::newRow("unknown code") << "X:[A]+[ZZ]"
                                  << "1234.56"
                                  << "Null"
                                  << "Formula X:[A]+[ZZ] non corretta: \r\n(1234.56)+[ZZ]";
    QTest::newRow("root code is not available")
        << "X:[CRIT]+[A]"
        << "1"
        << "Null"
        << "Formula X:[CRIT]+[A] non corretta: \r\n[CRIT]+(1)";
    QTest::newRow("comma between arguments")
        << "X:Math.max([A],[B])"
        << "1"
        << "Null"
        << "Formula X:Math.max([A],[B]) non corretta: \r\nMath.max((1).(30))";
    QTest::newRow("not a number") << "X:'abc'"
                                  << "1"
                                  << "Null"
                                  << "Formula X:'abc' non corretta: \r\n'abc'";
    QTest::newRow("division by zero") << "X:[A]/[C]"
                                      << "5"
                                      << "Null"
                                      << "";
    QTest::newRow("zero by zero") << "X:[C]/[C]"
                                  << "5"
                                  << "Null"
                                  << "";
    QTest::newRow("too large for an amount") << "X:1e300*[A]"
                                             << "5"
                                             << "Null"
                                             << "";
}

void TestFormulaEvaluator::formulaItemValue() {
    // One formula item F over A, B = 30 and C = 0: its amount, and the message shown when the
    // formula is wrong (division by zero and overflow stay silent).
    QFETCH(QString, descrizione);
    QFETCH(QString, a);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    Run run(1);
    run.add("A", 0, Variant("A"), {a});
    run.add("B", 1, Variant("B"), {"30"});
    run.add("C", 0, Variant("C"), {"0"});
    run.add("F", 3, Variant(descrizione), {});
    BdgIntRic_CalcolaTotaliFormula(run.state);
    QCOMPARE(run.errorTexts(), QString());
    QCOMPARE(run.imp("F"), expected);
    const QList<RecordedMessage> shown = run.messages.plainMessages();
    if (message.isEmpty()) {
        QVERIFY2(shown.isEmpty(), qPrintable(shown.value(0).text));
        return;
    }
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).text, message);
    QCOMPARE(shown.at(0).style, 2);
    QCOMPARE(shown.at(0).title, Caption);
}

void TestFormulaEvaluator::resultRoundsHalfToEven_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0.125 to even 0.12") << "1/8"
                                        << "0.12";
    QTest::newRow("0.375 to even 0.38") << "3/8"
                                        << "0.38";
    QTest::newRow("1.005 as typed, to even") << "1.005"
                                             << "1";
    QTest::newRow("2.675 as typed, to even") << "2.675"
                                             << "2.68";
    QTest::newRow("-0.125") << "-1/8"
                            << "-0.12";
    QTest::newRow("0.1 + 0.2") << "0.1+0.2"
                               << "0.3";
    QTest::newRow("below a cent") << "1e-30"
                                  << "0";
    QTest::newRow("integer") << "6*7"
                             << "42";
}

void TestFormulaEvaluator::resultRoundsHalfToEven() {
    // Results are rounded to 2 decimals, halves to even, from the number as it reads.
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    FormulaEvaluator engine;
    const FormulaEvaluator::Result result = engine.evaluate(expression);
    QCOMPARE(int(result.kind), int(FormulaEvaluator::Result::Kind::Value));
    QCOMPARE(result.value.normalized().toString(), expected);
}

void TestFormulaEvaluator::loopingFormulaIsInterruptedAndTheEngineGoesOn() {
    // An endless loop ends as a wrong formula, and the same engine evaluates the next one.
    FormulaEvaluator engine(200ms);
    const FormulaEvaluator::Result looping = engine.evaluate(QStringLiteral("while(true){}"));
    QCOMPARE(int(looping.kind), int(FormulaEvaluator::Result::Kind::Failure));
    const FormulaEvaluator::Result next = engine.evaluate(QStringLiteral("1+1"));
    QCOMPARE(int(next.kind), int(FormulaEvaluator::Result::Kind::Value));
    QCOMPARE(next.value.normalized().toString(), QStringLiteral("2"));
}

void TestFormulaEvaluator::loopingFormulaItemIsReportedOncePerSet() {
    // A looping formula item with two sets: one message per set, amounts unchanged, and the
    // formula item after it is still computed.
    Run run(2);
    run.add("A", 0, Variant("A"), {"1", "2"});
    run.add("L", 3, Variant("Ciclo:while(true){}"), {});
    run.add("G", 3, Variant("G:[A]*10"), {});
    BdgIntRic_CalcolaTotaliFormula(run.state);
    const QList<RecordedMessage> shown = run.messages.plainMessages();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(1).text, QStringLiteral("Formula Ciclo:while(true){} non corretta: \r\n"
                                              "while(true){}"));
    QCOMPARE(run.imp("L", 1), QStringLiteral("Null"));
    QCOMPARE(run.imp("L", 2), QStringLiteral("Null"));
    QCOMPARE(run.imp("G", 1), QStringLiteral("10"));
    QCOMPARE(run.imp("G", 2), QStringLiteral("20"));
}

void TestFormulaEvaluator::formulaAddsToWhatTheItemHolds() {
    // Accounts mapped directly to a formula item left 4 in it: the result is added.
    Run run(1);
    run.add("A", 0, Variant("A"), {"100"});
    run.add("F", 3, Variant("F:[A]/4"), {"4"});
    BdgIntRic_CalcolaTotaliFormula(run.state);
    QCOMPARE(run.imp("F"), QStringLiteral("29"));
}

void TestFormulaEvaluator::formulaValuesAreNotAvailableToOtherFormulas() {
    // F2 names F1, which is a formula: the reference stays bracketed and F2 is wrong.
    Run run(1);
    run.add("A", 0, Variant("A"), {"5"});
    run.add("F1", 3, Variant("F1:[A]"), {});
    run.add("F2", 3, Variant("F2:[F1]+1"), {});
    BdgIntRic_CalcolaTotaliFormula(run.state);
    QCOMPARE(run.imp("F1"), QStringLiteral("5"));
    QCOMPARE(run.imp("F2"), QStringLiteral("Null"));
    QCOMPARE(run.messages.plainMessages().size(), 1);
    QCOMPARE(run.messages.plainMessages().at(0).text,
             QStringLiteral("Formula F2:[F1]+1 non corretta: \r\n[F1]+1"));
}

void TestFormulaEvaluator::missingDescriptionIsAnErrorOfTheProcedure() {
    // A formula item without description is a run-time error of the procedure: with a log
    // the user is asked, and "ignore" goes on with the next set and the next formula.
    Run run(1);
    run.messages.queueAnswer(5); // ignore
    run.add("A", 0, Variant("A"), {"7"});
    run.add("F1", 3, Variant::null(), {});
    run.add("F2", 3, Variant("F2:[A]+1"), {});
    BdgIntRic_CalcolaTotaliFormula(run.state);
    const QList<RecordedMessage> errors = run.messages.errors();
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.at(0).procedureName, QStringLiteral("BdgIntRic_CalcolaTotaliFormula"));
    QCOMPARE(run.imp("F1"), QStringLiteral("Null"));
    QCOMPARE(run.imp("F2"), QStringLiteral("8"));
    QCOMPARE(run.state.ProcedureAbbandonate, 0);
}

QTEST_GUILESS_MAIN(TestFormulaEvaluator)
#include "test_formula_evaluator.moc"
