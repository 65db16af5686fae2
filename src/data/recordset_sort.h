#pragma once

#include "data/recordset_table.h"

#include <QString>

#include <vector>

namespace bdg {

struct SortKey {
    int field = 0;
    bool descending = false;
};

/// A parsed sort: "F1, F2 DESC" (ASC accepted), bound to field indexes once when set.
class RecordsetSort {
public:
    /// RecordsetError names the sort text and the fault; a blank text gives no sort.
    static RecordsetSort parse(const QString& text, const RecordsetTable& table);

    bool isEmpty() const { return m_keys.empty(); }
    /// Orders `rows` by the keys, keeping the given order among equal rows.
    void apply(const RecordsetTable& table, std::vector<RowId>& rows) const;
    /// Grows whenever a row comes or goes or a key field is written: while it stays the
    /// same, so does the order of the table's rows.
    std::uint64_t changes(const RecordsetTable& table) const;

private:
    std::vector<SortKey> m_keys;
};

} // namespace bdg
