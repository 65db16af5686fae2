#include "data/tsv_rows.h"
#include "engine/formula_evaluator.h"
#include "support/engine_host.h"

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

    // The amounts in set `set` of the items `voci`, separated by blanks.
    QStringList imp(const QString& voci, int set = 1) {
        Recordset view = state.RstCriterio->Clone();
        QStringList found;
        for (const QString& voce : voci.split(u' ')) {
            view.setFilter(QStringLiteral("VOCE = '%1'").arg(voce));
            found << text(view.value(FieldImp(set)));
        }
        return found;
    }
};

} // namespace

class TestFormulaEvaluator : public QObject {
    Q_OBJECT

private slots:
    void formulaItemValue_data() {
        test::addTsvRows("formule", {"descrizione", "a", "expected", "message"});
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
        QCOMPARE(run.imp("F"), QStringList{expected});
        QCOMPARE(test::shown(run.messages.plainMessages()),
                 message.isEmpty() ? message : message + "|2|" + Caption);
    }

    void languageGivesJavaScriptsFigures_data() {
        test::addTsvRows("linguaggio_formule", {"expression", "expected"});
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
        QCOMPARE(run.imp("F2 F4 F5 F6"), QStringList({"5", "Null", "Null", "2.75"}));
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
        QCOMPARE(run.imp("L G", 1) + run.imp("L G", 2), QStringList({"Null", "10", "Null", "20"}));
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
        QCOMPARE(run.imp("F1 F2"), QStringList({"Null", "8"}));
        QCOMPARE(run.state.ProcedureAbbandonate, 0);
    }
};

QTEST_GUILESS_MAIN(TestFormulaEvaluator)
#include "test_formula_evaluator.moc"
