// One elaboration on the demo company at about 1,000,000 budget amounts (5,150 accounts),
// and again at half the size: the time spent inside the two amount queries, the time of
// everything else (the module's own in-memory work) and their ratio, then how the in-memory
// part grows with the company. Times are given by the clock and in processor time: on a
// machine shared with other work the clock also counts the waits for a processor, so on
// SQLite the processor time is the honest split; on PostgreSQL the server's work shows only
// on the clock. The monthly subtype MENS with the criterion CE01 and four comparison sets of
// 2026 (budget, two forecasts, actuals, site 1) over 12 periods.
//
// On SQLite the two amount statements are also timed alone, once with the exact ROUND and SUM
// the connection installs and once with SQLite's own, and the rest of the query time is the
// reading of their rows into recordsets. A company built by the run is analysed as every load
// is, and the run right after its load is the one reported, marked as such.
//
// Usage: bench_elabora [--rows N] [--repeat N] [--keep] [--pg CONNSTRING]
//   --rows N        budget amounts of the large company (default 1000000)
//   --repeat N      runs per size after the first (default 2); each time is the shortest of
//                   them, as other work on the machine only ever adds to a time
//   --keep          keep the company databases for the next run, which then reuses them
//   --pg CONNSTRING also run on PostgreSQL: a keyword connection string to a database on
//                   whose server we may create the databases "bdgintric_bench_<scale>_<items>"
//
// The SQLite files live in the temporary folder under bdgintric-bench/, one per size.
#include "company/demo_budget.h"
#include "company/demo_company.h"
#include "company/schema_account_functions.h"
#include "compare/column_arrays.h"
#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sql_dialect.h"
#include "data/sqlite_functions.h"
#include "engine/elabora.h"
#include "engine/importi_query.h"
#include "engine/sql_importi_per_conto_periodo.h"
#include "host/associated_companies.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace bdg;

namespace {

// The 400 criterion items in 4 levels that the large scale gives, for both sizes: the same
// tree at both sizes keeps the growth figure about rows alone.
constexpr int BenchItems = 400;

DemoOptions demoOptions(int scale) {
    DemoOptions options;
    options.scale = scale;
    options.items = BenchItems;
    return options;
}

struct Options {
    std::int64_t rows = 1000000;
    bool keep = false;
    int repeat = 2;
    QString pg;
};

struct Size {
    int scale = 1;
    std::int64_t rows = 0;
};

// The two amount statements run alone on SQLite, processor seconds.
struct Statements {
    double exact = 0;   // with the exact ROUND and SUM
    double builtIn = 0; // with SQLite's own
};

struct Figures {
    bool afterLoading = false;
    std::optional<Statements> statements;
    std::int64_t rows = 0;
    double querySeconds = 0;
    double otherSeconds = 0;
    double queryCpuSeconds = 0;
    double otherCpuSeconds = 0;
    int queries = 0;
    int criterioRows = 0;
    int periodiRows = 0;
    std::uint64_t fingerprint = 0;
};

[[noreturn]] void usage(const char* what) {
    throw std::invalid_argument(
        std::string(what) +
        "\nusage: bench_elabora [--rows N] [--repeat N] [--keep] [--pg CONNSTRING]");
}

Options parseOptions(const QStringList& args) {
    Options options;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--keep")) {
            options.keep = true;
            continue;
        }
        if (i + 1 >= args.size())
            usage("missing value or unknown option");
        if (arg == QLatin1String("--rows")) {
            bool ok = false;
            options.rows = args[++i].toLongLong(&ok);
            if (!ok || options.rows < 1)
                usage("--rows needs a positive number");
        } else if (arg == QLatin1String("--repeat")) {
            bool ok = false;
            options.repeat = args[++i].toInt(&ok);
            if (!ok || options.repeat < 0)
                usage("--repeat needs a number");
        } else if (arg == QLatin1String("--pg")) {
            options.pg = args[++i];
        } else {
            usage("unknown option");
        }
    }
    return options;
}

std::int64_t rowsAtScale(int scale) {
    const DemoContent content(demoOptions(scale));
    return DemoBudget(content).detailCount();
}

// Amount rows grow linearly with the scale: two samples place the scale, a look at the
// neighbours picks the closest.
Size sizeForRows(std::int64_t rows) {
    const std::int64_t one = rowsAtScale(1);
    const std::int64_t perScale = rowsAtScale(2) - one;
    const auto guess = std::llround(double(rows - one) / double(perScale)) + 1;
    Size best;
    for (std::int64_t scale = std::max<std::int64_t>(1, guess - 1);
         scale <= std::min<std::int64_t>(500, guess + 1); ++scale) {
        const std::int64_t count = rowsAtScale(int(scale));
        if (best.rows == 0 || std::llabs(count - rows) < std::llabs(best.rows - rows))
            best = {int(scale), count};
    }
    return best;
}

// ---------------------------------------------------------------------------------------
// Company databases

QString cacheFolder() {
    const QString path = QDir::temp().filePath(QStringLiteral("bdgintric-bench"));
    QDir().mkpath(path);
    return path;
}

QString sqlitePath(const Size& size) {
    const DemoOptions options = demoOptions(size.scale);
    return QDir(cacheFolder())
        .filePath(QStringLiteral("demo_s%1_i%2_%3.sqlite")
                      .arg(size.scale)
                      .arg(options.items)
                      .arg(options.seed, 0, 16));
}

std::int64_t detailRows(Connection& connection) {
    for (const auto& [table, rows] : DemoCompany::rowCounts(connection)) {
        if (table == QLatin1String("BU66_DETBUDGET"))
            return rows;
    }
    return 0;
}

void buildDemo(Connection& connection, const Size& size) {
    std::fprintf(stderr, "building the demo company at scale %d, %d items (%lld amounts)...\n",
                 size.scale, BenchItems, static_cast<long long>(size.rows));
    DemoCompany::create(connection, demoOptions(size.scale));
}

// A file from an earlier run is reused when its amounts are all there; a new one is built
// under another name and renamed when complete, so an interrupted build is never reused.
QString sqliteCompany(const Size& size, bool& built) {
    const QString path = sqlitePath(size);
    built = false;
    if (QFile::exists(path)) {
        Connection connection;
        connection.Open(path);
        if (detailRows(connection) == size.rows)
            return path;
        connection.Close();
        QFile::remove(path);
    }
    built = true;
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    {
        Connection connection;
        connection.Open(partial, Connection::OpenMode::CreateIfMissing);
        buildDemo(connection, size);
    }
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot rename " + partial.toStdString());
    return path;
}

QString withDatabase(const QString& server, const QString& database) {
    QString text = server;
    text.remove(QRegularExpression(QStringLiteral(R"(\bdbname\s*=\s*('(?:[^'\\]|\\.)*'|\S+))")));
    return text.trimmed() + QStringLiteral(" dbname=") + database;
}

QString pgDatabaseName(const Size& size) {
    return QStringLiteral("bdgintric_bench_%1_%2").arg(size.scale).arg(BenchItems);
}

bool pgDatabaseExists(Connection& server, const QString& name) {
    const RecordsetPtr found = server.Execute(
        QStringLiteral("SELECT datname FROM pg_database WHERE datname = '%1'").arg(name));
    return found && found->RecordCount() > 0;
}

QString pgCompany(const QString& serverString, const Size& size, bool& built) {
    const QString name = pgDatabaseName(size);
    const QString target = withDatabase(serverString, name);
    Connection server;
    server.Open(serverString);
    built = false;
    if (pgDatabaseExists(server, name)) {
        {
            Connection connection;
            connection.Open(target);
            if (detailRows(connection) == size.rows)
                return target;
        }
        server.ExecuteNonQuery(QStringLiteral("DROP DATABASE ") + name);
    }
    built = true;
    server.ExecuteNonQuery(QStringLiteral("CREATE DATABASE ") + name);
    Connection connection;
    connection.Open(target);
    buildDemo(connection, size);
    return target;
}

void dropPgCompany(const QString& serverString, const Size& size) {
    Connection server;
    server.Open(serverString);
    server.ExecuteNonQuery(QStringLiteral("DROP DATABASE IF EXISTS ") + pgDatabaseName(size));
}

// ---------------------------------------------------------------------------------------
// One run

struct Set {
    int tipo;
    int anno;
    int progEser;
    int sede;
};

// The parameter steps of the form for the monthly subtype, as a user would fill them.
class Inquiry {
public:
    explicit Inquiry(const QString& connectionString) : m_connectionString(connectionString) {
        m_connection.Open(connectionString);
        m_global = std::make_unique<HostGlobal>(&m_messages, &m_connection, connectionString);
        m_global->ApriDitta(DemoCompany::CodDitta);
        m_log = std::make_unique<HostLog>(m_global.get(),
                                          m_logFolder.filePath(QStringLiteral("run.log")));
        m_budget = std::make_unique<BudgetObject>(&m_connection, connectionString,
                                                  DemoBudget::IndTipoBudget, DemoCompany::CodDitta);
    }

    void prepare(FormState& state) {
        fillContext(state);
        fillSubtype(state, QStringLiteral("MENS"));
        state.CodCriterio = QString::fromLatin1(DemoContent::CriterionProfitLoss);
        state.ChkNascondiNull = true;
        state.PeriodoDa = 1;
        state.PeriodoA = 12;
        fillSets(state, {{0, 2026, 1, 1}, {3, 2026, 1, 1}, {4, 2026, 1, 1}, {1, 2026, 1, 1}});
        ImpostaValutaEFormato(state, ValutaElaborazione{Variant::null(), Variant::null()});
    }

    Connection& connection() { return m_connection; }
    const RecordingMessageService& messages() const { return m_messages; }

private:
    void fillContext(FormState& state) {
        state.CodDitta = DemoCompany::CodDitta;
        state.CodLingua =
            m_global->CodLingua().isEmpty() ? QStringLiteral("ITA") : m_global->CodLingua();
        state.CodValutaGestione = m_global->CodValutaGestione();
        const auto gestione = m_global->DatiValuta(state.CodValutaGestione.toString());
        state.NrDecimaliGestione = gestione ? gestione->NrDecimali : Variant::null();
        state.StringaConnessione = m_connectionString;
        state.Caption = QStringLiteral("Budget per criterio");
        state.connection = &m_connection;
        state.Gcls_Global = m_global.get();
        state.Gcls_Log = m_log.get();
        state.ObjBudget = m_budget.get();
        state.IndTipoBudget = DemoBudget::IndTipoBudget;
    }

    void fillSubtype(FormState& state, const QString& sottotipo) {
        const BudgetObject& budget = *m_budget;
        const int tipo = DemoBudget::IndTipoBudget;
        state.CodSottotipo = sottotipo;
        state.IsGestioneSede = budget.GestioneSede(tipo, sottotipo);
        state.IndPeriodoSolareFiscale = budget.PeriodoSolareFiscale(tipo, sottotipo);
        state.CodPeriodicita = budget.Periodicita(tipo, sottotipo);
        state.NrPeriodi = BudgetObject::NumeroPeriodi(state.CodPeriodicita);
        state.NrForecast = budget.NumeroForecast(tipo, sottotipo);
        state.IndMultiAttivita = budget.MultiAttivita(tipo, sottotipo);
        state.IndTipoPdc = budget.TipoPdc(tipo, sottotipo);
        state.CodPdc = budget.CodicePdc(tipo, sottotipo);
        state.CodStrutturaBU60 = budget.GestioneStruttura(tipo, sottotipo)
                                     ? budget.CodiceStruttura(tipo, sottotipo)
                                     : Variant::null();
        state.IsMultiAttivita = state.IndMultiAttivita == 1 &&
                                GetIsAziendaCorrentePrincipalePerAnno(state, Variant(2026));
        state.IsConsolidoMultiAtt = false;
    }

    void fillSets(FormState& state, const QList<Set>& sets) {
        if (!PopolaArray(state) || !DefinisciRstConfronto(state))
            throw std::runtime_error("the comparison list could not be defined");
        for (const Set& set : sets)
            AddSetValorizzato(state, set.tipo, set.anno, set.progEser, set.sede);
        state.NrConfronti = std::int16_t(state.RstConfronto->RecordCount());
    }

    QString m_connectionString;
    Connection m_connection;
    RecordingMessageService m_messages;
    QTemporaryDir m_logFolder;
    std::unique_ptr<HostGlobal> m_global;
    std::unique_ptr<HostLog> m_log;
    std::unique_ptr<BudgetObject> m_budget;
};

// FNV-1a over every cell of a table in `sort` order: the same result gives the same number,
// so a speed change that altered the result shows at once.
void mix(std::uint64_t& hash, const QString& text) {
    for (const QChar c : text) {
        hash ^= c.unicode();
        hash *= 0x100000001B3ULL;
    }
    hash ^= 0x1F;
    hash *= 0x100000001B3ULL;
}

std::uint64_t fingerprint(const RecordsetPtr& table, const QString& sort, std::uint64_t hash) {
    if (!table)
        return hash;
    Recordset view = table->Clone();
    view.setSort(sort);
    for (view.MoveFirst(); !view.Eof(); view.MoveNext()) {
        for (int field = 0; field < view.fieldCount(); ++field) {
            const Variant value = view.value(field);
            mix(hash, value.isNullOrEmpty() ? QStringLiteral("<null>") : value.toString());
        }
    }
    return hash;
}

double processorSeconds() {
    return double(std::clock()) / double(CLOCKS_PER_SEC);
}

// Steps through every row of one statement on a connection of its own, without reading the
// rows into a recordset: the database's work alone.
double statementSeconds(const QString& path, const QString& sql, bool exactFunctions) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path.toStdString());
    }
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(db, sqlite3_close);
    if (!AccountFunctions::registerOn(db) || (exactFunctions && !registerExactDecimalFunctions(db)))
        throw std::runtime_error("cannot register the functions on " + path.toStdString());
    const QByteArray text = SqlDialect::translate(sql, SqlDialect::Target::SQLite).toUtf8();
    const char* tail = text.constData();
    const double start = processorSeconds();
    while (tail != nullptr && *tail != 0) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, tail, -1, &statement, &tail) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        int status = SQLITE_ROW;
        while (statement != nullptr && (status = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        sqlite3_finalize(statement);
        if (status != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    return processorSeconds() - start;
}

Statements timeStatements(const QString& path, FormState& state) {
    const ImportiSqlInput input = importiSqlInput(state, *state.RstConfronto);
    Statements times;
    for (const QString& sql :
         {BuildSqlImportiPerConto(input), BuildSqlImportiPerContoPeriodo(input)}) {
        times.exact += statementSeconds(path, sql, true);
        times.builtIn += statementSeconds(path, sql, false);
    }
    return times;
}

Figures runOnce(const QString& connectionString, std::int64_t rows, bool afterLoading) {
    Inquiry inquiry(connectionString);
    FormState state;
    inquiry.prepare(state);
    ImportiQueryTimer::reset();
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    const EsitoElaborazione esito = BdgIntRic_Elabora(state);
    const std::int64_t total = timer.nsecsElapsed();
    const double cpuTotal = double(std::clock() - cpuStart) / double(CLOCKS_PER_SEC);
    if (esito != EsitoElaborazione::Completata) {
        QString text = QStringLiteral("the elaboration did not complete");
        for (const RecordedMessage& message : inquiry.messages().messages())
            text += QStringLiteral("\n  ") + message.text;
        throw std::runtime_error(text.toStdString());
    }
    Figures figures;
    figures.afterLoading = afterLoading;
    if (Connection::engineOf(connectionString) == Connection::Engine::SQLite)
        figures.statements = timeStatements(connectionString, state);
    figures.rows = rows;
    figures.querySeconds = double(ImportiQueryTimer::elapsedNanoseconds()) / 1e9;
    figures.otherSeconds = double(total - ImportiQueryTimer::elapsedNanoseconds()) / 1e9;
    figures.queryCpuSeconds = double(ImportiQueryTimer::cpuNanoseconds()) / 1e9;
    figures.otherCpuSeconds = cpuTotal - figures.queryCpuSeconds;
    figures.queries = ImportiQueryTimer::executions();
    figures.criterioRows = state.RstCriterio->RecordCount();
    figures.periodiRows = state.RstCriterioPeriodi->RecordCount();
    figures.fingerprint = fingerprint(
        state.RstCriterioPeriodi, QStringLiteral("KEY_VOCE, PERIODO"),
        fingerprint(state.RstCriterio, QStringLiteral("KEY_VOCE"), 0xCBF29CE484222325ULL));
    return figures;
}

void print(const char* engine, const Size& size, const Figures& figures) {
    std::printf("%s scale %d: %lld amounts, %d result rows, %d node-period rows, "
                "fingerprint %016llx\n",
                engine, size.scale, static_cast<long long>(figures.rows), figures.criterioRows,
                figures.periodiRows, static_cast<unsigned long long>(figures.fingerprint));
    std::printf("                       clock      processor\n");
    std::printf("  amount queries (%d): %8.3f s  %8.3f s\n", figures.queries, figures.querySeconds,
                figures.queryCpuSeconds);
    std::printf("  everything else:    %8.3f s  %8.3f s\n", figures.otherSeconds,
                figures.otherCpuSeconds);
    std::printf("  else / queries:     %8.1f %%  %8.1f %%\n",
                100.0 * figures.otherSeconds / figures.querySeconds,
                100.0 * figures.otherCpuSeconds / figures.queryCpuSeconds);
    std::printf(figures.afterLoading ? "  (the run right after the company was loaded and "
                                       "analysed)\n"
                                     : "  (shortest times of the runs)\n");
    if (const auto& statements = figures.statements) {
        std::printf("  query split, processor: statements with exact ROUND/SUM %.3f s, with "
                    "built-in %.3f s (x%.2f); reading rows into recordsets %.3f s\n",
                    statements->exact, statements->builtIn, statements->exact / statements->builtIn,
                    figures.queryCpuSeconds - statements->exact);
    }
    std::fflush(stdout);
}

void printGrowth(const char* engine, const Figures& large, const Figures& small) {
    const double rowsFactor = double(large.rows) / double(small.rows);
    const double otherFactor = large.otherSeconds / small.otherSeconds;
    const double otherCpuFactor = large.otherCpuSeconds / small.otherCpuSeconds;
    std::printf("%s growth: amounts x%.2f, queries x%.2f, everything else x%.2f "
                "(else per amount x%.2f; 1.00 is linear)\n",
                engine, rowsFactor, large.querySeconds / small.querySeconds, otherFactor,
                otherFactor / rowsFactor);
    std::printf("%s growth in processor time: queries x%.2f, everything else x%.2f "
                "(else per amount x%.2f)\n",
                engine, large.queryCpuSeconds / small.queryCpuSeconds, otherCpuFactor,
                otherCpuFactor / rowsFactor);
    std::fflush(stdout);
}

// The shortest of each time over the runs: a busy machine only ever adds to a time.
Figures shortest(Figures best, const Figures& other) {
    if (other.fingerprint != best.fingerprint)
        throw std::runtime_error("two runs on the same company gave different results");
    best.querySeconds = std::min(best.querySeconds, other.querySeconds);
    best.otherSeconds = std::min(best.otherSeconds, other.otherSeconds);
    best.queryCpuSeconds = std::min(best.queryCpuSeconds, other.queryCpuSeconds);
    best.otherCpuSeconds = std::min(best.otherCpuSeconds, other.otherCpuSeconds);
    if (best.statements && other.statements) {
        best.statements->exact = std::min(best.statements->exact, other.statements->exact);
        best.statements->builtIn = std::min(best.statements->builtIn, other.statements->builtIn);
    }
    best.afterLoading = false;
    return best;
}

// A run right after the company was built is shown on its own, then the shortest times of
// every run.
Figures measure(const char* engine, const QString& target, const Size& size, bool built,
                int repeat) {
    Figures best = runOnce(target, size.rows, built);
    if (built)
        print(engine, size, best);
    for (int run = 0; run < repeat; ++run)
        best = shortest(best, runOnce(target, size.rows, false));
    best.afterLoading = false;
    if (!built || repeat > 0)
        print(engine, size, best);
    return best;
}

void benchSqlite(const Options& options, const Size& large, const Size& small) {
    bool built = false;
    const QString largePath = sqliteCompany(large, built);
    const Figures largeRun = measure("SQLite", largePath, large, built, options.repeat);
    const QString smallPath = sqliteCompany(small, built);
    const Figures smallRun = measure("SQLite", smallPath, small, built, options.repeat);
    printGrowth("SQLite", largeRun, smallRun);
    if (options.keep)
        return;
    QFile::remove(largePath);
    QFile::remove(smallPath);
}

void benchPostgres(const Options& options, const Size& large, const Size& small) {
    bool built = false;
    const QString largeTarget = pgCompany(options.pg, large, built);
    const Figures largeRun = measure("PostgreSQL", largeTarget, large, built, options.repeat);
    const QString smallTarget = pgCompany(options.pg, small, built);
    const Figures smallRun = measure("PostgreSQL", smallTarget, small, built, options.repeat);
    printGrowth("PostgreSQL", largeRun, smallRun);
    if (options.keep)
        return;
    dropPgCompany(options.pg, large);
    dropPgCompany(options.pg, small);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    try {
        const Options options = parseOptions(app.arguments());
        const Size large = sizeForRows(options.rows);
        const Size small = sizeForRows(std::max<std::int64_t>(1, options.rows / 2));
        benchSqlite(options, large, small);
        if (!options.pg.isEmpty())
            benchPostgres(options, large, small);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_elabora: %s\n", error.what());
        return 1;
    }
    return 0;
}
