#include "params/criterio.h"
#include "params/parametri.h"

#include "compare/rst_confronto.h"
#include "host/host_log.h"
#include "params_company.h"

#include <QTest>

using namespace bdg;
using bdg::test::shipped;

class TestParametri : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void checksInOrder_data();
    void checksInOrder();
    void periodThatIsNotANumberIsRefusedAtItsField();

private:
    std::unique_ptr<test::ParamsCompany> m_company;
};

namespace {

// The comparison list: none, one complete set, or one set without its year.
enum Righe { Nessuna = 0, Completa = 1, Incompleta = 2 };

void aggiungiSet(FormState& state, bool conAnno) {
    Recordset& rst = *state.RstConfronto;
    rst.AddNew();
    rst.setValue(u"CFR_SEQUENZA", 1);
    rst.setValue(u"CFR_TIPODETT", QStringLiteral("0"));
    if (conAnno)
        rst.setValue(u"CFR_ANNO", 2026);
    rst.setValue(u"CFR_PROGESER", 1);
    rst.Update();
}

ValoriParametri valoriBuoni() {
    ValoriParametri valori;
    valori.TXT_SOTTOTIPO = QStringLiteral("MENS");
    valori.TXT_CRITERIO = QStringLiteral("CR1");
    valori.TXT_PERIODO_DA = QStringLiteral("1");
    valori.TXT_PERIODO_A = QStringLiteral("12");
    return valori;
}

} // namespace

void TestParametri::initTestCase() {
    // The checks read the state and the list only; one database serves the messages.
    m_company = std::make_unique<test::ParamsCompany>(QString::fromLatin1(test::SQLiteEngine));
    QVERIFY2(m_company->database.isValid(), qPrintable(m_company->database.errorText()));
}

void TestParametri::checksInOrder_data() {
    QTest::addColumn<QString>("sottotipo");
    QTest::addColumn<QString>("criterio");
    QTest::addColumn<QString>("da");
    QTest::addColumn<QString>("a");
    QTest::addColumn<int>("periodicita");
    QTest::addColumn<bool>("multi");
    QTest::addColumn<QString>("consolido"); // "-": Null
    QTest::addColumn<int>("righe");
    QTest::addColumn<QString>("valuta");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("cambio");
    QTest::addColumn<int>("verifica"); // 0: accepted
    QTest::addColumn<QString>("controllo");

    QTest::newRow("all given") << "MENS"
                               << "CR1"
                               << "1"
                               << "12" << 0 << false << "-" << 1 << ""
                               << ""
                               << "" << 0 << "";
    QTest::newRow("no subtype") << "  "
                                << "CR1"
                                << "0"
                                << "" << 0 << false << "-" << 0 << ""
                                << ""
                                << "" << 1 << "TXT_SOTTOTIPO";
    QTest::newRow("no criterion") << "MENS"
                                  << ""
                                  << ""
                                  << "" << 0 << false << "-" << 0 << ""
                                  << ""
                                  << "" << 2 << "TXT_CRITERIO";
    QTest::newRow("no from-period") << "MENS"
                                    << "CR1"
                                    << " "
                                    << "" << 0 << false << "-" << 1 << ""
                                    << ""
                                    << "" << 3 << "TXT_PERIODO_DA";
    QTest::newRow("no to-period") << "MENS"
                                  << "CR1"
                                  << "1"
                                  << "" << 0 << false << "-" << 1 << ""
                                  << ""
                                  << "" << 4 << "TXT_PERIODO_A";
    QTest::newRow("0 to 12") << "MENS"
                             << "CR1"
                             << "0"
                             << "12" << 0 << false << "-" << 1 << ""
                             << ""
                             << "" << 5 << "TXT_PERIODO_DA";
    QTest::newRow("0 to 13 stops at the first") << "MENS"
                                                << "CR1"
                                                << "0"
                                                << "13" << 0 << false << "-" << 1 << ""
                                                << ""
                                                << "" << 5 << "TXT_PERIODO_DA";
    QTest::newRow("1 to 13") << "MENS"
                             << "CR1"
                             << "1"
                             << "13" << 0 << false << "-" << 1 << ""
                             << ""
                             << "" << 6 << "TXT_PERIODO_A";
    QTest::newRow("5 to 3") << "MENS"
                            << "CR1"
                            << "5"
                            << "3" << 0 << false << "-" << 1 << ""
                            << ""
                            << "" << 7 << "TXT_PERIODO_DA";
    QTest::newRow("quarterly 1 to 5") << "TRIM"
                                      << "CR1"
                                      << "1"
                                      << "5" << 2 << false << "-" << 1 << ""
                                      << ""
                                      << "" << 8 << "TXT_PERIODO_A";
    QTest::newRow("quarterly 1 to 4") << "TRIM"
                                      << "CR1"
                                      << "1"
                                      << "4" << 2 << false << "-" << 1 << ""
                                      << ""
                                      << "" << 0 << "";
    QTest::newRow("yearly 1 to 2") << "ANNO"
                                   << "CR1"
                                   << "1"
                                   << "2" << 5 << false << "-" << 1 << ""
                                   << ""
                                   << "" << 8 << "TXT_PERIODO_A";
    QTest::newRow("periodicity without limit 1 to 12") << "PER9"
                                                       << "CR1"
                                                       << "1"
                                                       << "12" << 9 << false << "-" << 1 << ""
                                                       << ""
                                                       << "" << 0 << "";
    QTest::newRow("multi-activity without the check box") << "MULTI1"
                                                          << "CR1"
                                                          << "1"
                                                          << "12" << 0 << true << "-" << 1 << ""
                                                          << ""
                                                          << "" << 9 << "CHK_CONSOLIDO_MULTIATT";
    QTest::newRow("multi-activity with the box unchecked") << "MULTI1"
                                                           << "CR1"
                                                           << "1"
                                                           << "12" << 0 << true << "0" << 1 << ""
                                                           << ""
                                                           << "" << 0 << "";
    QTest::newRow("incomplete set") << "MENS"
                                    << "CR1"
                                    << "1"
                                    << "12" << 0 << false << "-" << 2 << "USD"
                                    << ""
                                    << "" << 10 << "QGRID_CONFRONTO";
    QTest::newRow("currency without date although the rate is given")
        << "MENS"
        << "CR1"
        << "1"
        << "12" << 0 << false << "-" << 1 << "USD"
        << ""
        << "1,25" << 11 << "TXT_DATACAMBIO";
    QTest::newRow("management currency without date") << "MENS"
                                                      << "CR1"
                                                      << "1"
                                                      << "12" << 0 << false << "-" << 1 << "EUR"
                                                      << ""
                                                      << "" << 11 << "TXT_DATACAMBIO";
    QTest::newRow("currency without rate") << "MENS"
                                           << "CR1"
                                           << "1"
                                           << "12" << 0 << false << "-" << 1 << "USD"
                                           << "15/06/2026"
                                           << " " << 12 << "TXT_CAMBIO";
    QTest::newRow("currency with date and rate") << "MENS"
                                                 << "CR1"
                                                 << "1"
                                                 << "12" << 0 << false << "-" << 1 << "USD"
                                                 << "15/06/2026"
                                                 << "1,25" << 0 << "";
    QTest::newRow("empty list after the period checks") << "MENS"
                                                        << "CR1"
                                                        << "1"
                                                        << "12" << 0 << false << "-" << 0 << "USD"
                                                        << ""
                                                        << "" << 13 << "QGRID_CONFRONTO";
}

void TestParametri::checksInOrder() {
    QFETCH(QString, sottotipo);
    QFETCH(QString, criterio);
    QFETCH(QString, da);
    QFETCH(QString, a);
    QFETCH(int, periodicita);
    QFETCH(bool, multi);
    QFETCH(QString, consolido);
    QFETCH(int, righe);
    QFETCH(QString, valuta);
    QFETCH(QString, data);
    QFETCH(QString, cambio);
    QFETCH(int, verifica);
    QFETCH(QString, controllo);
    m_company->messages.clear();
    FormState state = m_company->state(1);
    state.CodPeriodicita = periodicita;
    state.IsMultiAttivita = multi;
    QVERIFY(DefinisciRstConfronto(state));
    if (righe != Nessuna)
        aggiungiSet(state, righe == Completa);
    ValoriParametri valori;
    valori.TXT_SOTTOTIPO = sottotipo;
    valori.TXT_CRITERIO = criterio;
    valori.TXT_PERIODO_DA = da;
    valori.TXT_PERIODO_A = a;
    valori.CHK_CONSOLIDO_MULTIATT = consolido == "-" ? Variant::null() : Variant(consolido);
    valori.TXT_VALUTA = valuta;
    valori.TXT_DATACAMBIO = data;
    valori.TXT_CAMBIO = cambio;

    const EsitoParametro esito = IsParametriValidi(state, valori);

    const auto shown = m_company->messages.messages();
    if (verifica == 0) {
        QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->controllo) : "");
        QVERIFY(shown.isEmpty());
        return;
    }
    QVERIFY(esito.has_value());
    QCOMPARE(esito->verifica, verifica);
    QCOMPARE(esito->controllo, controllo);
    QCOMPARE(esito->numero, 9636);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, shipped(9636));
    QCOMPARE(shown.first().style, 64);
    QCOMPARE(shown.first().title, QStringLiteral("Interrogazione budget"));
}

void TestParametri::periodThatIsNotANumberIsRefusedAtItsField() {
    m_company->messages.clear();
    FormState state = m_company->state(1);
    QVERIFY(DefinisciRstConfronto(state));
    aggiungiSet(state, true);
    ValoriParametri valori = valoriBuoni();
    valori.TXT_PERIODO_A = QStringLiteral("dodici");

    const EsitoParametro esito = IsParametriValidi(state, valori);

    QVERIFY(esito.has_value());
    QCOMPARE(esito->controllo, QStringLiteral("TXT_PERIODO_A"));
    QCOMPARE(esito->verifica, 0);
    // The conversion error is reported (no log here: the host says so), not message 9636.
    QCOMPARE(m_company->messages.messages().size(), 1);
    QVERIFY(m_company->messages.messages().first().text != shipped(9636));
}

QTEST_GUILESS_MAIN(TestParametri)
#include "test_parametri.moc"
