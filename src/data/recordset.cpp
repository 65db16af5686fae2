#include "data/recordset.h"

#include "data/recordset_filter.h"
#include "data/recordset_sort.h"
#include "data/recordset_table.h"

#include <algorithm>

namespace bdg {

namespace {

[[noreturn]] void fail(const QString& what) {
    throw RecordsetError(what.toStdString());
}

} // namespace

/// One cursor's own state over the shared table.
///
/// With neither filter nor sort the cursor is "live": `row` is a row of the table and
/// moving walks the table itself, so rows appended by any clone are met. Otherwise the
/// cursor walks `view`, the rows chosen when the filter or sort was set plus the rows it
/// added itself, and `pos` indexes it. Deleted rows stay in `view` and are skipped when
/// moving; the current row may be a deleted one until the cursor moves away.
struct Recordset::Cursor {
    enum class At { Bof, Row, Eof };

    At at = At::Bof;
    RowId row = -1;
    std::size_t pos = 0;
    bool live = true;
    // Shared with `sortedAll` while the cursor has no filter, so that removing the filter of
    // a sorted table copies nothing; copied before the cursor adds a row of its own to it.
    std::shared_ptr<std::vector<RowId>> viewRows = std::make_shared<std::vector<RowId>>();
    const std::vector<RowId>& view() const { return *viewRows; }
    /// The list to write: one shared with `sortedAll` is first copied (`keep`) or replaced
    /// by an empty one, so the cached order is never written through the view.
    std::vector<RowId>& ownView(bool keep) {
        if (viewRows.use_count() > 1)
            viewRows = keep ? std::make_shared<std::vector<RowId>>(*viewRows)
                            : std::make_shared<std::vector<RowId>>();
        return *viewRows;
    }

    QString filterText;
    // A filter set from a template keeps the template and its literals instead, and writes
    // its text only when asked for it.
    QString filterPattern;
    std::vector<FilterLiteral> filterLiterals;
    QString sortText;
    RecordsetFilter filter;
    RecordsetFilter spareFilter; ///< room for the next filter bound from a template
    RecordsetSort sort;

    // AddNew keeps the new row here until Update, with the place to go back to on cancel.
    std::optional<std::vector<Variant>> pending;
    At savedAt = At::Bof;
    RowId savedRow = -1;
    std::size_t savedPos = 0;

    // Count of live rows in `view`, valid while the table's delete count is unchanged.
    mutable int viewCount = -1;
    mutable std::uint64_t viewCountDeletes = 0;

    // Every live row in `sort` order, valid while no row comes or goes and no sort field is
    // written: a procedure that removes the filter of a sorted table before each new filter
    // would otherwise sort the whole table once per row it visits.
    std::shared_ptr<std::vector<RowId>> sortedAll;
    std::optional<std::uint64_t> sortedAllChanges;
};

Recordset::Recordset()
    : m_table(std::make_shared<RecordsetTable>()), m_cursor(std::make_unique<Cursor>()) {}

Recordset::Recordset(std::shared_ptr<RecordsetTable> table)
    : m_table(std::move(table)), m_cursor(std::make_unique<Cursor>()) {}

Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

// ---- Definition ------------------------------------------------------------------------

void Recordset::appendField(const QString& name, FieldType type, int definedSize, bool nullable) {
    requireTable();
    if (m_table->isOpen()) {
        fail(QStringLiteral("Impossibile aggiungere il campo \"%1\": il recordset è già aperto")
                 .arg(name));
    }
    if (name.trimmed().isEmpty() || m_table->fieldIndex(name)) {
        fail(QStringLiteral("Impossibile aggiungere il campo \"%1\": nome vuoto o già presente")
                 .arg(name));
    }
    FieldDef def;
    def.name = name;
    def.type = type;
    def.definedSize = std::max(definedSize, 0);
    def.nullable = nullable;
    m_table->appendField(std::move(def));
}

void Recordset::setPrecision(int field, int precision) {
    definableField(field).precision = precision;
}

void Recordset::setNumericScale(int field, int scale) {
    definableField(field).scale = scale;
}

void Recordset::Open() {
    requireTable();
    m_table->open();
    m_cursor->at = Cursor::At::Bof;
    moveToFirst();
}

bool Recordset::isOpen() const {
    return m_table && m_table->isOpen();
}

int Recordset::fieldCount() const {
    return m_table ? m_table->fieldCount() : 0;
}

const FieldDef& Recordset::field(int index) const {
    checkField(index);
    return m_table->field(index);
}

std::optional<int> Recordset::fieldIndex(QStringView name) const {
    if (!m_table) {
        return std::nullopt;
    }
    return m_table->fieldIndex(name);
}

int Recordset::requireField(QStringView name) const {
    if (const auto index = fieldIndex(name)) {
        return *index;
    }
    fail(QStringLiteral("Il campo \"%1\" non esiste nel recordset").arg(name));
}

// ---- Cursor ----------------------------------------------------------------------------

void Recordset::MoveFirst() {
    requireOpen();
    commitPending();
    moveToFirst();
}

void Recordset::MoveLast() {
    requireOpen();
    commitPending();
    Cursor& cursor = *m_cursor;
    if (cursor.live) {
        placeLive(previousLive(m_table->rowCount()), false);
        return;
    }
    placeInView(previousInView(cursor.view().size()), false);
}

void Recordset::MoveNext() {
    requireOpen();
    commitPending();
    Cursor& cursor = *m_cursor;
    if (cursor.at == Cursor::At::Eof || (RecordCount() == 0 && cursor.at != Cursor::At::Row)) {
        fail(QStringLiteral("Impossibile passare al record successivo: fine del recordset"));
    }
    if (cursor.live) {
        placeLive(nextLive(cursor.at == Cursor::At::Bof ? -1 : cursor.row), true);
        return;
    }
    const std::size_t from = cursor.at == Cursor::At::Bof ? 0 : cursor.pos + 1;
    placeInView(nextInView(from), true);
}

void Recordset::MovePrevious() {
    requireOpen();
    commitPending();
    Cursor& cursor = *m_cursor;
    if (cursor.at == Cursor::At::Bof || (RecordCount() == 0 && cursor.at != Cursor::At::Row)) {
        fail(QStringLiteral("Impossibile passare al record precedente: inizio del recordset"));
    }
    if (cursor.live) {
        const RowId from = cursor.at == Cursor::At::Eof ? m_table->rowCount() : cursor.row;
        placeLive(previousLive(from), false);
        return;
    }
    const std::size_t from = cursor.at == Cursor::At::Eof ? cursor.view().size() : cursor.pos;
    placeInView(previousInView(from), false);
}

bool Recordset::Eof() const {
    if (!isOpen() || m_cursor->pending) {
        return !isOpen();
    }
    return m_cursor->at == Cursor::At::Eof ||
           (m_cursor->at != Cursor::At::Row && RecordCount() == 0);
}

bool Recordset::Bof() const {
    if (!isOpen() || m_cursor->pending) {
        return !isOpen();
    }
    return m_cursor->at == Cursor::At::Bof ||
           (m_cursor->at != Cursor::At::Row && RecordCount() == 0);
}

int Recordset::RecordCount() const {
    if (!isOpen()) {
        return 0;
    }
    const Cursor& cursor = *m_cursor;
    if (cursor.live) {
        return m_table->liveCount();
    }
    if (cursor.viewCount < 0 || cursor.viewCountDeletes != m_table->deleteCount()) {
        cursor.viewCount = int(std::count_if(cursor.view().begin(), cursor.view().end(),
                                             [&](RowId row) { return !m_table->isDeleted(row); }));
        cursor.viewCountDeletes = m_table->deleteCount();
    }
    return cursor.viewCount;
}

int Recordset::AbsolutePosition() const {
    if (!isOpen() || m_cursor->pending || m_cursor->at != Cursor::At::Row ||
        m_table->isDeleted(m_cursor->row)) {
        return -1;
    }
    const Cursor& cursor = *m_cursor;
    const bool noDeletes = m_table->deleteCount() == 0;
    if (cursor.live) {
        if (noDeletes) {
            return int(cursor.row) + 1;
        }
        int position = 0;
        for (RowId row = 0; row <= cursor.row; ++row) {
            position += m_table->isDeleted(row) ? 0 : 1;
        }
        return position;
    }
    if (noDeletes) {
        return int(cursor.pos) + 1;
    }
    const auto end = cursor.view().begin() + std::ptrdiff_t(cursor.pos) + 1;
    return int(std::count_if(cursor.view().begin(), end,
                             [&](RowId row) { return !m_table->isDeleted(row); }));
}

Bookmark Recordset::bookmark() const {
    requireOpen();
    if (m_cursor->pending || m_cursor->at != Cursor::At::Row) {
        fail(QStringLiteral("Segnalibro non disponibile: nessun record corrente"));
    }
    return m_cursor->row;
}

void Recordset::setBookmark(Bookmark bookmark) {
    requireOpen();
    commitPending();
    Cursor& cursor = *m_cursor;
    const bool known =
        bookmark >= 0 && bookmark < m_table->rowCount() && !m_table->isDeleted(bookmark);
    if (known && cursor.live) {
        cursor.at = Cursor::At::Row;
        cursor.row = bookmark;
        return;
    }
    const auto found = known ? findInView(bookmark) : std::nullopt;
    if (!found) {
        fail(QStringLiteral("Il segnalibro %1 non corrisponde a un record visibile").arg(bookmark));
    }
    placeInView(*found, true);
}

// ---- Values ----------------------------------------------------------------------------

const Variant& Recordset::value(int field) const {
    // The common case first, with every condition the checks below fail on.
    if (m_table && m_cursor && field >= 0 && field < m_table->fieldCount()) {
        const Cursor& cursor = *m_cursor;
        if (cursor.pending)
            return (*cursor.pending)[std::size_t(field)];
        if (cursor.at == Cursor::At::Row && m_table->isOpen() && !m_table->isDeleted(cursor.row))
            return m_table->value(cursor.row, field);
    }
    checkField(field);
    if (m_cursor->pending) {
        return (*m_cursor->pending)[std::size_t(field)];
    }
    return m_table->value(currentRow(), field);
}

const Variant& Recordset::value(QStringView name) const {
    return value(requireField(name));
}

void Recordset::setValue(int field, const Variant& value) {
    store(field, value, nullptr);
}

Variant Recordset::exchangeValue(int field, const Variant& value) {
    Variant previous;
    store(field, value, &previous);
    return previous;
}

void Recordset::store(int field, const Variant& value, Variant* previous) {
    checkField(field);
    Variant stored = m_table->coerce(field, value);
    if (m_cursor->pending) {
        Variant& slot = (*m_cursor->pending)[std::size_t(field)];
        if (previous)
            *previous = std::move(slot);
        slot = std::move(stored);
        return;
    }
    const RowId row = currentRow();
    if (stored.isNull() && !m_table->field(field).nullable) {
        fail(QStringLiteral("Il campo \"%1\" non ammette valori nulli")
                 .arg(m_table->field(field).name));
    }
    m_table->setValue(row, field, std::move(stored), previous);
}

void Recordset::setValue(QStringView name, const Variant& value) {
    setValue(requireField(name), value);
}

void Recordset::AddNew() {
    requireOpen();
    commitPending();
    Cursor& cursor = *m_cursor;
    cursor.savedAt = cursor.at;
    cursor.savedRow = cursor.row;
    cursor.savedPos = cursor.pos;
    cursor.pending.emplace(std::size_t(m_table->fieldCount()), Variant::null());
}

void Recordset::Update() {
    requireOpen();
    commitPending();
}

void Recordset::CancelUpdate() {
    requireOpen();
    Cursor& cursor = *m_cursor;
    if (!cursor.pending) {
        return;
    }
    cursor.pending.reset();
    cursor.at = cursor.savedAt;
    cursor.row = cursor.savedRow;
    cursor.pos = cursor.savedPos;
}

void Recordset::Delete() {
    requireOpen();
    if (m_cursor->pending) {
        CancelUpdate(); // a row that never joined the table is simply dropped
        return;
    }
    m_table->deleteRow(currentRow());
}

Recordset Recordset::Clone() const {
    requireOpen();
    Recordset clone(m_table);
    clone.moveToFirst();
    return clone;
}

// ---- Filter and sort -------------------------------------------------------------------

void Recordset::setFilter(const QString& filter) {
    requireOpen();
    RecordsetFilter parsed = RecordsetFilter::parse(filter, *m_table);
    commitPending();
    // The filter going away keeps its room for the next one bound from a template.
    std::swap(m_cursor->filter, m_cursor->spareFilter);
    m_cursor->filter = std::move(parsed);
    m_cursor->filterText = m_cursor->filter.isEmpty() ? QString() : filter;
    m_cursor->filterPattern.clear();
    m_cursor->filterLiterals.clear();
    rebuildView();
    moveToFirst();
}

void Recordset::setFilter(const FilterTemplate& filter,
                          const std::vector<FilterLiteral>& literals) {
    requireOpen();
    if (!filter.bind(m_table, literals, m_cursor->spareFilter)) {
        setFilter(filter.text(literals));
        return;
    }
    commitPending();
    std::swap(m_cursor->filter, m_cursor->spareFilter);
    m_cursor->filterText.clear();
    m_cursor->filterPattern = filter.pattern();
    m_cursor->filterLiterals = literals;
    rebuildView(&filter);
    moveToFirst();
}

void Recordset::clearFilter() {
    setFilter(QString());
}

QString Recordset::filter() const {
    if (!m_cursor)
        return QString();
    if (!m_cursor->filterPattern.isEmpty())
        return FilterTemplate(m_cursor->filterPattern).text(m_cursor->filterLiterals);
    return m_cursor->filterText;
}

void Recordset::setSort(const QString& sort) {
    requireOpen();
    RecordsetSort parsed = RecordsetSort::parse(sort, *m_table);
    commitPending();
    Cursor& cursor = *m_cursor;
    const bool onRow = cursor.at == Cursor::At::Row;
    const RowId current = cursor.row;
    cursor.sort = std::move(parsed);
    cursor.sortText = cursor.sort.isEmpty() ? QString() : sort.trimmed();
    cursor.sortedAllChanges.reset();
    cursor.sortedAll.reset();
    rebuildView();
    // Sorting keeps the current row current, so a procedure can swap two rows and
    // re-sort without losing its place.
    if (onRow && !m_table->isDeleted(current) && cursor.live) {
        placeLive(current, true);
        return;
    }
    const auto found = onRow && !cursor.live ? findInView(current) : std::nullopt;
    if (found) {
        placeInView(*found, true);
        return;
    }
    moveToFirst();
}

QString Recordset::sort() const {
    return m_cursor ? m_cursor->sortText : QString();
}

void Recordset::setIndexesEnabled(bool enabled) {
    requireTable();
    m_table->setIndexesEnabled(enabled);
}

// ---- Private helpers -------------------------------------------------------------------

void Recordset::requireTable() const {
    if (!m_table || !m_cursor) {
        fail(QStringLiteral("Recordset non valido"));
    }
}

void Recordset::requireOpen() const {
    requireTable();
    if (!m_table->isOpen()) {
        fail(QStringLiteral("Operazione non ammessa: il recordset non è aperto"));
    }
}

void Recordset::checkField(int field) const {
    requireTable();
    if (field < 0 || field >= m_table->fieldCount()) {
        fail(QStringLiteral("Il campo numero %1 non esiste (il recordset ha %2 campi)")
                 .arg(field)
                 .arg(m_table->fieldCount()));
    }
}

FieldDef& Recordset::definableField(int field) {
    checkField(field);
    if (m_table->isOpen()) {
        fail(QStringLiteral("Impossibile modificare il campo \"%1\": il recordset è già aperto")
                 .arg(m_table->field(field).name));
    }
    return m_table->field(field);
}

RowId Recordset::currentRow() const {
    requireOpen();
    const Cursor& cursor = *m_cursor;
    if (cursor.at != Cursor::At::Row) {
        fail(QStringLiteral("Nessun record corrente: il cursore è all'inizio o alla fine"));
    }
    if (m_table->isDeleted(cursor.row)) {
        fail(QStringLiteral("Il record corrente è stato eliminato"));
    }
    return cursor.row;
}

void Recordset::commitPending() {
    Cursor& cursor = *m_cursor;
    if (!cursor.pending) {
        return;
    }
    const std::vector<Variant>& values = *cursor.pending;
    for (const int field : m_table->requiredFields()) {
        if (values[std::size_t(field)].isNull()) {
            fail(QStringLiteral("Il campo \"%1\" non ammette valori nulli")
                     .arg(m_table->field(field).name));
        }
    }
    const RowId row = m_table->appendRow(std::move(*cursor.pending));
    cursor.pending.reset();
    cursor.at = Cursor::At::Row;
    cursor.row = row;
    if (cursor.live) {
        return;
    }
    // The cursor's own new rows join its view even when they miss its filter.
    const int count = RecordCount();
    cursor.ownView(true).push_back(row);
    cursor.pos = cursor.view().size() - 1;
    cursor.viewCount = count + 1;
}

void Recordset::rebuildView(const FilterTemplate* from) {
    Cursor& cursor = *m_cursor;
    cursor.live = cursor.filter.isEmpty() && cursor.sort.isEmpty();
    cursor.viewCount = -1;
    if (cursor.live) {
        cursor.ownView(false).clear();
        return;
    }
    if (!cursor.filter.isEmpty()) {
        std::vector<RowId>& rows = cursor.ownView(false);
        if (from)
            from->select(*m_table, cursor.filter, rows);
        else
            cursor.filter.select(*m_table, rows);
        cursor.sort.apply(*m_table, rows);
        return;
    }
    const std::uint64_t changes = cursor.sort.changes(*m_table);
    if (!cursor.sortedAll || cursor.sortedAllChanges != changes) {
        std::vector<RowId> rows = allLiveRows();
        cursor.sort.apply(*m_table, rows);
        cursor.sortedAll = std::make_shared<std::vector<RowId>>(std::move(rows));
        cursor.sortedAllChanges = changes;
    }
    // No row came or went since the rows were listed: all of them are live.
    cursor.viewRows = cursor.sortedAll;
    cursor.viewCount = int(cursor.view().size());
    cursor.viewCountDeletes = m_table->deleteCount();
}

std::vector<RowId> Recordset::allLiveRows() const {
    std::vector<RowId> rows;
    rows.reserve(std::size_t(m_table->liveCount()));
    for (RowId row = 0; row < m_table->rowCount(); ++row) {
        if (!m_table->isDeleted(row)) {
            rows.push_back(row);
        }
    }
    return rows;
}

void Recordset::moveToFirst() {
    if (m_cursor->live) {
        placeLive(nextLive(-1), true);
        return;
    }
    placeInView(nextInView(0), true);
}

RowId Recordset::nextLive(RowId after) const {
    for (RowId row = after + 1; row < m_table->rowCount(); ++row) {
        if (!m_table->isDeleted(row)) {
            return row;
        }
    }
    return -1;
}

RowId Recordset::previousLive(RowId before) const {
    for (RowId row = before - 1; row >= 0; --row) {
        if (!m_table->isDeleted(row)) {
            return row;
        }
    }
    return -1;
}

std::ptrdiff_t Recordset::nextInView(std::size_t from) const {
    const std::vector<RowId>& view = m_cursor->view();
    for (std::size_t pos = from; pos < view.size(); ++pos) {
        if (!m_table->isDeleted(view[pos])) {
            return std::ptrdiff_t(pos);
        }
    }
    return -1;
}

std::ptrdiff_t Recordset::previousInView(std::size_t before) const {
    const std::vector<RowId>& view = m_cursor->view();
    for (std::size_t pos = before; pos > 0; --pos) {
        if (!m_table->isDeleted(view[pos - 1])) {
            return std::ptrdiff_t(pos - 1);
        }
    }
    return -1;
}

void Recordset::placeLive(RowId row, bool eofWhenNone) {
    Cursor& cursor = *m_cursor;
    const Cursor::At none = eofWhenNone ? Cursor::At::Eof : Cursor::At::Bof;
    cursor.at = row < 0 ? none : Cursor::At::Row;
    cursor.row = row;
}

void Recordset::placeInView(std::ptrdiff_t pos, bool eofWhenNone) {
    Cursor& cursor = *m_cursor;
    if (pos < 0) {
        cursor.at = eofWhenNone ? Cursor::At::Eof : Cursor::At::Bof;
        cursor.row = -1;
        return;
    }
    cursor.at = Cursor::At::Row;
    cursor.pos = std::size_t(pos);
    cursor.row = cursor.view()[cursor.pos];
}

std::optional<std::ptrdiff_t> Recordset::findInView(RowId row) const {
    const std::vector<RowId>& view = m_cursor->view();
    if (m_cursor->sort.isEmpty()) {
        // Filter views are in table order and own new rows are the newest: still ascending.
        const auto at = std::lower_bound(view.begin(), view.end(), row);
        if (at != view.end() && *at == row) {
            return at - view.begin();
        }
        return std::nullopt;
    }
    const auto at = std::find(view.begin(), view.end(), row);
    if (at == view.end()) {
        return std::nullopt;
    }
    return at - view.begin();
}

// ---- Copy ------------------------------------------------------------------------------

namespace {

RecordsetPtr emptyCopyOf(const Recordset& source) {
    auto copy = std::make_shared<Recordset>();
    for (int index = 0; index < source.fieldCount(); ++index) {
        const FieldDef& def = source.field(index);
        copy->appendField(def.name, def.type, def.definedSize, true);
        if (def.type == FieldType::Decimal) {
            copy->setPrecision(index, def.precision);
            copy->setNumericScale(index, def.scale);
        }
    }
    copy->Open();
    return copy;
}

/// Destination field of each source field, by name; refused before any row is written.
std::vector<int> targetFields(const Recordset& source, const Recordset& destination) {
    std::vector<int> targets;
    for (int index = 0; index < source.fieldCount(); ++index) {
        targets.push_back(destination.requireField(source.field(index).name));
    }
    return targets;
}

void copyRows(Recordset& from, Recordset& to, const std::vector<int>& targets) {
    std::vector<Bookmark> added;
    try {
        for (from.MoveFirst(); !from.Eof(); from.MoveNext()) {
            to.AddNew();
            for (int index = 0; index < from.fieldCount(); ++index) {
                to.setValue(targets[std::size_t(index)], from.value(index));
            }
            to.Update();
            added.push_back(to.bookmark());
        }
    } catch (...) {
        // A copy that stops half-way takes its rows back: the destination stays as it was.
        to.CancelUpdate();
        for (Bookmark row : added) {
            to.setBookmark(row);
            to.Delete();
        }
        to.MoveFirst(); // off the rows just taken back
        throw;
    }
}

} // namespace

RecordsetPtr CopiaRecordset(const RecordsetPtr& source, RecordsetPtr destination,
                            bool copyViewFirst, bool copyViewAfter) {
    if (!source) {
        return nullptr;
    }
    Recordset work = source->Clone();
    if (copyViewFirst) {
        work.setFilter(source->filter());
        work.setSort(source->sort());
    }
    if (!destination) {
        destination = emptyCopyOf(work);
    }
    const std::vector<int> targets = targetFields(work, *destination);
    if (work.RecordCount() > 0) {
        copyRows(work, *destination, targets);
    }
    if (copyViewAfter) {
        destination->setFilter(source->filter());
        destination->setSort(source->sort());
    }
    return destination;
}

} // namespace bdg
