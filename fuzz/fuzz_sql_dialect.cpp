// libFuzzer driver: the SQL dialect translator. Any text, valid SQL or not, is translated
// for every engine without crashing; text for SQL Server passes unchanged, and a
// translation never loses a quoted literal.
#include "data/sql_dialect.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

/// The 'quoted' literals of a text, quotes doubled inside, in order; empty when a literal
/// is not closed (the translator then has nothing it must keep).
QStringList literals(const QString& sql) {
    QStringList found;
    qsizetype at = 0;
    while ((at = sql.indexOf(QLatin1Char('\''), at)) >= 0) {
        qsizetype end = at + 1;
        for (;;) {
            end = sql.indexOf(QLatin1Char('\''), end);
            if (end < 0)
                return {};
            if (end + 1 < sql.size() && sql.at(end + 1) == QLatin1Char('\'')) {
                end += 2;
                continue;
            }
            break;
        }
        found << sql.mid(at, end - at + 1);
        at = end + 1;
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    require(bdg::SqlDialect::translate(sql, bdg::SqlDialect::Target::SqlServer) == sql);
    // Only plain code is compared: comments and quoted names may hold quotes of their own.
    const bool plain = !sql.contains(QLatin1String("--")) && !sql.contains(QLatin1String("/*")) &&
                       !sql.contains(QLatin1Char('"')) && !sql.contains(QLatin1Char('['));
    for (const auto target :
         {bdg::SqlDialect::Target::SQLite, bdg::SqlDialect::Target::PostgreSQL}) {
        const QString translated = bdg::SqlDialect::translate(sql, target);
        if (!plain)
            continue;
        const QStringList kept = literals(translated);
        for (const QString& literal : literals(sql))
            require(kept.contains(literal));
    }
    return 0;
}
