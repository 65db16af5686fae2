#pragma once

#include "data/variant.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace bdg {

/// Raised for a misuse of a recordset: a malformed filter or sort, an unknown field,
/// a value that does not fit its field, reading past the end. The text names the
/// filter, field or value concerned.
class RecordsetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The words of a RecordsetError for a number with more digits than its decimal field
/// holds; an error text carrying them says that a figure outgrew its column (the one way a
/// conversion rate can break a run).
inline const QString PrecisionExceeded = QStringLiteral("supera la precisione");

/// Field types of the in-memory table (the codes of the database layer in brackets).
enum class FieldType {
    Integer,  ///< 32-bit integer (3)
    BigInt,   ///< 64-bit integer (20), only met in query results
    Decimal,  ///< exact decimal with precision and scale (14; numeric 131 maps here too)
    Double,   ///< binary floating point (5), only met in query results
    Boolean,  ///< (11)
    WChar,    ///< fixed wide text with a defined size (130)
    VarWChar, ///< variable wide text with a defined size (202); size 0 means unlimited
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::VarWChar;
    int definedSize = 0; ///< characters, for the text types; 0 = no limit
    int precision = 0;   ///< for Decimal
    int scale = 0;       ///< for Decimal
    bool nullable = true;
};

/// Position of a row that survives filters and sorts: the row's identity in its table.
using Bookmark = std::int64_t;

class RecordsetTable; // the rows, shared by a recordset and its clones
class FilterTemplate;
struct FilterLiteral;

/// A disconnected in-memory table with a cursor.
///
/// Rows live in a table shared by the recordset and all its clones: a value written
/// through one cursor is seen by every other. Each cursor has its own filter, sort and
/// position. Rows keep their identity (Bookmark) for their lifetime; deleted rows stay
/// invisible to every cursor.
///
/// Views. Without filter and sort a cursor walks every live row in insertion order and
/// sees rows added meanwhile by any cursor (a clone walking the table meets rows appended
/// behind it). With a filter or a sort the cursor walks the rows that matched when the
/// filter or sort was set, plus the rows it adds itself; setting the filter again
/// re-evaluates it.
///
/// Filters. "FIELD op value [AND FIELD op value ...]" with op one of = <> < <= > >=;
/// texts in single quotes (a quote inside doubled), numbers bare; field names and AND
/// case-insensitive; line breaks count as blanks. A Null field satisfies no comparison,
/// not even <>. Texts compare binary with trailing blanks ignored. Equality terms are
/// answered from per-field indexes that the table builds on first use and keeps valid on
/// every write, so re-filtering a large table once per row stays cheap.
///
/// Writes. setValue() checks the value against its field (type, text size, 32-bit range,
/// decimal precision; decimals are rounded half away from zero to the field's scale) and
/// raises RecordsetError naming the field before anything is stored. AddNew() starts a
/// new row that joins the table on Update() (or on the next move); Update() refuses a row
/// whose non-nullable fields are Null and leaves the table as it was.
class Recordset {
public:
    /// A new recordset with no fields and no rows, not open.
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Definition, before Open.
    void appendField(const QString& name, FieldType type, int definedSize = 0,
                     bool nullable = true);
    void setPrecision(int field, int precision);
    void setNumericScale(int field, int scale);
    /// Opens with no source: the table becomes usable and its fields fixed.
    void Open();
    bool isOpen() const;

    int fieldCount() const;
    const FieldDef& field(int index) const;
    /// Index of a field by name, case-insensitive; nothing when unknown.
    std::optional<int> fieldIndex(QStringView name) const;
    /// As fieldIndex, raising RecordsetError naming the field when unknown.
    int requireField(QStringView name) const;

    // Cursor.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool Eof() const;
    bool Bof() const;
    /// Rows of the current view (filter applied, deleted rows excluded).
    int RecordCount() const;
    /// 1-based position in the current view; -1 at EOF or BOF or with no current row.
    int AbsolutePosition() const;
    Bookmark bookmark() const;
    /// Moves to the row with that bookmark; RecordsetError when it is not in the view.
    void setBookmark(Bookmark bookmark);

    // Values of the current row.
    const Variant& value(int field) const;
    const Variant& value(QStringView name) const;
    void setValue(int field, const Variant& value);
    /// setValue() that hands back the value the field held before.
    Variant exchangeValue(int field, const Variant& value);
    void setValue(QStringView name, const Variant& value);

    void AddNew();
    void Update();
    void CancelUpdate();
    /// Deletes the current row; the cursor stays on it (reading it fails) until moved.
    void Delete();

    /// A second cursor over the same rows, with no filter and no sort, on the first row.
    Recordset Clone() const;

    /// Sets the filter (see the class comment); an empty text removes it. On a malformed
    /// filter RecordsetError names it and what is wrong, and the previous filter stays.
    void setFilter(const QString& filter);
    /// The same as setFilter(filter.text(literals)), without writing or reading that text
    /// when the literals fit their holes.
    void setFilter(const FilterTemplate& filter, const std::vector<FilterLiteral>& literals);
    /// Removes the filter (filter 0).
    void clearFilter();
    QString filter() const;
    /// "F1, F2 DESC": stable, Null first ascending; an empty text removes the sort.
    void setSort(const QString& sort);
    QString sort() const;

    /// The rows are compared without indexes, by scanning (for tests and benchmarks).
    void setIndexesEnabled(bool enabled);

private:
    explicit Recordset(std::shared_ptr<RecordsetTable> table);
    struct Cursor;

    void requireTable() const;
    void requireOpen() const;
    void checkField(int field) const;
    FieldDef& definableField(int field);
    Bookmark currentRow() const;
    void commitPending();
    /// `from`: the template the filter was just bound from, which may look its rows up.
    void rebuildView(const FilterTemplate* from = nullptr);
    /// setValue(), handing the replaced value to `previous` when given.
    void store(int field, const Variant& value, Variant* previous);
    std::vector<Bookmark> allLiveRows() const;
    void moveToFirst();
    Bookmark nextLive(Bookmark after) const;
    Bookmark previousLive(Bookmark before) const;
    std::ptrdiff_t nextInView(std::size_t from) const;
    std::ptrdiff_t previousInView(std::size_t before) const;
    void placeLive(Bookmark row, bool eofWhenNone);
    void placeInView(std::ptrdiff_t pos, bool eofWhenNone);
    std::optional<std::ptrdiff_t> findInView(Bookmark row) const;

    std::shared_ptr<RecordsetTable> m_table;
    std::unique_ptr<Cursor> m_cursor;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

/// Copies `source` into `destination` (or into a new open recordset with the source's
/// fields, all nullable, when destination is null). With `copyViewFirst` the rows are read
/// through the source's filter and sort; with `copyViewAfter` the destination gets them
/// too. Returns the destination, or null when the source is null.
RecordsetPtr CopiaRecordset(const RecordsetPtr& source, RecordsetPtr destination,
                            bool copyViewFirst, bool copyViewAfter);

} // namespace bdg
