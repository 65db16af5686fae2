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

    struct Caso {
        const char* nome;
        const char *sottotipo, *criterio, *da, *a;
        int periodicita;
        bool multi;
        const char* consolido;
        int righe;
        const char *valuta, *data, *cambio;
        int verifica;
        const char* controllo;
    };
    const Caso casi[] = {
        {"all given", "MENS", "CR1", "1", "12", 0, false, "-", Completa, "", "", "", 0, ""},
        {"no subtype", "  ", "CR1", "0", "", 0, false, "-", Nessuna, "", "", "", 1,
         "TXT_SOTTOTIPO"},
        {"no criterion", "MENS", "", "", "", 0, false, "-", Nessuna, "", "", "", 2, "TXT_CRITERIO"},
        {"no from-period", "MENS", "CR1", " ", "", 0, false, "-", Completa, "", "", "", 3,
         "TXT_PERIODO_DA"},
        {"no to-period", "MENS", "CR1", "1", "", 0, false, "-", Completa, "", "", "", 4,
         "TXT_PERIODO_A"},
        {"0 to 12", "MENS", "CR1", "0", "12", 0, false, "-", Completa, "", "", "", 5,
         "TXT_PERIODO_DA"},
        {"0 to 13 stops at the first", "MENS", "CR1", "0", "13", 0, false, "-", Completa, "", "",
         "", 5, "TXT_PERIODO_DA"},
        {"1 to 13", "MENS", "CR1", "1", "13", 0, false, "-", Completa, "", "", "", 6,
         "TXT_PERIODO_A"},
        {"5 to 3", "MENS", "CR1", "5", "3", 0, false, "-", Completa, "", "", "", 7,
         "TXT_PERIODO_DA"},
        {"one period, 4 to 4", "MENS", "CR1", "4", "4", 0, false, "-", Completa, "", "", "", 0, ""},
        {"quarterly 1 to 5", "TRIM", "CR1", "1", "5", 2, false, "-", Completa, "", "", "", 8,
         "TXT_PERIODO_A"},
        {"quarterly 1 to 4", "TRIM", "CR1", "1", "4", 2, false, "-", Completa, "", "", "", 0, ""},
        {"yearly 1 to 2", "ANNO", "CR1", "1", "2", 5, false, "-", Completa, "", "", "", 8,
         "TXT_PERIODO_A"},
        {"periodicity without limit 1 to 12", "PER9", "CR1", "1", "12", 9, false, "-", Completa, "",
         "", "", 0, ""},
        {"multi-activity without the check box", "MULTI1", "CR1", "1", "12", 0, true, "-", Completa,
         "", "", "", 9, "CHK_CONSOLIDO_MULTIATT"},
        {"multi-activity with the box unchecked", "MULTI1", "CR1", "1", "12", 0, true, "0",
         Completa, "", "", "", 0, ""},
        {"incomplete set", "MENS", "CR1", "1", "12", 0, false, "-", Incompleta, "USD", "", "", 10,
         "QGRID_CONFRONTO"},
        {"currency without date although the rate is given", "MENS", "CR1", "1", "12", 0, false,
         "-", Completa, "USD", "", "1,25", 11, "TXT_DATACAMBIO"},
        {"management currency without date", "MENS", "CR1", "1", "12", 0, false, "-", Completa,
         "EUR", "", "", 11, "TXT_DATACAMBIO"},
        {"currency without rate", "MENS", "CR1", "1", "12", 0, false, "-", Completa, "USD",
         "15/06/2026", " ", 12, "TXT_CAMBIO"},
        {"currency with date and rate", "MENS", "CR1", "1", "12", 0, false, "-", Completa, "USD",
         "15/06/2026", "1,25", 0, ""},
        {"empty list after the period checks", "MENS", "CR1", "1", "12", 0, false, "-", Nessuna,
         "USD", "", "", 13, "QGRID_CONFRONTO"},
    };
    for (const Caso& c : casi)
        QTest::newRow(c.nome) << QString(c.sottotipo) << QString(c.criterio) << QString(c.da)
                              << QString(c.a) << c.periodicita << c.multi << QString(c.consolido)
                              << c.righe << QString(c.valuta) << QString(c.data)
                              << QString(c.cambio) << c.verifica << QString(c.controllo);
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
