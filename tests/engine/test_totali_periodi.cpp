#include "engine/rst_periodi.h"
#include "engine/totali_periodi.h"
#include "support/engine_host.h"

#include <QTest>

using namespace bdg;
using test::amount;
using test::text;

namespace {

/*
 * The tree of every test, with 3 periods and 2 sets:
 *
 *   CRIT (root)
 *     P   key 1, type 0
 *       X   key 11, type 0: accounts CX (5501) and CY (5502)
 *       T   key 12, type 2 (intermediate total after X)
 *       Y   key 13, type 0: account CZ (6501)
 *       F   key 14, type 3 (formula, never computed per period)
 *
 * Amounts per account and period come from a hand-made result of the period batch.
 */
struct Run : test::EngineHost {
    RecordsetPtr importi;

    Run() : EngineHost(2) {
        state.NrPeriodi = 3;
        state.RstCriterioPeriodi = BdgIntRic_DefinisciRstCriterioPeriodi(state);
        node(0, Variant::null(), "CRIT", Variant::null(), 4, "K", Variant(0));
        node(1, Variant(0), "P", Variant("0"), 0, "V", Variant(1));
        node(11, Variant(1), "X", Variant("P"), 0, "V", Variant(2));
        node(12, Variant(1), "T", Variant("P"), 2, "V", Variant(2));
        node(13, Variant(1), "Y", Variant("P"), 0, "V", Variant(2));
        node(14, Variant(1), "F", Variant("P"), 3, "V", Variant(2));
        node(5501, Variant(11), "CX", Variant("X"), 5, "C", Variant::null());
        node(5502, Variant(11), "CY", Variant("X"), 5, "C", Variant::null());
        node(6501, Variant(13), "CZ", Variant("Y"), 5, "C", Variant::null());

        importi = std::make_shared<Recordset>();
        importi->appendField(QStringLiteral("VOCE"), FieldType::VarWChar);
        importi->appendField(QStringLiteral("CONTO"), FieldType::VarWChar);
        importi->appendField(QStringLiteral("PERIODO"), FieldType::Integer);
        AppendCampiConfronto(*importi, 2, Variant(2));
        importi->appendField(QStringLiteral("NATURA"), FieldType::Integer);
        importi->Open();
    }

    // A row of the period batch; the item is the account's own unless given.
    void importo(const QString& conto, int periodo, const QString& imp1, const QString& imp2,
                 const QString& voce = QString(), int natura = 1) {
        importi->AddNew();
        importi->setValue(u"VOCE", Variant(!voce.isEmpty()                ? voce
                                           : conto == QLatin1String("CZ") ? QStringLiteral("Y")
                                                                          : QStringLiteral("X")));
        importi->setValue(u"NATURA", Variant(natura));
        importi->setValue(u"CONTO", Variant(conto));
        importi->setValue(u"PERIODO", Variant(periodo));
        importi->setValue(u"IMP1", amount(imp1));
        importi->setValue(u"IMP2", amount(imp2));
        importi->Update();
    }

    // The period rows copied from the criterion table, and the batch's amounts posted.
    void posta(const NatureConti* natureConti = nullptr) {
        BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio(state);
        BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(state, importi, natureConti);
    }

    void calcola() {
        posta();
        BdgIntRic_RstCriterioPeriodi_CalcolaTotali(state, state.RstCriterioPeriodi,
                                                   state.RstConfronto, Variant(2));
    }

    QString value(const QString& voce, int periodo, const QString& field) {
        Recordset view = state.RstCriterioPeriodi->Clone();
        view.setFilter(QStringLiteral("VOCE = '%1' AND PERIODO = %2").arg(voce).arg(periodo));
        if (view.RecordCount() != 1) {
            return QStringLiteral("found %1 rows").arg(view.RecordCount());
        }
        return text(view.value(field));
    }
};

} // namespace

class TestTotaliPeriodi : public QObject {
    Q_OBJECT

private slots:
    void periodTotalsNeverCrossPeriods() {
        // Each item's period row holds the sum of its children in that period only; totals
        // take their preceding siblings of the same period, formulas, the root and a period
        // without rows stay Null. X in period 1 holds 6 and 1: difference 1 - 6 = -5,
        // percentage -5 / 6 = -0.833333; period 3 holds 5 and Null: -5 and -100 %.
        Run run;
        run.importo("CX", 1, "10", "1");
        run.importo("CX", 3, "5", "Null");
        run.importo("CY", 1, "-4", "Null");
        run.importo("CZ", 1, "2", "2");
        run.importo("CZ", 3, "0", "Null");
        run.calcola();
        QCOMPARE(run.errorTexts(), QString());
        QCOMPARE(run.state.RstCriterioPeriodi->filter(), QString());
        // Item, period, IMP1, IMP2.
        const char* const expected[][4] = {
            {"X", "1", "6", "1"},          {"X", "2", "Null", "Null"}, {"X", "3", "5", "Null"},
            {"Y", "1", "2", "2"},          {"Y", "3", "0", "Null"},    {"P", "1", "8", "3"},
            {"P", "2", "Null", "Null"},    {"P", "3", "5", "Null"},    {"T", "1", "6", "1"},
            {"T", "2", "Null", "Null"},    {"T", "3", "5", "Null"},    {"F", "1", "Null", "Null"},
            {"CRIT", "1", "Null", "Null"},
        };
        for (const auto& row : expected) {
            const QString where = QStringLiteral("%1 p%2 ").arg(row[0], row[1]);
            QCOMPARE(where + run.value(row[0], QString(row[1]).toInt(), "IMP1") + '/' +
                         run.value(row[0], QString(row[1]).toInt(), "IMP2"),
                     where + row[2] + '/' + row[3]);
        }
        QCOMPARE(QStringList({run.value("X", 1, "DELTA_IMP2"), run.value("X", 1, "DELTA_PERC2"),
                              run.value("X", 2, "DELTA_IMP2"), run.value("X", 3, "DELTA_IMP2"),
                              run.value("X", 3, "DELTA_PERC2")}),
                 QStringList({"-5", "-0.833333", "Null", "-5", "-1"}));
    }

    void postingMatchesItemAccountPeriodAndNature() {
        // CZ (key 6501, nature 1) under Y in period 2 with a nature-1 and a nature-2 row gets the
        // first only; CZ's period 2 under another item, and an account the tree does not hold,
        // go nowhere.
        Run run;
        run.importo("CZ", 2, "1.5", "Null");
        run.importo("CZ", 2, "2.25", "Null", "Y", 2);
        run.importo("CZ", 2, "100", "100", "X");
        run.importo("NOPE", 2, "100", "100");
        NatureConti natureConti;
        natureConti.imposta(6501, Variant(1));
        run.posta(&natureConti);
        QCOMPARE(run.value("CZ", 2, "IMP1"), QStringLiteral("1.5"));
        QCOMPARE(run.value("CZ", 2, "IMP2"), QStringLiteral("Null"));
        QCOMPARE(run.value("CZ", 1, "IMP1"), QStringLiteral("Null"));
        QCOMPARE(run.state.RstCriterioPeriodi->filter().trimmed(),
                 QStringLiteral("TIPORECORD = 'C'"));
    }

    void retryPostsTheFailedRowOnceAndIgnoreSkipsIt_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("imp1");
        QTest::addColumn<QString>("imp2");
        // The second row's 5 does not fit beside the first's 9999999999998.99 (15 digits); the
        // user lowers it to 1 and retries: 1.5 + 2.25 once, and the largest amount that fits.
        QTest::newRow("retry") << int(MessageAnswer::Retry) << "3.75"
                               << "9999999999999.99";
        QTest::newRow("ignore") << int(MessageAnswer::Ignore) << "1.5"
                                << "9999999999998.99";
    }

    void retryPostsTheFailedRowOnceAndIgnoreSkipsIt() {
        // Two rows of CZ in period 2; posting the second fails on its second set.
        QFETCH(int, answer);
        QFETCH(QString, imp1);
        QFETCH(QString, imp2);
        Run run;
        run.importo("CZ", 2, "1.5", "9999999999998.99");
        run.importo("CZ", 2, "2.25", "5");
        run.messages.queueRepair([&] {
            Recordset rows = run.importi->Clone();
            rows.setFilter("IMP1 = 2.25");
            rows.setValue(u"IMP2", amount("1"));
        });
        run.messages.queueAnswer(answer);
        run.posta();
        QCOMPARE(run.messages.errors().size(), 1);
        QCOMPARE(run.value("CZ", 2, "IMP1"), imp1);
        QCOMPARE(run.value("CZ", 2, "IMP2"), imp2);
    }

    void zeroPeriodsGiveNoRows() {
        // A subtype without periods: nothing to copy, and the totals find nothing to do.
        Run run;
        run.state.NrPeriodi = 0;
        run.calcola();
        QCOMPARE(run.errorTexts(), QString());
        run.state.RstCriterioPeriodi->clearFilter();
        QCOMPARE(run.state.RstCriterioPeriodi->RecordCount(), 0);
        QCOMPARE(run.state.ProcedureAbbandonate, 0);
    }
};

QTEST_GUILESS_MAIN(TestTotaliPeriodi)
#include "test_totali_periodi.moc"
