#include "engine/totali_criterio.h"
#include "support/engine_host.h"

#include <QTest>

using namespace bdg;
using test::amount;
using test::text;

namespace {

/// A run of `sets` comparison sets with an empty criterion table and a recording host.
struct Run : test::EngineHost {
    using EngineHost::EngineHost;

    void root() { node(0, Variant::null(), "CRIT", Variant::null(), 4, "K", Variant(0)); }

    void calcola(const Variant& livelloMax) {
        BdgIntRic_RstCriterio_CalcolaTotali(state, state.RstCriterio, state.RstConfronto,
                                            livelloMax);
    }

    Variant value(const QString& voce, const QString& field) {
        Recordset view = state.RstCriterio->Clone();
        view.setFilter(QStringLiteral("VOCE = '%1'").arg(voce));
        if (view.RecordCount() != 1) {
            qWarning("node %s found %d times", qPrintable(voce), view.RecordCount());
            return Variant();
        }
        return view.value(field);
    }

    // The amounts of "VOCE.FIELD" cells, in order; a cell without a field reads IMP1.
    QStringList values(const QString& cells) {
        QStringList found;
        for (const QString& cell : cells.split(' ', Qt::SkipEmptyParts))
            found << text(value(cell.section('.', 0, 0),
                                cell.contains('.') ? cell.section('.', 1) : FieldImp(1)));
        return found;
    }
};

} // namespace

class TestTotaliCriterio : public QObject {
    Q_OBJECT

private slots:
    void accountAmountsKeepNullApartFromZero_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("item");

        const char* const rows[][4] = {
            {"both Null", "Null", "Null", "Null"},
            {"zero counts", "0", "Null", "0"},
            {"Null skipped", "Null", "12.5", "12.5"},
            {"signs as they come", "-3.5", "1.25", "-2.25"},
            {"zero plus negative", "0", "-0.01", "-0.01"},
        };
        test::addTextRows(rows);
    }

    void accountAmountsKeepNullApartFromZero() {
        // One top item with two accounts: the item holds their sum, Null when neither has one,
        // and the top item's amount goes nowhere else. The item's code holds a quote, which
        // the totals' filters must match, not cut short.
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, item);
        Run run(1);
        run.root();
        run.node(1, Variant(0), "L'A", Variant("0"), 0, "V", Variant(1));
        run.node(501, Variant(1), "C1", Variant("L'A"), 5, "C", Variant::null(), {first});
        run.node(502, Variant(1), "C2", Variant("L'A"), 5, "C", Variant::null(), {second});
        run.calcola(Variant(1));
        QCOMPARE(run.errorTexts(), QString());
        QCOMPARE(run.values("L''A CRIT"), QStringList({item, "Null"}));
    }

    void amountsRollUpDeepestLevelFirstAndRootStaysNull() {
        // A has children A1 (accounts 100 and Null) and A2 (account 0); B has accounts 50 and
        // -20. Expected: A1 100, A2 0, A 100, B 30; the top level adds only into rows whose VOCE
        // is "0", so the root keeps Null. Set 2 carries other values through the same tree.
        Run run(2);
        run.root();
        run.node(1, Variant(0), "A", Variant("0"), 0, "V", Variant(1));
        run.node(2, Variant(0), "B", Variant("0"), 1, "V", Variant(1));
        run.node(11, Variant(1), "A1", Variant("A"), 0, "V", Variant(2));
        run.node(12, Variant(1), "A2", Variant("A"), 1, "V", Variant(2));
        run.node(5501, Variant(11), "C1", Variant("A1"), 5, "C", Variant::null(), {"100", "1"});
        run.node(5502, Variant(11), "C2", Variant("A1"), 5, "C", Variant::null(), {"Null", "2"});
        run.node(6001, Variant(12), "C3", Variant("A2"), 5, "C", Variant::null(), {"0", "Null"});
        run.node(1001, Variant(2), "C4", Variant("B"), 5, "C", Variant::null(), {"50", "Null"});
        run.node(1002, Variant(2), "C5", Variant("B"), 5, "C", Variant::null(), {"-20", "Null"});
        run.state.RstCriterio->setFilter(QStringLiteral("TIPOVOCE = 4"));
        run.calcola(Variant(2));
        QCOMPARE(run.errorTexts(), QString());
        // Whatever the steps filtered, the caller gets every row back.
        QCOMPARE(run.state.RstCriterio->filter(), QString());
        QCOMPARE(run.state.RstCriterio->RecordCount(), 10);

        QCOMPARE(run.values("A1 A2 A B CRIT"), QStringList({"100", "0", "100", "30", "Null"}));
        QCOMPARE(run.values("A1.IMP2 A2.IMP2 A.IMP2 B.IMP2 CRIT.IMP2"),
                 QStringList({"3", "Null", "3", "Null", "Null"}));
    }

    void intermediateTotalAddsPrecedingSiblingsOnly() {
        // Under P (keys written by hand so that an account precedes a total): T0 first sibling
        // stays Null; X holds 10 through its account; F is a formula with an account of 4 mapped
        // to it; CP is an account of P worth 7. T1 = X + F + CP = 21, T2 skips T1: 21 too.
        // P = CP + X = 17 (totals and formulas never roll up); F = 4 + [X]*2 = 24.
        Run run(1);
        run.root();
        run.node(1, Variant(0), "P", Variant("0"), 0, "V", Variant(1));
        run.node(201, Variant(1), "T0", Variant("P"), 2, "V", Variant(2));
        run.node(202, Variant(1), "X", Variant("P"), 0, "V", Variant(2));
        run.node(203, Variant(1), "F", Variant("P"), 3, "V", Variant(2), {},
                 Variant("Doppio:[X]*2"));
        run.node(501, Variant(1), "CP", Variant("P"), 5, "C", Variant::null(), {"7"});
        run.node(600, Variant(1), "T1", Variant("P"), 2, "V", Variant(2));
        run.node(700, Variant(1), "T2", Variant("P"), 2, "V", Variant(2));
        run.node(101001, Variant(202), "CX", Variant("X"), 5, "C", Variant::null(), {"10"});
        run.node(101501, Variant(203), "CF", Variant("F"), 5, "C", Variant::null(), {"4"});
        run.calcola(Variant(2));

        QCOMPARE(run.values("T0 X T1 T2 P F"), QStringList({"Null", "10", "21", "21", "17", "24"}));
        QVERIFY(run.messages.messages().isEmpty());
    }

    void differencesCompareEachSetWithTheOneToItsLeft() {
        // Amounts 100, 80, Null: set 2 against set 1 gives -20 and -20 %, set 3 against set 2
        // (not set 1) gives Null - 80 = -80 and -100 %. A difference already in the field is
        // added to (5 - 20 = -15); a percentage already there is replaced.
        Run run(3);
        run.root();
        run.node(1, Variant(0), "A", Variant("0"), 0, "V", Variant(1), {"100", "80", "Null"});
        run.node(2, Variant(0), "N", Variant("0"), 0, "V", Variant(1), {"Null", "Null", "Null"});
        {
            Recordset view = run.state.RstCriterio->Clone();
            view.setFilter(QStringLiteral("VOCE = 'A'"));
            view.setValue(u"DELTA_IMP2", Variant(Decimal(5)));
            view.setValue(u"DELTA_PERC2", Variant(Decimal(9)));
            view.Update();
        }
        run.calcola(Variant(1));
        QCOMPARE(run.values("A.DELTA_IMP2 A.DELTA_PERC2 A.DELTA_IMP3 A.DELTA_PERC3 N.DELTA_IMP2 "
                            "N.DELTA_PERC3 CRIT.DELTA_IMP2"),
                 QStringList({"-15", "-0.2", "-80", "-1", "Null", "Null", "Null"}));
    }

    void withoutItemsFormulasAndDifferencesStillRun() {
        // A criterion with no items: LivelloMax Empty skips the roll-up, the differences of the
        // rows present are still computed.
        Run run(2);
        run.node(0, Variant::null(), "CRIT", Variant::null(), 4, "K", Variant(0), {"10", "15"});
        run.calcola(Variant());
        QCOMPARE(run.values("CRIT.DELTA_IMP2 CRIT.DELTA_PERC2"), QStringList({"5", "0.5"}));
        QCOMPARE(run.state.ProcedureAbbandonate, 0);
    }

    void retryRunsTheFailedRowAfreshAndIgnoreSkipsIt_data() {
        QTest::addColumn<bool>("differenze");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QStringList>("expected");

        // Sums: CB's second amount does not fit P's field once CA's is there (15 digits); the
        // user lowers it to 3 and retries: P gets CB's first amount once, 3 + 2 = 5, and 1 + 3.
        // Ignored, P keeps CA's amounts alone.
        const int retry = MessageAnswer::Retry;
        const int ignore = MessageAnswer::Ignore;
        QTest::newRow("sums, retry") << false << retry << "P.IMP1 P.IMP2" << QStringList{"5", "4"};
        QTest::newRow("sums, ignore")
            << false << ignore << "P.IMP1 P.IMP2" << QStringList{"3", "1"};
        // Differences: Q's third set against its second does not fit; the user sets the second
        // to -5 and the third to 1 and retries: -5 - 0 = -5 once, 1 - (-5) = 6, 6 / 5 = 1.2.
        // Ignored, the row keeps no difference at all.
        const QString deltas = "Q.DELTA_IMP2 Q.DELTA_IMP3 Q.DELTA_PERC3";
        QTest::newRow("differences, retry")
            << true << retry << deltas << QStringList{"-5", "6", "1.2"};
        QTest::newRow("differences, ignore")
            << true << ignore << deltas << QStringList{"Null", "Null", "Null"};
    }

    void retryRunsTheFailedRowAfreshAndIgnoreSkipsIt() {
        // A row that fails on its last set is answered with retry or ignore: a retry starts the
        // row again from its state before the failure, an ignore leaves it untouched.
        QFETCH(bool, differenze);
        QFETCH(int, answer);
        QFETCH(QString, fields);
        QFETCH(QStringList, expected);
        Run run(differenze ? 3 : 2);
        run.root();
        const QString max = QStringLiteral("9999999999999.99");
        if (differenze) {
            run.node(1, Variant(0), "Q", Variant("0"), 0, "V", Variant(1), {"0", "-" + max, max});
        } else {
            run.node(1, Variant(0), "P", Variant("0"), 0, "V", Variant(1));
            run.node(501, Variant(1), "CA", Variant("P"), 5, "C", Variant::null(), {"3", "1"});
            run.node(502, Variant(1), "CB", Variant("P"), 5, "C", Variant::null(), {"2", max});
        }
        if (answer == MessageAnswer::Retry) {
            run.messages.queueRepair([&] {
                Recordset rows = run.state.RstCriterio->Clone();
                rows.setFilter(differenze ? "VOCE = 'Q'" : "VOCE = 'CB'");
                rows.setValue(u"IMP2", amount(differenze ? "-5" : "3"));
                if (differenze)
                    rows.setValue(u"IMP3", amount("1"));
            });
        }
        run.messages.queueAnswer(answer);
        run.calcola(Variant(1));
        QCOMPARE(run.messages.errors().size(), 1);
        QCOMPARE(run.values(fields), expected);
    }
};

QTEST_GUILESS_MAIN(TestTotaliCriterio)
#include "test_totali_criterio.moc"
