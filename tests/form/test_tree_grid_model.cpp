#include "form/tree_grid_model.h"
#include "support/text_rows.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace bdg;

namespace {

// A criterion table given out of key order: the root, items A (1) and B (2), A's items A1
// (11) and A2 (12, kind Null), accounts 100 under A (501) and 110 under A1 (5501), an item
// whose parent is missing (99) and a row without a key.
RecordsetPtr tabella() {
    return test::table(QStringLiteral("KEY_VOCE:i KEY_VOCEPADRE:i VOCE:v20 TIPORECORD:v1 "
                                      "TIPOVOCE:i IMP1:d2"),
                       {"0||CR|K|4|", "2|0|B|V|1|7.50", "501|1|100|C|5|3.00", "1|0|A|V|1|4.00",
                        "5501|11|110|C|5|1.00", "12|1|A2|V||", "11|1|A1|V|0|1.00", "99|77|X|V|0|",
                        "||Y|V|0|"});
}

void imposta(TreeGridModel& model) {
    model.reset();
    model.addColumn(QStringLiteral("VOCE"), QStringLiteral("VOCE"), QStringLiteral("Voce/Conto"), 1,
                    2100, true);
    model.addColumn(QStringLiteral("IMP1"), QStringLiteral("IMP1"), QStringLiteral("Bdg 2026"), 11,
                    1300, true);
    model.endSetUp();
}

} // namespace

class TestTreeGridModel : public QObject {
    Q_OBJECT

private slots:
    void treeFollowsParentKeysInKeyOrder_data() {
        QTest::addColumn<bool>("nascondiConti");
        QTest::addColumn<QStringList>("ordine"); // code and level in display order
        QTest::addColumn<int>("figliDiA");
        QTest::newRow("every row")
            << false << QStringList{"CR0", "A1", "A12", "1103", "A22", "1002", "B1", "X0", "Y0"}
            << 3;
        QTest::newRow("accounts hidden")
            << true << QStringList{"CR0", "A1", "A12", "A22", "B1", "X0", "Y0"} << 2;
    }
    void treeFollowsParentKeysInKeyOrder() {
        // The walk the exports read is depth first with siblings by key; rows whose parent is
        // missing, or that have no key, come last at the top instead of being lost.
        QFETCH(bool, nascondiConti);
        QFETCH(QStringList, ordine);
        QFETCH(int, figliDiA);
        TreeGridModel model(QStringLiteral("TGRID_BDGINTRIC"));
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        imposta(model);
        model.setDataSource(tabella());
        model.setAccountsHidden(nascondiConti);

        QStringList visti;
        for (int node = model.firstNode(); node >= 0; node = model.nextNode(node))
            visti << model.nodeValue(node, u"VOCE").toString() +
                         QString::number(model.nodeLevel(node));
        QCOMPARE(visti, ordine);
        const QModelIndex a = model.indexOfKey(1);
        QCOMPARE(model.rowCount(a), figliDiA);
        QCOMPARE(model.parent(model.indexOfKey(12)), a);
        QCOMPARE(model.data(model.indexOfKey(2, 1)).toString(), QStringLiteral("7.50"));
        QCOMPARE(model.data(model.indexOfKey(2), TreeGridModel::LevelRole).toInt(), 1);
        QVERIFY(!model.data(model.indexOfKey(12), TreeGridModel::NodeKindRole).isValid());
        QCOMPARE(model.data(model.indexOfKey(2, 1), TreeGridModel::RawValueRole).value<Variant>(),
                 Variant(Decimal::parse(u"7.5")));
    }
    void hidingAccountsDropsAChosenAccount() {
        TreeGridModel model(QStringLiteral("TGRID_BDGINTRIC"));
        imposta(model);
        const RecordsetPtr rst = tabella();
        model.setDataSource(rst);
        QSignalSpy changed(&model, &TreeGridModel::rowChanged);
        QVERIFY(model.selectKey(501));
        QCOMPARE(model.currentValue(u"VOCE").toString(), QStringLiteral("100"));

        model.setAccountsHidden(true);
        model.setDataSource(rst); // the same table again: its index is kept
        QVERIFY(!model.currentIndex().isValid());
        QCOMPARE(changed.size(), 2);
        QVERIFY(!model.selectKey(5501));
        QVERIFY(model.accountsHidden());
        model.setDataSource(tabella()); // a new run's table shows every row again
        QVERIFY(!model.accountsHidden());
        QVERIFY(model.selectKey(5501));
    }
};

QTEST_GUILESS_MAIN(TestTreeGridModel)
#include "test_tree_grid_model.moc"
