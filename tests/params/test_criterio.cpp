#include "params/criterio.h"

#include "params_company.h"
#include "support/text_rows.h"

#include <QTest>

#include <tuple>

using namespace bdg;
using bdg::test::shipped;

namespace {

QStringList codici(const QList<VoceElenco>& elenco) {
    QStringList out;
    for (const VoceElenco& voce : elenco)
        out << voce.codice;
    return out;
}

struct Caso {
    const char* name;
    const char* codice;
    int tipoPdc;
    const char *pdc, *struttura;
    int numero;
    const char* testo;
};

} // namespace

class TestCriterio : public QObject {
    Q_OBJECT
private slots:
    void validity_data() {
        // numero: -1 accepted, 0 the free text, else the catalogue's message.
        const Caso casi[] = {
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
    void validity() {
        QFETCH(QString, engine);
        QFETCH(Caso, c);
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
        // By lookup kind: every criterion, those with a structure, those correlated to the
        // chart kind, to the budget's chart, to the budget's structure.
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
};

QTEST_GUILESS_MAIN(TestCriterio)
#include "test_criterio.moc"
