#pragma once

#include "data/recordset.h"
#include "host/message_service.h"
#include "support/test_databases.h"

#include <QString>
#include <QTest>

#include <cstddef>
#include <memory>

namespace bdg::test {

/// One data row per entry of a table of texts: the first text names the row, each further
/// one is a QString column, in order.
template <std::size_t Rows, std::size_t Columns>
void addTextRows(const char* const (&rows)[Rows][Columns]) {
    for (const auto& row : rows) {
        QTestData& data = QTest::newRow(row[0]);
        for (std::size_t column = 1; column < Columns; ++column)
            data << QString::fromUtf8(row[column]);
    }
}

/// One data row per case of a table of structs with a `name`, the whole case in the column
/// "c" (fetched with QFETCH(Case, c)); with `perEngine` also the column "engine", one row per
/// case and engine the tests run on.
template <typename Case, std::size_t Rows>
void addCaseRows(const Case (&cases)[Rows], bool perEngine = false) {
    if (perEngine)
        QTest::addColumn<QString>("engine");
    QTest::addColumn<Case>("c");
    for (const QString& engine : perEngine ? engines() : QStringList{QString()}) {
        for (const Case& c : cases) {
            if (perEngine)
                QTest::addRow("%s: %s", qPrintable(engine), c.name) << engine << c;
            else
                QTest::newRow(c.name) << c;
        }
    }
}

/// Adds one row per text to `rst`: `fields` names the fields, separated by blanks; a row's
/// cells are separated by "|", an empty cell is Null and '' an empty text.
inline void addRows(Recordset& rst, const QString& fields, const QStringList& rows) {
    const QStringList names = fields.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& row : rows) {
        rst.AddNew();
        const QStringList cells = row.split(QLatin1Char('|'));
        for (qsizetype field = 0; field < names.size(); ++field) {
            const QString cell = cells.value(field);
            rst.setValue(names[field], cell == QLatin1String("''") ? Variant(QStringLiteral(""))
                                       : cell.isEmpty()            ? Variant::null()
                                                                   : Variant(cell));
        }
        rst.Update();
    }
}

/// A new open recordset of the fields "NAME:kind", separated by blanks (kind i: integer,
/// dN: decimal of 19 digits and N places, wN or vN: fixed or variable text of N characters),
/// holding `rows` as addRows() reads them.
inline RecordsetPtr table(const QString& fields, const QStringList& rows = {}) {
    auto rst = std::make_shared<Recordset>();
    QStringList names;
    for (const QString& field : fields.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        names << field.section(QLatin1Char(':'), 0, 0);
        const QString kind = field.section(QLatin1Char(':'), 1);
        const int size = kind.mid(1).toInt();
        const FieldType type = kind.startsWith(QLatin1Char('d'))   ? FieldType::Decimal
                               : kind.startsWith(QLatin1Char('w')) ? FieldType::WChar
                               : kind.startsWith(QLatin1Char('v')) ? FieldType::VarWChar
                                                                   : FieldType::Integer;
        rst->appendField(names.last(), type, type == FieldType::Decimal ? 0 : size);
        if (type == FieldType::Decimal) {
            rst->setPrecision(rst->fieldCount() - 1, 19);
            rst->setNumericScale(rst->fieldCount() - 1, size);
        }
    }
    rst->Open();
    addRows(*rst, names.join(QLatin1Char(' ')), rows);
    return rst;
}

/// Messages as "text|style|title" lines, to compare with the ones a test expects at once.
inline QString shown(const QList<RecordedMessage>& messages) {
    QStringList lines;
    for (const RecordedMessage& message : messages)
        lines << message.text + QLatin1Char('|') + QString::number(message.style) +
                     QLatin1Char('|') + message.title;
    return lines.join(QLatin1Char('\n'));
}

} // namespace bdg::test
