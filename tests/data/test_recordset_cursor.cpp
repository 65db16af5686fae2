#include "data/error_of.h"
#include "data/recordset.h"

#include <QtTest>

using namespace bdg;

namespace {

/// Appends a row with this KEY_VOCE (and GRP) through `table`.
void append(Recordset& table, int key, const Variant& group = Variant::null()) {
    table.AddNew();
    table.setValue(0, key);
    table.setValue(1, group);
    table.Update();
}

/// A table of KEY_VOCE (not nullable) and GRP rows, in the order given, on its first row.
Recordset keyedTable(const QList<QPair<int, Variant>>& rows) {
    Recordset table;
    table.appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer, 0, false);
    table.appendField(QStringLiteral("GRP"), FieldType::VarWChar, 10);
    table.Open();
    for (const auto& [key, group] : rows)
        append(table, key, group);
    table.MoveFirst();
    return table;
}

Recordset numberedTable(int count) {
    QList<QPair<int, Variant>> rows;
    for (int key = 1; key <= count; ++key)
        rows.append({key, "G"});
    return keyedTable(rows);
}

int key(const Recordset& table) {
    return *table.value(0).toInt32();
}

QString walk(Recordset& table, int field = 0) {
    QStringList values;
    for (table.MoveFirst(); !table.Eof(); table.MoveNext())
        values << table.value(field).toString();
    return values.join(u',');
}

} // namespace

class TestRecordsetCursor : public QObject {
    Q_OBJECT

private slots:
    void positionsFollowTheFilteredView() {
        // Keys 2..4 of five: positions count within the view, ends are -1 and can be left.
        Recordset table = numberedTable(5);
        table.setFilter(QStringLiteral("KEY_VOCE >= 2 AND KEY_VOCE <= 4"));
        QCOMPARE(table.RecordCount(), 3);
        QCOMPARE(key(table), 2);
        QCOMPARE(table.AbsolutePosition(), 1);
        table.MovePrevious();
        QVERIFY(table.Bof() && !table.Eof());
        QCOMPARE(table.AbsolutePosition(), -1);
        table.MoveNext();
        QCOMPARE(key(table), 2);
        table.MoveLast();
        QCOMPARE(table.AbsolutePosition(), 3);
        table.MoveNext();
        QVERIFY(table.Eof());
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.MoveNext());
        table.MovePrevious();
        QCOMPARE(key(table), 4);
        // A filter matching nothing is at its beginning and its end at once.
        table.setFilter(QStringLiteral("KEY_VOCE > 9"));
        QVERIFY(table.Bof() && table.Eof());
        QCOMPARE(table.RecordCount(), 0);
        table.clearFilter();
        QCOMPARE(table.RecordCount(), 5);
        QCOMPARE(table.AbsolutePosition(), 1);
    }

    void cloneSharesRowsButNotPositionOrFilter() {
        // A write through the clone is read through the original; positions and filters stay apart.
        Recordset table = numberedTable(3);
        table.MoveLast();
        Recordset clone = table.Clone();
        QCOMPARE(key(clone), 1);
        clone.setFilter(QStringLiteral("KEY_VOCE = 3"));
        clone.setValue(1, "Z");
        QCOMPARE(table.value(1).toString(), QStringLiteral("Z"));
        QCOMPARE(table.RecordCount(), 3);
        table.setValue(u"grp", "Y");
        QCOMPARE(clone.value(u"GRP").toString(), QStringLiteral("Y"));
    }

    void cloneWalkingTheTableMeetsRowsAppendedBehindIt() {
        // While a clone walks, rows appended through the original are met by the walk.
        Recordset table = numberedTable(2);
        Recordset clone = table.Clone();
        QStringList met;
        for (clone.MoveFirst(); !clone.Eof(); clone.MoveNext()) {
            met << QString::number(key(clone));
            if (key(clone) <= 2)
                append(table, 10 + key(clone));
        }
        QCOMPARE(met.join(u','), QStringLiteral("1,2,11,12"));
        QCOMPARE(clone.RecordCount(), 4);
    }

    void filteredCursorSeesOnlyItsOwnNewRows() {
        // A filtered view keeps the rows chosen when it was set, plus the rows it adds itself.
        Recordset table = numberedTable(4);
        Recordset clone = table.Clone();
        clone.setFilter(QStringLiteral("KEY_VOCE < 3"));
        append(table, 1);
        QCOMPARE(clone.RecordCount(), 2);
        append(clone, 99);
        QCOMPARE(key(clone), 99);
        QCOMPARE(clone.AbsolutePosition(), 3);
        QCOMPARE(walk(clone), QStringLiteral("1,2,99"));
        clone.setFilter(clone.filter()); // setting it again looks at the table afresh
        QCOMPARE(walk(clone), QStringLiteral("1,2,1"));
        QCOMPARE(table.RecordCount(), 6);
    }

    void deletedRowStaysCurrentUntilTheCursorMoves_data() {
        QTest::addColumn<QString>("filter");
        QTest::newRow("whole table") << QString();
        QTest::newRow("filtered view") << QStringLiteral("KEY_VOCE >= 1");
    }

    void deletedRowStaysCurrentUntilTheCursorMoves() {
        // The deleted row cannot be read; the count drops at once; moving goes on past it.
        QFETCH(QString, filter);
        Recordset table = numberedTable(4);
        table.setFilter(filter);
        table.MoveNext();
        table.Delete();
        QCOMPARE(table.RecordCount(), 3);
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.value(0));
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.setValue(1, "X"));
        QCOMPARE(table.AbsolutePosition(), -1);
        QVERIFY(!table.Eof());
        table.MoveNext();
        QCOMPARE(key(table), 3);
        QCOMPARE(table.AbsolutePosition(), 2);
        table.MovePrevious();
        QCOMPARE(key(table), 1);
        QCOMPARE(walk(table), QStringLiteral("1,3,4"));
    }

    void rowDeletedThroughACloneIsSkipped() {
        // A row deleted by another cursor disappears from every view, sorted ones included.
        Recordset table = numberedTable(4);
        table.setSort(QStringLiteral("KEY_VOCE DESC"));
        QCOMPARE(key(table), 1); // the sort keeps the current row
        table.MoveFirst();
        table.MoveNext();
        Recordset clone = table.Clone();
        clone.MoveNext();
        clone.MoveNext();
        QCOMPARE(key(clone), 3);
        clone.Delete();
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.value(0));
        QCOMPARE(table.RecordCount(), 3);
        table.MoveNext();
        QCOMPARE(key(table), 2);
        QCOMPARE(walk(table), QStringLiteral("4,2,1"));
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.setBookmark(2));
        // More rows than are sorted by insertion: ordered on the numbers, still descending.
        Recordset many = numberedTable(20);
        many.setSort(QStringLiteral("KEY_VOCE DESC"));
        QCOMPARE(walk(many).left(9), QStringLiteral("20,19,18,"));
    }

    void removingTheFilterSortsAgainOnlyWhatMoved() {
        // Writes elsewhere keep the sorted order; a write to the sort field, a row added by
        // a clone or one added by the cursor itself show when the filter is removed.
        Recordset table = keyedTable({{1, "B"}, {2, "A"}, {3, "C"}});
        table.setSort(QStringLiteral("GRP"));
        Recordset clone = table.Clone();
        clone.setValue(0, 9); // KEY_VOCE of the row of B
        table.clearFilter();
        QCOMPARE(walk(table), QStringLiteral("2,9,3"));
        clone.setValue(1, "D");
        table.setFilter(QStringLiteral("KEY_VOCE > 2"));
        table.clearFilter();
        QCOMPARE(walk(table), QStringLiteral("2,3,9"));
        append(table, 4, "0");
        QCOMPARE(walk(table), QStringLiteral("2,3,9,4"));
        append(clone, 5, "AA");
        table.clearFilter();
        QCOMPARE(walk(table), QStringLiteral("4,2,5,3,9"));
    }

    void deletingEveryRowWhileWalkingEmptiesTheTable() {
        // The comparison list is emptied by deleting and moving on until the end.
        Recordset table = numberedTable(3);
        for (table.MoveFirst(); !table.Eof(); table.MoveNext())
            table.Delete();
        QCOMPARE(table.RecordCount(), 0);
        QVERIFY(table.Bof() && table.Eof());
        append(table, 7);
        QCOMPARE(walk(table), QStringLiteral("7"));
    }

    void sortIsStableWithNullFirst_data() {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("keys"); // empty: refused
        const auto row = [](const char* name, const char* sort, const char* keys) {
            QTest::newRow(name) << QString::fromLatin1(sort) << QString::fromLatin1(keys);
        };
        row("ascending keeps table order among equals", "GRP", "5,2,4,1,3");
        row("ASC accepted, names ignore case", "grp asc", "5,2,4,1,3");
        row("descending puts Null last", "GRP DESC", "1,3,2,4,5");
        row("second key breaks ties", "GRP, KEY_VOCE DESC", "5,4,2,3,1");
        row("line breaks are blanks", "GRP\r\nDESC ,\nKEY_VOCE", "1,3,2,4,5");
        row("empty text removes the sort", "  ", "1,2,3,4,5");
        for (const char* sort : {"FOO", "GRP DOWN", "GRP,", "GRP DESC X"})
            row(sort, sort, "");
    }

    void sortIsStableWithNullFirst() {
        // Rows of equal keys keep their table order; Null sorts before every value. An unknown
        // field or direction is named in the error and the previous sort stays.
        QFETCH(QString, sort);
        QFETCH(QString, keys);
        Recordset table =
            keyedTable({{1, "B"}, {2, "A"}, {3, "B "}, {4, "A"}, {5, Variant::null()}});
        table.setSort(QStringLiteral("KEY_VOCE DESC"));
        const QString error = test::errorOf<RecordsetError>([&] { table.setSort(sort); });
        QCOMPARE(error.contains(u'"' + sort + u'"'), keys.isEmpty());
        QCOMPARE(walk(table), keys.isEmpty() ? QStringLiteral("5,4,3,2,1") : keys);
    }

    void bookmarksSurviveASortButNotAFilter() {
        // A bookmark finds its row after a sort; one the filter hides, or of no row, is refused.
        Recordset table = keyedTable({{1, "B"}, {2, "A"}, {3, "B"}, {4, "A"}});
        table.MoveLast();
        const Bookmark fourth = table.bookmark();
        table.setSort(QStringLiteral("GRP"));
        QCOMPARE(walk(table), QStringLiteral("2,4,1,3"));
        table.setBookmark(fourth);
        QCOMPARE(key(table), 4);
        QCOMPARE(table.AbsolutePosition(), 2);
        table.setFilter(QStringLiteral("GRP = 'B'"));
        QCOMPARE(walk(table), QStringLiteral("1,3")); // the filtered view keeps the sort
        table.MoveFirst();
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.setBookmark(fourth));
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.setBookmark(99));
        QCOMPARE(key(table), 1);
    }

    void swappingTwoRowsThroughACloneKeepsTheCurrentRow() {
        // Moving a comparison set up: swap sequence numbers with the row a clone found,
        // re-sort, and the current row is the neighbour standing at the moved row's old place.
        Recordset table = keyedTable({{3, "c"}, {1, "a"}, {2, "b"}});
        table.setSort(QStringLiteral("KEY_VOCE"));
        table.MoveLast();
        Recordset clone = table.Clone();
        clone.setFilter(QStringLiteral("KEY_VOCE = 2"));
        table.setValue(0, 2);
        table.Update();
        table.setBookmark(clone.bookmark());
        table.setValue(0, 3);
        table.Update();
        table.setSort(QStringLiteral("KEY_VOCE"));
        QCOMPARE(table.value(1).toString(), QStringLiteral("b"));
        QCOMPARE(table.AbsolutePosition(), 3);
        QCOMPARE(walk(table, 1), QStringLiteral("a,c,b"));
    }

    void newRowNeedsItsKeyAndIsCommittedByMoving() {
        // Update refuses a row without its key and cancelling goes back; moving commits a row.
        Recordset table = numberedTable(2);
        table.MoveLast();
        table.AddNew();
        table.setValue(1, "N");
        QVERIFY(test::errorOf<RecordsetError>([&] { table.Update(); }).contains(u"KEY_VOCE"));
        QCOMPARE(table.RecordCount(), 2);
        table.CancelUpdate();
        QCOMPARE(key(table), 2);
        table.AddNew();
        table.setValue(0, 5);
        table.MoveFirst();
        QCOMPARE(walk(table), QStringLiteral("1,2,5"));
    }
};

QTEST_GUILESS_MAIN(TestRecordsetCursor)
#include "test_recordset_cursor.moc"
