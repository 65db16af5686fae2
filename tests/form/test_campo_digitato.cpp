#include "form_session.h"

#include "support/fixture_runner.h"

#include <QTest>

using namespace bdg;

class TestCampoDigitato : public QObject {
    Q_OBJECT

private slots:
    void typedCurrencyIsTakenAsAPickedOne_data();
    void typedCurrencyIsTakenAsAPickedOne();
};

void TestCampoDigitato::typedCurrencyIsTakenAsAPickedOne_data() {
    QTest::addColumn<QString>("codice");
    QTest::addColumn<bool>("preso");
    QTest::addColumn<bool>("cambio"); // date and rate offered
    QTest::addColumn<QString>("data");
    QTest::newRow("foreign currency") << "USD" << true << true << "15/06/2026";
    QTest::newRow("management currency") << "EUR" << true << false << "";
    QTest::newRow("unknown code") << "XYZ" << false << false << "";
}

void TestCampoDigitato::typedCurrencyIsTakenAsAPickedOne() {
    // A currency typed and confirmed brings its date and rate as one taken from the list;
    // a code the decode does not find is not taken and changes nothing.
    QFETCH(QString, codice);
    QFETCH(bool, preso);
    QFETCH(bool, cambio);
    QFETCH(QString, data);
    test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
    QVERIFY2(company.buildFixture(QStringLiteral("valuta")), qPrintable(company.errorText()));
    company.connection().ExecuteNonQuery(
        "INSERT INTO HS03_CAMBI (HS03_CODICE_HS02, HS03_VALRIF_HS02, HS03_DATA, HS03_TIPOCAMBIO, "
        "HS03_CAMBIO, HS03_INDCERTOINCERTO) VALUES ('USD', 'EUR', '2026-06-01', 1, 1.4, 1)");
    test::FormSession session(company.global());
    FRMBU_BDGINTRIC& form = *session;
    form.Form_Activate();

    form.TXT_VALUTA.type(Variant(codice));
    QCOMPARE(form.TXT_VALUTA.takeTyped(), preso);

    QCOMPARE(form.TXT_CAMBIO.enabled(), cambio);
    QCOMPARE(form.TXT_DATACAMBIO.enabled(), cambio);
    QCOMPARE(form.TXT_DATACAMBIO.text().toString(), data);
    QCOMPARE(form.TXT_CAMBIO.text().toString().isEmpty(), !cambio);
}

QTEST_GUILESS_MAIN(TestCampoDigitato)
#include "test_campo_digitato.moc"
