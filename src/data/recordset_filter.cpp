#include "data/recordset_filter.h"

#include <algorithm>
#include <limits>

namespace bdg {

namespace {

bool isBlank(QChar ch) {
    // Filters are often built over several lines: CR and LF separate words like blanks.
    return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n';
}

bool isNameStart(QChar ch) {
    return ch.isLetter() || ch == u'_';
}

bool isNamePart(QChar ch) {
    return ch.isLetterOrNumber() || ch == u'_';
}

bool isOperatorChar(QChar ch) {
    return ch == u'=' || ch == u'<' || ch == u'>' || ch == u'!';
}

bool isNumericType(FieldType type) {
    return type != FieldType::WChar && type != FieldType::VarWChar;
}

std::optional<CompareOp> operatorOf(QStringView text) {
    if (text == u"=") {
        return CompareOp::Equal;
    }
    if (text == u"<>") {
        return CompareOp::NotEqual;
    }
    if (text == u"<") {
        return CompareOp::Less;
    }
    if (text == u"<=") {
        return CompareOp::LessEqual;
    }
    if (text == u">") {
        return CompareOp::Greater;
    }
    if (text == u">=") {
        return CompareOp::GreaterEqual;
    }
    return std::nullopt;
}

/// Integer fields hold Int32: a whole literal in range compares without conversions.
Variant numericLiteral(const FieldDef& def, const Decimal& number) {
    const auto whole = number.toInt64();
    const bool exact = whole && Decimal(*whole) == number;
    if (def.type == FieldType::Integer && exact && *whole >= std::numeric_limits<int>::min() &&
        *whole <= std::numeric_limits<int>::max()) {
        return Variant(int(*whole));
    }
    return Variant(number);
}

/// The literal in the field's kind: texts for numeric fields become numbers, numbers for
/// text fields become their text form; nothing when the field cannot take it.
std::optional<Variant> typedLiteral(const FieldDef& def, const FilterLiteral& written) {
    if (!isNumericType(def.type) && written.quoted) {
        return Variant(written.text);
    }
    const auto number = Decimal::fromString(written.text);
    if (!isNumericType(def.type) && number) {
        return Variant(number->toString());
    }
    if (isNumericType(def.type) && number) {
        return numericLiteral(def, *number);
    }
    if (def.type == FieldType::Boolean) {
        if (const auto flag = Variant(written.text).toBool()) {
            return Variant(*flag);
        }
    }
    return std::nullopt;
}

/// Reads one filter text left to right; every fault raises RecordsetError quoting it.
class FilterParser {
public:
    /// With `holes`, a "?" in place of a literal is a hole, counted in `holes` in order of
    /// appearance, its term's literal left Empty.
    FilterParser(const QString& text, const RecordsetTable& table,
                 std::vector<std::size_t>* holes = nullptr)
        : m_text(text), m_table(table), m_holes(holes) {}

    std::vector<FilterTerm> parse() {
        std::vector<FilterTerm> terms;
        skipBlanks(); // the roll-ups write " TIPORECORD = 'C' "
        terms.push_back(term());
        while (skipBlanks()) {
            const QStringView word = name();
            if (word.compare(u"AND", Qt::CaseInsensitive) != 0) {
                fail(QStringLiteral("atteso AND al posto di \"%1\"").arg(rest()));
            }
            if (!skipBlanks()) {
                fail(QStringLiteral("manca una condizione dopo AND"));
            }
            terms.push_back(term());
        }
        return terms;
    }

private:
    FilterTerm term() {
        const QStringView fieldName = name();
        if (fieldName.isEmpty()) {
            fail(QStringLiteral("atteso un nome di campo al posto di \"%1\"").arg(rest()));
        }
        const auto field = m_table.fieldIndex(fieldName);
        if (!field) {
            fail(QStringLiteral("il campo \"%1\" non esiste").arg(fieldName));
        }
        skipBlanks();
        const CompareOp op = comparison(fieldName);
        skipBlanks();
        if (m_holes && m_pos < m_text.size() && m_text[m_pos] == u'?') {
            ++m_pos;
            m_holes->push_back(m_terms);
            ++m_terms;
            return FilterTerm{*field, op, Variant()};
        }
        const FilterLiteral written = literal(fieldName);
        ++m_terms;
        return FilterTerm{*field, op, typed(*field, written)};
    }

    // A view into the filter text: the name is only looked up, never kept.
    QStringView name() {
        const qsizetype start = m_pos;
        if (m_pos < m_text.size() && isNameStart(m_text[m_pos])) {
            while (m_pos < m_text.size() && isNamePart(m_text[m_pos])) {
                ++m_pos;
            }
        }
        return QStringView(m_text).mid(start, m_pos - start);
    }

    CompareOp comparison(QStringView fieldName) {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isOperatorChar(m_text[m_pos])) {
            ++m_pos;
        }
        const QStringView written = QStringView(m_text).mid(start, m_pos - start);
        if (written.isEmpty()) {
            fail(QStringLiteral("manca l'operatore dopo \"%1\"").arg(fieldName));
        }
        const auto op = operatorOf(written);
        if (!op) {
            fail(QStringLiteral("operatore \"%1\" sconosciuto").arg(written));
        }
        return *op;
    }

    FilterLiteral literal(QStringView fieldName) {
        if (m_pos >= m_text.size()) {
            fail(QStringLiteral("manca il valore per il campo \"%1\"").arg(fieldName));
        }
        if (m_text[m_pos] == u'\'') {
            return FilterLiteral{quoted(), true};
        }
        return FilterLiteral{number(), false};
    }

    QString quoted() {
        const qsizetype start = m_pos++;
        // Most texts hold no quote of their own: taken whole up to the closing quote.
        const qsizetype closing = m_text.indexOf(QLatin1Char('\''), m_pos);
        if (closing >= 0 && (closing + 1 >= m_text.size() || m_text[closing + 1] != u'\'')) {
            const QString value = m_text.mid(m_pos, closing - m_pos);
            m_pos = closing + 1;
            return value;
        }
        QString value;
        while (m_pos < m_text.size()) {
            const QChar ch = m_text[m_pos++];
            if (ch != u'\'') {
                value.append(ch);
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == u'\'') {
                value.append(ch); // a doubled quote stands for one quote
                ++m_pos;
                continue;
            }
            return value;
        }
        fail(QStringLiteral("manca l'apice di chiusura del testo che inizia alla posizione %1")
                 .arg(start + 1));
    }

    QString number() {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && !isBlank(m_text[m_pos])) {
            ++m_pos;
        }
        const QString written = m_text.mid(start, m_pos - start);
        if (!isPlainNumber(written)) {
            fail(QStringLiteral("il valore \"%1\" non è un numero né un testo tra apici")
                     .arg(written));
        }
        return written;
    }

public:
    static bool isPlainNumber(QStringView written) {
        qsizetype at = 0;
        if (at < written.size() && (written[at] == u'-' || written[at] == u'+')) {
            ++at;
        }
        int digits = 0;
        bool point = false;
        for (; at < written.size(); ++at) {
            const QChar ch = written[at];
            if (ch >= u'0' && ch <= u'9') {
                ++digits;
            } else if (ch == u'.' && !point) {
                point = true;
            } else {
                return false;
            }
        }
        return digits > 0;
    }

private:
    Variant typed(int field, const FilterLiteral& written) {
        const FieldDef& def = m_table.field(field);
        if (auto value = typedLiteral(def, written))
            return std::move(*value);
        fail(QStringLiteral("\"%1\" non è un numero valido per il campo \"%2\"")
                 .arg(written.text, def.name));
    }

    /// Skips blanks; false at the end of the text.
    bool skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos])) {
            ++m_pos;
        }
        return m_pos < m_text.size();
    }

    QString rest() const { return m_text.mid(m_pos); }

    [[noreturn]] void fail(const QString& what) const {
        throw RecordsetError(
            QStringLiteral("Filtro \"%1\" non valido: %2").arg(m_text, what).toStdString());
    }

    const QString& m_text;
    const RecordsetTable& m_table;
    std::vector<std::size_t>* m_holes;
    std::size_t m_terms = 0;
    qsizetype m_pos = 0;
};

bool satisfies(int order, CompareOp op) {
    switch (op) {
    case CompareOp::Equal:
        return order == 0;
    case CompareOp::NotEqual:
        return order != 0;
    case CompareOp::Less:
        return order < 0;
    case CompareOp::LessEqual:
        return order <= 0;
    case CompareOp::Greater:
        return order > 0;
    case CompareOp::GreaterEqual:
        return order >= 0;
    }
    return false;
}

} // namespace

RecordsetFilter RecordsetFilter::parse(const QString& text, const RecordsetTable& table) {
    RecordsetFilter filter;
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty() || trimmed == u"0") {
        return filter;
    }
    filter.m_terms = FilterParser(text, table).parse();
    return filter;
}

bool RecordsetFilter::matches(const RecordsetTable& table, RowId row) const {
    for (const FilterTerm& term : m_terms) {
        if (!satisfiedBy(table, row, term)) {
            return false;
        }
    }
    return true;
}

bool RecordsetFilter::satisfiedBy(const RecordsetTable& table, RowId row, const FilterTerm& term) {
    const Variant& value = table.value(row, term.field);
    if (value.isNullOrEmpty()) {
        return false; // Null satisfies no comparison, not even <>
    }
    return satisfies(value.compare(term.literal), term.op);
}

void RecordsetFilter::select(RecordsetTable& table, std::vector<RowId>& rows) const {
    rows.clear();
    const auto [bucket, bucketTerm] = smallestBucket(table);
    if (!bucket) {
        for (RowId row = 0; row < table.rowCount(); ++row) {
            if (!table.isDeleted(row) && matches(table, row)) {
                rows.push_back(row);
            }
        }
        return;
    }
    // The bucket's own term holds on nearly all its rows (it is checked again only because
    // buckets are keyed by hash), so the other terms go first and reject rows sooner.
    for (RowId row : *bucket) {
        bool keep = true;
        for (std::size_t index = 0; keep && index < m_terms.size(); ++index) {
            keep = index == bucketTerm || satisfiedBy(table, row, m_terms[index]);
        }
        if (keep && satisfiedBy(table, row, m_terms[bucketTerm])) {
            rows.push_back(row);
        }
    }
}

namespace {

// A bucket this small is scanned as it is: no other can be much cheaper.
constexpr std::size_t SmallBucket = 16;

} // namespace

std::pair<const std::vector<RowId>*, std::size_t>
RecordsetFilter::smallestBucket(RecordsetTable& table) const {
    const std::vector<RowId>* smallest = nullptr;
    std::size_t smallestTerm = 0;
    if (!table.indexesEnabled()) {
        return {smallest, smallestTerm};
    }
    for (std::size_t index = 0; index < m_terms.size(); ++index) {
        const FilterTerm& term = m_terms[index];
        if (term.op != CompareOp::Equal || !table.isIndexable(term.field)) {
            continue;
        }
        const std::vector<RowId>& bucket = table.candidates(term.field, term.literal);
        if (!smallest || bucket.size() < smallest->size()) {
            smallest = &bucket;
            smallestTerm = index;
        }
        if (smallest->size() <= SmallBucket) {
            break; // scanning it costs less than hashing the next literal
        }
    }
    return {smallest, smallestTerm};
}

QString FilterLiteral::written() const {
    if (!quoted)
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString FilterTemplate::text(const std::vector<FilterLiteral>& literals) const {
    QString text;
    qsizetype from = 0;
    std::size_t next = 0;
    bool inText = false;
    for (qsizetype at = 0; at < m_text.size(); ++at) {
        if (m_text[at] == u'\'')
            inText = !inText; // a doubled quote leaves the text and enters it again
        if (inText || m_text[at] != u'?' || next >= literals.size())
            continue;
        text += QStringView(m_text).mid(from, at - from);
        text += literals[next++].written();
        from = at + 1;
    }
    text += QStringView(m_text).mid(from);
    return text;
}

bool FilterTemplate::bind(const std::shared_ptr<RecordsetTable>& table,
                          const std::vector<FilterLiteral>& literals,
                          RecordsetFilter& bound) const {
    if (m_table.lock() != table) {
        m_table.reset(); // a text this table refuses leaves nothing read against any table
        m_holes.clear();
        m_parsed = RecordsetFilter();
        m_parsed.m_terms = FilterParser(m_text, *table, &m_holes).parse();
        m_table = table;
        m_keyHoles.clear();
        for (std::size_t hole : m_holes) {
            const FilterTerm& term = m_parsed.m_terms[hole];
            if (term.op == CompareOp::Equal && table->isIndexable(term.field))
                m_keyHoles.push_back(hole);
        }
        // Keyed on another table before: this one waits for a scan's worth of sets too, so
        // that a template set on two tables in turn never keys a whole table per set.
        m_keyed.clear();
        m_keyedStamp.reset();
        m_selectsUnkeyed = 0;
    }
    if (literals.size() != m_holes.size())
        return false;
    bound.m_terms = m_parsed.m_terms; // into the room `bound` already has
    for (std::size_t hole = 0; hole < m_holes.size(); ++hole) {
        const FilterLiteral& literal = literals[hole];
        // Written in, a bare literal must read back as one number and nothing else.
        if (!literal.quoted && !FilterParser::isPlainNumber(literal.text))
            return false;
        FilterTerm& term = bound.m_terms[m_holes[hole]];
        std::optional<Variant> value = typedLiteral(table->field(term.field), literal);
        if (!value)
            return false;
        term.literal = std::move(*value);
    }
    return true;
}

namespace {

std::uint64_t combined(std::uint64_t key, std::uint64_t part) {
    return key ^ (part + 0x9e3779b97f4a7c15ull + (key << 6) + (key >> 2));
}

} // namespace

std::uint64_t FilterTemplate::stamp(const RecordsetTable& table) const {
    std::uint64_t changes = table.rowChanges();
    for (const FilterTerm& term : m_parsed.m_terms)
        changes += table.fieldWrites(term.field);
    return changes;
}

void FilterTemplate::keyRows(const RecordsetTable& table) const {
    m_keyed.clear();
    m_keyed.reserve(std::size_t(table.liveCount()));
    std::vector<const FilterTerm*> fixed;
    for (std::size_t index = 0; index < m_parsed.m_terms.size(); ++index) {
        if (std::find(m_holes.begin(), m_holes.end(), index) == m_holes.end())
            fixed.push_back(&m_parsed.m_terms[index]);
    }
    std::vector<int> keyFields;
    for (std::size_t index : m_keyHoles)
        keyFields.push_back(m_parsed.m_terms[index].field);
    for (RowId row = 0; row < table.rowCount(); ++row) {
        if (table.isDeleted(row))
            continue;
        bool keep = true;
        for (std::size_t at = 0; keep && at < fixed.size(); ++at)
            keep = RecordsetFilter::satisfiedBy(table, row, *fixed[at]);
        std::uint64_t key = 0;
        for (std::size_t at = 0; keep && at < keyFields.size(); ++at) {
            const auto part = RecordsetTable::indexKey(table.value(row, keyFields[at]));
            keep = part.has_value(); // a Null equals nothing
            key = keep ? combined(key, *part) : key;
        }
        if (keep)
            m_keyed.emplace_back(key, row);
    }
    std::sort(m_keyed.begin(), m_keyed.end());
}

void FilterTemplate::select(RecordsetTable& table, const RecordsetFilter& bound,
                            std::vector<RowId>& rows) const {
    if (m_keyHoles.empty() || !table.indexesEnabled()) {
        bound.select(table, rows);
        return;
    }
    const std::uint64_t now = stamp(table);
    if (m_keyedStamp != now) {
        if (m_keyedStamp) {
            m_keyedStamp.reset(); // stale: the selects since then count towards keying again
            m_selectsUnkeyed = 0;
        }
        // Keying costs a sort of the whole table. A template is kept for a procedure's visit
        // of many rows, so the first set keys them; after a change they are keyed again only
        // once a scan's worth of selects has gone by, so that a procedure writing the fields
        // it filters on stays linear.
        if (m_everKeyed && ++m_selectsUnkeyed <= std::size_t(table.liveCount()) / 8) {
            bound.select(table, rows);
            return;
        }
        keyRows(table);
        m_keyedStamp = now;
        m_everKeyed = true;
    }
    rows.clear();
    std::uint64_t key = 0;
    for (std::size_t index : m_keyHoles) {
        const auto part = RecordsetTable::indexKey(bound.m_terms[index].literal);
        if (!part)
            return;
        key = combined(key, *part);
    }
    auto at =
        std::lower_bound(m_keyed.begin(), m_keyed.end(), std::pair<std::uint64_t, RowId>(key, -1));
    for (; at != m_keyed.end() && at->first == key; ++at) {
        // Keys are hashes: every hole is checked again, the inequalities among them too.
        bool keep = true;
        for (std::size_t index = 0; keep && index < m_holes.size(); ++index)
            keep = RecordsetFilter::satisfiedBy(table, at->second, bound.m_terms[m_holes[index]]);
        if (keep)
            rows.push_back(at->second);
    }
}

} // namespace bdg
