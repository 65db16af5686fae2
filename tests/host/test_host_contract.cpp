#include "form/variant_metatype.h"
#include "host/basic_module.h"
#include "host/basic_navigator.h"
#include "host/contract/message_service.h"

#include <QTest>

using namespace bdg;

namespace {

// A module that answers the navigator's change of company and counts what it received.
class ModuloProva : public NavigatorEvents {
public:
    explicit ModuloProva(bool rifiuta, Navigator* daLasciare = nullptr)
        : m_rifiuta(rifiuta), m_daLasciare(daLasciare) {}

    void BeforeChangeDitta(bool& Cancel) override {
        ++ricevuti;
        if (m_rifiuta)
            Cancel = true;
        if (m_daLasciare != nullptr)
            m_daLasciare->disconnectEvents(this);
    }
    void BeforeExportToOffice(bool&, OfficeExport*) override {}
    void BeforeOpenViewTable(bool&, Variant&, Variant&, Variant&) override {}
    void InitializeLayoutObjectModel(bool&, LayoutObjectModel*) override {}
    void InitializeScriptObjectModel(bool&, ScriptObjectModel*) override {}

    int ricevuti = 0;

private:
    bool m_rifiuta;
    Navigator* m_daLasciare;
};

} // namespace

class TestHostContract : public QObject {
    Q_OBJECT
private slots:
    void messageStylesOfferTheirButtons_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("preselected");
        QTest::newRow("information") << 64 << QList<int>{1} << 1;
        QTest::newRow("ok, cancel") << 1 << QList<int>{1, 2} << 1;
        QTest::newRow("the error dialog, retry preselected") << 4370 << QList<int>{3, 4, 5} << 4;
        QTest::newRow("yes, no, cancel, no preselected") << (3 + 256) << QList<int>{6, 7, 2} << 7;
        QTest::newRow("the profile question") << 36 << QList<int>{6, 7} << 6;
        QTest::newRow("retry, cancel") << 5 << QList<int>{4, 2} << 4;
        QTest::newRow("abort, retry, ignore") << 2 << QList<int>{3, 4, 5} << 3;
        QTest::newRow("yes, no, cancel, third preselected")
            << (3 + 512) << QList<int>{6, 7, 2} << 2;
    }
    void messageStylesOfferTheirButtons() {
        // The host's style code decides the buttons, in order, and the one Enter presses.
        QFETCH(int, style);
        QFETCH(QList<int>, answers);
        QFETCH(int, preselected);
        QCOMPARE(answersOf(style), answers);
        QCOMPARE(defaultAnswer(style), preselected);
    }

    void moduleStoresWhatFitsAndKeepsItsValueOtherwise_data() {
        QTest::addColumn<Variant>("top");
        QTest::addColumn<int>("expectedTop");
        QTest::addColumn<int>("windowState");
        QTest::addColumn<int>("expectedState");
        QTest::newRow("numbers") << Variant(1440) << 1440 << 2 << 2;
        QTest::newRow("a numeric text, rounded")
            << Variant(QStringLiteral("1234,6")) << 1235 << 1 << 1;
        QTest::newRow("not a number, beyond 16 bits")
            << Variant(QStringLiteral("alto")) << 300 << 70000 << 0;
        QTest::newRow("beyond 32 bits") << Variant(std::int64_t(1) << 40) << 300 << -32769 << 0;
    }
    void moduleStoresWhatFitsAndKeepsItsValueOtherwise() {
        // A position the module cannot hold as a 32-bit number, or a window state beyond 16
        // bits, leaves the value it had: the failing statement is skipped.
        QFETCH(Variant, top);
        QFETCH(int, expectedTop);
        QFETCH(int, windowState);
        QFETCH(int, expectedState);
        BasicModule module;
        module.setTop(Variant(300));
        module.setTop(top);
        module.setWindowState(windowState);
        QCOMPARE(module.Top(), expectedTop);
        QCOMPARE(int(module.WindowState()), expectedState);
    }

    void oneModuleRefusingTheChangeOfCompanyRefusesIt() {
        // Every connected module hears the event, also after one refused and when one leaves
        // the navigator while it answers; a module that left hears nothing more.
        BasicNavigator navigator;
        ModuloProva consente(false);
        ModuloProva rifiuta(true, &navigator);
        ModuloProva ultimo(false);
        for (NavigatorEvents* module :
             {static_cast<NavigatorEvents*>(&consente), static_cast<NavigatorEvents*>(&rifiuta),
              static_cast<NavigatorEvents*>(&ultimo)})
            navigator.connectEvents(module);
        navigator.connectEvents(&consente);
        QVERIFY(navigator.raiseBeforeChangeDitta());
        QCOMPARE(consente.ricevuti + rifiuta.ricevuti + ultimo.ricevuti, 3);
        QVERIFY(!navigator.raiseBeforeChangeDitta());
        QCOMPARE(rifiuta.ricevuti, 1);
        QCOMPARE(ultimo.ricevuti, 2);
    }
};

QTEST_GUILESS_MAIN(TestHostContract)
#include "test_host_contract.moc"
