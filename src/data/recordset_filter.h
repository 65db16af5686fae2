#pragma once

#include "data/recordset_table.h"

#include <QString>

#include <utility>
#include <vector>

namespace bdg {

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

/// One "FIELD op value" of a filter, bound to its field and with the literal already
/// brought to the field's kind (a number for numeric fields, a text for text fields), so
/// that evaluating it per row costs one comparison.
struct FilterTerm {
    int field = 0;
    CompareOp op = CompareOp::Equal;
    Variant literal;
};

/// A parsed filter: terms joined by AND. Parsing happens once when the filter is set;
/// evaluation never looks at the text again.
class RecordsetFilter {
public:
    /// Parses `text` against the table's fields; RecordsetError names the filter and the
    /// fault. A blank text (or "0", the "no filter" value) gives the empty filter.
    static RecordsetFilter parse(const QString& text, const RecordsetTable& table);

    bool isEmpty() const { return m_terms.empty(); }
    const std::vector<FilterTerm>& terms() const { return m_terms; }
    bool matches(const RecordsetTable& table, RowId row) const;
    /// Live rows that satisfy every term, in table order: from the smallest index bucket
    /// among the equality terms when the table's indexes are enabled, by scanning otherwise.
    std::vector<RowId> select(RecordsetTable& table) const;

private:
    /// The smallest index bucket among the equality terms and the term it answers;
    /// no bucket when the indexes are off or no term can use one.
    std::pair<const std::vector<RowId>*, std::size_t> smallestBucket(RecordsetTable& table) const;
    static bool satisfiedBy(const RecordsetTable& table, RowId row, const FilterTerm& term);
    std::vector<FilterTerm> m_terms;
};

} // namespace bdg
