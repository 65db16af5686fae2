#include "data/recordset_sort.h"

#include <QRegularExpression>

#include <algorithm>

namespace bdg {

namespace {

[[noreturn]] void fail(const QString& text, const QString& what) {
    throw RecordsetError(
        QStringLiteral("Ordinamento \"%1\" non valido: %2").arg(text, what).toStdString());
}

SortKey keyOf(const QString& text, QStringView item, const RecordsetTable& table) {
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n]+"));
    const QStringList words = item.toString().split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        fail(text, QStringLiteral("manca un nome di campo"));
    }
    if (words.size() > 2) {
        fail(text,
             QStringLiteral("\"%1\" non è un campo seguito da ASC o DESC").arg(item.trimmed()));
    }
    const auto field = table.fieldIndex(words[0]);
    if (!field) {
        fail(text, QStringLiteral("il campo \"%1\" non esiste").arg(words[0]));
    }
    if (words.size() == 1 || words[1].compare(u"ASC", Qt::CaseInsensitive) == 0) {
        return SortKey{*field, false};
    }
    if (words[1].compare(u"DESC", Qt::CaseInsensitive) == 0) {
        return SortKey{*field, true};
    }
    fail(text, QStringLiteral("atteso ASC o DESC al posto di \"%1\"").arg(words[1]));
}

} // namespace

RecordsetSort RecordsetSort::parse(const QString& text, const RecordsetTable& table) {
    RecordsetSort sort;
    if (text.trimmed().isEmpty()) {
        return sort;
    }
    for (QStringView item : QStringView(text).split(u',')) {
        sort.m_keys.push_back(keyOf(text, item, table));
    }
    return sort;
}

namespace {

constexpr std::size_t SmallSort = 16;

// One key of whole numbers and no Null, as KEY_VOCE is: sorted on the numbers themselves,
// which orders as comparing the values does. False, rows untouched, on any other value.
bool sortedOnWholeNumbers(const RecordsetTable& table, const SortKey& key,
                          std::vector<RowId>& rows) {
    std::vector<std::pair<std::int64_t, RowId>> keyed;
    keyed.reserve(rows.size());
    for (RowId row : rows) {
        const Variant& value = table.value(row, key.field);
        if (value.type() != Variant::Type::Int32 && value.type() != Variant::Type::Int64)
            return false;
        keyed.emplace_back(*value.toInt64(), row);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& left, const auto& right) {
        return key.descending ? left.first > right.first : left.first < right.first;
    });
    for (std::size_t at = 0; at < rows.size(); ++at)
        rows[at] = keyed[at].second;
    return true;
}

} // namespace

void RecordsetSort::apply(const RecordsetTable& table, std::vector<RowId>& rows) const {
    if (m_keys.empty() || rows.size() < 2) {
        return;
    }
    const auto before = [&](RowId left, RowId right) {
        for (const SortKey& key : m_keys) {
            const int order = table.value(left, key.field).compare(table.value(right, key.field));
            if (order != 0) {
                return key.descending ? order > 0 : order < 0;
            }
        }
        return false;
    };
    // The few rows a filter per visited row leaves: inserted in place, as stably as the
    // merge sort would, without its buffer.
    if (rows.size() <= SmallSort) {
        for (std::size_t next = 1; next < rows.size(); ++next) {
            const RowId row = rows[next];
            std::size_t at = next;
            for (; at > 0 && before(row, rows[at - 1]); --at)
                rows[at] = rows[at - 1];
            rows[at] = row;
        }
        return;
    }
    if (m_keys.size() == 1 && sortedOnWholeNumbers(table, m_keys.front(), rows)) {
        return;
    }
    std::stable_sort(rows.begin(), rows.end(), before);
}

std::uint64_t RecordsetSort::changes(const RecordsetTable& table) const {
    std::uint64_t changes = table.rowChanges();
    for (const SortKey& key : m_keys)
        changes += table.fieldWrites(key.field);
    return changes;
}

} // namespace bdg
