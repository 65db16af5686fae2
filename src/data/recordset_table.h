#pragma once

#include "data/recordset.h"
#include "data/value_blocks.h"

#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace bdg {

/// Identity of a row in its table: its ordinal of insertion. Rows never move, so the
/// number doubles as the bookmark.
using RowId = std::int64_t;

/// The rows and fields shared by a recordset and all its clones.
///
/// Rows are only ever appended; a deleted row keeps its place with a flag so that
/// bookmarks and the row lists held by filtered cursors stay valid. The values of the rows
/// live in blocks that never move (ValueBlocks). Every stored value has already been
/// brought to its field's type (Integer fields hold Int32, Decimal fields hold a Decimal at
/// the field's scale, text fields hold text), which is what lets the equality indexes hash
/// one representation per value.
///
/// An index maps the hash of a value to the ascending list of live rows holding it. It is
/// built for a field the first time a filter asks for it and kept valid on every write,
/// append and delete. Buckets are keyed by hash only, so a bucket may hold rows of a
/// colliding value: callers re-check every term on the bucket's rows.
class RecordsetTable {
public:
    RecordsetTable() = default;
    ~RecordsetTable();
    RecordsetTable(const RecordsetTable&) = delete;
    RecordsetTable& operator=(const RecordsetTable&) = delete;

    void appendField(FieldDef def);
    int fieldCount() const { return int(m_fields.size()); }
    const FieldDef& field(int index) const { return m_fields[std::size_t(index)]; }
    FieldDef& field(int index) { return m_fields[std::size_t(index)]; }
    std::optional<int> fieldIndex(QStringView name) const;

    bool isOpen() const { return m_open; }
    void open();
    /// The fields that take no Null, in field order; listed when the table opens.
    const std::vector<int>& requiredFields() const { return m_required; }

    /// The value brought to the field's type, or RecordsetError naming the field.
    Variant coerce(int field, const Variant& value) const;

    RowId rowCount() const { return RowId(m_values.rowCount()); }
    int liveCount() const { return m_liveCount; }
    /// Grows by one on every delete: cursors use it to know when a cached count is stale.
    std::uint64_t deleteCount() const { return m_deleteCount; }
    /// Grow on every append or delete, and on every write of the field: cursors use them to
    /// know when a cached ordering of the whole table is stale.
    std::uint64_t rowChanges() const { return m_rowChanges; }
    std::uint64_t fieldWrites(int field) const { return m_fieldWrites[std::size_t(field)]; }
    bool isDeleted(RowId row) const { return m_deleted[std::size_t(row)] != 0; }
    const Variant& value(RowId row, int field) const {
        return m_values.row(std::size_t(row))[field];
    }

    /// Appends a row of already coerced values and returns its identity.
    RowId appendRow(std::vector<Variant> values);
    /// Stores an already coerced value; the one it replaces goes to `previous` when given.
    void setValue(RowId row, int field, Variant value, Variant* previous = nullptr);
    void deleteRow(RowId row);

    bool indexesEnabled() const { return m_indexesEnabled; }
    void setIndexesEnabled(bool enabled);
    /// True when equality on this field can be answered from an index.
    bool isIndexable(int field) const;
    /// Live rows whose value may equal `literal` (ascending); builds the index on first use.
    const std::vector<RowId>& candidates(int field, const Variant& literal);
    /// The hash an index files a stored value under: equal values (as a filter compares them)
    /// get equal keys; Null, Doubles and Booleans get none.
    static std::optional<std::uint64_t> indexKey(const Variant& value);

private:
    using Bucket = std::vector<RowId>;
    using Index = std::unordered_map<std::uint64_t, Bucket>;

    void buildIndex(int field);
    Index* indexOf(int field);
    static void insertInto(Index& index, std::uint64_t key, RowId row);
    static void removeFrom(Index& index, std::uint64_t key, RowId row);

    std::optional<int> lookUpField(QStringView name) const;

    // The procedures name their fields with the same few texts on every row: the last
    // lookups, by where the name's characters live, answer again after one exact compare.
    struct RecentName {
        const QChar* data = nullptr;
        qsizetype size = 0;
        int field = -1;
    };
    static constexpr std::size_t RecentNames = 64;

    std::vector<FieldDef> m_fields;
    std::vector<std::size_t> m_nameHashes; // case-insensitive, parallel to m_fields
    mutable std::array<RecentName, RecentNames> m_recentNames{};
    ValueBlocks m_values;
    std::vector<std::uint8_t> m_deleted;
    std::vector<std::unique_ptr<Index>> m_indexes; // parallel to m_fields; null = not built
    int m_liveCount = 0;
    std::uint64_t m_deleteCount = 0;
    std::uint64_t m_rowChanges = 0;
    std::vector<std::uint64_t> m_fieldWrites; // parallel to m_fields
    std::vector<int> m_required;
    bool m_open = false;
    bool m_anyIndex = false; ///< some index is built: appends and deletes keep it valid
    bool m_indexesEnabled = true;
};

} // namespace bdg
