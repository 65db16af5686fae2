#include "data/recordset.h"
#include "engine/rst_criterio.h"
#include "host/form_state.h"

#include <QTest>

#include <cstdint>

using namespace bdg;

class TestRstCriterio : public QObject {
    Q_OBJECT

private slots:
    void onlyTheNodeKeyRefusesNull() {
        // A row without KEY_VOCE is refused and the table keeps no half-written row; Null in
        // every other field is accepted.
        FormState state;
        state.NrConfronti = 2;
        const RecordsetPtr rs = BdgIntRic_DefinisciRstCriterio(state);
        rs->AddNew();
        rs->setValue(u"VOCE", Variant("A"));
        QVERIFY_THROWS_EXCEPTION(RecordsetError, rs->Update());
        rs->CancelUpdate();
        QCOMPARE(rs->RecordCount(), 0);
        rs->AddNew();
        rs->setValue(u"KEY_VOCE", Variant(1));
        for (int index = 1; index < rs->fieldCount(); ++index) {
            rs->setValue(index, Variant::null());
        }
        rs->Update();
        QCOMPARE(rs->RecordCount(), 1);
    }

    void levelMultiplier_data() {
        QTest::addColumn<QString>("count"); // "Null" or a number
        QTest::addColumn<int>("multiplier");

        QTest::newRow("Null") << "Null" << 10;
        QTest::newRow("9") << "9" << 10;
        QTest::newRow("10 strictly greater") << "10" << 20;
        QTest::newRow("199") << "199" << 200;
        QTest::newRow("200 not 210") << "200" << 200;
        QTest::newRow("201") << "201" << 200;
        QTest::newRow("-5") << "-5" << 200;
    }

    void levelMultiplier() {
        // The smallest multiple of 10 above the count, capped at 200.
        QFETCH(QString, count);
        QFETCH(int, multiplier);
        const Variant rows =
            count == QLatin1String("Null") ? Variant::null() : Variant(count.toInt());
        QCOMPARE(GetNrVociPerLivello(rows), multiplier);
    }
};

QTEST_GUILESS_MAIN(TestRstCriterio)
#include "test_rst_criterio.moc"
