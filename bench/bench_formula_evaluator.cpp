// How far formulas stay from their limits: the time of a typical formula and of the
// longest one a description can hold (240 characters of nested arithmetic and Math), each
// against the 1.5 s a formula may take, and the formulas a run could evaluate within its
// 10 s.
#include "engine/formula_evaluator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <cstdio>

using namespace bdg;

namespace {

double secondsPerFormula(const QString& formula, int repetitions) {
    FormulaEvaluator evaluator(FormulaEvaluator::DefaultTimeLimit, std::chrono::hours(1));
    QElapsedTimer clock;
    clock.start();
    for (int repetition = 0; repetition < repetitions; ++repetition)
        evaluator.evaluate(formula);
    return clock.nsecsElapsed() / 1e9 / repetitions;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QString typical = QStringLiteral("((1234567.89)-(987654.32))/(987654.32)*100");
    QString longest = QStringLiteral("Math.round(");
    while (longest.size() < 220)
        longest += QStringLiteral("((12345.67)*1.1-(-3)**2)/");
    longest += QStringLiteral("7)");
    const double limit = std::chrono::duration<double>(FormulaEvaluator::DefaultTimeLimit).count();
    const double run = std::chrono::duration<double>(FormulaEvaluator::DefaultRunLimit).count();
    for (const auto& [name, formula] :
         {std::pair{"typical", typical}, std::pair{"longest description", longest}}) {
        const double seconds = secondsPerFormula(formula, 200000);
        std::printf("%-20s %8.2f us a formula, %10.0f times within its limit, %12.0f formulas "
                    "within a run's\n",
                    name, seconds * 1e6, limit / seconds, run / seconds);
    }
    return 0;
}
