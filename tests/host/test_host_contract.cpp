#include "form/variant_metatype.h"
#include "host/basic_module.h"
#include "host/basic_navigator.h"
#include "host/contract/message_service.h"

#include <QTest>

#include <tuple>

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
    void messageStylesOfferTheirButtons() {
        // The host's style code decides the buttons, in order, and the one Enter presses.
        const std::tuple<int, QList<int>, int> styles[] = {
            {64, {1}, 1},            // information
            {1, {1, 2}, 1},          // ok, cancel
            {4370, {3, 4, 5}, 4},    // the error dialog, retry preselected
            {3 + 256, {6, 7, 2}, 7}, // yes, no, cancel, no preselected
            {36, {6, 7}, 6},         // the profile question
            {5, {4, 2}, 4},          // retry, cancel
            {2, {3, 4, 5}, 3},       // abort, retry, ignore
            {3 + 512, {6, 7, 2}, 2}, // yes, no, cancel, third preselected
        };
        for (const auto& [style, answers, preselected] : styles) {
            QCOMPARE(answersOf(style), answers);
            QCOMPARE(defaultAnswer(style), preselected);
        }
    }

    void moduleStoresWhatFitsAndKeepsItsValueOtherwise() {
        // A position the module cannot hold as a 32-bit number, or a window state beyond 16
        // bits, leaves the value it had: the failing statement is skipped.
        const std::tuple<Variant, int, int, int> cases[] = {
            {Variant(1440), 1440, 2, 2},                      // numbers
            {Variant(QStringLiteral("1234,6")), 1235, 1, 1},  // a numeric text, rounded
            {Variant(QStringLiteral("alto")), 300, 70000, 0}, // not a number, beyond 16 bits
            {Variant(std::int64_t(1) << 40), 300, -32769, 0}, // beyond 32 bits
        };
        for (const auto& [top, expectedTop, windowState, expectedState] : cases) {
            BasicModule module;
            module.setTop(Variant(300));
            module.setTop(top);
            module.setWindowState(windowState);
            QCOMPARE(module.Top(), expectedTop);
            QCOMPARE(int(module.WindowState()), expectedState);
        }
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
