#include "engine/importi_query.h"

#include "data/connection.h"
#include "engine/sql_importi_per_conto_periodo.h"
#include "host/associated_companies.h"
#include "host/budget_object.h"
#include "host/error_trap.h"
#include "host/form_state.h"

#include <QElapsedTimer>

#include <ctime>
#include <stdexcept>

namespace bdg {

namespace {

std::int64_t g_elapsedNanoseconds = 0;
std::int64_t g_cpuNanoseconds = 0;
int g_executions = 0;

std::int64_t processorNanoseconds() {
    return std::int64_t(double(std::clock()) * 1e9 / double(CLOCKS_PER_SEC));
}

using SqlBuilder = QString (*)(const ImportiSqlInput&);

// The chart kind and code may have changed with the subtype since the last run: ask again.
void refreshChart(FormState& state) {
    if (state.ObjBudget == nullptr) {
        throw std::runtime_error("oggetto budget non impostato (ObjBudget)");
    }
    const QString sottotipo = state.CodSottotipo.toString();
    state.IndTipoPdc = state.ObjBudget->TipoPdc(state.IndTipoBudget, sottotipo);
    state.CodPdc = state.ObjBudget->CodicePdc(state.IndTipoBudget, sottotipo);
}

std::vector<SetConfronto> setsInOrder(Recordset& RstConfronto) {
    std::vector<SetConfronto> sets;
    RstConfronto.setSort(QStringLiteral("CFR_SEQUENZA"));
    if (RstConfronto.RecordCount() == 0) {
        return sets;
    }
    for (RstConfronto.MoveFirst(); !RstConfronto.Eof(); RstConfronto.MoveNext()) {
        sets.push_back({RstConfronto.value(u"CFR_TIPODETT"), RstConfronto.value(u"CFR_ANNO"),
                        RstConfronto.value(u"CFR_PROGESER"), RstConfronto.value(u"CFR_SEDE")});
    }
    return sets;
}

RecordsetPtr timedExecute(Connection& connection, const QString& sql) {
    QElapsedTimer timer;
    timer.start();
    const std::int64_t cpuStart = processorNanoseconds();
    RecordsetPtr result;
    try {
        result = connection.Execute(sql);
    } catch (...) {
        ImportiQueryTimer::add(timer.nsecsElapsed(), processorNanoseconds() - cpuStart);
        throw;
    }
    ImportiQueryTimer::add(timer.nsecsElapsed(), processorNanoseconds() - cpuStart);
    return result;
}

// Preparation, build and execution, one trapped statement each, so that retry repeats
// only the step that failed.
RecordsetPtr runImportiQuery(FormState& state, Recordset& RstConfronto, const char* procedure,
                             SqlBuilder build) {
    ErrorTrap trap(state, QString::fromLatin1(procedure));
    if (!trap([&] { refreshChart(state); })) {
        return nullptr;
    }
    ImportiSqlInput input;
    QString sql;
    RecordsetPtr result;
    if (!trap([&] { input = importiSqlInput(state, RstConfronto); }) ||
        !trap([&] { sql = build(input); })) {
        return nullptr;
    }
    const bool executed = trap([&] {
        if (state.connection == nullptr) {
            throw std::runtime_error("connessione al database dell'azienda non aperta");
        }
        result = timedExecute(*state.connection, sql);
    });
    if (!executed || trap.left() || !result || result->RecordCount() == 0) {
        return nullptr;
    }
    return result;
}

} // namespace

std::int64_t ImportiQueryTimer::elapsedNanoseconds() {
    return g_elapsedNanoseconds;
}

std::int64_t ImportiQueryTimer::cpuNanoseconds() {
    return g_cpuNanoseconds;
}

int ImportiQueryTimer::executions() {
    return g_executions;
}

void ImportiQueryTimer::reset() {
    g_elapsedNanoseconds = 0;
    g_cpuNanoseconds = 0;
    g_executions = 0;
}

void ImportiQueryTimer::add(std::int64_t nanoseconds, std::int64_t cpuNanoseconds) {
    g_elapsedNanoseconds += nanoseconds;
    g_cpuNanoseconds += cpuNanoseconds;
    ++g_executions;
}

ImportiSqlInput importiSqlInput(FormState& state, Recordset& RstConfronto) {
    ImportiSqlInput input;
    input.IndTipoPdc = state.IndTipoPdc;
    input.CodPdc = state.CodPdc;
    input.CodStrutturaBU60 = state.CodStrutturaBU60;
    input.CodCriterio = state.CodCriterio;
    input.IndTipoBudget = state.IndTipoBudget;
    input.CodSottotipo = state.CodSottotipo;
    input.CodDitta = state.CodDitta;
    input.CodLingua = state.CodLingua;
    input.FattoreCambio = state.FattoreCambio;
    input.NrDecimali = state.NrDecimali;
    input.PeriodoDa = state.PeriodoDa;
    input.PeriodoA = state.PeriodoA;
    input.IsConsolidoMultiAtt = state.IsConsolidoMultiAtt;
    input.IsMultiAttivita = state.IsMultiAttivita;
    input.IsGestioneSede = state.IsGestioneSede;
    input.sets = setsInOrder(RstConfronto);
    input.IsAziendaPrincipale = [&state](const Variant& anno) {
        return IsAziendaPrincipale(state, anno);
    };
    return input;
}

RecordsetPtr BdgIntRic_GetRstImportiPerConto(FormState& state, Recordset& RstConfronto) {
    return runImportiQuery(state, RstConfronto, "BdgIntRic_GetRstImportiPerConto",
                           &BuildSqlImportiPerConto);
}

RecordsetPtr BdgIntRic_GetRstImportiPerContoPeriodo(FormState& state, Recordset& RstConfronto) {
    return runImportiQuery(state, RstConfronto, "BdgIntRic_GetRstImportiPerContoPeriodo",
                           &BuildSqlImportiPerContoPeriodo);
}

} // namespace bdg
