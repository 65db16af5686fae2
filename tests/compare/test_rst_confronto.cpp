#include "compare/rst_confronto.h"
#include "host/form_state.h"
#include "support/text_rows.h"

#include <QTest>

using namespace bdg;

namespace {

// A list whose rows carry the given sequences, each tagged with a year (2000 + position
// in `sequences`) so that a row can be followed through the moves.
FormState listWith(const QList<int>& sequences) {
    FormState state;
    DefinisciRstConfronto(state);
    QStringList rows;
    for (const int sequence : sequences)
        rows << QStringLiteral("%1|%2").arg(sequence).arg(2000 + rows.size());
    test::addRows(*state.RstConfronto, QStringLiteral("CFR_SEQUENZA CFR_ANNO"), rows);
    return state;
}

void selectSequence(FormState& state, int sequence) {
    Recordset& rst = *state.RstConfronto;
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        if (rst.value(u"CFR_SEQUENZA").toInt32() == sequence)
            return;
    }
    QFAIL("no row with that sequence");
}

// "sequence:tag" of every row in ascending sequence, read through a separate cursor.
QStringList rowsBySequence(const FormState& state) {
    Recordset rows = state.RstConfronto->Clone();
    rows.setSort(QStringLiteral("CFR_SEQUENZA"));
    QStringList out;
    if (rows.RecordCount() == 0)
        return out;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        out << rows.value(u"CFR_SEQUENZA").toString() + QLatin1Char(':') +
                   QString::number(*rows.value(u"CFR_ANNO").toInt32() - 2000);
    }
    return out;
}

QStringList sequences(const FormState& state) {
    QStringList out;
    for (const QString& row : rowsBySequence(state))
        out << row.section(QLatin1Char(':'), 0, 0);
    return out;
}

struct CompleteCase {
    const char* name;
    const char* second;
    bool gestioneSede, consolido, valid;
};

struct MoveCase {
    const char* name;
    QList<int> start;
    int selected;
    bool up;
    QStringList after;
    const char* currentRow;
};

} // namespace

class TestRstConfronto : public QObject {
    Q_OBJECT
private slots:
    void completenessNeedsTypeYearProgressiveAndSiteWhenKept_data() {
        // The second set's kind, year, progressive and site ('' an empty text), whether sites
        // are kept, whether consolidating, and whether the list is valid.
        const CompleteCase cases[] = {
            {"complete, no sites", "1|2026|1|", false, false, true},
            {"type missing", "|2026|1|3", false, false, false},
            {"type empty text", "''|2026|1|3", false, false, false},
            {"year missing", "0||1|3", false, false, false},
            {"progressive missing", "0|2026||3", true, false, false},
            {"site missing, sites kept", "0|2026|1|", true, false, false},
            {"site missing, sites kept but consolidating", "0|2026|1|", true, true, true},
            {"progressive 0 is a value", "0|2026|0|0", true, false, true},
        };
        test::addCaseRows(cases);
    }
    void completenessNeedsTypeYearProgressiveAndSiteWhenKept() {
        // Scenario: a complete first set and a second set with the given values; the whole
        // list is valid only when the second set is complete too.
        QFETCH(CompleteCase, c);
        FormState state;
        state.IsGestioneSede = c.gestioneSede;
        state.IsConsolidoMultiAtt = c.consolido;
        DefinisciRstConfronto(state);
        test::addRows(*state.RstConfronto,
                      QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO CFR_PROGESER CFR_SEDE"),
                      {"1|0|2025|1|2", QStringLiteral("2|") + c.second});
        // A filter on the list must not hide the faulty row from the check.
        state.RstConfronto->setFilter(QStringLiteral("CFR_SEQUENZA = 1"));
        QCOMPARE(IsDatiRstConfrontoValido(state), c.valid);
    }

    void addTakesTheHighestSequencePlusOne() {
        // Scenario: 1, 2, 3 added; removing 2 leaves a gap; the next add takes 4.
        FormState state;
        DefinisciRstConfronto(state);
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1"}));
        // New sets show no difference and name no company or kind.
        const Recordset& nuovo = *state.RstConfronto;
        QCOMPARE(nuovo.value(u"CFR_DELTA").toString() + nuovo.value(u"CFR_DELTA_PERC").toString(),
                 QStringLiteral("00"));
        QVERIFY(nuovo.value(u"CFR_DITTA").isNull() && nuovo.value(u"CFR_TIPODETT").isNull());
        AddSet(state);
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1", "2", "3"}));
        selectSequence(state, 2);
        RemoveSet(state);
        QCOMPARE(sequences(state), QStringList({"1", "3"}));
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1", "3", "4"}));
        QCOMPARE(state.RstConfronto->value(u"CFR_SEQUENZA").toString(), QStringLiteral("4"));
        // With multi-activity indicator 1 each new set names the current company.
        state.CodDitta = 42;
        state.IndMultiAttivita = 1;
        AddSet(state);
        QCOMPARE(state.RstConfronto->value(u"CFR_DITTA").toString(), QStringLiteral("42"));
    }

    void moveSwapsOnlyWithTheNeighbouringSequence_data() {
        // The sequences, the one selected, the move; then "sequence:tag" of the rows in
        // ascending sequence, and of the current row.
        const QList<int> plain = {1, 2, 3};
        const QList<int> gap = {1, 3, 4};
        const QStringList unchanged = {"1:0", "2:1", "3:2"};
        const QStringList gapUnchanged = {"1:0", "3:1", "4:2"};
        const MoveCase cases[] = {
            {"up from 2", plain, 2, true, {"1:1", "2:0", "3:2"}, "2:0"},
            {"down from 2", plain, 2, false, {"1:0", "2:2", "3:1"}, "2:2"},
            {"up from the first does nothing", plain, 1, true, unchanged, "1:0"},
            {"down from the last does nothing", plain, 3, false, unchanged, "3:2"},
            {"up across a gap does nothing", gap, 3, true, gapUnchanged, "3:1"},
            {"down from sequence 3 of three rows stops, although 4 exists", gap, 3, false,
             gapUnchanged, "3:1"},
            {"down from the last after a gap finds no 5", gap, 4, false, gapUnchanged, "4:2"},
            {"down from 1 across a gap does nothing", gap, 1, false, gapUnchanged, "1:0"},
        };
        test::addCaseRows(cases);
    }
    void moveSwapsOnlyWithTheNeighbouringSequence() {
        // Scenario: a set moves by swapping sequences with the set one place away; the
        // neighbour becomes the current row.
        QFETCH(MoveCase, c);
        FormState state = listWith(c.start);
        selectSequence(state, c.selected);
        if (c.up)
            MoveSetUp(state);
        else
            MoveSetDown(state);
        QCOMPARE(rowsBySequence(state), c.after);
        const Recordset& rst = *state.RstConfronto;
        QCOMPARE(rst.value(u"CFR_SEQUENZA").toString() + QLatin1Char(':') +
                     QString::number(*rst.value(u"CFR_ANNO").toInt32() - 2000),
                 QString::fromLatin1(c.currentRow));
    }

    void deleteEmptiesTheList() {
        // Scenario: a stored list is about to be loaded: every row goes, filter or not.
        FormState state = listWith({1, 2, 3});
        state.RstConfronto->setFilter(QStringLiteral("CFR_SEQUENZA = 2"));
        QVERIFY(RstConfrontoDelete(state));
        QCOMPARE(state.RstConfronto->RecordCount(), 0);
        QVERIFY(rowsBySequence(state).isEmpty());
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1"}));
    }
};

QTEST_GUILESS_MAIN(TestRstConfronto)
#include "test_rst_confronto.moc"
