#pragma once

#include "support/test_databases.h"

#include <QString>
#include <QTest>

#include <cstddef>

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

} // namespace bdg::test
