#include "engine/formula_evaluator.h"

#include "engine/rst_criterio.h"
#include "engine/totali_criterio.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"

#include <QJSEngine>
#include <QJSValue>
#include <QLocale>
#include <QStringList>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace bdg {

namespace {

const QString ProcFormula = QStringLiteral("BdgIntRic_CalcolaTotaliFormula");
constexpr int FormulaDecimals = 2;
constexpr int MessageStyleFormula = 2;

} // namespace

/*
 * The watchdog. The engine runs on the caller's thread; a second thread waits for the
 * deadline of the evaluation in progress and, when it passes, interrupts the engine (the one
 * engine call that is safe from another thread). Every evaluation has its own generation
 * number so that a deadline that passes just as an evaluation ends cannot interrupt the
 * next one.
 */
struct FormulaEvaluator::Private {
    QJSEngine engine;
    std::chrono::milliseconds timeLimit;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool armed = false;
    bool fired = false;
    std::uint64_t generation = 0;
    std::chrono::steady_clock::time_point deadline;
    std::thread watchdog;

    explicit Private(std::chrono::milliseconds limit) : timeLimit(limit) {
        watchdog = std::thread([this] { watch(); });
    }

    ~Private() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        watchdog.join();
    }

    void watch() {
        std::unique_lock lock(mutex);
        while (!stopping) {
            if (!armed) {
                wake.wait(lock);
                continue;
            }
            const std::uint64_t watched = generation;
            const bool ended = wake.wait_until(
                lock, deadline, [&] { return stopping || !armed || generation != watched; });
            if (!ended) {
                engine.setInterrupted(true);
                fired = true;
                armed = false;
            }
        }
    }

    void arm() {
        {
            std::lock_guard lock(mutex);
            ++generation;
            deadline = std::chrono::steady_clock::now() + timeLimit;
            armed = true;
            fired = false;
        }
        wake.notify_all();
    }

    // True when the watchdog interrupted the evaluation that just ended.
    bool disarm() {
        bool interrupted = false;
        {
            std::lock_guard lock(mutex);
            armed = false;
            interrupted = fired;
            fired = false;
        }
        wake.notify_all();
        if (interrupted) {
            engine.setInterrupted(false);
        }
        return interrupted;
    }
};

FormulaEvaluator::FormulaEvaluator(std::chrono::milliseconds timeLimit)
    : d(std::make_unique<Private>(timeLimit)) {}

FormulaEvaluator::~FormulaEvaluator() = default;

namespace {

FormulaEvaluator::Result failure(const QString& error) {
    FormulaEvaluator::Result result;
    result.kind = FormulaEvaluator::Result::Kind::Failure;
    result.error = error;
    return result;
}

FormulaEvaluator::Result overflow() {
    FormulaEvaluator::Result result;
    result.kind = FormulaEvaluator::Result::Kind::Overflow;
    return result;
}

// A finite double becomes an amount through its shortest round-trip text, so 2.675 rounds
// as the 2.675 the user sees and not as its binary neighbour.
FormulaEvaluator::Result numberResult(double number) {
    if (!std::isfinite(number)) {
        return overflow();
    }
    FormulaEvaluator::Result result;
    try {
        result.value = Decimal::fromDouble(number, FormulaDecimals, Rounding::HalfEven);
    } catch (const DecimalError&) {
        return overflow();
    }
    result.kind = FormulaEvaluator::Result::Kind::Value;
    return result;
}

} // namespace

FormulaEvaluator::Result FormulaEvaluator::evaluate(const QString& expression) {
    QStringList stackTrace;
    d->arm();
    const QJSValue value = d->engine.evaluate(expression, QString(), 1, &stackTrace);
    const bool interrupted = d->disarm();
    if (interrupted) {
        return failure(
            QStringLiteral("valutazione interrotta dopo %1 ms").arg(qint64(d->timeLimit.count())));
    }
    if (value.isError() || !stackTrace.isEmpty()) {
        return failure(value.toString());
    }
    // Only numbers are amounts: a text, a boolean or undefined is a wrong formula.
    if (!value.isNumber()) {
        return failure(QStringLiteral("il risultato non è un numero: %1").arg(value.toString()));
    }
    return numberResult(value.toNumber());
}

QString FormulaDaDescrizione(const QString& descrizione) {
    const qsizetype colon = descrizione.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        return descrizione;
    }
    return descrizione.mid(colon + 1);
}

QString TestoValoreFormula(const Decimal& amount) {
    static const QChar decimalPoint = QLocale(QLocale::Italian).decimalPoint().at(0);
    return amount.normalized().toString(decimalPoint);
}

bool SostituisciCodice(QString& formula, const QString& code, const QString& value) {
    const QString token = QLatin1Char('[') + code + QLatin1Char(']');
    if (!formula.contains(token, Qt::CaseInsensitive)) {
        return false;
    }
    formula.replace(token, QLatin1Char('(') + value + QLatin1Char(')'), Qt::CaseInsensitive);
    return true;
}

namespace {

struct Formule {
    FormState& state;
    QString caption;
    ErrorTrap& trap;
    Recordset& R;
    Recordset& K;
    FormulaEvaluator& engine;
    NomiCampiConfronto names;

    // The formula with every known code of set `set` replaced by its amount, decimal
    // commas turned into points.
    QString formulaSostituita(const QString& descrizione, int set) {
        QString formula = FormulaDaDescrizione(descrizione);
        const QString& field = names.imp(set);
        for (K.MoveFirst(); !K.Eof(); K.MoveNext()) {
            const QString code = NVL(K.value(u"VOCE"), Variant(QString())).toString().trimmed();
            const QString token = QLatin1Char('[') + code + QLatin1Char(']');
            // The amount's text is only made for the codes the formula names.
            if (!formula.contains(token, Qt::CaseInsensitive)) {
                continue;
            }
            SostituisciCodice(formula, code, testoImporto(NVL(K.value(field), Variant(0)), code));
        }
        formula.replace(QLatin1Char(','), QLatin1Char('.'));
        return formula;
    }

    static QString testoImporto(const Variant& amount, const QString& code) {
        const auto number = amount.toDecimal();
        if (!number) {
            throw std::runtime_error(QStringLiteral("importo non numerico della voce %1: '%2'")
                                         .arg(code, amount.toString())
                                         .toStdString());
        }
        return TestoValoreFormula(*number);
    }

    void segnalaFormulaErrata(const Variant& descrizione, const QString& formula) {
        if (state.Gcls_Global == nullptr) {
            throw std::runtime_error("servizi dell'applicazione non impostati (Gcls_Global)");
        }
        const QString text = QStringLiteral("Formula ") +
                             NVL(descrizione, Variant(QString())).toString() +
                             QStringLiteral(" non corretta: ") + QStringLiteral("\r\n") + formula;
        state.Gcls_Global->ShowMessage(text, MessageStyleFormula, caption);
    }

    void calcolaSet(int set) {
        const Variant descrizione = R.value(u"VOCEDES");
        if (descrizione.isNull()) {
            throw std::runtime_error(QStringLiteral("la voce formula %1 non ha descrizione")
                                         .arg(R.value(u"VOCE").toString())
                                         .toStdString());
        }
        const QString formula = formulaSostituita(descrizione.toString(), set);
        const FormulaEvaluator::Result result = engine.evaluate(formula);
        if (result.kind == FormulaEvaluator::Result::Kind::Failure) {
            segnalaFormulaErrata(descrizione, formula);
            return;
        }
        if (result.kind == FormulaEvaluator::Result::Kind::Overflow) {
            return;
        }
        const QString& field = names.imp(set);
        R.setValue(field, SommaImporto(R.value(field), Variant(result.value), field));
        R.Update();
    }

    // One formula row: every set is its own statement, so a retry never adds twice.
    void calcolaRiga() {
        K.clearFilter();
        K.setFilter(QStringLiteral(" TIPOVOCE <> 3 AND TIPOVOCE <> 4 "));
        if (K.RecordCount() < 1) {
            return;
        }
        const int nrConfronti = NrConfrontiDa(state.RstConfronto);
        for (int set = 1; set <= nrConfronti; ++set) {
            if (!trap([&] { calcolaSet(set); })) {
                return;
            }
        }
    }
};

} // namespace

void BdgIntRic_CalcolaTotaliFormula(FormState& state, const QString& caption) {
    ErrorTrap trap(state, ProcFormula, caption);
    std::optional<FormulaEvaluator> engine;
    std::optional<Recordset> K;
    const RecordsetPtr rst = state.RstCriterio;
    if (!trap([&] {
            if (!rst) {
                throw std::runtime_error("tabella del criterio non definita (RstCriterio)");
            }
            engine.emplace();
            K.emplace(rst->Clone());
        })) {
        return;
    }
    Recordset& R = *rst;
    bool rows = false;
    if (!trap([&] {
            R.clearFilter();
            R.setFilter(QStringLiteral(" TIPOVOCE = 3 "));
        }) ||
        !HaRighe(trap, R, rows) || !rows) {
        return;
    }
    if (!trap([&] { R.setSort(QStringLiteral("KEY_VOCE")); })) {
        return;
    }
    Formule formule{state, caption.isEmpty() ? state.Caption : caption, trap, R, *K, *engine, {}};
    VisitaRighe(trap, R, [&] { formule.calcolaRiga(); });
}

} // namespace bdg
