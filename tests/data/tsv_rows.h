#pragma once

// Test tables kept as text in tests/fixtures when their cases are pure data: long statements
// and messages read better one case a line than as string literals split by the formatter.

#include "support/fixture_runner.h"
#include "support/test_databases.h"

#include <QTest>

#include <initializer_list>

namespace bdg::test {

/// A cell with "\r", "\n", "\t" and "\\" standing for a carriage return, a line feed, a tab
/// and a backslash.
inline QString unescapedCell(const QString& cell) {
    QString text;
    for (qsizetype at = 0; at < cell.size(); ++at) {
        const bool escaped = cell[at] == QLatin1Char('\\') && at + 1 < cell.size();
        const QChar code = escaped ? cell[++at] : cell[at];
        text += !escaped       ? code
                : code == u'r' ? QChar(u'\r')
                : code == u'n' ? QChar(u'\n')
                : code == u't' ? QChar(u'\t')
                               : code;
    }
    return text;
}

/// One _data() row per line of tests/fixtures/NAME.tsv: a header line naming the row's name
/// column and then `columns` (QString columns, in order), one line per case, cells unescaped.
/// A first column "engine" repeats each case on every engine the tests run on (empty cell)
/// or keeps it to the engine it names.
inline void addTsvRows(const char* name, std::initializer_list<const char*> columns) {
    const auto text = readTextFile(fixturePath(QString::fromLatin1(name), QStringLiteral(".tsv")));
    const QList<QStringList> lines = text ? readTsv(*text) : QList<QStringList>();
    QStringList header{QStringLiteral("name")};
    for (const char* column : columns) {
        QTest::addColumn<QString>(column);
        header << QString::fromLatin1(column);
    }
    if (lines.isEmpty() || lines.first() != header)
        qFatal("tests/fixtures/%s.tsv is missing or its header is not %s", name,
               qPrintable(header.join(QLatin1Char(' '))));
    const bool perEngine = header.value(1) == QLatin1String("engine");
    for (const QString& engine : perEngine ? engines() : QStringList{QString()}) {
        for (const QStringList& line : lines.mid(1)) {
            if (line.size() != header.size())
                qFatal("%s.tsv: the case '%s' has %d cells", name, qPrintable(line.first()),
                       int(line.size()));
            if (perEngine && !line[1].isEmpty() && line[1] != engine)
                continue;
            QTestData& row = QTest::newRow(
                qPrintable(perEngine ? engine + QStringLiteral(": ") + line[0] : line[0]));
            for (qsizetype cell = 1; cell < line.size(); ++cell)
                row << (cell == 1 && perEngine ? engine : unescapedCell(line[cell]));
        }
    }
}

} // namespace bdg::test
