#pragma once

#include "data/recordset_table.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
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
    /// Live rows that satisfy every term, in table order, into `rows`: from the smallest
    /// index bucket among the equality terms when the table's indexes are enabled, by
    /// scanning otherwise.
    void select(RecordsetTable& table, std::vector<RowId>& rows) const;

private:
    friend class FilterTemplate;
    /// The smallest index bucket among the equality terms and the term it answers;
    /// no bucket when the indexes are off or no term can use one.
    std::pair<const std::vector<RowId>*, std::size_t> smallestBucket(RecordsetTable& table) const;
    static bool satisfiedBy(const RecordsetTable& table, RowId row, const FilterTerm& term);
    std::vector<FilterTerm> m_terms;
};

/// A literal as a filter text writes it: a text in single quotes (a quote inside doubled)
/// when `quoted`, otherwise bare, as numbers are.
struct FilterLiteral {
    QString text;
    bool quoted = false;

    QString written() const;
};

/// A filter text with "?" in place of some of its literals, read once per table. Set with
/// the literals of a row it gives the view the text with them written in would give,
/// without writing or reading that text: the procedures that filter a table once per row
/// they visit spend their time on the rows, not on the filter.
class FilterTemplate {
public:
    explicit FilterTemplate(QString text) : m_text(std::move(text)) {}

    /// The text with its holes.
    const QString& pattern() const { return m_text; }
    /// The filter text with the literals written in place of the holes, in order.
    QString text(const std::vector<FilterLiteral>& literals) const;
    /// Writes into `bound` the filter with the literals in its holes. False, `bound` left
    /// unusable, when the written text would read otherwise (a bare literal that is not a
    /// number, a text a numeric field cannot take, a count that does not match): the text
    /// then has to be read whole, and fail as it fails.
    bool bind(const std::shared_ptr<RecordsetTable>& table,
              const std::vector<FilterLiteral>& literals, RecordsetFilter& bound) const;
    /// The rows `bound` (bound by this template on `table`) selects, as its own select()
    /// gives them. A template set once per visited row mostly looks its rows up: the rows
    /// that pass its fixed terms are keyed once by their values in its equality holes, and
    /// keyed again only when a row comes or goes or a field it reads is written.
    void select(RecordsetTable& table, const RecordsetFilter& bound,
                std::vector<RowId>& rows) const;

private:
    std::uint64_t stamp(const RecordsetTable& table) const;
    void keyRows(const RecordsetTable& table) const;

    QString m_text;
    // The text read against the last table it was bound on.
    mutable std::weak_ptr<RecordsetTable> m_table;
    mutable RecordsetFilter m_parsed;
    mutable std::vector<std::size_t> m_holes;    ///< the terms whose literal is a hole
    mutable std::vector<std::size_t> m_keyHoles; ///< the holes of indexable equalities

    // The rows passing the fixed terms, sorted by the key of their values in m_keyHoles.
    mutable std::vector<std::pair<std::uint64_t, RowId>> m_keyed;
    mutable std::optional<std::uint64_t> m_keyedStamp; ///< the table's state when keyed
    mutable std::size_t m_selectsUnkeyed = 0;          ///< since the rows were keyed or went stale
    mutable bool m_everKeyed = false; ///< on any table: later tables wait before keying
};

} // namespace bdg
