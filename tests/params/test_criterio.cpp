#include "params/criterio.h"

#include "params_company.h"

#include <QTest>

#include <functional>

using namespace bdg;
using bdg::test::shipped;

class TestCriterio : public QObject {
    Q_OBJECT

private slots:
    void validity_data();
    void validity();
    void acceptedCriterionStartsAnEmptyList_data();
    void acceptedCriterionStartsAnEmptyList();
    void lookupLists_data();
    void lookupLists();
    void menuItemsOpenTheirLookup_data();
    void menuItemsOpenTheirLookup();
};

namespace {

void addEngineCases(const std::function<void(const QString&)>& add) {
    for (const QString& engine : test::engines())
        add(engine);
}

QStringList codici(const QList<VoceElenco>& elenco) {
    QStringList out;
    for (const VoceElenco& voce : elenco)
        out << voce.codice;
    return out;
}

} // namespace

void TestCriterio::validity_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("codice");
    QTest::addColumn<int>("tipoPdc");
    QTest::addColumn<QString>("pdc");
    QTest::addColumn<QString>("struttura");
    QTest::addColumn<int>("numero");    // -1 accepted, 0 free text, else the catalogue number
    QTest::addColumn<QString>("testo"); // the free text, when numero is 0
    addEngineCases([](const QString& engine) {
        const auto row = [&](const char* name) { return &test::newEngineRow(engine, name); };
        *row("mapped to the general-ledger group") << "CR1" << 1 << "G1"
                                                   << "" << -1 << "";
        *row("mapped to the CEE schedule") << "CR1" << 2 << "CEE"
                                           << "" << -1 << "";
        *row("no mapping for the reclassified chart")
            << "CR1" << 3 << "RIC"
            << "" << 0 << "Criterio CR1 non correlato al pdc RIC del budget ";
        *row("a mapping without account does not count")
            << "CR3" << 1 << "G1"
            << "" << 0 << "Criterio CR3 non correlato al pdc G1 del budget ";
        *row("another group") << "CR3" << 1 << "G2"
                              << "" << -1 << "";
        *row("no structure rows") << "CR2" << 1 << "G1"
                                  << "" << 61951 << "";
        *row("structure mapping whatever the chart") << "CRS" << 3 << "RIC"
                                                     << "S1" << -1 << "";
        *row("with a structure only its mappings count")
            << "CR1" << 1 << "G1"
            << "S1" << 0 << "Criterio CR1 non correlato alla struttura S1 del budget ";
    });
}

void TestCriterio::validity() {
    QFETCH(QString, engine);
    QFETCH(QString, codice);
    QFETCH(int, tipoPdc);
    QFETCH(QString, pdc);
    QFETCH(QString, struttura);
    QFETCH(int, numero);
    QFETCH(QString, testo);
    OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
    FormState state = company.state(1);
    state.IndTipoPdc = tipoPdc;
    state.CodPdc = pdc;
    state.CodStrutturaBU60 = struttura;

    const EsitoParametro esito = IsCriterioValido(state, Variant(codice));

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
    QCOMPARE(shown.first().text, numero == 0 ? testo : shipped(numero));
    QCOMPARE(shown.first().style, numero == 0 ? 16 : 64);
    QCOMPARE(esito->numero, numero);
}

void TestCriterio::acceptedCriterionStartsAnEmptyList_data() {
    test::addEngineRows();
}

void TestCriterio::acceptedCriterionStartsAnEmptyList() {
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

void TestCriterio::lookupLists_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QStringList>("attesi");
    addEngineCases([](const QString& engine) {
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
    });
}

void TestCriterio::lookupLists() {
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

void TestCriterio::menuItemsOpenTheirLookup_data() {
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

void TestCriterio::menuItemsOpenTheirLookup() {
    QFETCH(QString, item);
    QFETCH(QString, struttura);
    QFETCH(int, modo);
    QCOMPARE(int(ModoLookupDaMenu(item, Variant(struttura))), modo);
}

QTEST_GUILESS_MAIN(TestCriterio)
#include "test_criterio.moc"
