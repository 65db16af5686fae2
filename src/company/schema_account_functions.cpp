#include "company/schema_account_functions.h"

#include "data/connection.h"

#include <sqlite3.h>

#include <array>
#include <cstring>

namespace bdg {

namespace {

constexpr int ArgumentCount = 4;

/// One description function: its name, result column, argument names and the SELECT that
/// answers it, with ?1 ... ?4 standing for the arguments.
struct FunctionDef {
    const char* name;
    const char* resultColumn;
    std::array<const char*, ArgumentCount> arguments;
    std::array<const char*, ArgumentCount> sqlServerTypes;
    const char* body;
};

const FunctionDef LedgerAccount = {"FNCG_CG24_CONTO",
                                   "CG24_DESCR",
                                   {"Gruppo", "Conto", "Ditta", "Lingua"},
                                   {"VARCHAR(20)", "VARCHAR(20)", "INT", "VARCHAR(4)"},
                                   "SELECT COALESCE(L.CG25_DESCR, C.CG24_DESCR) AS CG24_DESCR\n"
                                   "FROM CG24_PIANOCONTI C\n"
                                   "LEFT OUTER JOIN CG25_CONTILINGUA L\n"
                                   "ON L.CG25_DITTA_CG18 = C.CG24_DITTA_CG18\n"
                                   "AND L.CG25_GRUPPO_CG10 = C.CG24_GRUPPO_CG10\n"
                                   "AND L.CG25_CONTO_CG24 = C.CG24_CONTO\n"
                                   "AND L.CG25_LINGUA = RTRIM(?4)\n"
                                   "WHERE C.CG24_GRUPPO_CG10 = ?1\n"
                                   "AND C.CG24_CONTO = ?2\n"
                                   "AND C.CG24_DITTA_CG18 = ?3"};

const FunctionDef ReclassifiedAccount = {
    "FNPC03_ANAGPDC_COGE",
    "PC03_DESCR",
    {"Pdc", "Conto", "Ditta", "Lingua"},
    {"VARCHAR(20)", "VARCHAR(20)", "INT", "VARCHAR(4)"},
    "SELECT COALESCE(L.PC04_DESCR, C.PC03_DESCR) AS PC03_DESCR\n"
    "FROM PC03_ANAGPDC C\n"
    "LEFT OUTER JOIN PC04_ANAGPDCLINGUA L\n"
    "ON L.PC04_DITTA_CG18 = C.PC03_DITTA_CG18\n"
    "AND L.PC04_CODICE_PC01 = C.PC03_CODICE_PC01\n"
    "AND L.PC04_CONTO_PC03 = C.PC03_CONTO\n"
    "AND L.PC04_LINGUA = RTRIM(?4)\n"
    "WHERE C.PC03_CODICE_PC01 = ?1\n"
    "AND C.PC03_CONTO = ?2\n"
    "AND C.PC03_DITTA_CG18 = ?3"};

const std::array<const FunctionDef*, 2> Functions = {&LedgerAccount, &ReclassifiedAccount};

QString sqlServerType(const FunctionDef& function, int argument) {
    return QString::fromLatin1(function.sqlServerTypes[std::size_t(argument)]);
}

// The body with ?n replaced by the engine's own way of naming argument n.
QString bodyFor(const FunctionDef& function, SchemaDialect dialect) {
    QString body = QString::fromLatin1(function.body);
    for (int argument = ArgumentCount; argument >= 1; --argument) {
        const QString name =
            dialect == SchemaDialect::PostgreSQL
                ? QStringLiteral("$%1").arg(argument)
                : "@" + QString::fromLatin1(function.arguments[std::size_t(argument - 1)]);
        body.replace(QStringLiteral("?%1").arg(argument), name);
    }
    return body;
}

QString postgresFunction(const FunctionDef& function) {
    // VARCHAR arguments so that code columns and quoted literals match without casts.
    return QStringLiteral("CREATE FUNCTION %1(VARCHAR, VARCHAR, INTEGER, VARCHAR)\n"
                          "RETURNS TABLE (%2 VARCHAR)\n"
                          "LANGUAGE sql STABLE\n"
                          "AS $body$\n%3\n$body$")
        .arg(QString::fromLatin1(function.name), QString::fromLatin1(function.resultColumn),
             bodyFor(function, SchemaDialect::PostgreSQL));
}

QString sqlServerFunction(const FunctionDef& function) {
    QStringList parameters;
    for (int argument = 0; argument < ArgumentCount; ++argument)
        parameters << "@" + QString::fromLatin1(function.arguments[std::size_t(argument)]) + " " +
                          sqlServerType(function, argument);
    return QStringLiteral("CREATE FUNCTION %1(%2)\nRETURNS TABLE\nAS\nRETURN (\n%3\n)")
        .arg(QString::fromLatin1(function.name), parameters.join(", "),
             bodyFor(function, SchemaDialect::SqlServer));
}

// SQLite side: an eponymous virtual table per function. Column 0 is the description; the
// hidden columns 1 to 4 are the arguments, which a call FN(a, b, c, d) constrains with "=".

struct FunctionTable {
    sqlite3_vtab base;
    sqlite3* database;
    const FunctionDef* function;
};

struct FunctionCursor {
    sqlite3_vtab_cursor base;
    sqlite3_stmt* statement;
    std::array<sqlite3_value*, ArgumentCount> arguments;
    sqlite3_int64 row;
    bool atEnd;
};

FunctionTable* tableOf(sqlite3_vtab* vtab) {
    return reinterpret_cast<FunctionTable*>(vtab);
}

FunctionCursor* cursorOf(sqlite3_vtab_cursor* cursor) {
    return reinterpret_cast<FunctionCursor*>(cursor);
}

int connectTable(sqlite3* database, void* aux, int, const char* const*, sqlite3_vtab** vtab,
                 char**) {
    const auto* function = static_cast<const FunctionDef*>(aux);
    const QByteArray declaration =
        QStringLiteral("CREATE TABLE x(%1 TEXT, arg1 HIDDEN, arg2 HIDDEN, arg3 HIDDEN, "
                       "arg4 HIDDEN)")
            .arg(QString::fromLatin1(function->resultColumn))
            .toUtf8();
    const int status = sqlite3_declare_vtab(database, declaration.constData());
    if (status != SQLITE_OK)
        return status;
    auto* table = static_cast<FunctionTable*>(sqlite3_malloc(sizeof(FunctionTable)));
    if (table == nullptr)
        return SQLITE_NOMEM;
    std::memset(table, 0, sizeof(FunctionTable));
    table->database = database;
    table->function = function;
    *vtab = &table->base;
    return SQLITE_OK;
}

int disconnectTable(sqlite3_vtab* vtab) {
    sqlite3_free(vtab);
    return SQLITE_OK;
}

// Every argument given must be usable: an argument that names a column of a table joined
// later is refused (SQLITE_CONSTRAINT), so SQLite reorders the join instead. idxNum is the
// bit set of the arguments handed to xFilter, in argument order.
int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    std::array<int, ArgumentCount> constraintOf{-1, -1, -1, -1};
    int unusable = 0;
    for (int index = 0; index < info->nConstraint; ++index) {
        const auto& constraint = info->aConstraint[index];
        if (constraint.iColumn < 1 || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        const int argument = constraint.iColumn - 1;
        if (!constraint.usable) {
            unusable |= 1 << argument;
            continue;
        }
        constraintOf[std::size_t(argument)] = index;
    }
    int given = 0;
    int next = 1;
    for (int argument = 0; argument < ArgumentCount; ++argument) {
        const int index = constraintOf[std::size_t(argument)];
        if (index < 0)
            continue;
        given |= 1 << argument;
        info->aConstraintUsage[index].argvIndex = next++;
        info->aConstraintUsage[index].omit = 1;
    }
    if ((unusable & ~given) != 0)
        return SQLITE_CONSTRAINT;
    info->idxNum = given;
    info->estimatedCost = given == 0xF ? 10.0 : 1e9;
    info->estimatedRows = given == 0xF ? 1 : 1000000;
    return SQLITE_OK;
}

void releaseArguments(FunctionCursor* cursor) {
    for (sqlite3_value*& value : cursor->arguments) {
        sqlite3_value_free(value);
        value = nullptr;
    }
}

int openCursor(sqlite3_vtab* vtab, sqlite3_vtab_cursor** result) {
    FunctionTable* table = tableOf(vtab);
    auto* cursor = static_cast<FunctionCursor*>(sqlite3_malloc(sizeof(FunctionCursor)));
    if (cursor == nullptr)
        return SQLITE_NOMEM;
    std::memset(cursor, 0, sizeof(FunctionCursor));
    const int status =
        sqlite3_prepare_v2(table->database, table->function->body, -1, &cursor->statement, nullptr);
    if (status != SQLITE_OK) {
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg =
            sqlite3_mprintf("%s: %s", table->function->name, sqlite3_errmsg(table->database));
        sqlite3_finalize(cursor->statement);
        sqlite3_free(cursor);
        return status;
    }
    cursor->atEnd = true;
    *result = &cursor->base;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor* base) {
    FunctionCursor* cursor = cursorOf(base);
    releaseArguments(cursor);
    sqlite3_finalize(cursor->statement);
    sqlite3_free(cursor);
    return SQLITE_OK;
}

int step(FunctionCursor* cursor) {
    const int status = sqlite3_step(cursor->statement);
    cursor->atEnd = status != SQLITE_ROW;
    if (status == SQLITE_ROW || status == SQLITE_DONE)
        return SQLITE_OK;
    return status;
}

int filter(sqlite3_vtab_cursor* base, int given, const char*, int argc, sqlite3_value** argv) {
    FunctionCursor* cursor = cursorOf(base);
    sqlite3_reset(cursor->statement);
    sqlite3_clear_bindings(cursor->statement);
    releaseArguments(cursor);
    int next = 0;
    for (int argument = 0; argument < ArgumentCount && next < argc; ++argument) {
        if ((given & (1 << argument)) == 0)
            continue;
        cursor->arguments[std::size_t(argument)] = sqlite3_value_dup(argv[next]);
        sqlite3_bind_value(cursor->statement, argument + 1, argv[next]);
        ++next;
    }
    cursor->row = 0;
    return step(cursor);
}

int nextRow(sqlite3_vtab_cursor* base) {
    FunctionCursor* cursor = cursorOf(base);
    ++cursor->row;
    return step(cursor);
}

int endOfRows(sqlite3_vtab_cursor* base) {
    return cursorOf(base)->atEnd ? 1 : 0;
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
    FunctionCursor* cursor = cursorOf(base);
    if (index == 0) {
        sqlite3_result_value(context, sqlite3_column_value(cursor->statement, 0));
        return SQLITE_OK;
    }
    sqlite3_value* argument = cursor->arguments[std::size_t(index - 1)];
    if (argument == nullptr)
        sqlite3_result_null(context);
    else
        sqlite3_result_value(context, argument);
    return SQLITE_OK;
}

int rowId(sqlite3_vtab_cursor* base, sqlite3_int64* row) {
    *row = cursorOf(base)->row;
    return SQLITE_OK;
}

sqlite3_module makeModule() {
    sqlite3_module module;
    std::memset(&module, 0, sizeof(module));
    module.iVersion = 0;
    module.xCreate = nullptr; // eponymous only: the function exists without CREATE VIRTUAL TABLE
    module.xConnect = connectTable;
    module.xBestIndex = bestIndex;
    module.xDisconnect = disconnectTable;
    module.xDestroy = nullptr;
    module.xOpen = openCursor;
    module.xClose = closeCursor;
    module.xFilter = filter;
    module.xNext = nextRow;
    module.xEof = endOfRows;
    module.xColumn = column;
    module.xRowid = rowId;
    return module;
}

const sqlite3_module FunctionModule = makeModule();

// Every SQLite connection of the program gets the functions as it opens, so that a
// company database opened anywhere answers the amount statements.
[[maybe_unused]] const bool registeredOnConnections = [] {
    Connection::addSqliteInitializer(
        [](sqlite3* database) { AccountFunctions::registerOn(database); });
    return true;
}();

} // namespace

QStringList AccountFunctions::statements(SchemaDialect dialect) {
    QStringList result;
    if (dialect == SchemaDialect::SQLite)
        return result;
    for (const FunctionDef* function : Functions)
        result << (dialect == SchemaDialect::PostgreSQL ? postgresFunction(*function)
                                                        : sqlServerFunction(*function));
    return result;
}

bool AccountFunctions::registerOn(sqlite3* database) {
    if (database == nullptr)
        return false;
    bool registered = true;
    for (const FunctionDef* function : Functions) {
        const int status = sqlite3_create_module_v2(database, function->name, &FunctionModule,
                                                    const_cast<FunctionDef*>(function), nullptr);
        registered = registered && status == SQLITE_OK;
    }
    return registered;
}

} // namespace bdg
