#include "data/sql_dialect.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace bdg {

namespace {

// The rewrites look for keywords in a copy of the statement in which every string literal,
// quoted identifier and comment is overwritten by a placeholder of the same length, so that
// a code such as 'WITH(NOLOCK)' or a comment mentioning OUTER APPLY is never touched and
// every position found in the copy is valid in the original.
constexpr QChar LiteralMask(0xE000);
constexpr QChar CommentMask(0xE001);

/// One change to the original text: `length` characters at `position` become `text`.
struct Edit {
    qsizetype position = 0;
    qsizetype length = 0;
    QString text;
};

qsizetype maskDelimited(QString& masked, qsizetype start, QChar close, QChar mask) {
    const qsizetype size = masked.size();
    qsizetype pos = start + 1;
    while (pos < size) {
        if (masked[pos] == close) {
            // A doubled closing character is an escaped one ('O''Brien', "a""b").
            if (close != QLatin1Char(']') && pos + 1 < size && masked[pos + 1] == close) {
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        ++pos;
    }
    for (qsizetype at = start; at < pos; ++at)
        masked[at] = mask;
    return pos;
}

qsizetype maskLineComment(QString& masked, qsizetype start) {
    qsizetype pos = start;
    while (pos < masked.size() && masked[pos] != QLatin1Char('\n') &&
           masked[pos] != QLatin1Char('\r'))
        masked[pos++] = CommentMask;
    return pos;
}

qsizetype maskBlockComment(QString& masked, qsizetype start) {
    const qsizetype close = masked.indexOf(QLatin1String("*/"), start + 2);
    const qsizetype end = close < 0 ? masked.size() : close + 2;
    for (qsizetype at = start; at < end; ++at)
        masked[at] = CommentMask;
    return end;
}

QString maskedCopy(const QString& sql) {
    QString masked = sql;
    qsizetype pos = 0;
    while (pos < masked.size()) {
        const QChar ch = masked[pos];
        const QChar next = pos + 1 < masked.size() ? masked[pos + 1] : QChar();
        if (ch == QLatin1Char('\''))
            pos = maskDelimited(masked, pos, ch, LiteralMask);
        else if (ch == QLatin1Char('"'))
            pos = maskDelimited(masked, pos, ch, LiteralMask);
        else if (ch == QLatin1Char('['))
            pos = maskDelimited(masked, pos, QLatin1Char(']'), LiteralMask);
        else if (ch == QLatin1Char('-') && next == QLatin1Char('-'))
            pos = maskLineComment(masked, pos);
        else if (ch == QLatin1Char('/') && next == QLatin1Char('*'))
            pos = maskBlockComment(masked, pos);
        else
            ++pos;
    }
    return masked;
}

bool isBlank(QChar ch) {
    return ch.isSpace() || ch == CommentMask;
}
bool isWordChar(QChar ch) {
    return ch.isLetterOrNumber() || ch == QLatin1Char('_');
}

/// True when only blanks and comments stand between `pos` and the start of the text or the
/// end of the previous statement.
bool startsStatement(const QString& masked, qsizetype pos) {
    while (pos > 0 && isBlank(masked[pos - 1]))
        --pos;
    return pos == 0 || masked[pos - 1] == QLatin1Char(';');
}

qsizetype skipSpaces(const QString& masked, qsizetype pos) {
    while (pos < masked.size() && masked[pos].isSpace())
        ++pos;
    return pos;
}

qsizetype skipName(const QString& masked, qsizetype pos) {
    while (pos < masked.size() && (isWordChar(masked[pos]) || masked[pos] == QLatin1Char('.')))
        ++pos;
    return pos;
}

/// Position just past the parenthesis that closes the one at `open`, or -1.
qsizetype skipParentheses(const QString& masked, qsizetype open) {
    int depth = 0;
    for (qsizetype pos = open; pos < masked.size(); ++pos) {
        if (masked[pos] == QLatin1Char('('))
            ++depth;
        else if (masked[pos] == QLatin1Char(')') && --depth == 0)
            return pos + 1;
    }
    return -1;
}

/// End of "fn(args) [AS] alias" starting at `pos`, or -1 when the text is not of that shape.
qsizetype endOfAppliedFunction(const QString& masked, qsizetype pos) {
    const qsizetype nameEnd = skipName(masked, pos);
    if (nameEnd == pos)
        return -1;
    const qsizetype open = skipSpaces(masked, nameEnd);
    if (open >= masked.size() || masked[open] != QLatin1Char('('))
        return -1;
    const qsizetype close = skipParentheses(masked, open);
    if (close < 0)
        return -1;
    qsizetype aliasStart = skipSpaces(masked, close);
    const qsizetype keywordEnd = skipName(masked, aliasStart);
    if (masked.sliced(aliasStart, keywordEnd - aliasStart)
            .compare(QLatin1String("AS"), Qt::CaseInsensitive) == 0)
        aliasStart = skipSpaces(masked, keywordEnd);
    const qsizetype aliasEnd = skipName(masked, aliasStart);
    return aliasEnd == aliasStart ? -1 : aliasEnd;
}

void dropTableHints(const QString& masked, QList<Edit>& edits) {
    static const QRegularExpression hint(QStringLiteral(R"(\bWITH\s*\(\s*NOLOCK\s*\))"),
                                         QRegularExpression::CaseInsensitiveOption);
    auto matches = hint.globalMatch(masked);
    while (matches.hasNext()) {
        const auto match = matches.next();
        edits.append({match.capturedStart(), match.capturedLength(), QStringLiteral(" ")});
    }
}

void rewriteOuterApply(const QString& masked, SqlDialect::Target target, QList<Edit>& edits) {
    static const QRegularExpression apply(QStringLiteral(R"(\bOUTER\s+APPLY\s+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const bool sqlite = target == SqlDialect::Target::SQLite;
    auto matches = apply.globalMatch(masked);
    while (matches.hasNext()) {
        const auto match = matches.next();
        const qsizetype end = endOfAppliedFunction(masked, match.capturedEnd());
        if (end < 0)
            continue; // not a table function call: left for the database to report
        edits.append(
            {match.capturedStart(), match.capturedLength(),
             sqlite ? QStringLiteral("LEFT JOIN ") : QStringLiteral("LEFT JOIN LATERAL ")});
        edits.append({end, 0, sqlite ? QStringLiteral(" ON 1") : QStringLiteral(" ON TRUE")});
    }
}

void addDeleteFrom(const QString& masked, QList<Edit>& edits) {
    static const QRegularExpression deletion(QStringLiteral(R"(\bDELETE(\s+)(?!FROM\b)(?=\w))"),
                                             QRegularExpression::CaseInsensitiveOption);
    auto matches = deletion.globalMatch(masked);
    while (matches.hasNext()) {
        const auto match = matches.next();
        if (!startsStatement(masked, match.capturedStart()))
            continue; // "ON DELETE CASCADE" and the like
        edits.append({match.capturedStart(1), 0, QStringLiteral(" FROM")});
    }
}

void dropEmptyStatements(const QString& masked, QList<Edit>& edits) {
    for (qsizetype pos = 0; pos < masked.size(); ++pos) {
        if (masked[pos] == QLatin1Char(';') && startsStatement(masked, pos))
            edits.append({pos, 1, QStringLiteral(" ")});
    }
}

void divideByReals(const QString& masked, QList<Edit>& edits) {
    static const QRegularExpression division(QStringLiteral(R"(/\s*\d+(?![\w.]))"));
    auto matches = division.globalMatch(masked);
    while (matches.hasNext()) {
        const auto match = matches.next();
        edits.append({match.capturedEnd(), 0, QStringLiteral(".0")});
    }
}

/// "FROM BU66_DETBUDGET AS BU66_FORECAST INNER JOIN BU65_TESBUDGET ON ... = BU66_ID_BU65
/// LEFT OUTER JOIN BU66_DETBUDGET AS BU66_CONS": SQL Server and PostgreSQL resolve the
/// unqualified BU66_ID_BU65 among the tables joined so far, SQLite among all tables of the
/// FROM clause, where the second copy makes it ambiguous. Columns are named after their
/// table's code (BU66_...), so between the first copy and the second one such columns are
/// qualified with the first copy's alias.
void qualifySelfJoinedColumns(const QString& masked, QList<Edit>& edits) {
    static const QRegularExpression first(QStringLiteral(R"(\bFROM\s+(\w+)\s+AS\s+(\w+))"),
                                          QRegularExpression::CaseInsensitiveOption);
    auto matches = first.globalMatch(masked);
    while (matches.hasNext()) {
        const auto match = matches.next();
        const QString table = match.captured(1);
        const QRegularExpression second(
            QStringLiteral(R"(\b(FROM|JOIN\s+%1\s+(AS\s+)?\w+)\b)").arg(table),
            QRegularExpression::CaseInsensitiveOption);
        const auto next = second.match(masked, match.capturedEnd());
        if (!next.hasMatch() ||
            next.captured(1).startsWith(QLatin1String("FROM"), Qt::CaseInsensitive))
            continue;
        const QString code = table.section(QLatin1Char('_'), 0, 0);
        const QRegularExpression column(
            QStringLiteral(R"((?<![\w.])%1_\w+\b(?!\s*[.(]))").arg(code),
            QRegularExpression::CaseInsensitiveOption);
        auto columns = column.globalMatch(masked.first(next.capturedStart()), match.capturedEnd());
        while (columns.hasNext()) {
            const auto found = columns.next();
            edits.append({found.capturedStart(), 0, match.captured(2) + QLatin1Char('.')});
        }
    }
}

void endCommentsWithLineFeeds(const QString& masked, QList<Edit>& edits) {
    for (qsizetype pos = 1; pos < masked.size(); ++pos) {
        const bool loneReturn = masked[pos] == QLatin1Char('\r') &&
                                (pos + 1 == masked.size() || masked[pos + 1] != QLatin1Char('\n'));
        if (loneReturn && masked[pos - 1] == CommentMask)
            edits.append({pos + 1, 0, QStringLiteral("\n")});
    }
}

QString applyEdits(QString sql, QList<Edit> edits) {
    // Later positions first, so that earlier positions stay valid. At the same position a
    // replacement is applied before an insertion, which so lands in front of it: insertions
    // close the construct that ends there.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& left, const Edit& right) {
        if (left.position != right.position)
            return left.position > right.position;
        return left.length > right.length;
    });
    for (const Edit& edit : edits)
        sql.replace(edit.position, edit.length, edit.text);
    return sql;
}

} // namespace

QString SqlDialect::translate(const QString& sql) const {
    if (m_target == Target::SqlServer)
        return sql;
    const QString masked = maskedCopy(sql);
    QList<Edit> edits;
    dropTableHints(masked, edits);
    rewriteOuterApply(masked, m_target, edits);
    addDeleteFrom(masked, edits);
    dropEmptyStatements(masked, edits);
    if (m_target == Target::SQLite) {
        divideByReals(masked, edits);
        qualifySelfJoinedColumns(masked, edits);
        endCommentsWithLineFeeds(masked, edits);
    }
    return applyEdits(sql, edits);
}

} // namespace bdg
