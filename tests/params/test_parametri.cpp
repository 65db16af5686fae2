#include "params/criterio.h"
#include "params/parametri.h"
#include "params/sottotipo.h"
#include "params/valuta.h"

#include "compare/rst_confronto.h"
#include "host/host_log.h"
#include "params_company.h"
#include "support/text_rows.h"

#include <QTest>

#include <tuple>

using namespace bdg;
using bdg::test::shipped;

// The parameter fields of the selection (subtype, criterion, currency) and the checks of
// the whole selection before a run, on the company of tests/fixtures/parametri.sql.

namespace {

struct CasoSottotipo {
    const char* name;
    int ditta;
    const char* codice;
    int periodicita, nrPeriodi, tipoPdc;
    const char* struttura;
    const char* periodoA; ///< "-": left as it was
    bool sedi;
    const char *etichettaPdc, *etichettaPeriodicita;
    bool multi = false; ///< consolidation offered (unchecked)
};

QStringList codici(const QList<VoceElenco>& elenco) {
    QStringList out;
    for (const VoceElenco& voce : elenco)
        out << voce.codice;
    return out;
}

struct CasoCriterio {
    const char* name;
    const char* codice;
    int tipoPdc;
    const char *pdc, *struttura;
    int numero;
    const char* testo;
};

const QDate Oggi(2026, 6, 15);

struct CasoValuta {
    const char* name;
    const char *valuta, *data;
    bool abilitati;
    const char* cambio;
    bool divisore;
    bool letta = true; ///< false: the date is no date, an error reported under the procedure
};

// The comparison list: none, one complete set, or one set without its year.
enum Righe { Nessuna = 0, Completa = 1, Incompleta = 2 };

void aggiungiSet(FormState& state, bool conAnno) {
    test::addRows(*state.RstConfronto,
                  QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO CFR_PROGESER"),
                  {conAnno ? "1|0|2026|1" : "1|0||1"});
}

struct CasoParametri {
    const char* name;
    const char *sottotipo, *criterio, *da, *a;
    int periodicita;
    bool multi;
    const char* consolido; ///< "-": Null
    int righe;
    const char *valuta, *data, *cambio;
    int verifica; ///< 0: accepted, or refused by a conversion error when `controllo` is given
    const char* controllo;
};

} // namespace

class TestParametri : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The checks read the state and the list only; one database serves the messages.
        m_company = std::make_unique<test::ParamsCompany>(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(m_company->database.isValid(), qPrintable(m_company->database.errorText()));
    }

    void acceptedSubtypeFillsState_data() {
        const CasoSottotipo casi[] = {
            {"monthly general ledger", 1, "MENS", 0, 12, 1, "", "12", false,
             "G1 Piano dei conti generale", "Mensile"},
            {"quarterly CEE schedule", 1, "TRIM", 2, 4, 2, "", "4", false,
             "CEE Schema di bilancio CEE", "Trimestrale"},
            {"four-monthly with a structure shows it", 1, "QUAD", 3, 3, 3, "S1", "3", false,
             "RIC Piano dei conti riclassificato", "Quadrimestrale"},
            {"a structure on the CEE schedule stays hidden", 1, "STR2", 1, 6, 2, "", "6", false,
             "CEE Schema di bilancio CEE", "Bimestrale"},
            {"periodicity without preset keeps the upper period", 1, "PER9", 9, 0, 1, "", "-",
             false, "G1 Piano dei conti generale", ""},
            {"sites in a company with sites", 2, "SEDI", 0, 12, 1, "", "12", true,
             "G1 Piano dei conti generale", "Mensile"},
            {"consolidable in the main company", 2, "MULTI1", 0, 12, 1, "", "12", false,
             "G1 Piano dei conti generale", "Mensile", true},
            {"consolidable in a member company", 1, "MULTI1", 0, 12, 1, "", "12", false,
             "G1 Piano dei conti generale", "Mensile"},
            {"kept by the main company, asked by it", 2, "MULTI2", 0, 12, 1, "", "12", false,
             "G1 Piano dei conti generale", "Mensile"},
        };
        test::addCaseRows(casi, true);
    }
    void acceptedSubtypeFillsState() {
        QFETCH(QString, engine);
        QFETCH(CasoSottotipo, c);
        const QString struttura = QString::fromUtf8(c.struttura);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(c.ditta);
        state.CodStrutturaBU60 = QStringLiteral("VECCHIA");

        ControlliSottotipo controlli;
        const EsitoParametro esito = TXT_SOTTOTIPO_Validate(state, Variant(c.codice), &controlli);

        QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->testo) : "");
        QVERIFY(company.messages.messages().isEmpty());
        QCOMPARE(state.CodPeriodicita, c.periodicita);
        QCOMPARE(int(state.NrPeriodi), c.nrPeriodi);
        QCOMPARE(state.IndTipoPdc, c.tipoPdc);
        QCOMPARE(state.IsGestioneSede, c.sedi);
        QCOMPARE(state.CodStrutturaBU60.toString(), struttura);
        QCOMPARE(controlli.TXT_CODSTRUTTURABU60, struttura);
        QCOMPARE(controlli.TXT_CODSTRUTTURABU60_Visible, !struttura.isEmpty());
        QCOMPARE(controlli.TXT_PERIODO_A.value_or(QStringLiteral("-")), QString(c.periodoA));
        QCOMPARE(controlli.LBB_INDTIPOPDC, QString(c.etichettaPdc));
        QCOMPARE(controlli.LBB_PERIODICITA, QString(c.etichettaPeriodicita));
        QCOMPARE(controlli.LBB_GESTIONESEDE, c.sedi ? QStringLiteral("Gestisce le sedi")
                                                    : QStringLiteral("Non gestisce le sedi"));
        QCOMPARE(state.IsMultiAttivita, c.multi);
        QCOMPARE(controlli.CHK_CONSOLIDO_MULTIATT_Enabled, c.multi);
        QCOMPARE(controlli.CHK_CONSOLIDO_MULTIATT, 0);
    }

    void criterionValidity_data() {
        // numero: -1 accepted, 0 the free text, else the catalogue's message.
        const CasoCriterio casi[] = {
            {"mapped to the general-ledger group", "CR1", 1, "G1", "", -1, ""},
            {"mapped to the CEE schedule", "CR1", 2, "CEE", "", -1, ""},
            {"no mapping for the reclassified chart", "CR1", 3, "RIC", "", 0,
             "Criterio CR1 non correlato al pdc RIC del budget "},
            {"a mapping without account does not count", "CR3", 1, "G1", "", 0,
             "Criterio CR3 non correlato al pdc G1 del budget "},
            {"another group", "CR3", 1, "G2", "", -1, ""},
            {"no structure rows", "CR2", 1, "G1", "", 61951, ""},
            {"structure mapping whatever the chart", "CRS", 3, "RIC", "S1", -1, ""},
            {"with a structure only its mappings count", "CR1", 1, "G1", "S1", 0,
             "Criterio CR1 non correlato alla struttura S1 del budget "},
        };
        test::addCaseRows(casi, true);
    }
    void criterionValidity() {
        QFETCH(QString, engine);
        QFETCH(CasoCriterio, c);
        const int numero = c.numero;
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        state.IndTipoPdc = c.tipoPdc;
        state.CodPdc = QString(c.pdc);
        state.CodStrutturaBU60 = QString(c.struttura);

        const EsitoParametro esito = IsCriterioValido(state, Variant(c.codice));

        QVERIFY(company.messages.errors().isEmpty());
        if (numero < 0) {
            QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->testo) : "");
            QVERIFY(company.messages.messages().isEmpty());
            return;
        }
        QVERIFY(esito.has_value());
        QCOMPARE(esito->controllo, QStringLiteral("TXT_CRITERIO"));
        QCOMPARE(test::shown(company.messages.plainMessages()),
                 (numero == 0 ? QString(c.testo) + "|16" : shipped(numero) + "|64") +
                     "|Interrogazione budget");
        QCOMPARE(esito->numero, numero);
    }

    void acceptedCriterionStartsAnEmptyList_data() { test::addEngineRows(); }
    void acceptedCriterionStartsAnEmptyList() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        QVERIFY(!TXT_SOTTOTIPO_Validate(state, Variant("MENS")).has_value());

        QVERIFY(!TXT_CRITERIO_Validate(state, Variant("CR1")).has_value());
        QVERIFY(state.RstConfronto);
        test::addRows(*state.RstConfronto, QStringLiteral("CFR_SEQUENZA"), {"1"});
        QVERIFY(!TXT_CRITERIO_Validate(state, Variant("CR1")).has_value());
        QCOMPARE(state.RstConfronto->RecordCount(), 0);

        // An unknown code is refused before any check, without a message; the list stays.
        test::addRows(*state.RstConfronto, QStringLiteral("CFR_SEQUENZA"), {"1"});
        const EsitoParametro sconosciuto = TXT_CRITERIO_Validate(state, Variant("CR1' --"));
        QVERIFY(sconosciuto.has_value());
        QVERIFY(!sconosciuto->mostrato);
        QCOMPARE(state.RstConfronto->RecordCount(), 1);
        // A disabled field accepts an unchecked criterion without touching the list.
        QVERIFY(!TXT_CRITERIO_Validate(state, Variant("CR2"), false).has_value());
        QCOMPARE(state.RstConfronto->RecordCount(), 1);
        QVERIFY(company.messages.messages().isEmpty());
    }

    void lookupLists_data() { test::addEngineRows(); }
    void lookupLists() {
        // Criteria by lookup kind: every criterion, those with a structure, those correlated to
        // the chart kind, to the budget's chart, to the budget's structure; every currency.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        state.IndTipoPdc = 1;
        state.CodPdc = QStringLiteral("G1");
        state.CodStrutturaBU60 = QStringLiteral("S1");
        const QList<QStringList> attesi = {
            {"CR1", "CR2", "CR3", "CRS"}, {"CR1", "CR3", "CRS"}, {"CR1", "CR3"}, {"CR1"}, {"CRS"}};
        for (int modo = 0; modo < attesi.size(); ++modo)
            QCOMPARE(codici(ElencoCriteri(state, ModoLookupCriterio(modo))), attesi[modo]);
        QCOMPARE(ElencoCriteri(state, ModoLookupCriterio::Tutti).first().descrizione,
                 QStringLiteral("Conto economico"));
        QCOMPARE(codici(ElencoValute(company.connection)),
                 (QStringList{"EUR", "GBP", "JPY", "USD"}));
        QCOMPARE(DescrizioneValuta(state, QStringLiteral("USD")).value_or(QString()),
                 QStringLiteral("Dollaro USA"));
        QVERIFY(!DescrizioneValuta(state, QStringLiteral("USD' OR '1'='1")).has_value());
    }

    void menuItemsOpenTheirLookup() {
        // The menu item and the budget's structure decide the lookup kind.
        const std::tuple<const char*, const char*, int> voci[] = {{"Kpers1", "", 1},
                                                                  {"Kpers2", "S1", 2},
                                                                  {"Kpers3", "  ", 3},
                                                                  {"Kpers3", "S1", 4},
                                                                  {"Kgestione", "S1", 0}};
        for (const auto& [item, struttura, modo] : voci)
            QCOMPARE(int(ModoLookupDaMenu(QString::fromLatin1(item), Variant(struttura))), modo);
    }

    void rateAndQuotation_data() {
        // The currency and date typed; whether the rate and date fields are enabled, the rate
        // shown ("" when the field stays empty) and whether it divides.
        const CasoValuta casi[] = {
            {"no currency", "", "01/01/2026", false, "", false},
            {"management currency", "EUR", "01/01/2026", false, "", false},
            {"management currency with blanks", " EUR ", "", false, "", false},
            {"empty date is today", "USD", "", true, "1.1", true},
            {"a day number is this month's", "USD", "10", true, "1.1", true},
            {"before any rate", "USD", "31/12/2025", true, "", false},
            {"no usable rate kind", "JPY", "", true, "", false},
            {"multiplying currency", "GBP", "", true, "0.85", false},
            {"unknown currency", "XXX", "", true, "", false},
            {"date that is not one", "USD", "31/02/2026", true, "", true, false},
        };
        test::addCaseRows(casi, true);
    }
    void rateAndQuotation() {
        QFETCH(QString, engine);
        QFETCH(CasoValuta, c);
        const QString data = QString::fromLatin1(c.data);
        const QString cambio = QString::fromLatin1(c.cambio);
        const bool abilitati = c.abilitati;
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        state.IsCambioDivisore = true; // what a previous currency left

        CampiCambio campi;
        campi.TXT_DATACAMBIO = data;
        campi.TXT_CAMBIO = QStringLiteral("9,99");
        QCOMPARE(ValutaGetDati(state, Variant(c.valuta), campi, Oggi), c.letta);

        QCOMPARE(company.messages.messages().size(), c.letta ? 0 : 1);
        if (!c.letta)
            return;
        QCOMPARE(campi.TXT_CAMBIO_Enabled, abilitati);
        QCOMPARE(campi.TXT_DATACAMBIO_Enabled, abilitati);
        QCOMPARE(state.IsCambioDivisore, c.divisore);
        if (cambio.isEmpty()) {
            QCOMPARE(campi.TXT_CAMBIO.toString(), QString());
        } else {
            const auto letto = campi.TXT_CAMBIO.toDecimal();
            QVERIFY2(letto && *letto == *Variant(cambio).toDecimal(),
                     qPrintable(campi.TXT_CAMBIO.toString()));
        }
        // Without conversion the date is emptied; with one the user's date stays.
        QCOMPARE(campi.TXT_DATACAMBIO.toString(), abilitati ? data : QString());
    }

    void dateFieldReading_data() {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QDate>("attesa"); // invalid: not a date
        QTest::newRow("empty") << "  " << Oggi;
        QTest::newRow("day of this month") << "3" << QDate(2026, 6, 3);
        QTest::newRow("day beyond the month") << "31" << QDate();
        QTest::newRow("italian date") << "28/02/2025" << QDate(2025, 2, 28);
        QTest::newRow("short year") << "01/03/26" << QDate(2026, 3, 1);
        QTest::newRow("iso date") << "2024-02-29" << QDate(2024, 2, 29);
        QTest::newRow("impossible date") << "31/02/2026" << QDate();
        QTest::newRow("words") << "domani" << QDate();
    }
    void dateFieldReading() {
        QFETCH(QString, testo);
        QFETCH(QDate, attesa);
        const auto data = LeggiDataCambio(Variant(testo), Oggi);
        QCOMPARE(data.value_or(QDate()), attesa);
    }

    void checksInOrder_data() {
        const CasoParametri casi[] = {
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
            // Reported as the conversion error it is (no log here: the host says so), not 9636.
            {"to-period not a number", "MENS", "CR1", "1", "dodici", 0, false, "-", Completa, "",
             "", "", 0, "TXT_PERIODO_A"},
        };
        test::addCaseRows(casi);
    }
    void checksInOrder() {
        QFETCH(CasoParametri, c);
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
        if (*c.controllo == 0) {
            QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->controllo) : "");
            QVERIFY(shown.isEmpty());
            return;
        }
        QVERIFY(esito.has_value());
        QCOMPARE(esito->verifica, c.verifica);
        QCOMPARE(esito->controllo, QString(c.controllo));
        QCOMPARE(shown.size(), 1);
        if (c.verifica == 0) {
            QVERIFY(shown.first().text != shipped(9636));
            return;
        }
        QCOMPARE(esito->numero, 9636);
        QCOMPARE(test::shown(shown), shipped(9636) + "|64|Interrogazione budget");
    }

private:
    std::unique_ptr<test::ParamsCompany> m_company;
};

QTEST_GUILESS_MAIN(TestParametri)
#include "test_parametri.moc"
