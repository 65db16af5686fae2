#include "company/demo_table_writer.h"

#include "company/demo_content.h"
#include "data/connection.h"

#include <QSqlError>

namespace bdg {

namespace {

// Rows per PostgreSQL statement: large enough to amortise the round trip, small enough
// to keep each statement text well below a megabyte.
constexpr int postgresRowsPerStatement = 500;

} // namespace

DemoTableWriter::DemoTableWriter(Connection& connection)
    : m_db(QSqlDatabase::database(connection.qtConnectionName(), false)),
      m_postgres(connection.engine() == Connection::Engine::PostgreSQL) {}

DemoTableWriter::~DemoTableWriter() = default;

void DemoTableWriter::begin(const QString& table, const QStringList& columns) {
    finish();
    m_table = table;
    m_columns = columns;
    if (m_postgres)
        return;
    QStringList marks;
    for (int index = 0; index < columns.size(); ++index)
        marks << QStringLiteral("?");
    m_query = std::make_unique<QSqlQuery>(m_db);
    const QString statement =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    if (!m_query->prepare(statement))
        fail(m_query->lastError().text());
}

void DemoTableWriter::add(const QVariantList& values) {
    if (values.size() != m_columns.size())
        fail(QStringLiteral("a row has %1 values for %2 columns")
                 .arg(values.size())
                 .arg(m_columns.size()));
    ++m_rows[m_table];
    ++m_total;
    if (m_postgres) {
        QStringList literals;
        for (const QVariant& value : values)
            literals << literal(value);
        m_pending << QLatin1Char('(') + literals.join(QStringLiteral(", ")) + QLatin1Char(')');
        if (m_pending.size() >= postgresRowsPerStatement)
            flushPostgres();
        return;
    }
    for (int index = 0; index < values.size(); ++index)
        m_query->bindValue(index, values.at(index));
    if (!m_query->exec())
        fail(m_query->lastError().text());
}

void DemoTableWriter::finish() {
    if (m_postgres)
        flushPostgres();
    m_query.reset();
}

void DemoTableWriter::flushPostgres() {
    if (m_pending.isEmpty())
        return;
    const QString statement = QStringLiteral("INSERT INTO %1 (%2) VALUES\n%3")
                                  .arg(m_table, m_columns.join(QStringLiteral(", ")),
                                       m_pending.join(QStringLiteral(",\n")));
    m_pending.clear();
    QSqlQuery query(m_db);
    if (!query.exec(statement))
        fail(query.lastError().text());
}

// Integers bare, everything else as a quoted text with quotes doubled; PostgreSQL reads a
// quoted literal into decimal and date columns by the column's type.
QString DemoTableWriter::literal(const QVariant& value) const {
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toString();
    default:
        break;
    }
    QString text = value.toString();
    text.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

void DemoTableWriter::fail(const QString& detail) const {
    throw DemoError(QStringLiteral("cannot write the demo company into %1: %2")
                        .arg(m_table, detail)
                        .toStdString());
}

} // namespace bdg
