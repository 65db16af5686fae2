#pragma once

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

} // namespace bdg::test
