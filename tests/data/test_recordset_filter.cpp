#include "data/error_of.h"
#include "data/recordset.h"
#include "data/recordset_filter.h"
#include "data/tsv_rows.h"
#include "support/text_rows.h"

#include <QtTest>

#include <random>

using namespace bdg;

namespace {

/// Seven rows (KEY_VOCE 1..7) with trailing blanks, blank codes, Nulls, quotes, negatives.
Recordset sampleTable() {
    const RecordsetPtr table =
        test::table(QStringLiteral("KEY_VOCE:i VOCE:w15 PERIODO:i IMP:d2 DES:v240"),
                    {"1|A1|1|10.00|it's", "2|A1 |2|-5.50|x", "3|''|3||", "4|  ||0|O'Brien",
                     "5||3|100.25|B2", "6|a1|2|10|12", "7|12|-4|-0.5|12.50"});
    return std::move(*table);
}

QString keysOfView(Recordset& table) {
    QStringList keys;
    for (table.MoveFirst(); !table.Eof(); table.MoveNext())
        keys << table.value(u"KEY_VOCE").toString();
    return keys.join(u',');
}

} // namespace

class TestRecordsetFilter : public QObject {
    Q_OBJECT

private slots:
    void filterSelectsTheRowsItDescribes_data() {
        bdg::test::addTsvRows("filtri", {"filter", "keys"});
    }

    void filterSelectsTheRowsItDescribes() {
        // The same filter gives the same rows whether the indexes answer it or a scan does.
        QFETCH(QString, filter);
        QFETCH(QString, keys);
        for (const bool indexes : {true, false}) {
            Recordset table = sampleTable();
            table.setIndexesEnabled(indexes);
            table.setFilter(filter);
            QCOMPARE(keysOfView(table), keys);
            QCOMPARE(table.RecordCount(), keys.isEmpty() ? 0 : int(keys.count(u',')) + 1);
        }
    }

    void malformedFilterIsRefusedAndLeavesTheViewAlone_data() {
        bdg::test::addTsvRows("filtri_errati", {"filter", "fault"});
    }

    void malformedFilterIsRefusedAndLeavesTheViewAlone() {
        // A bad filter names itself and its fault; filter, position and rows stay as they were.
        QFETCH(QString, filter);
        QFETCH(QString, fault);
        Recordset table = sampleTable();
        table.setFilter(QStringLiteral("PERIODO = 2"));
        table.MoveNext();
        const QString error = test::errorOf<RecordsetError>([&] { table.setFilter(filter); });
        QVERIFY2(error.contains(u'"' + filter + u'"') && error.contains(fault), qPrintable(error));
        QCOMPARE(table.filter(), QStringLiteral("PERIODO = 2"));
        QCOMPARE(table.RecordCount(), 2);
        QCOMPARE(table.AbsolutePosition(), 2);
        QCOMPARE(table.value(u"KEY_VOCE").toString(), QStringLiteral("6"));
    }

    void templateFiltersAsItsTextWithTheLiteralsWrittenIn_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("literals"); // q: a quoted text, b: a bare one
        QTest::newRow("text and number") << "VOCE = ? AND PERIODO = ?"
                                         << "q:A1|b:2";
        QTest::newRow("quote inside") << " DES = ? "
                                      << "q:it's";
        QTest::newRow("number for a text") << "VOCE = ?"
                                           << "b:12";
        QTest::newRow("? inside a text") << "KEY_VOCE < ? AND DES <> 'a?b'"
                                         << "b:5";
        QTest::newRow("blank for a number") << "PERIODO = ? AND VOCE = ?"
                                            << "b: |q:A1";
        QTest::newRow("text for a number") << "PERIODO = ?"
                                           << "q:x";
    }

    void templateFiltersAsItsTextWithTheLiteralsWrittenIn() {
        // Same rows, same text read back, or the same refusal as the text written out.
        QFETCH(QString, pattern);
        QFETCH(QString, literals);
        std::vector<FilterLiteral> values;
        for (const QString& literal : literals.split(u'|'))
            values.push_back({literal.mid(2), literal.startsWith(u'q')});
        const FilterTemplate filter(pattern);
        const auto outcome = [&](const std::function<void(Recordset&)>& set) {
            Recordset table = sampleTable();
            const QString error = test::errorOf<RecordsetError>([&] { set(table); });
            return error + keysOfView(table) + QStringLiteral(" / ") + table.filter();
        };
        const QString written = outcome([&](Recordset& t) { t.setFilter(filter.text(values)); });
        QCOMPARE(outcome([&](Recordset& t) { t.setFilter(filter, values); }), written);
    }

    void templateIsReadAgainOnATableOfAnotherLayout() {
        const FilterTemplate byCode(QStringLiteral("VOCE = ?"));
        Recordset sample = sampleTable();
        sample.setFilter(byCode, {{"A1", true}});
        Recordset codes;
        codes.appendField(QStringLiteral("VOCE"), FieldType::VarWChar, 10);
        codes.Open();
        for (const char* code : {"A1", "x"}) {
            codes.AddNew();
            codes.setValue(0, code);
            codes.Update();
        }
        codes.setFilter(byCode, {{"x", true}});
        QCOMPARE(codes.value(0).toString() + codes.filter(), QStringLiteral("xVOCE = 'x'"));
        QCOMPARE(keysOfView(sample), QStringLiteral("1,2"));
    }

    void filterCanBeExtendedZeroedAndCleared() {
        // The roll-ups append terms to the filter read back; "0" and clearing show every row.
        Recordset table = sampleTable();
        table.setFilter(QStringLiteral("VOCE = 'A1'"));
        table.setFilter(table.filter() + QStringLiteral(" AND PERIODO <> 2 "));
        QCOMPARE(keysOfView(table), QStringLiteral("1"));
        table.setFilter(QStringLiteral("0"));
        QCOMPARE(table.RecordCount(), 7);
        QCOMPARE(table.filter(), QString());
        table.setFilter(QStringLiteral("PERIODO = 3"));
        table.clearFilter();
        QCOMPARE(keysOfView(table), QStringLiteral("1,2,3,4,5,6,7"));
    }

    void indexedFiltersGiveTheRowsOfAScanOnRandomTables() {
        // Random values (Null included), random filters with every operator, random writes,
        // appends and deletes between them: the index never changes an answer. Templates kept
        // across rounds look their rows up; no change may leave them answering from old rows.
        const QStringList fields = {"VOCE", "PERIODO", "IMP"};
        const QList<QList<Variant>> values = {{"A", "B", "A ", "C", "", " ", Variant::null()},
                                              {-2, 0, 1, 2, 3, Variant::null()},
                                              {Decimal::parse(u"-1.5"), 0, 1,
                                               Decimal::parse(u"1.50"), Decimal::parse(u"2.25"),
                                               Variant::null()}};
        const QList<QStringList> literals = {{"'A'", "'B'", "' '", "'A '", "''", "'C'", "1"},
                                             {"0", "1", "-2", "'3'", "2.0", "2.5"},
                                             {"0", "1.5", "'1.50'", "-1.5", "2.25", "1"}};
        const QStringList ops = {"=", "=", "=", "<>", "<", "<=", ">", ">="};
        const QStringList patterns = {"VOCE = ? AND PERIODO = ?",
                                      "PERIODO = ? AND IMP <> 0 AND VOCE = ?",
                                      "VOCE = ? AND IMP < ? AND PERIODO = ?"};
        const auto view = [](Recordset& table) {
            std::vector<Bookmark> found;
            for (table.MoveFirst(); !table.Eof(); table.MoveNext())
                found.push_back(table.bookmark());
            return found;
        };
        const auto rows = [&view](Recordset& table, const QString& filter) {
            table.setFilter(filter);
            return view(table);
        };
        for (const unsigned seed : {1u, 2u, 3u}) {
            std::mt19937 random(seed);
            const auto pick = [&random](const auto& list) {
                return list[qsizetype(random() % std::size_t(list.size()))];
            };
            Recordset tables[2] = {sampleTable(), sampleTable()}; // indexed, scanned
            tables[1].setIndexesEnabled(false);
            const auto addRow = [&](int key) {
                const QList<Variant> row = {key, pick(values[0]), pick(values[1]), pick(values[2])};
                for (Recordset& table : tables) {
                    table.AddNew();
                    for (int field = 0; field < row.size(); ++field)
                        table.setValue(field, row[field]);
                    table.Update();
                }
            };
            for (int key = 10; key < 400; ++key)
                addRow(key);
            std::vector<FilterTemplate> templates;
            for (const QString& pattern : patterns)
                templates.emplace_back(pattern);
            int nonEmpty = 0;
            for (int round = 0; round < 300; ++round) {
                QStringList terms;
                for (int term = int(random() % 3); term >= 0; --term) {
                    const int field = int(random() % 3);
                    terms << fields[field] + u' ' + pick(ops) + u' ' + pick(literals[field]);
                }
                const QString filter = terms.join(QStringLiteral(" AND "));
                const std::vector<Bookmark> indexed = rows(tables[0], filter);
                QVERIFY2(indexed == rows(tables[1], filter), qPrintable(filter));
                nonEmpty += indexed.empty() ? 0 : 1;
                for (int set = 0; set < 12; ++set) {
                    const std::size_t which = std::size_t(set) % templates.size();
                    std::vector<FilterLiteral> holes;
                    for (const QString& term :
                         patterns[qsizetype(which)].split(QStringLiteral(" AND ")))
                        if (term.contains(u'?')) {
                            const QString written =
                                pick(literals[fields.indexOf(term.section(u' ', 0, 0))]);
                            const bool quoted = written.startsWith(u'\'');
                            holes.push_back(
                                {quoted ? written.mid(1, written.size() - 2) : written, quoted});
                        }
                    tables[0].setFilter(templates[which], holes);
                    const QString text = templates[which].text(holes);
                    QVERIFY2(view(tables[0]) == rows(tables[1], text), qPrintable(text));
                }
                // A random row is deleted, or one of its fields written, in both tables.
                const Bookmark target = pick(rows(tables[0], QStringLiteral("0")));
                const bool remove = random() % 4 == 0;
                const int field = int(random() % 3);
                const Variant value = pick(values[field]);
                for (Recordset& table : tables) {
                    table.clearFilter();
                    table.setBookmark(target);
                    if (remove)
                        table.Delete();
                    else
                        table.setValue(field + 1, value);
                }
                if (round % 3 == 0)
                    addRow(1000 + round);
            }
            QVERIFY(nonEmpty > 100); // the filters really select rows
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordsetFilter)
#include "test_recordset_filter.moc"
