#include "params/criterio.h"
#include "params/parametri.h"

#include "compare/rst_confronto.h"
#include "host/host_log.h"
#include "params_company.h"
#include "support/text_rows.h"

#include <QTest>

using namespace bdg;
using bdg::test::shipped;

namespace {

// The comparison list: none, one complete set, or one set without its year.
enum Righe { Nessuna = 0, Completa = 1, Incompleta = 2 };

void aggiungiSet(FormState& state, bool conAnno) {
    test::addRows(*state.RstConfronto,
                  QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO CFR_PROGESER"),
                  {conAnno ? "1|0|2026|1" : "1|0||1"});
}

struct Caso {
    const char* name;
    const char *sottotipo, *criterio, *da, *a;
    int periodicita;
    bool multi;
    const char* consolido; ///< "-": Null
    int righe;
    const char *valuta, *data, *cambio;
    int verifica; ///< 0: accepted
    const char* controllo;
};

ValoriParametri valoriBuoni() {
    ValoriParametri valori;
    valori.TXT_SOTTOTIPO = QStringLiteral("MENS");
    valori.TXT_CRITERIO = QStringLiteral("CR1");
    valori.TXT_PERIODO_DA = QStringLiteral("1");
    valori.TXT_PERIODO_A = QStringLiteral("12");
    return valori;
}

} // namespace

class TestParametri : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The checks read the state and the list only; one database serves the messages.
        m_company = std::make_unique<test::ParamsCompany>(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(m_company->database.isValid(), qPrintable(m_company->database.errorText()));
    }

    void checksInOrder_data() {
        const Caso casi[] = {
            {"all given", "MENS", "CR1", "1", "12", 0, false, "-", Completa, "", "", "", 0, ""},
            {"no subtype", "  ", "CR1", "0", "", 0, false, "-", Nessuna, "", "", "", 1,
             "TXT_SOTTOTIPO"},
            {"no criterion", "MENS", "", "", "", 0, false, "-", Nessuna, "", "", "", 2,
             "TXT_CRITERIO"},
            {"no from-period", "MENS", "CR1", " ", "", 0, false, "-", Completa, "", "", "", 3,
             "TXT_PERIODO_DA"},
            {"no to-period", "MENS", "CR1", "1", "", 0, false, "-", Completa, "", "", "", 4,
             "TXT_PERIODO_A"},
            {"0 to 12", "MENS", "CR1", "0", "12", 0, false, "-", Completa, "", "", "", 5,
             "TXT_PERIODO_DA"},
            {"0 to 13 stops at the first", "MENS", "CR1", "0", "13", 0, false, "-", Completa, "",
             "", "", 5, "TXT_PERIODO_DA"},
            {"1 to 13", "MENS", "CR1", "1", "13", 0, false, "-", Completa, "", "", "", 6,
             "TXT_PERIODO_A"},
            {"5 to 3", "MENS", "CR1", "5", "3", 0, false, "-", Completa, "", "", "", 7,
             "TXT_PERIODO_DA"},
            {"one period, 4 to 4", "MENS", "CR1", "4", "4", 0, false, "-", Completa, "", "", "", 0,
             ""},
            {"quarterly 1 to 5", "TRIM", "CR1", "1", "5", 2, false, "-", Completa, "", "", "", 8,
             "TXT_PERIODO_A"},
            {"quarterly 1 to 4", "TRIM", "CR1", "1", "4", 2, false, "-", Completa, "", "", "", 0,
             ""},
            {"yearly 1 to 2", "ANNO", "CR1", "1", "2", 5, false, "-", Completa, "", "", "", 8,
             "TXT_PERIODO_A"},
            {"periodicity without limit 1 to 12", "PER9", "CR1", "1", "12", 9, false, "-", Completa,
             "", "", "", 0, ""},
            {"multi-activity without the check box", "MULTI1", "CR1", "1", "12", 0, true, "-",
             Completa, "", "", "", 9, "CHK_CONSOLIDO_MULTIATT"},
            {"multi-activity with the box unchecked", "MULTI1", "CR1", "1", "12", 0, true, "0",
             Completa, "", "", "", 0, ""},
            {"incomplete set", "MENS", "CR1", "1", "12", 0, false, "-", Incompleta, "USD", "", "",
             10, "QGRID_CONFRONTO"},
            {"currency without date although the rate is given", "MENS", "CR1", "1", "12", 0, false,
             "-", Completa, "USD", "", "1,25", 11, "TXT_DATACAMBIO"},
            {"management currency without date", "MENS", "CR1", "1", "12", 0, false, "-", Completa,
             "EUR", "", "", 11, "TXT_DATACAMBIO"},
            {"currency without rate", "MENS", "CR1", "1", "12", 0, false, "-", Completa, "USD",
             "15/06/2026", " ", 12, "TXT_CAMBIO"},
            {"currency with date and rate", "MENS", "CR1", "1", "12", 0, false, "-", Completa,
             "USD", "15/06/2026", "1,25", 0, ""},
            {"empty list after the period checks", "MENS", "CR1", "1", "12", 0, false, "-", Nessuna,
             "USD", "", "", 13, "QGRID_CONFRONTO"},
        };
        test::addCaseRows(casi);
    }
    void checksInOrder() {
        QFETCH(Caso, c);
        m_company->messages.clear();
        FormState state = m_company->state(1);
        state.CodPeriodicita = c.periodicita;
        state.IsMultiAttivita = c.multi;
        QVERIFY(DefinisciRstConfronto(state));
        if (c.righe != Nessuna)
            aggiungiSet(state, c.righe == Completa);
        ValoriParametri valori;
        valori.TXT_SOTTOTIPO = QString(c.sottotipo);
        valori.TXT_CRITERIO = QString(c.criterio);
        valori.TXT_PERIODO_DA = QString(c.da);
        valori.TXT_PERIODO_A = QString(c.a);
        valori.CHK_CONSOLIDO_MULTIATT =
            QString(c.consolido) == "-" ? Variant::null() : Variant(c.consolido);
        valori.TXT_VALUTA = QString(c.valuta);
        valori.TXT_DATACAMBIO = QString(c.data);
        valori.TXT_CAMBIO = QString(c.cambio);

        const EsitoParametro esito = IsParametriValidi(state, valori);

        const auto shown = m_company->messages.messages();
        if (c.verifica == 0) {
            QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->controllo) : "");
            QVERIFY(shown.isEmpty());
            return;
        }
        QVERIFY(esito.has_value());
        QCOMPARE(esito->verifica, c.verifica);
        QCOMPARE(esito->controllo, QString(c.controllo));
        QCOMPARE(esito->numero, 9636);
        QCOMPARE(test::shown(shown), shipped(9636) + "|64|Interrogazione budget");
    }

    void periodThatIsNotANumberIsRefusedAtItsField() {
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

private:
    std::unique_ptr<test::ParamsCompany> m_company;
};

QTEST_GUILESS_MAIN(TestParametri)
#include "test_parametri.moc"
