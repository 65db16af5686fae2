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

void RecordsetSort::apply(const RecordsetTable& table, std::vector<RowId>& rows) const {
    if (m_keys.empty()) {
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
    std::stable_sort(rows.begin(), rows.end(), before);
}

} // namespace bdg
