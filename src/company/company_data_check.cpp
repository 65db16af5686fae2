#include "company/company_data_check.h"

#include "company/company_schema.h"
#include "data/connection.h"

#include <QSet>

#include <cmath>
#include <memory>

namespace bdg {

namespace {

bool isNumber(ColumnKind kind) {
    return kind == ColumnKind::Integer || kind == ColumnKind::Amount || kind == ColumnKind::Rate;
}

bool isText(ColumnKind kind) {
    return kind == ColumnKind::Code || kind == ColumnKind::Text;
}

// DECIMAL(19,5) keeps 14 integer digits, DECIMAL(19,8) keeps 11.
int integerDigits(ColumnKind kind) {
    return kind == ColumnKind::Amount ? 14 : 11;
}

/// The condition true for a value the column cannot hold; empty when the engine's own
/// types already keep every value right.
QString faultCondition(const ColumnDef& column, Connection::Engine engine) {
    const QString& name = column.name;
    const bool sqlite = engine == Connection::Engine::SQLite;
    if (isText(column.kind))
        return sqlite ? QStringLiteral("length(%1) > %2").arg(name).arg(column.length) : QString();
    if (!isNumber(column.kind))
        return QString();
    QStringList parts;
    // On SQLite a whole-number column keeps a real only when it has a fraction or lies beyond
    // 64 bits, and a text or blob only when it reads as no number: each differs from its own
    // cast to an integer (a text or blob is never equal to a number), except the real -2^63,
    // which the cast gives back and which is asked for its type alone. This costs about half
    // of asking every value for its type.
    if (sqlite && column.kind == ColumnKind::Integer)
        parts << QStringLiteral("%1 IS NOT CAST(%1 AS INTEGER) OR %1 = -9223372036854775808 AND "
                                "typeof(%1) = 'real'")
                     .arg(name);
    // A text or blob sorts after every number, so the range below refuses it as it refuses an
    // infinity: amounts and rates need no test of their type.
    if (column.kind != ColumnKind::Integer)
        parts << QStringLiteral("NOT (%1 > -1e%2 AND %1 < 1e%2)")
                     .arg(name, QString::number(integerDigits(column.kind)));
    else if (column.minimum && column.maximum)
        parts << QStringLiteral("%1 NOT BETWEEN %2 AND %3")
                     .arg(name, QString::number(*column.minimum), QString::number(*column.maximum));
    return parts.join(QStringLiteral(" OR "));
}

/// The value as the messages show it: SQLite's own quoting (of the first characters of a
/// text), or the server's text of a number.
QString shownValue(const ColumnDef& column, Connection::Engine engine) {
    if (engine != Connection::Engine::SQLite)
        return QStringLiteral("CAST(%1 AS VARCHAR(60))").arg(column.name);
    if (isText(column.kind))
        return QStringLiteral("quote(substr(%1, 1, 60))").arg(column.name);
    return QStringLiteral("quote(%1)").arg(column.name);
}

/// The columns that name a row: its primary key, or the first two columns of a table
/// without one (the profile name and sequence).
QList<ColumnDef> keyColumns(const TableDef& table) {
    QList<ColumnDef> key;
    for (const QString& name : table.primaryKey)
        key << *table.column(name);
    if (key.isEmpty())
        key = table.columns.mid(0, 2);
    return key;
}

struct Checked {
    ColumnDef column;
    QString condition;
};

QString keyText(const QList<ColumnDef>& key, const Recordset& row) {
    QStringList parts;
    for (int index = 0; index < key.size(); ++index) {
        const Variant value = row.value(index);
        QString text = value.isNull() ? QStringLiteral("Null") : value.toString();
        if (!value.isNull() && !isNumber(key[index].kind))
            text = QLatin1Char('\'') + text + QLatin1Char('\'');
        parts << key[index].name + QStringLiteral(" = ") + text;
    }
    return parts.join(QStringLiteral(", "));
}

/// Whether a value's text is a finite number ("NaN" and "Infinity" read as doubles too).
bool isFiniteNumber(const QString& text) {
    bool numeric = false;
    const double value = text.toDouble(&numeric);
    return numeric && std::isfinite(value);
}

QString reason(const ColumnDef& column, const QString& shown) {
    if (isText(column.kind))
        return QStringLiteral("longer than the %1 characters of the column").arg(column.length);
    const bool numeric = isFiniteNumber(shown);
    if (column.kind != ColumnKind::Integer) {
        if (!numeric)
            return QStringLiteral("not a number");
        return QStringLiteral("more than the %1 integer digits of the column")
            .arg(integerDigits(column.kind));
    }
    if (!numeric || shown.contains(QLatin1Char('.')) || shown.contains(QLatin1Char('e')) ||
        !column.minimum || !column.maximum)
        return QStringLiteral("not a whole number");
    return QStringLiteral("outside %1 to %2").arg(*column.minimum).arg(*column.maximum);
}

QString statement(const TableDef& table, const QList<ColumnDef>& key, const QList<Checked>& checked,
                  Connection::Engine engine) {
    QStringList select;
    for (const ColumnDef& column : key)
        select << column.name;
    QStringList conditions;
    for (const Checked& entry : checked) {
        select << QStringLiteral("CASE WHEN %1 THEN 1 ELSE 0 END AS FAULT_%2")
                      .arg(entry.condition, entry.column.name)
               << QStringLiteral("%1 AS SHOWN_%2")
                      .arg(shownValue(entry.column, engine), entry.column.name);
        conditions << QStringLiteral("(%1)").arg(entry.condition);
    }
    const bool top = engine == Connection::Engine::Odbc;
    return QStringLiteral("SELECT %1%2 FROM %3 WHERE %4%5")
        .arg(top ? QStringLiteral("TOP 1 ") : QString(), select.join(QStringLiteral(", ")),
             table.name, conditions.join(QStringLiteral(" OR ")),
             top ? QString() : QStringLiteral(" LIMIT 1"));
}

/// The tables of the company schema that a statement names, in upper case.
QSet<QString> tablesNamed(const QString& sql) {
    static const QSet<QString> schema = [] {
        QSet<QString> names;
        for (const TableDef& table : CompanySchema::tables())
            names.insert(table.name.toUpper());
        return names;
    }();
    QSet<QString> named;
    qsizetype start = -1;
    for (qsizetype at = 0; at <= sql.size(); ++at) {
        const bool word = at < sql.size() && (sql.at(at).isLetterOrNumber() || sql.at(at) == u'_');
        if (word && start < 0)
            start = at;
        if (word || start < 0)
            continue;
        const QString name = sql.mid(start, at - start).toUpper();
        if (schema.contains(name))
            named.insert(name);
        start = -1;
    }
    return named;
}

} // namespace

std::optional<QString> CompanyDataCheck::firstFault(Connection& connection, const TableDef& table) {
    QList<Checked> checked;
    for (const ColumnDef& column : table.columns) {
        const QString condition = faultCondition(column, connection.engine());
        if (!condition.isEmpty())
            checked << Checked{column, condition};
    }
    if (checked.isEmpty())
        return std::nullopt;
    const QList<ColumnDef> key = keyColumns(table);
    const RecordsetPtr row =
        connection.Execute(statement(table, key, checked, connection.engine()));
    if (row->RecordCount() == 0)
        return std::nullopt;
    row->MoveFirst();
    for (int index = 0; index < checked.size(); ++index) {
        const int at = int(key.size()) + 2 * index;
        if (row->value(at).toInt32().value_or(0) != 1)
            continue;
        const ColumnDef& column = checked[index].column;
        QString shown = row->value(at + 1).toString();
        if (connection.engine() != Connection::Engine::SQLite && !isFiniteNumber(shown))
            shown = QLatin1Char('\'') + shown + QLatin1Char('\'');
        const QString why = reason(column, shown);
        if (shown.size() > 40) // a text of thousands of characters says no more in full
            shown = shown.left(36) + QStringLiteral("...'");
        return QStringLiteral("%1 row %2: %3 is %4, %5")
            .arg(table.name, keyText(key, *row), column.name, shown, why);
    }
    return std::nullopt;
}

void CompanyDataCheck::install(Connection& connection) {
    auto checked = std::make_shared<QSet<QString>>();
    Connection* target = &connection;
    connection.setReadCheck([target, checked](const QString& sql) {
        for (const QString& name : tablesNamed(sql)) {
            if (checked->contains(name))
                continue;
            if (const auto fault = firstFault(*target, *CompanySchema::table(name)))
                throw DatabaseError(fault->toStdString());
            checked->insert(name);
        }
    });
}

} // namespace bdg
