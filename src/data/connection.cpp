#include "data/connection.h"

#include "data/sql_dialect.h"
#include "data/sqlite_functions.h"
#include "data/value_blocks.h"

#include <QFileInfo>
#include <QMetaType>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <vector>

namespace bdg {

namespace {

// ---------------------------------------------------------------------------------------
// Connection strings

/// What a connection string asks for, once taken apart.
struct Target {
    Connection::Engine engine = Connection::Engine::SQLite;
    QString database; ///< file path, database name or the whole ODBC string
    QString host;
    int port = -1;
    QString user;
    QString password;
    QStringList options; ///< further PostgreSQL keywords, "key=value"
};

const QRegularExpression& keywordPattern() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((\w+)\s*=\s*(?:'((?:[^'\\]|\\.)*)'|(\S+)))"));
    return pattern;
}

bool isOdbc(const QString& text) {
    static const QRegularExpression odbc(QStringLiteral(R"((^|;)\s*(DSN|FILEDSN|DRIVER)\s*=)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return odbc.match(text).hasMatch();
}

bool isPostgresKeywords(const QString& text) {
    static const QRegularExpression keyword(
        QStringLiteral(R"(^\s*(host|hostaddr|port|dbname|user|password|service)\s*=)"),
        QRegularExpression::CaseInsensitiveOption);
    return keyword.match(text).hasMatch();
}

void setPostgresKeyword(Target& target, const QString& key, const QString& value) {
    if (key == QLatin1String("host") || key == QLatin1String("hostaddr"))
        target.host = value;
    else if (key == QLatin1String("port"))
        target.port = value.toInt();
    else if (key == QLatin1String("dbname"))
        target.database = value;
    else if (key == QLatin1String("user"))
        target.user = value;
    else if (key == QLatin1String("password"))
        target.password = value;
    else
        target.options << key + QLatin1Char('=') + value;
}

Target postgresFromKeywords(const QString& text) {
    Target target;
    target.engine = Connection::Engine::PostgreSQL;
    auto matches = keywordPattern().globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        QString value = match.captured(2).isNull() ? match.captured(3) : match.captured(2);
        value.replace(QStringLiteral("\\'"), QStringLiteral("'"));
        setPostgresKeyword(target, match.captured(1).toLower(), value);
    }
    return target;
}

Target postgresFromUrl(const QString& text) {
    const QUrl url(text);
    Target target;
    target.engine = Connection::Engine::PostgreSQL;
    target.host = url.host();
    target.port = url.port(-1);
    target.user = url.userName();
    target.password = url.password();
    target.database = url.path().mid(1);
    const QStringList query =
        url.query(QUrl::FullyDecoded).split(QLatin1Char('&'), Qt::SkipEmptyParts);
    for (const QString& item : query)
        target.options << item;
    return target;
}

Target parseConnectionString(const QString& text) {
    const QString trimmed = text.trimmed();
    if (isOdbc(trimmed))
        return {Connection::Engine::Odbc, trimmed, {}, -1, {}, {}, {}};
    if (trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return postgresFromUrl(trimmed);
    if (isPostgresKeywords(trimmed))
        return postgresFromKeywords(trimmed);
    if (trimmed.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive))
        return {Connection::Engine::SQLite, trimmed.mid(7), {}, -1, {}, {}, {}};
    return {Connection::Engine::SQLite, trimmed, {}, -1, {}, {}, {}};
}

// ---------------------------------------------------------------------------------------
// SQLite hooks

struct SqliteInitializers {
    QMutex mutex;
    std::vector<std::function<void(sqlite3*)>> list;
};

SqliteInitializers& sqliteInitializers() {
    static SqliteInitializers initializers;
    return initializers;
}

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool initializeSqlite(sqlite3* handle) {
    if (!registerExactDecimalFunctions(handle))
        return false;
    SqliteInitializers& initializers = sqliteInitializers();
    QMutexLocker lock(&initializers.mutex);
    for (const auto& initializer : initializers.list)
        initializer(handle);
    return true;
}

// ---------------------------------------------------------------------------------------
// Result columns

/// The type of a result column and what is needed to read its values.
struct Column {
    FieldDef def;
    bool precisionKnown = false; ///< precision and scale declared by the database
    bool typedByValues = false;  ///< nothing declared: the values decide the type
};

bool fitsInt32(qlonglong value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

/// "DECIMAL(18, 2)" -> precision 18, scale 2.
void readDeclaredPrecision(Column& column, const QString& declared) {
    static const QRegularExpression digits(QStringLiteral(R"(\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))"));
    const auto match = digits.match(declared);
    if (!match.hasMatch())
        return;
    column.def.precision = match.captured(1).toInt();
    column.def.scale = match.captured(2).toInt();
    column.precisionKnown = column.def.precision > 0;
}

/// The type SQLite's affinity rules give a declared column type; false when nothing is
/// declared and the values must decide.
bool typeFromSqliteDeclaration(Column& column, const QString& declared) {
    const QString type = declared.toUpper();
    if (type.isEmpty())
        return false;
    if (type.contains(QLatin1String("BOOL")))
        column.def.type = FieldType::Boolean;
    else if (type.contains(QLatin1String("BIGINT")))
        column.def.type = FieldType::BigInt;
    else if (type.contains(QLatin1String("INT")))
        column.def.type = FieldType::Integer; // widened below when a value needs 64 bits
    else if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB")) ||
             type.contains(QLatin1String("TEXT")))
        column.def.type = FieldType::VarWChar;
    else if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
             type.contains(QLatin1String("DOUB")))
        column.def.type = FieldType::Double;
    else if (type.contains(QLatin1String("DEC")) || type.contains(QLatin1String("NUM")) ||
             type.contains(QLatin1String("MONEY"))) {
        column.def.type = FieldType::Decimal;
        readDeclaredPrecision(column, type);
    } else
        column.def.type = FieldType::VarWChar;
    return true;
}

// PostgreSQL type identifiers (pg_type OIDs) that QtSql reports in QSqlField::typeID().
constexpr int PgBool = 16, PgInt8 = 20, PgInt2 = 21, PgInt4 = 23, PgOid = 26, PgFloat4 = 700,
              PgFloat8 = 701, PgNumeric = 1700;

void typeFromPostgres(Column& column, const QSqlField& field) {
    switch (field.typeID()) {
    case PgBool:
        column.def.type = FieldType::Boolean;
        break;
    case PgInt2:
    case PgInt4:
        column.def.type = FieldType::Integer;
        break;
    case PgInt8:
    case PgOid:
        column.def.type = FieldType::BigInt;
        break;
    case PgFloat4:
    case PgFloat8:
        column.def.type = FieldType::Double;
        break;
    case PgNumeric:
        column.def.type = FieldType::Decimal;
        // QtSql gives numeric(p, s) as length p and precision s; -1 when not declared.
        column.precisionKnown = field.length() > 0;
        column.def.precision = column.precisionKnown ? field.length() : 0;
        column.def.scale = column.precisionKnown ? std::max(field.precision(), 0) : 0;
        break;
    default:
        column.def.type = FieldType::VarWChar;
    }
}

// ---------------------------------------------------------------------------------------
// Values

/// Whole numbers as a database hands them over: an integer, a double without fraction, or
/// the digits of one; nothing for anything else (text that is no number, "1,5", a blob).
std::optional<qlonglong> wholeNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return value.toLongLong();
    case QMetaType::ULongLong: // PostgreSQL's bigint and count(*)
        if (value.toULongLong() > qulonglong(std::numeric_limits<qlonglong>::max()))
            return std::nullopt;
        return value.toLongLong();
    case QMetaType::Double: {
        const double number = value.toDouble();
        const bool whole =
            std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9.2e18;
        return whole ? std::optional<qlonglong>(qlonglong(number)) : std::nullopt;
    }
    case QMetaType::QString: {
        static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]{1,18}$"));
        const QString text = value.toString();
        return digits.match(text).hasMatch() ? std::optional<qlonglong>(text.toLongLong())
                                             : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

/// An exact number as a database hands it over: integers, finite doubles, and text written
/// the way the engines write decimals ("-1234.50000"); nothing for anything else.
std::optional<Decimal> exactNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const std::optional<qlonglong> whole = wholeNumber(value);
        return whole ? std::optional<Decimal>(Decimal(std::int64_t(*whole))) : std::nullopt;
    }
    case QMetaType::Double:
        if (!std::isfinite(value.toDouble()))
            return std::nullopt;
        return decimalFromDouble(value.toDouble());
    case QMetaType::QString: {
        static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
        const QString text = value.toString();
        return decimal.match(text).hasMatch() ? Decimal::fromString(text) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

/// A value as the type of its column; nothing when the column cannot hold it.
std::optional<Variant> toVariant(const QVariant& value, FieldType type) {
    if (value.isNull())
        return Variant::null();
    switch (type) {
    case FieldType::Integer:
    case FieldType::BigInt: {
        const std::optional<qlonglong> number = wholeNumber(value);
        if (!number)
            return std::nullopt;
        return type == FieldType::Integer ? Variant(int(*number)) : Variant(std::int64_t(*number));
    }
    case FieldType::Decimal: {
        const std::optional<Decimal> number = exactNumber(value);
        return number ? std::optional<Variant>(Variant(*number)) : std::nullopt;
    }
    case FieldType::Double:
        return Variant(value.toDouble());
    case FieldType::Boolean:
        return Variant(value.toBool());
    default:
        return Variant(value.toString());
    }
}

/// A value as a message shows it: quoted text cut to a readable length, a blob as hex.
QString shownValue(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        return QStringLiteral("x'%1'").arg(
            QString::fromLatin1(value.toByteArray().left(16).toHex()));
    QString text = value.toString();
    if (text.size() > 40)
        text = text.left(40) + QStringLiteral("...");
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// ---------------------------------------------------------------------------------------
// Reading the rows

/// The rows of a result as they arrive, one value per field, row after row. A column whose
/// type the statement declares holds its values already read as that type, except that
/// integers stay 64-bit until every value shows whether 32 bits do. A column typed by its
/// values holds each value as the database handed it over (whole number, double, text)
/// until they have all been seen. A value that is none of these, or that its column cannot
/// hold, is an Empty cell whose original is kept aside for the message or a later reading.
class ResultRows {
public:
    explicit ResultRows(std::vector<Column>& columns) : m_columns(columns) {
        m_rows.setWidth(columns.size());
    }

    /// The value of column `index` of the current row; column 0 starts a new row.
    void append(const QVariant& value, int index) {
        if (index == 0)
            m_last = m_rows.appendRow();
        std::optional<Variant> cell = read(value, m_columns[std::size_t(index)]);
        if (!cell) {
            m_kept.emplace_back((m_rows.rowCount() - 1) * width() + std::size_t(index), value);
            return;
        }
        // Sorted results repeat their codes row after row: a text equal to the one above
        // shares its characters instead of keeping a copy of its own.
        if (cell->isText() && m_rows.rowCount() > 1) {
            const Variant& above = m_rows.row(m_rows.rowCount() - 2)[index];
            if (above.isText() && above.toString() == cell->toString()) {
                m_last[index] = above;
                return;
            }
        }
        m_last[index] = std::move(*cell);
    }

    std::size_t rowCount() const { return m_columns.empty() ? 0 : m_rows.rowCount(); }
    std::size_t width() const { return m_columns.size(); }
    Variant& cell(std::size_t row, int index) { return m_rows.row(row)[index]; }
    /// The value the database handed over for an Empty cell.
    const QVariant& original(std::size_t row, int index) const {
        const std::size_t at = row * width() + std::size_t(index);
        const auto found = keptAt(at);
        return found->second;
    }

    /// Decides what the values left open (the type of undeclared columns, 64-bit integers,
    /// the size of undeclared decimals) and brings every cell to its column's type.
    void settle() {
        for (int index = 0; index < int(width()); ++index) {
            Column& column = m_columns[std::size_t(index)];
            if (column.typedByValues)
                typeFromValues(column, index);
            if (column.def.type == FieldType::Integer)
                fitIntegers(index);
            else if (column.typedByValues)
                readAs(column.def.type, index);
            if (column.def.type == FieldType::Decimal && !column.precisionKnown)
                fitDecimals(column, index);
        }
    }

private:
    static std::optional<Variant> read(const QVariant& value, const Column& column) {
        if (value.isNull())
            return Variant::null();
        if (column.typedByValues) {
            switch (value.typeId()) {
            case QMetaType::LongLong:
            case QMetaType::Int:
                return Variant(std::int64_t(value.toLongLong()));
            case QMetaType::Double:
                return Variant(value.toDouble());
            case QMetaType::QString:
                return Variant(value.toString());
            default:
                return std::nullopt;
            }
        }
        if (column.def.type == FieldType::Integer) {
            const std::optional<qlonglong> number = wholeNumber(value);
            return number ? std::optional<Variant>(Variant(std::int64_t(*number))) : std::nullopt;
        }
        return toVariant(value, column.def.type);
    }

    /// The value a cell of a column typed by its values was read from.
    QVariant handedOver(std::size_t at) const {
        const Variant& cell = cellAt(at);
        switch (cell.type()) {
        case Variant::Type::Int64:
            return QVariant(qlonglong(*cell.toInt64()));
        case Variant::Type::Double:
            return QVariant(*cell.toDouble());
        case Variant::Type::Text:
            return QVariant(cell.toString());
        default:
            return original(at / width(), int(at % width()));
        }
    }

    /// Integer, BigInt, Decimal, Double or text as the values of one column show it (SQLite
    /// is typeless; expressions carry no declared type).
    void typeFromValues(Column& column, int index) const {
        bool anyValue = false, allIntegers = true, anyReal = false, allNumbers = true;
        bool allInt32 = true;
        for (std::size_t at = std::size_t(index); at < cellCount(); at += width()) {
            const Variant& cell = cellAt(at);
            if (cell.isNull())
                continue;
            anyValue = true;
            if (cell.type() == Variant::Type::Int64) {
                allInt32 = allInt32 && fitsInt32(*cell.toInt64());
                continue;
            }
            allIntegers = false;
            if (cell.type() == Variant::Type::Double)
                anyReal = true;
            else if (allNumbers && !Decimal::fromString(handedOver(at).toString()))
                allNumbers = false;
        }
        if (anyValue && allIntegers)
            column.def.type = allInt32 ? FieldType::Integer : FieldType::BigInt;
        else if (anyReal && allNumbers)
            column.def.type = FieldType::Decimal;
        else
            column.def.type = FieldType::VarWChar;
    }

    /// 32 bits when every value fits them, otherwise the column is widened to BigInt.
    void fitIntegers(int index) {
        Column& column = m_columns[std::size_t(index)];
        for (std::size_t at = std::size_t(index); at < cellCount(); at += width()) {
            const Variant& cell = cellAt(at);
            if (cell.type() == Variant::Type::Int64 && !fitsInt32(*cell.toInt64())) {
                column.def.type = FieldType::BigInt;
                return;
            }
        }
        for (std::size_t at = std::size_t(index); at < cellCount(); at += width()) {
            Variant& cell = cellAt(at);
            if (cell.type() == Variant::Type::Int64)
                cell = Variant(int(*cell.toInt64()));
        }
    }

    /// The values of a column typed by its values, read as the type they decided.
    void readAs(FieldType type, int index) {
        for (std::size_t at = std::size_t(index); at < cellCount(); at += width()) {
            Variant& cell = cellAt(at);
            if (cell.isNull() || type == FieldType::BigInt)
                continue;
            if (type == FieldType::Decimal && cell.type() == Variant::Type::Double &&
                std::isfinite(*cell.toDouble())) {
                cell = Variant(decimalFromDouble(*cell.toDouble()));
                continue;
            }
            const bool kept = cell.isEmpty();
            std::optional<Variant> value = toVariant(handedOver(at), type);
            if (value && kept)
                keepNoLonger(at);
            if (value)
                cell = std::move(*value);
            else if (!kept)
                keep(at);
        }
    }

    /// Sizes a decimal column whose precision the database did not declare so that every
    /// value fits.
    void fitDecimals(Column& column, int index) const {
        int integerDigits = 1, scale = 0;
        for (std::size_t at = std::size_t(index); at < cellCount(); at += width()) {
            if (cellAt(at).type() != Variant::Type::Decimal)
                continue;
            const Decimal value = *cellAt(at).toDecimal();
            integerDigits = std::max(integerDigits, value.integerDigits());
            scale = std::max(scale, value.scale());
        }
        column.def.scale = std::min(scale, Decimal::MaxScale);
        column.def.precision = std::min(integerDigits + column.def.scale, Decimal::MaxDigits);
    }

    void keep(std::size_t at) {
        const QVariant value = handedOver(at);
        const auto place = keptAt(at);
        m_kept.emplace(place, at, value);
        cellAt(at) = Variant();
    }
    void keepNoLonger(std::size_t at) {
        const auto place = keptAt(at);
        m_kept.erase(place);
    }

    using Kept = std::vector<std::pair<std::size_t, QVariant>>;
    /// Where the original of cell `at` is kept, or would be.
    Kept::const_iterator keptAt(std::size_t at) const {
        return std::lower_bound(
            m_kept.begin(), m_kept.end(), at,
            [](const Kept::value_type& kept, std::size_t cell) { return kept.first < cell; });
    }

    /// Cells are numbered row after row.
    std::size_t cellCount() const { return m_rows.rowCount() * width(); }
    Variant& cellAt(std::size_t at) const { return m_rows.row(at / width())[at % width()]; }

    std::vector<Column>& m_columns;
    ValueBlocks m_rows;
    Variant* m_last = nullptr; ///< the row being read
    Kept m_kept;               ///< by cell, ascending
};

} // namespace

// =======================================================================================

struct Connection::Private {
    QString name;
    QString connectionString;
    QString label; ///< the database as messages name it
    Engine engine = Engine::SQLite;
    bool open = false;
    QList<DbError> errors;
    int failures = 0;
    QString lastFailure;
    ReadCheck readCheck;
    bool checking = false; ///< the read check is running its own statements

    QSqlDatabase database() const { return QSqlDatabase::database(name, false); }
    SqlDialect dialect() const;
    [[noreturn]] void fail(const QString& action, const QSqlError& error);
    [[noreturn]] void fail(const QString& action, const DbError& error);
    bool isLockTimeout(const DbError& error) const;
    QString prepare(const QString& action, const QString& sql);
    void openSqlite(const Target& target, OpenMode mode);
    void openPostgres(const Target& target);
    void openOdbc(const Target& target);
    std::vector<Column> columns(const QSqlQuery& query);
};

SqlDialect Connection::Private::dialect() const {
    switch (engine) {
    case Engine::SQLite:
        return SqlDialect(SqlDialect::Target::SQLite);
    case Engine::PostgreSQL:
        return SqlDialect(SqlDialect::Target::PostgreSQL);
    default:
        return SqlDialect(SqlDialect::Target::SqlServer);
    }
}

void Connection::Private::fail(const QString& action, const QSqlError& error) {
    DbError entry;
    const QString code = error.nativeErrorCode();
    bool numeric = false;
    entry.nativeCode = code.toLongLong(&numeric);
    if (!numeric)
        entry.sqlState = code; // PostgreSQL reports its SQLSTATE here
    entry.text = error.databaseText().trimmed();
    if (entry.text.isEmpty())
        entry.text = error.text().trimmed();
    fail(action, entry);
}

void Connection::Private::fail(const QString& action, const DbError& error) {
    errors = {error};
    ++failures;
    QString reason = error.text;
    if (isLockTimeout(error))
        reason = QStringLiteral("the company database is locked by another user or program; "
                                "gave up after waiting %1 s (%2)")
                     .arg(LockWait.count() / 1000)
                     .arg(error.text);
    lastFailure = action + QStringLiteral(": ") + reason;
    throw DatabaseError(lastFailure.toStdString());
}

// SQLite answers busy (or a locked table) once its busy timeout has passed, PostgreSQL
// cancels the statement when lock_timeout passes, SQL Server reports error 1222.
bool Connection::Private::isLockTimeout(const DbError& error) const {
    switch (engine) {
    case Engine::SQLite:
        return error.nativeCode == SQLITE_BUSY || error.nativeCode == SQLITE_LOCKED;
    case Engine::PostgreSQL:
        return error.sqlState == QLatin1String("55P03");
    case Engine::Odbc:
        return error.nativeCode == 1222;
    }
    return false;
}

// The statement in the engine's dialect, once the read check has let it through.
QString Connection::Private::prepare(const QString& action, const QString& sql) {
    errors.clear();
    if (!open)
        throw DatabaseError(action.toStdString() + ": the database is not open");
    const QString translated = dialect().translate(sql);
    if (!readCheck || checking)
        return translated;
    // The check runs its own statements on this connection, unchecked; when one of them
    // fails (a locked table) its own error says why.
    const int failuresBefore = failures;
    checking = true;
    try {
        readCheck(translated);
    } catch (const DatabaseError& error) {
        checking = false;
        if (failures > failuresBefore)
            throw;
        fail(action, DbError{0, {}, QString::fromUtf8(error.what())});
    }
    checking = false;
    return translated;
}

void Connection::Private::openSqlite(const Target& target, OpenMode mode) {
    label = target.database;
    const QString action = QStringLiteral("cannot open company database '%1'").arg(label);
    if (target.database.isEmpty())
        throw DatabaseError(action.toStdString() + ": no file given");
    if (mode == OpenMode::MustExist && !QFileInfo::exists(target.database)) {
        errors = {DbError{0, {}, QStringLiteral("file not found")}};
        throw DatabaseError(action.toStdString() + ": file not found");
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(target.database);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWait.count()));
    if (!db.open())
        fail(action, db.lastError());
    // SQLite reads the file lazily: a file that is not a database only shows on first read.
    // The probe must be finished before functions are registered: SQLite refuses to replace
    // a function (ROUND, SUM) while a statement is active.
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            fail(action, probe.lastError());
    }
    sqlite3* handle = sqliteHandle(db);
    if (!handle || !initializeSqlite(handle))
        throw DatabaseError(action.toStdString() +
                            ": cannot register the exact ROUND and SUM on the connection");
}

void Connection::Private::openPostgres(const Target& target) {
    label = target.database;
    const QString action = QStringLiteral("cannot open company database '%1'").arg(label);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(target.host);
    if (target.port > 0)
        db.setPort(target.port);
    db.setDatabaseName(target.database);
    db.setUserName(target.user);
    db.setPassword(target.password);
    db.setConnectOptions(target.options.join(QLatin1Char(';')));
    if (!db.open())
        fail(action, db.lastError());
    // Every literal this program writes doubles its quotes and nothing else, which is safe
    // only while backslashes are ordinary characters: a database or role may still default
    // to the old escaping, so the session asks for the standard and makes sure it got it.
    QSqlQuery session(db);
    const QString settings[] = {QStringLiteral("SET standard_conforming_strings = on"),
                                QStringLiteral("SET lock_timeout = %1").arg(LockWait.count())};
    for (const QString& setting : settings) {
        if (!session.exec(setting))
            fail(action, session.lastError());
    }
    if (!session.exec(QStringLiteral("SHOW standard_conforming_strings")) || !session.next() ||
        session.value(0).toString() != QLatin1String("on"))
        throw DatabaseError(action.toStdString() +
                            ": the server does not keep standard_conforming_strings on");
}

void Connection::Private::openOdbc(const Target& target) {
    label = QStringLiteral("ODBC");
    const QString action = QStringLiteral("cannot open company database through ODBC");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        throw DatabaseError(action.toStdString() +
                            ": the ODBC driver of QtSql (QODBC) is not installed");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    db.setDatabaseName(target.database);
    if (!db.open())
        fail(action, db.lastError());
    // SQL Server's own bounded wait for locks; a server that does not know it just goes on.
    QSqlQuery(db).exec(QStringLiteral("SET LOCK_TIMEOUT %1").arg(LockWait.count()));
}

// The columns as the statement declares them; those it leaves undeclared are typed by
// their values once all have arrived.
std::vector<Column> Connection::Private::columns(const QSqlQuery& query) {
    const QSqlRecord record = query.record();
    sqlite3_stmt* statement = nullptr;
    if (engine == Engine::SQLite) {
        const QVariant handle = query.result()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
            statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
    }
    std::vector<Column> result(record.count());
    for (int index = 0; index < record.count(); ++index) {
        Column& column = result[index];
        const QSqlField field = record.field(index);
        column.def.name = engine == Engine::PostgreSQL ? field.name().toUpper() : field.name();
        bool typed = false;
        if (engine == Engine::PostgreSQL) {
            typeFromPostgres(column, field);
            typed = true;
        } else if (statement) {
            typed = typeFromSqliteDeclaration(
                column, QString::fromUtf8(sqlite3_column_decltype(statement, index)));
        }
        column.typedByValues = !typed;
    }
    return result;
}

// =======================================================================================

Connection::Connection() : d(std::make_unique<Private>()) {
    static std::atomic<int> counter{0};
    d->name = QStringLiteral("bdgintric_connection_%1").arg(++counter);
}

Connection::~Connection() {
    Close();
}

Connection::Engine Connection::engineOf(const QString& connectionString) {
    return parseConnectionString(connectionString).engine;
}

void Connection::Open(const QString& connectionString, OpenMode mode) {
    Close();
    d->errors.clear();
    const Target target = parseConnectionString(connectionString);
    d->engine = target.engine;
    d->connectionString = connectionString;
    try {
        if (target.engine == Engine::SQLite)
            d->openSqlite(target, mode);
        else if (target.engine == Engine::PostgreSQL)
            d->openPostgres(target);
        else
            d->openOdbc(target);
    } catch (...) {
        Close();
        throw;
    }
    d->open = true;
}

void Connection::Close() {
    d->open = false;
    if (!QSqlDatabase::contains(d->name))
        return;
    {
        QSqlDatabase db = d->database();
        db.close();
    }
    QSqlDatabase::removeDatabase(d->name);
}

bool Connection::isOpen() const {
    return d->open;
}
Connection::Engine Connection::engine() const {
    return d->engine;
}
QString Connection::connectionString() const {
    return d->connectionString;
}
const QList<DbError>& Connection::Errors() const {
    return d->errors;
}
int Connection::failureCount() const {
    return d->failures;
}
QString Connection::lastFailure() const {
    return d->lastFailure;
}
void Connection::setReadCheck(ReadCheck check) {
    d->readCheck = std::move(check);
}
QString Connection::qtConnectionName() const {
    return d->name;
}

void Connection::addSqliteInitializer(std::function<void(sqlite3*)> initializer) {
    SqliteInitializers& initializers = sqliteInitializers();
    QMutexLocker lock(&initializers.mutex);
    initializers.list.push_back(std::move(initializer));
}

RecordsetPtr Connection::Execute(const QString& sql) {
    const QString action =
        QStringLiteral("cannot run query on company database '%1'").arg(d->label);
    const QString translated = d->prepare(action, sql);
    QSqlQuery query(d->database());
    query.setForwardOnly(true);
    // Exact numerics arrive as text and become Decimal; never through a double.
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!query.exec(translated))
        d->fail(action, query.lastError());

    std::vector<Column> columns = d->columns(query);
    const int width = int(columns.size());
    ResultRows rows(columns);
    while (query.next()) {
        for (int index = 0; index < width; ++index)
            rows.append(query.value(index), index);
    }
    if (query.lastError().isValid())
        d->fail(action, query.lastError());
    rows.settle();

    auto recordset = std::make_shared<Recordset>();
    for (int index = 0; index < width; ++index) {
        const FieldDef& def = columns[std::size_t(index)].def;
        recordset->appendField(def.name, def.type, def.definedSize);
        if (def.type == FieldType::Decimal) {
            recordset->setPrecision(index, def.precision);
            recordset->setNumericScale(index, def.scale);
        }
    }
    recordset->Open();
    for (std::size_t number = 0; number < rows.rowCount(); ++number) {
        recordset->AddNew();
        for (int index = 0; index < width; ++index) {
            const Variant& value = rows.cell(number, index);
            if (value.isEmpty())
                d->fail(action, DbError{0,
                                        {},
                                        QStringLiteral("%1 is not what column %2 holds (row %3)")
                                            .arg(shownValue(rows.original(number, index)),
                                                 columns[std::size_t(index)].def.name)
                                            .arg(number + 1)});
            recordset->setValue(index, value);
        }
        recordset->Update();
    }
    if (rows.rowCount() > 0)
        recordset->MoveFirst();
    return recordset;
}

int Connection::ExecuteNonQuery(const QString& sql) {
    const QString action =
        QStringLiteral("cannot run statement on company database '%1'").arg(d->label);
    const QString translated = d->prepare(action, sql);
    QSqlQuery query(d->database());
    if (!query.exec(translated))
        d->fail(action, query.lastError());
    return query.numRowsAffected();
}

void Connection::BeginTrans() {
    d->errors.clear();
    QSqlDatabase db = d->database();
    if (!d->open || !db.transaction())
        d->fail(QStringLiteral("cannot begin a transaction on '%1'").arg(d->label), db.lastError());
}

void Connection::CommitTrans() {
    d->errors.clear();
    QSqlDatabase db = d->database();
    if (!d->open || !db.commit())
        d->fail(QStringLiteral("cannot commit the transaction on '%1'").arg(d->label),
                db.lastError());
}

void Connection::RollbackTrans() {
    d->errors.clear();
    QSqlDatabase db = d->database();
    if (!d->open || !db.rollback())
        d->fail(QStringLiteral("cannot roll back the transaction on '%1'").arg(d->label),
                db.lastError());
}

} // namespace bdg
