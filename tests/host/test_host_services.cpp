#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace bdg;

namespace {

// Companies, currencies, rates and catalogue messages of tests/fixtures/servizi_host.sql.
QString shown(const Variant& value) {
    return value.isNull() ? QStringLiteral("Null") : value.toString();
}

struct Host : test::HostedCompany {
    explicit Host(const QString& engine)
        : HostedCompany(engine, test::fixtureRows("servizi_host")) {}
};

/// A rate looked up: its currency and date, the rate found ("" when none), its kind (-1 when
/// none), whether it divides and its date.
struct RateCase {
    const char* name;
    const char* currency;
    QDate date;
    const char* rate;
    int kind;
    bool dividing;
    QDate rateDate;
};

struct MessageCase {
    const char* name;
    int company;
    int number;
    QStringList params;
    const char* text;
};

} // namespace

class TestHostServices : public QObject {
    Q_OBJECT
private slots:
    void companyContextComesFromTheCompanyTable_data() { test::addEngineRows(); }
    void companyContextComesFromTheCompanyTable() {
        // The company's settings as the form reads them at start-up.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Host, host, engine);
        HostGlobal& global = host.global;
        QVERIFY(!global.isDittaAperta());
        global.ApriDitta(1);
        QVERIFY(global.isDittaAperta());
        const auto context = [&global] {
            return QStringList{QString::number(global.CodDitta()), global.RagioneSociale(),
                               global.CodLingua(), shown(global.CodValutaGestione()),
                               shown(global.GestioneSedi())}
                .join('|');
        };
        QCOMPARE(context(), "1|Rossi S.p.A.|ITA|EUR|2"); // Null reads as the shipped language
        global.ApriDitta(2);
        QCOMPARE(context(), "2|Smith Ltd|ENG|Null|0");
        QVERIFY_THROWS_EXCEPTION(HostError, global.ApriDitta(99));
        QCOMPARE(global.CodDitta(), 2); // a failed opening leaves the company as it was
    }

    void currencyDataMayBeNull_data() { test::addEngineRows(); }
    void currencyDataMayBeNull() {
        // Description, decimals and mask as stored; Nulls stay Null; an unknown code is no data.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Host, host, engine);
        const auto data = [&host](const char* code) {
            const std::optional<CurrencyData> found = host.global.DatiValuta(code);
            return found ? QStringList{shown(found->Descrizione), shown(found->NrDecimali),
                                       shown(found->Formato)}
                               .join('|')
                         : QStringLiteral("none");
        };
        QCOMPARE(data("EUR "), "Euro|2|#,##0.00");
        QCOMPARE(data("XXX"), "Null|Null|Null");
        QCOMPARE(data("GBP"), "none");
        QCOMPARE(data("E'R"), "none");
    }

    void currencyDecimalsStayWithinWhatAmountsKeep() {
        // The decimals of a currency size masks and amount fields: up to five, as amounts keep;
        // beyond they are refused.
        OPEN_TEST_DATABASE(Host, host, QString::fromLatin1(test::SQLiteEngine));
        for (const auto& [stored, accepted] :
             {std::pair{0, true}, {5, true}, {6, false}, {-1, false}, {2000000000, false}}) {
            host.connection.ExecuteNonQuery(
                QStringLiteral("UPDATE HS02_VALUTE SET HS02_NRDECIMALI = %1 WHERE HS02_CODICE = "
                               "'EUR'")
                    .arg(stored));
            try {
                const auto euro = host.global.DatiValuta(QStringLiteral("EUR"));
                QVERIFY2(accepted, qPrintable(QString::number(stored)));
                QCOMPARE(euro->NrDecimali.toInt32().value_or(-1), stored);
            } catch (const HostError& error) {
                QVERIFY2(!accepted, error.what());
            }
        }
    }

    void latestRateOnOrBeforeTheDate_data() {
        const RateCase cases[] = {
            {"before the first rate", "USD", QDate(2025, 12, 31), "", -1, false, QDate()},
            {"currency without rates", "GBP", QDate(2026, 6, 1), "", -1, false, QDate()},
            {"on the first rate's day", "USD", QDate(2026, 1, 1), "1.1", 1, false,
             QDate(2026, 1, 1)},
            // The CHF rate of 2026-02-01 is against another reference currency.
            {"between rates takes the earlier", "USD", QDate(2026, 2, 28), "1.1", 1, false,
             QDate(2026, 1, 1)},
            {"daily rate before the average of the same day", "USD", QDate(2026, 3, 1), "1.2", 1,
             false, QDate(2026, 3, 1)},
            {"day before a change", "USD", QDate(2026, 6, 14), "1.2", 1, false, QDate(2026, 3, 1)},
            {"dividing rate", "USD", QDate(2026, 6, 15), "1.3", 1, true, QDate(2026, 6, 15)},
            {"long after the last rate", "USD", QDate(2030, 1, 1), "1.3", 1, true,
             QDate(2026, 6, 15)},
        };
        test::addCaseRows(cases, true);
    }
    void latestRateOnOrBeforeTheDate() {
        // The latest rate against the company's currency (EUR) on or before the date, as a value
        // and as the recordset the currency selection reads (kind -1 and no rate when none).
        QFETCH(QString, engine);
        QFETCH(RateCase, c);
        const QString rate = QString::fromLatin1(c.rate);
        OPEN_TEST_DATABASE(Host, host, engine);
        host.global.ApriDitta(1);
        const RecordsetPtr rows = host.global.GetCambio(c.currency, c.date);
        QCOMPARE(rows->RecordCount(), 1);
        QCOMPARE(rows->value(u"TIPOCAMBIO").toInt32().value_or(-9), c.kind);
        const std::optional<ExchangeRate> found = host.global.Cambio(c.currency, c.date);
        QCOMPARE(found.has_value(), !rate.isEmpty());
        if (!found) {
            QVERIFY(rows->value(u"CAMBIO").isNull());
            return;
        }
        QCOMPARE(found->Cambio, Decimal::parse(rate));
        QCOMPARE(found->TipoCambio, c.kind);
        QCOMPARE(found->IsCertoIncerto, c.dividing);
        QCOMPARE(found->DataCambio, c.rateDate);
        QCOMPARE(*rows->value(u"CAMBIO").toDecimal(), Decimal::parse(rate));
        QCOMPARE(rows->value(u"INDCERTOINCERTO").toBool().value_or(!c.dividing), c.dividing);
    }

    void messageTextsFollowTheCompanyLanguage_data() {
        const MessageCase cases[] = {
            {"Italian with parameters", 1, 99901, {"3", "12"}, "Periodo 3 di 12"},
            {"company language", 2, 99901, {"3", "12"}, "Period 3 of 12"},
            {"falls back to Italian", 2, 99902, {}, "Solo in italiano"},
            {"missing parameter stays", 1, 99901, {"3"}, "Periodo 3 di %2"},
            {"parameter text is not scanned", 1, 99901, {"%2", "x"}, "Periodo %2 di x"},
            {"unknown number is named",
             1,
             99999,
             {},
             "Messaggio n. 99999 non presente nel catalogo"},
        };
        test::addCaseRows(cases, true);
    }
    void messageTextsFollowTheCompanyLanguage() {
        // Catalogue texts in the company's language, %n replaced by the parameters.
        QFETCH(QString, engine);
        QFETCH(MessageCase, c);
        OPEN_TEST_DATABASE(Host, host, engine);
        host.global.ApriDitta(c.company);
        QCOMPARE(host.global.GetMessageText(c.number, c.params), QString::fromUtf8(c.text));
    }

    void numberedMessageIsShownWithItsText_data() { test::addEngineRows(); }
    void numberedMessageIsShownWithItsText() {
        // A numbered message reaches the message service as text, with its style and title.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Host, host, engine);
        host.global.ApriDitta(1);
        host.global.ShowMessageNumber(99902, 64, QStringLiteral("Budget per criterio"));
        // A number written as text is the catalogue's message; other texts are shown as given.
        for (const char* text : {"99901", "12345", "99902 righe"})
            host.global.ShowMessage(QString::fromLatin1(text), 0, QStringLiteral("Attenzione"));
        QCOMPARE(test::shown(host.messages.messages()),
                 QStringLiteral("Solo in italiano|64|Budget per criterio\nPeriodo %1 di %2|0|"
                                "Attenzione\n12345|0|Attenzione\n99902 righe|0|Attenzione"));
    }

    void logAppendsErrorAndDatabaseErrorLines() {
        // Each call appends; nothing written before is lost.
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("sub/folder/host.log"));
        RecordingMessageService messages;
        HostGlobal global(&messages, nullptr, QString());
        HostLog log(&global, path);
        log.LogError(QStringLiteral("primo\nerrore"), QStringLiteral("ProcA"));
        log.LogDbErrors({{208, QStringLiteral("42S02"), QStringLiteral("tabella assente")},
                         {0, QString(), QStringLiteral("seconda")}});
        log.LogError(QStringLiteral("secondo"), QStringLiteral("ProcB"));
        QVERIFY(!log.lastWriteFailed());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList tails = {"\tERROR\tProcA\tprimo errore",
                                   "\tDBERROR\t208\t42S02\ttabella assente",
                                   "\tDBERROR\t0\t\tseconda", "\tERROR\tProcB\tsecondo"};
        QCOMPARE(lines.size(), tails.size());
        for (qsizetype line = 0; line < tails.size(); ++line)
            QVERIFY2(lines[line].endsWith(tails[line]), qPrintable(lines[line]));

        messages.queueAnswer(4);
        QCOMPARE(log.ShowError(QStringLiteral("App"), QStringLiteral("Form"),
                               QStringLiteral("ProcB"), 4370),
                 4);
        QCOMPARE(messages.errors()[0].text, QStringLiteral("secondo"));
    }

    void logWithoutGlobalAnswersAbort() {
        // A log nobody can show dialogs for, writing to a place that cannot exist.
        QTemporaryDir folder;
        QFile blocker(folder.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        HostLog log(nullptr, folder.filePath(QStringLiteral("file/host.log")));
        log.LogError(QStringLiteral("x"), QStringLiteral("P"));
        QVERIFY(log.lastWriteFailed());
        QCOMPARE(log.ShowError(QString(), QString(), QStringLiteral("P"), 4370), 3);
    }
};

QTEST_GUILESS_MAIN(TestHostServices)
#include "test_host_services.moc"
