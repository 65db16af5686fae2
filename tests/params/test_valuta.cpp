#include "params/valuta.h"

#include "params_company.h"
#include "support/text_rows.h"

#include <QTest>

using namespace bdg;

namespace {
const QDate Oggi(2026, 6, 15);

struct Caso {
    const char* name;
    const char *valuta, *data;
    bool abilitati;
    const char* cambio;
    bool divisore;
};

} // namespace

class TestValuta : public QObject {
    Q_OBJECT
private slots:
    void rateAndQuotation_data() {
        // The currency and date typed; whether the rate and date fields are enabled, the rate
        // shown ("" when the field stays empty) and whether it divides.
        const Caso casi[] = {
            {"no currency", "", "01/01/2026", false, "", false},
            {"management currency", "EUR", "01/01/2026", false, "", false},
            {"management currency with blanks", " EUR ", "", false, "", false},
            {"empty date is today", "USD", "", true, "1.1", true},
            {"a day number is this month's", "USD", "10", true, "1.1", true},
            {"before any rate", "USD", "31/12/2025", true, "", false},
            {"no usable rate kind", "JPY", "", true, "", false},
            {"multiplying currency", "GBP", "", true, "0.85", false},
            {"unknown currency", "XXX", "", true, "", false},
        };
        test::addCaseRows(casi, true);
    }
    void rateAndQuotation() {
        QFETCH(QString, engine);
        QFETCH(Caso, c);
        const QString data = QString::fromLatin1(c.data);
        const QString cambio = QString::fromLatin1(c.cambio);
        const bool abilitati = c.abilitati;
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        state.IsCambioDivisore = true; // what a previous currency left

        CampiCambio campi;
        campi.TXT_DATACAMBIO = data;
        campi.TXT_CAMBIO = QStringLiteral("9,99");
        QVERIFY(ValutaGetDati(state, Variant(c.valuta), campi, Oggi));

        QVERIFY(company.messages.messages().isEmpty());
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

    void dateThatIsNotOneIsAnError() {
        // A date that is not one is an error of the procedure, reported under its name. (Taking
        // a currency from its list is the form's test.)
        OPEN_TEST_DATABASE(test::ParamsCompany, company, QString::fromLatin1(test::SQLiteEngine));
        FormState state = company.state(1);
        CampiCambio campi;
        campi.TXT_DATACAMBIO = QStringLiteral("31/02/2026");
        QVERIFY(!ValutaGetDati(state, Variant("USD"), campi, Oggi));
        QCOMPARE(company.messages.messages().size(), 1);
    }

    void lookups_data() { test::addEngineRows(); }
    void lookups() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);

        QStringList codici;
        for (const VoceElenco& voce : ElencoValute(company.connection))
            codici << voce.codice;
        QCOMPARE(codici, (QStringList{"EUR", "GBP", "JPY", "USD"}));
        QCOMPARE(DescrizioneValuta(state, QStringLiteral("USD")).value_or(QString()),
                 QStringLiteral("Dollaro USA"));
        QVERIFY(!DescrizioneValuta(state, QStringLiteral("USD' OR '1'='1")).has_value());
    }
};

QTEST_GUILESS_MAIN(TestValuta)
#include "test_valuta.moc"
