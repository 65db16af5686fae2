#include "params/criterio.h"

#include "params_company.h"
#include "support/text_rows.h"

#include <QTest>

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
        QCOMPARE(ElencoCriteri(state, ModoLookupCriterio::Tutti).size(), 4);
        if (numero < 0) {
            QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->testo) : "");
            QVERIFY(company.messages.messages().isEmpty());
            return;
        }
        QVERIFY(esito.has_value());
        QCOMPARE(esito->controllo, QStringLiteral("TXT_CRITERIO"));
        const auto shown = company.messages.plainMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().title, QStringLiteral("Interrogazione budget"));
        QCOMPARE(shown.first().text, numero == 0 ? QString(c.testo) : shipped(numero));
        QCOMPARE(shown.first().style, numero == 0 ? 16 : 64);
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
        state.RstConfronto->AddNew();
        state.RstConfronto->setValue(u"CFR_SEQUENZA", 1);
        state.RstConfronto->Update();
        QVERIFY(!TXT_CRITERIO_Validate(state, Variant("CR1")).has_value());
        QCOMPARE(state.RstConfronto->RecordCount(), 0);

        // An unknown code is refused before any check, without a message; the list stays.
        state.RstConfronto->AddNew();
        state.RstConfronto->setValue(u"CFR_SEQUENZA", 1);
        state.RstConfronto->Update();
        const EsitoParametro sconosciuto = TXT_CRITERIO_Validate(state, Variant("CR1' --"));
        QVERIFY(sconosciuto.has_value());
        QVERIFY(!sconosciuto->mostrato);
        QCOMPARE(state.RstConfronto->RecordCount(), 1);
        // A disabled field accepts an unchecked criterion without touching the list.
        QVERIFY(!TXT_CRITERIO_Validate(state, Variant("CR2"), false).has_value());
        QCOMPARE(state.RstConfronto->RecordCount(), 1);
        QVERIFY(company.messages.messages().isEmpty());
    }

    void lookupLists_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("modo");
        QTest::addColumn<QStringList>("attesi");
        for (const QString& engine : test::engines()) {
            QTest::newRow(qPrintable(engine + " every criterion"))
                << engine << 0 << QStringList{"CR1", "CR2", "CR3", "CRS"};
            QTest::newRow(qPrintable(engine + " with structure"))
                << engine << 1 << QStringList{"CR1", "CR3", "CRS"};
            QTest::newRow(qPrintable(engine + " correlated to the chart kind"))
                << engine << 2 << QStringList{"CR1", "CR3"};
            QTest::newRow(qPrintable(engine + " correlated to the budget chart"))
                << engine << 3 << QStringList{"CR1"};
            QTest::newRow(qPrintable(engine + " correlated to the budget structure"))
                << engine << 4 << QStringList{"CRS"};
        }
    }
    void lookupLists() {
        QFETCH(QString, engine);
        QFETCH(int, modo);
        QFETCH(QStringList, attesi);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        state.IndTipoPdc = 1;
        state.CodPdc = QStringLiteral("G1");
        state.CodStrutturaBU60 = QStringLiteral("S1");

        const QList<VoceElenco> elenco = ElencoCriteri(state, ModoLookupCriterio(modo));

        QCOMPARE(codici(elenco), attesi);
        if (modo == 0)
            QCOMPARE(elenco.first().descrizione, QStringLiteral("Conto economico"));
    }

    void menuItemsOpenTheirLookup_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("struttura");
        QTest::addColumn<int>("modo");
        QTest::newRow("first item") << "Kpers1"
                                    << "" << 1;
        QTest::newRow("second item") << "Kpers2"
                                     << "S1" << 2;
        QTest::newRow("third item without structure") << "Kpers3"
                                                      << "  " << 3;
        QTest::newRow("third item with structure") << "Kpers3"
                                                   << "S1" << 4;
        QTest::newRow("other item") << "Kgestione"
                                    << "S1" << 0;
    }
    void menuItemsOpenTheirLookup() {
        QFETCH(QString, item);
        QFETCH(QString, struttura);
        QFETCH(int, modo);
        QCOMPARE(int(ModoLookupDaMenu(item, Variant(struttura))), modo);
    }
};

QTEST_GUILESS_MAIN(TestCriterio)
#include "test_criterio.moc"
