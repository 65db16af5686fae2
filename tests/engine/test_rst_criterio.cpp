#include "data/recordset.h"
#include "engine/rst_criterio.h"
#include "engine/rst_periodi.h"
#include "host/form_state.h"

#include <QTest>

#include <cstdint>

using namespace bdg;

namespace {

QStringList fieldNames(const Recordset& rs) {
    QStringList names;
    for (int index = 0; index < rs.fieldCount(); ++index) {
        names << rs.field(index).name;
    }
    return names;
}

// "name:precision,scale" for every decimal field.
QStringList decimalShapes(const Recordset& rs) {
    QStringList shapes;
    for (int index = 0; index < rs.fieldCount(); ++index) {
        const FieldDef& field = rs.field(index);
        if (field.type == FieldType::Decimal) {
            shapes
                << QStringLiteral("%1:%2,%3").arg(field.name).arg(field.precision).arg(field.scale);
        }
    }
    return shapes;
}

const QStringList NodeFields = {"KEY_VOCE",  "KEY_VOCEPADRE", "VOCE",       "VOCEPADRE",  "VOCEDES",
                                "POSIZIONE", "TIPOVOCE",      "TIPORECORD", "CRI_LIVELLO"};

} // namespace

class TestRstCriterio : public QObject {
    Q_OBJECT

private slots:
    void criterionFieldsFollowTheComparisonSets_data();
    void criterionFieldsFollowTheComparisonSets();
    void periodTablesShareTheAmountFields();
    void onlyTheNodeKeyRefusesNull();
    void levelMultiplier_data();
    void levelMultiplier();
};

void TestRstCriterio::criterionFieldsFollowTheComparisonSets_data() {
    QTest::addColumn<int>("sets");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QStringList>("amountFields");
    QTest::addColumn<QStringList>("amountShapes");

    QTest::newRow("one set") << 1 << 2 << QStringList{"IMP1"} << QStringList{"IMP1:15,2"};
    QTest::newRow("three sets") << 3 << 2
                                << QStringList{"IMP1", "IMP2",       "DELTA_IMP2", "DELTA_PERC2",
                                               "IMP3", "DELTA_IMP3", "DELTA_PERC3"}
                                << QStringList{"IMP1:15,2",       "IMP2:15,2", "DELTA_IMP2:15,2",
                                               "DELTA_PERC2:5,6", "IMP3:15,2", "DELTA_IMP3:15,2",
                                               "DELTA_PERC3:5,6"};
    QTest::newRow("no decimals") << 2 << 0
                                 << QStringList{"IMP1", "IMP2", "DELTA_IMP2", "DELTA_PERC2"}
                                 << QStringList{"IMP1:15,0", "IMP2:15,0", "DELTA_IMP2:15,0",
                                                "DELTA_PERC2:5,6"};
    QTest::newRow("no sets") << 0 << 2 << QStringList{} << QStringList{};
}

void TestRstCriterio::criterionFieldsFollowTheComparisonSets() {
    // The node fields come first, then IMP1 and, per further set, IMP, DELTA_IMP, DELTA_PERC;
    // the percentage keeps precision 5 and scale 6 whatever the run's decimals.
    QFETCH(int, sets);
    QFETCH(int, decimals);
    QFETCH(QStringList, amountFields);
    QFETCH(QStringList, amountShapes);
    FormState state;
    state.NrConfronti = std::int16_t(sets);
    state.NrDecimali = std::int16_t(decimals);
    const RecordsetPtr rs = BdgIntRic_DefinisciRstCriterio(state);
    QVERIFY(rs);
    QVERIFY(rs->isOpen());
    QCOMPARE(rs->RecordCount(), 0);
    QCOMPARE(fieldNames(*rs), NodeFields + amountFields);
    const QStringList nodeShapes = {"POSIZIONE:6,0", "TIPOVOCE:2,0", "CRI_LIVELLO:6,0"};
    QCOMPARE(decimalShapes(*rs), nodeShapes + amountShapes);
}

void TestRstCriterio::periodTablesShareTheAmountFields() {
    // One set: the node-by-period table has PERIODO after VOCEPADRE (11 fields), the period
    // table only PERIODO and IMP1.
    FormState state;
    state.NrConfronti = 1;
    const RecordsetPtr nodes = BdgIntRic_DefinisciRstCriterioPeriodi(state);
    const RecordsetPtr periods = BdgIntRic_DefinisciRstPeriodi(state);
    QVERIFY(nodes && periods);
    const QStringList expected = {"KEY_VOCE",   "KEY_VOCEPADRE", "VOCE",      "VOCEPADRE",
                                  "PERIODO",    "VOCEDES",       "POSIZIONE", "TIPOVOCE",
                                  "TIPORECORD", "CRI_LIVELLO",   "IMP1"};
    QCOMPARE(fieldNames(*nodes), expected);
    QCOMPARE(fieldNames(*periods), (QStringList{"PERIODO", "IMP1"}));
    state.NrConfronti = 2;
    QCOMPARE(fieldNames(*BdgIntRic_DefinisciRstPeriodi(state)),
             (QStringList{"PERIODO", "IMP1", "IMP2", "DELTA_IMP2", "DELTA_PERC2"}));
}

void TestRstCriterio::onlyTheNodeKeyRefusesNull() {
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

void TestRstCriterio::levelMultiplier_data() {
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

void TestRstCriterio::levelMultiplier() {
    // The smallest multiple of 10 above the count, capped at 200.
    QFETCH(QString, count);
    QFETCH(int, multiplier);
    const Variant rows = count == QLatin1String("Null") ? Variant::null() : Variant(count.toInt());
    QCOMPARE(GetNrVociPerLivello(rows), multiplier);
}

QTEST_GUILESS_MAIN(TestRstCriterio)
#include "test_rst_criterio.moc"
