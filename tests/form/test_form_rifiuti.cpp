#include "form_session.h"

#include "params/params_company.h"

#include <QTest>

using namespace bdg;
using bdg::test::shipped;

// Every refusal of the parameter fields, of the run's checks and of the profiles, reached
// the way a user reaches it, with the message shown and the control left with the focus.
class TestFormRifiuti : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void refusalShowsItsMessageAndKeepsTheFocus_data();
    void refusalShowsItsMessageAndKeepsTheFocus();

private:
    std::unique_ptr<test::ParamsCompany> m_company;
};

void TestFormRifiuti::initTestCase() {
    m_company = std::make_unique<test::ParamsCompany>(QString::fromLatin1(test::SQLiteEngine));
    QVERIFY2(m_company->database.isValid(), qPrintable(m_company->database.errorText()));
    for (const char* profilo :
         {"'CON_SEDI', 1, 0, 2026, 1, 1", "'SENZA_SEDI', 1, 0, 2026, 1, NULL"})
        m_company->connection.ExecuteNonQuery(
            QStringLiteral("INSERT INTO BU68_BDGINTRIC (BU68_NOME, BU68_SEQUENZA, BU68_TIPO, "
                           "BU68_ANNO, BU68_PROGESER, BU68_CODICE_CG31, BU68_DELTA, "
                           "BU68_DELTA_PERC) VALUES (%1, 0, 0)")
                .arg(QLatin1String(profilo)));
}

void TestFormRifiuti::refusalShowsItsMessageAndKeepsTheFocus_data() {
    QTest::addColumn<int>("ditta");
    QTest::addColumn<QStringList>("passi");
    QTest::addColumn<QString>("messaggio"); // "#n": catalogue message n; empty: none
    QTest::addColumn<int>("stile");
    QTest::addColumn<QString>("titolo"); // empty: the form's caption
    QTest::addColumn<QString>("focus");  // empty: not the refusal's to choose
    QTest::addColumn<int>("aziende");    // questions to the main-company service; -1 any

    const QString sottotipo = QStringLiteral("TXT_SOTTOTIPO");
    const QString criterio = QStringLiteral("TXT_CRITERIO");
    const QString griglia = QStringLiteral("QGRID_CONFRONTO");
    const QStringList mens{"sottotipo:MENS", "criterio:CR1"};
    const QStringList pronti = mens + QStringList{"set:0:2026:1"};
    const QString attenzione = QStringLiteral("Attenzione");

    QTest::newRow("empty subtype")
        << 1 << QStringList{"sottotipo:"} << "" << 0 << "" << sottotipo << 0;
    QTest::newRow("unknown subtype")
        << 1 << QStringList{"sottotipo:NO"} << "" << 0 << "" << sottotipo << 0;
    QTest::newRow("chart kind 0") << 1 << QStringList{"sottotipo:KPDC0"} << "#61949" << 64 << ""
                                  << sottotipo << 0;
    QTest::newRow("chart kind 4 before its missing chart")
        << 1 << QStringList{"sottotipo:KPDC4"} << "#61949" << 64 << "" << sottotipo << 0;
    QTest::newRow("no chart") << 1 << QStringList{"sottotipo:NOPDC"} << "#61950" << 64 << ""
                              << sottotipo << 0;
    QTest::newRow("sites in a company without")
        << 1 << QStringList{"sottotipo:SEDI"} << "#61948" << 64 << "" << sottotipo << 0;
    QTest::newRow("kept by the main company only")
        << 1 << QStringList{"sottotipo:MULTI2"} << "#61833" << 64 << "" << sottotipo << 1;

    QTest::newRow("empty criterion")
        << 1 << QStringList{"sottotipo:MENS", "criterio:"} << "" << 0 << "" << criterio << -1;
    QTest::newRow("unknown criterion")
        << 1 << QStringList{"sottotipo:MENS", "criterio:CRX"} << "" << 0 << "" << criterio << -1;
    QTest::newRow("criterion without structure")
        << 1 << QStringList{"sottotipo:MENS", "criterio:CR2"} << "#61951" << 64 << "" << criterio
        << -1;
    QTest::newRow("criterion of another chart")
        << 1 << QStringList{"sottotipo:MENS", "criterio:CR3"}
        << "Criterio CR3 non correlato al pdc G1 del budget " << 16 << "" << criterio << -1;
    QTest::newRow("criterion outside the budget structure")
        << 1 << QStringList{"sottotipo:QUAD", "criterio:CR1"}
        << "Criterio CR1 non correlato alla struttura S1 del budget " << 16 << "" << criterio << -1;

    QTest::newRow("empty list") << 1 << (mens + QStringList{"BUT_ELABORA"}) << "#9636" << 64 << ""
                                << griglia << -1;
    QTest::newRow("no from-period")
        << 1 << (pronti + QStringList{"da:", "BUT_ELABORA"}) << "#9636" << 64 << ""
        << "TXT_PERIODO_DA" << -1;
    QTest::newRow("period 0") << 1 << (pronti + QStringList{"da:0", "BUT_ELABORA"}) << "#9636" << 64
                              << ""
                              << "TXT_PERIODO_DA" << -1;
    QTest::newRow("period 13") << 1 << (pronti + QStringList{"a:13", "BUT_ELABORA"}) << "#9636"
                               << 64 << ""
                               << "TXT_PERIODO_A" << -1;
    QTest::newRow("5 to 3") << 1 << (pronti + QStringList{"da:5", "a:3", "BUT_ELABORA"}) << "#9636"
                            << 64 << ""
                            << "TXT_PERIODO_DA" << -1;
    QTest::newRow("quarterly 1 to 5")
        << 1 << QStringList{"sottotipo:TRIM", "criterio:CR1", "set:0:2026:1", "a:5", "BUT_ELABORA"}
        << "#9636" << 64 << ""
        << "TXT_PERIODO_A" << -1;
    QTest::newRow("set without its year") << 1 << (mens + QStringList{"set:0::1", "BUT_ELABORA"})
                                          << "#9636" << 64 << "" << griglia << -1;
    QTest::newRow("currency without its date")
        << 1 << (pronti + QStringList{"valuta:USD", "data:", "BUT_ELABORA"}) << "#9636" << 64 << ""
        << "TXT_DATACAMBIO" << -1;
    QTest::newRow("currency without a usable rate")
        << 1 << (pronti + QStringList{"valuta:JPY", "BUT_ELABORA"}) << "#9636" << 64 << ""
        << "TXT_CAMBIO" << -1;

    QTest::newRow("saving an empty list")
        << 1 << (mens + QStringList{"BUT_BU68_SALVA"}) << "Il Profilo non contiene records!" << 48
        << attenzione << "" << -1;
    QTest::newRow("saving without a name")
        << 1 << (pronti + QStringList{"BUT_BU68_SALVA"}) << "Indicare un nome profilo!" << 48
        << attenzione << "" << -1;
    QTest::newRow("profile with sites, subtype without")
        << 1 << (mens + QStringList{"profilo:CON_SEDI"})
        << "Il budget non gestisce le sedi, il profilo/confronto selezionato si!" << 48 << ""
        << "TXT_PROFILO" << -1;
    QTest::newRow("profile without sites, subtype with")
        << 2 << QStringList{"sottotipo:SEDI", "criterio:CR1", "profilo:SENZA_SEDI"}
        << "Il budget gestisce le sedi, il profilo/confronto selezionato no ! " << 48 << ""
        << "TXT_PROFILO" << -1;
}

void TestFormRifiuti::refusalShowsItsMessageAndKeepsTheFocus() {
    QFETCH(int, ditta);
    QFETCH(QStringList, passi);
    QFETCH(QString, messaggio);
    QFETCH(int, stile);
    QFETCH(QString, titolo);
    QFETCH(QString, focus);
    QFETCH(int, aziende);
    m_company->global.ApriDitta(ditta);
    m_company->messages.clear();
    int domande = 0;
    ServiziForm servizi;
    servizi.aziende = [&domande] {
        ++domande;
        return std::make_unique<AssociatedCompanies>();
    };
    test::FormSession session(m_company->global, servizi);
    session->Form_Activate();
    QVERIFY(session->isActivated());

    QVERIFY2(session.run(passi), qPrintable(session.failed));

    const auto shown = m_company->messages.plainMessages();
    if (messaggio.isEmpty()) {
        QVERIFY(shown.isEmpty());
    } else {
        QCOMPARE(shown.size(), 1);
        const QString testo =
            messaggio.startsWith('#') ? shipped(messaggio.mid(1).toInt()) : messaggio;
        QCOMPARE(shown.first().text, testo);
        QCOMPARE(shown.first().style, stile);
        QCOMPARE(shown.first().title, titolo.isEmpty() ? session->caption() : titolo);
    }
    if (!focus.isEmpty())
        QCOMPARE(session->focus(), focus);
    QVERIFY(!session->isStatoRisultato());
    if (aziende >= 0)
        QCOMPARE(domande, aziende);
}

QTEST_GUILESS_MAIN(TestFormRifiuti)
#include "test_form_rifiuti.moc"
