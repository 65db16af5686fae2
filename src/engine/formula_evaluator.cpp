#include "engine/formula_evaluator.h"

#include "engine/rst_criterio.h"
#include "engine/totali_criterio.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"

#include "engine/formula_evaluator_lingua.h"

#include <QLocale>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace bdg {

namespace {

const QString ProcFormula = QStringLiteral("BdgIntRic_CalcolaTotaliFormula");
constexpr int FormulaDecimals = 2;
constexpr int MessageStyleFormula = 2;

} // namespace

FormulaEvaluator::FormulaEvaluator(std::chrono::milliseconds timeLimit,
                                   std::chrono::milliseconds runLimit)
    : m_timeLimit(timeLimit), m_runLimit(runLimit) {}

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

FormulaEvaluator::Clock::time_point FormulaEvaluator::deadline(Clock::time_point started) const {
    const Clock::duration left = std::max(Clock::duration::zero(), m_runLimit - m_spent);
    return started + std::min<Clock::duration>(m_timeLimit, left);
}

FormulaEvaluator::Result FormulaEvaluator::evaluate(const QString& expression,
                                                    std::optional<Clock::time_point> started) {
    const Clock::time_point start = started.value_or(Clock::now());
    const Clock::time_point end = deadline(start);
    Result result;
    try {
        if (Clock::now() >= end) {
            throw formula::FormulaErrata("tempo esaurito");
        }
        const formula::Valore valore = formula::valuta(expression, end);
        // Only numbers are amounts: a truth value is a wrong formula.
        result = valore.logico ? failure(QStringLiteral("il risultato non è un numero"))
                               : numberResult(valore.numero);
    } catch (const formula::FormulaErrata& error) {
        result = failure(QString::fromUtf8(error.what()));
    }
    m_spent += Clock::now() - start;
    return result;
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
    // commas turned into points; nothing when its time ran out on the way (a long text
    // against a large criterion).
    std::optional<QString> formulaSostituita(const QString& descrizione, int set,
                                             FormulaEvaluator::Clock::time_point started) {
        QString formula = FormulaDaDescrizione(descrizione);
        const QString& field = names.imp(set);
        const FormulaEvaluator::Clock::time_point deadline = engine.deadline(started);
        int visited = 0;
        QSet<QString> named = codiciNominati(formula);
        for (K.MoveFirst(); !K.Eof(); K.MoveNext()) {
            if (++visited % 256 == 0 && FormulaEvaluator::Clock::now() > deadline) {
                return std::nullopt;
            }
            const QString code = NVL(K.value(u"VOCE"), Variant(QString())).toString().trimmed();
            // The amount's text is only made for the codes the formula names.
            const bool plain = !code.contains(QLatin1Char('[')) && !code.contains(QLatin1Char(']'));
            if (plain ? !named.contains(code.toCaseFolded())
                      : !formula.contains(QLatin1Char('[') + code + QLatin1Char(']'),
                                          Qt::CaseInsensitive)) {
                continue;
            }
            SostituisciCodice(formula, code, testoImporto(NVL(K.value(field), Variant(0)), code));
            named = codiciNominati(formula);
        }
        formula.replace(QLatin1Char(','), QLatin1Char('.'));
        return formula;
    }

    // What the formula holds between a "[" and the next "]" with no "[" between, case
    // folded: a code with no brackets of its own is named exactly when it is one of these.
    static QSet<QString> codiciNominati(const QString& formula) {
        QSet<QString> named;
        qsizetype open = formula.indexOf(QLatin1Char('['));
        while (open >= 0) {
            const qsizetype close = formula.indexOf(QLatin1Char(']'), open + 1);
            if (close < 0)
                break;
            const qsizetype inner = formula.lastIndexOf(QLatin1Char('['), close);
            named.insert(formula.mid(inner + 1, close - inner - 1).toCaseFolded());
            open = formula.indexOf(QLatin1Char('['), close + 1);
        }
        return named;
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
        const FormulaEvaluator::Clock::time_point started = FormulaEvaluator::Clock::now();
        const std::optional<QString> formula =
            formulaSostituita(descrizione.toString(), set, started);
        if (!formula) {
            engine.evaluate(QString(), started); // charges the time spent to the run
            segnalaFormulaErrata(descrizione, FormulaDaDescrizione(descrizione.toString()));
            return;
        }
        const FormulaEvaluator::Result result = engine.evaluate(*formula, started);
        if (result.kind == FormulaEvaluator::Result::Kind::Failure) {
            segnalaFormulaErrata(descrizione, *formula);
            return;
        }
        if (result.kind == FormulaEvaluator::Result::Kind::Overflow) {
            return;
        }
        const QString& field = names.imp(set);
        const Variant sum = SommaImporto(R.value(field), Variant(result.value), field);
        // A result the amount cannot hold is an overflow like Infinity: no message, and the
        // amount stays as it was.
        if (!entraNelCampo(field, sum)) {
            return;
        }
        R.setValue(field, sum);
        R.Update();
    }

    bool entraNelCampo(const QString& field, const Variant& value) const {
        const FieldDef& def = R.field(R.requireField(field));
        const Decimal amount = *value.toDecimal();
        return def.precision <= 0 || def.scale >= def.precision ||
               amount.rescaled(def.scale, Rounding::HalfAwayFromZero)
                   .fits(def.precision, def.scale);
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
