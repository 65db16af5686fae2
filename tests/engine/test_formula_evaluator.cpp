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
#include "support/text_rows.h"

#include <QTemporaryDir>
#include <QTest>

#include <chrono>

using namespace bdg;
using test::amount;
using test::text;

namespace {

const QString Caption = QStringLiteral("Budget riclassificato");

/// A criterion table with the root CRIT and the items and formula items a test adds, keys
/// in the order added.
struct Run : test::EngineHost {
    int nextKey = 1;

    explicit Run(int sets) : EngineHost(sets) {
        node(0, Variant::null(), "CRIT", Variant::null(), 4, "K", Variant(0), {},
             Variant("CRIT - Criterio"));
    }

    void add(const QString& voce, int tipo, const Variant& descrizione,
             const QStringList& importi) {
        node(nextKey++, Variant::null(), voce, Variant::null(), tipo, "V", Variant::null(), importi,
             descrizione);
    }

    QString imp(const QString& voce, int set = 1) {
        Recordset view = state.RstCriterio->Clone();
        view.setFilter(QStringLiteral("VOCE = '%1'").arg(voce));
        return text(view.value(FieldImp(set)));
    }
};

} // namespace

class TestFormulaEvaluator : public QObject {
    Q_OBJECT

private slots:
    void formulaItemValue_data() {
        QTest::addColumn<QString>("descrizione");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message"); // empty: no message

        // B is 30 and C is 0 in every case.
        const char* const rows[][5] = {
            {"colon", "Margine:[A]-[B]", "100", "70", ""},
            {"no colon", "[A]+[B]", "100", "130", ""},
            {"first colon only, blanks after it", "X: [A] > 50 ? 1 : 2", "100", "1", ""},
            {"code case ignored", "X:[a]*2", "100", "200", ""},
            {"Null amount is 0", "X:[A]+1", "Null", "1", ""},
            {"negative amount", "X:[B]-[A]", "-5", "35", ""},
            {"Italian decimals", "X:[A]*2", "1234.56", "2469.12", ""},
            {"words without colon", "Margine [A]-[B]", "100", "Null",
             "Formula Margine [A]-[B] non corretta: \r\n"
             "Margine (100)-(30)"},
            {"unknown code", "X:[A]+[ZZ]", "1234.56", "Null",
             "Formula X:[A]+[ZZ] non corretta: \r\n(1234.56)+[ZZ]"},
            {"root code is not available", "X:[CRIT]+[A]", "1", "Null",
             "Formula X:[CRIT]+[A] non corretta: \r\n[CRIT]+(1)"},
            {"comma between arguments", "X:Math.max([A],[B])", "1", "Null",
             "Formula X:Math.max([A],[B]) non corretta: \r\nMath.max((1).(30))"},
            {"not a number", "X:'abc'", "1", "Null", "Formula X:'abc' non corretta: \r\n'abc'"},
            {"division by zero", "X:[A]/[C]", "5", "Null", ""},
            {"too large for an amount", "X:1e300*[A]", "5", "Null", ""},
            // 5e15 has 16 integer digits; the amount field holds 15 at 0 decimals.
            {"beyond the amount's digits", "X:[A]*1e15", "5", "Null", ""},
            {"redefining a function", "X:Math.abs = 0", "5", "Null",
             "Formula X:Math.abs = 0 non corretta: \r\nMath.abs = 0"},
        };
        test::addTextRows(rows);
    }

    void formulaItemValue() {
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

    void resultRoundsHalfToEven_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        const char* const rows[][3] = {
            {"0.125 to even 0.12", "1/8", "0.12"},
            {"1.005 as typed, to even", "1.005", "1"},
            {"2.675 as typed, to even", "2.675", "2.68"},
            {"-0.125", "-1/8", "-0.12"},
            {"0.1 + 0.2", "0.1+0.2", "0.3"},
            {"below a cent", "1e-30", "0"},
        };
        test::addTextRows(rows);
    }

    void resultRoundsHalfToEven() {
        // Results are rounded to 2 decimals, halves to even, from the number as it reads.
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        FormulaEvaluator engine;
        const FormulaEvaluator::Result result = engine.evaluate(expression);
        QCOMPARE(int(result.kind), int(FormulaEvaluator::Result::Kind::Value));
        QCOMPARE(result.value.normalized().toString(), expected);
    }

    void languageGivesJavaScriptsFigures_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected"); // the amount, "overflow" or "wrong"
        // Worked out by the rules of JavaScript's arithmetic.
        const char* const rows[][3] = {
            {"power is right-associative", "2 ** 3 ** 2", "512"},
            {"unary minus before **", "-2 ** 2", "wrong"},
            {"remainder takes the dividend's sign", "-7 % 3 + 7 % -3 * 10", "9"},
            {"halves round up in Math.round", "Math.round(-2.5) * 10 + Math.round(2.5)", "-17"},
            {"several arguments", "Math.max(1, 2, 3) - Math.min(4, 5)", "-1"},
            {"max of nothing", "Math.max()", "overflow"},
            {"1 to the Infinity", "Math.pow(1, Infinity)", "overflow"},
            {"hexadecimal, binary, octal", "0x1F + 0b101 + 0o17", "51"},
            {"truth values count as 1 and 0", "true + true + !0 - !1", "3"},
            {"loose and strict equality", "(1 == true) + (1 === true) * 10", "1"},
            {"and gives an operand", "3 && 0", "0"},
            {"NaN is false", "NaN ? 1 : 2", "2"},
            {"comments and line breaks", "/* nota */ 1 + // resto\n 2", "3"},
            {"3.455 to even", "Math.abs(-3.455)", "3.46"},
            {"sign and truncation", "Math.sign(-0.5) * Math.trunc(7.9)", "-7"},
            {"beyond doubles", "1e999", "overflow"},
            {"a comparison is no amount", "1 < 2", "wrong"},
            {"random", "Math.random()", "wrong"},
            {"unknown name", "x + 1", "wrong"},
            {"leading zero", "010", "wrong"},
            {"digit separator", "1_000", "wrong"},
            {"function not called", "Math.abs", "wrong"},
            {"incomplete", "1 +", "wrong"},
            {"nullish", "1 ?? 2", "wrong"},
        };
        test::addTextRows(rows);
        QTest::newRow("200 parentheses")
            << QString(199, QLatin1Char('(')) + QStringLiteral("7") + QString(199, QLatin1Char(')'))
            << "7";
    }

    void languageGivesJavaScriptsFigures() {
        // The formula language computes as JavaScript does, and refuses whatever is not in it.
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        FormulaEvaluator engine;
        const FormulaEvaluator::Result result = engine.evaluate(expression);
        switch (result.kind) {
        case FormulaEvaluator::Result::Kind::Value:
            QCOMPARE(result.value.normalized().toString(), expected);
            break;
        case FormulaEvaluator::Result::Kind::Overflow:
            QCOMPARE(QStringLiteral("overflow"), expected);
            break;
        case FormulaEvaluator::Result::Kind::Failure:
            QVERIFY2(expected == QLatin1String("wrong"), qPrintable(result.error));
            break;
        }
    }

    void formulasStartFromTheSameState() {
        // A formula that tries to redefine Math.abs or set a global changes nothing for the next;
        // a formula item's value is not available to another formula (F5 stays bracketed and
        // is wrong); accounts mapped directly to a formula item left 4 in F6: -1.25 is added.
        Run run(1);
        run.add("A", 0, Variant("A"), {"-5"});
        run.add("F1", 3, Variant("F1:Math.abs = function () { return 0; }"), {});
        run.add("F2", 3, Variant("F2:Math.abs([A])"), {});
        run.add("F3", 3, Variant("F3:totale = [A]"), {});
        run.add("F4", 3, Variant("F4:totale"), {});
        run.add("F5", 3, Variant("F5:[F2]+1"), {});
        run.add("F6", 3, Variant("F6:[A]/4"), {"4"});
        BdgIntRic_CalcolaTotaliFormula(run.state);
        QCOMPARE(run.imp("F2"), QStringLiteral("5"));
        QCOMPARE(run.imp("F4"), QStringLiteral("Null"));
        QCOMPARE(run.imp("F5"), QStringLiteral("Null"));
        QCOMPARE(run.imp("F6"), QStringLiteral("2.75"));
        const QList<RecordedMessage> shown = run.messages.plainMessages();
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown.at(3).text, QStringLiteral("Formula F5:[F2]+1 non corretta: \r\n[F2]+1"));
    }

    void formulaPastItsTimeIsWrong_data() {
        QTest::addColumn<int>("formulaLimit");
        QTest::addColumn<int>("runLimit");
        QTest::newRow("no time for one formula") << 0 << 10000;
        QTest::newRow("the run's time used up") << 1500 << 0;
    }

    void formulaPastItsTimeIsWrong() {
        // A formula with no time left is a wrong formula, however simple it is.
        QFETCH(int, formulaLimit);
        QFETCH(int, runLimit);
        FormulaEvaluator engine{std::chrono::milliseconds(formulaLimit),
                                std::chrono::milliseconds(runLimit)};
        const FormulaEvaluator::Result result = engine.evaluate(QStringLiteral("1 + 1"));
        QCOMPARE(int(result.kind), int(FormulaEvaluator::Result::Kind::Failure));
    }

    void loopingFormulaItemIsReportedOncePerSet() {
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

    void missingDescriptionIsAnErrorOfTheProcedure() {
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
};

QTEST_GUILESS_MAIN(TestFormulaEvaluator)
#include "test_formula_evaluator.moc"
