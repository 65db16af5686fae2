#include "data/connection.h"
#include "form/variant_metatype.h"
#include "host/basic_module.h"
#include "host/basic_navigator.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <tuple>

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

// A module that answers the navigator's change of company and counts what it received.
class ModuloProva : public NavigatorEvents {
public:
    explicit ModuloProva(bool rifiuta, Navigator* daLasciare = nullptr)
        : m_rifiuta(rifiuta), m_daLasciare(daLasciare) {}

    void BeforeChangeDitta(bool& Cancel) override {
        ++ricevuti;
        if (m_rifiuta)
            Cancel = true;
        if (m_daLasciare != nullptr)
            m_daLasciare->disconnectEvents(this);
    }
    void BeforeExportToOffice(bool&, OfficeExport*) override {}
    void BeforeOpenViewTable(bool&, Variant&, Variant&, Variant&) override {}
    void InitializeLayoutObjectModel(bool&, LayoutObjectModel*) override {}
    void InitializeScriptObjectModel(bool&, ScriptObjectModel*) override {}

    int ricevuti = 0;

private:
    bool m_rifiuta;
    Navigator* m_daLasciare;
};

/// A procedure of three statements whose second fails `failures` times before it works;
/// the trace lists the statements that completed.
struct ThreeSteps {
    int failures = 0;
    QStringList trace;

    bool run(ErrorTrap& trap) {
        if (!trap([&] { trace << "1"; }))
            return false;
        if (!trap([&] {
                if (failures > 0) {
                    --failures;
                    throw std::runtime_error("divisione per zero");
                }
                trace << "2";
            }))
            return false;
        if (!trap([&] { trace << "3"; }))
            return false;
        return true;
    }
};

/// The form's services: recording messages, global services and a log file at `path`.
struct Services {
    explicit Services(const QString& path, Connection* connection = nullptr)
        : global(&messages, connection, QString()), log(&global, path) {}
    RecordingMessageService messages;
    HostGlobal global;
    HostLog log;
};

QString readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

struct AnswerCase {
    const char* name;
    QList<int> answers;
    int failures;
    const char* trace;
    bool left;
    int dialogs;
    bool result;
};

} // namespace

class TestHostServices : public QObject {
    Q_OBJECT
private slots:
    void companyAndCurrencyComeFromTheirTables_data() { test::addEngineRows(); }
    void companyAndCurrencyComeFromTheirTables() {
        // The company's settings as the form reads them at start-up.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Host, host, engine);
        HostGlobal& global = host.global;
        global.ApriDitta(1);
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
        // A currency's description, decimals and mask as stored; Nulls stay Null; an unknown
        // code is no data.
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

    void messageStylesOfferTheirButtons() {
        // The host's style code decides the buttons, in order, and the one Enter presses.
        const std::tuple<int, QList<int>, int> styles[] = {
            {64, {1}, 1},            // information
            {1, {1, 2}, 1},          // ok, cancel
            {4370, {3, 4, 5}, 4},    // the error dialog, retry preselected
            {3 + 256, {6, 7, 2}, 7}, // yes, no, cancel, no preselected
            {36, {6, 7}, 6},         // the profile question
            {5, {4, 2}, 4},          // retry, cancel
            {2, {3, 4, 5}, 3},       // abort, retry, ignore
            {3 + 512, {6, 7, 2}, 2}, // yes, no, cancel, third preselected
        };
        for (const auto& [style, answers, preselected] : styles) {
            QCOMPARE(answersOf(style), answers);
            QCOMPARE(defaultAnswer(style), preselected);
        }
    }

    void moduleStoresWhatFitsAndKeepsItsValueOtherwise() {
        // A position the module cannot hold as a 32-bit number, or a window state beyond 16
        // bits, leaves the value it had: the failing statement is skipped.
        const std::tuple<Variant, int, int, int> cases[] = {
            {Variant(1440), 1440, 2, 2},                      // numbers
            {Variant(QStringLiteral("1234,6")), 1235, 1, 1},  // a numeric text, rounded
            {Variant(QStringLiteral("alto")), 300, 70000, 0}, // not a number, beyond 16 bits
            {Variant(std::int64_t(1) << 40), 300, -32769, 0}, // beyond 32 bits
        };
        for (const auto& [top, expectedTop, windowState, expectedState] : cases) {
            BasicModule module;
            module.setTop(Variant(300));
            module.setTop(top);
            module.setWindowState(windowState);
            QCOMPARE(module.Top(), expectedTop);
            QCOMPARE(int(module.WindowState()), expectedState);
        }
    }

    void oneModuleRefusingTheChangeOfCompanyRefusesIt() {
        // Every connected module hears the event, also after one refused and when one leaves
        // the navigator while it answers; a module that left hears nothing more.
        BasicNavigator navigator;
        ModuloProva consente(false);
        ModuloProva rifiuta(true, &navigator);
        ModuloProva ultimo(false);
        for (NavigatorEvents* module :
             {static_cast<NavigatorEvents*>(&consente), static_cast<NavigatorEvents*>(&rifiuta),
              static_cast<NavigatorEvents*>(&ultimo)})
            navigator.connectEvents(module);
        navigator.connectEvents(&consente);
        QVERIFY(navigator.raiseBeforeChangeDitta());
        QCOMPARE(consente.ricevuti + rifiuta.ricevuti + ultimo.ricevuti, 3);
        QVERIFY(!navigator.raiseBeforeChangeDitta());
        QCOMPARE(rifiuta.ricevuti, 1);
        QCOMPARE(ultimo.ricevuti, 2);
    }

    void answerDecidesHowTheProcedureGoesOn_data() {
        // The answers scripted, how often step 2 fails, the steps run, whether the procedure
        // was left, the dialogs shown and what the procedure returns.
        const AnswerCase cases[] = {
            {"no error", {}, 0, "1,2,3", false, 0, true},
            {"abort leaves", {3}, 1, "1", true, 1, false},
            {"retry runs the step again", {4}, 1, "1,2,3", false, 1, true},
            {"retry then abort", {4, 3}, 5, "1", true, 2, false},
            {"ignore goes on", {5}, 5, "1,3", false, 1, true},
            {"unknown answer leaves", {7}, 1, "1", true, 1, false},
            {"no scripted answer aborts", {}, 1, "1", true, 1, false},
        };
        test::addCaseRows(cases);
    }
    void answerDecidesHowTheProcedureGoesOn() {
        // The second of three statements fails; the user's answers decide what runs next.
        QFETCH(AnswerCase, c);

        Services services(m_folder.filePath(QStringLiteral("answers.log")));
        for (const int answer : c.answers)
            services.messages.queueAnswer(answer);
        ErrorTrap trap(&services.log, nullptr, &services.global,
                       QStringLiteral("BdgIntRic_Elabora"));
        ThreeSteps steps;
        steps.failures = c.failures;
        QCOMPARE(steps.run(trap), c.result);
        QCOMPARE(steps.trace.join(QLatin1Char(',')), QString::fromLatin1(c.trace));
        QCOMPARE(trap.left(), c.left);
        QCOMPARE(services.messages.errors().size(), c.dialogs);
        QVERIFY(services.messages.plainMessages().isEmpty());
        // Once left, the trap runs nothing more.
        bool ranAfterwards = false;
        trap([&] { ranAfterwards = true; });
        QCOMPARE(ranAfterwards, !c.left);
    }

    void errorDialogCarriesProcedureCaptionAndButtons() {
        // The dialog names the procedure, shows the error text and the form's caption, and uses
        // the abort/retry/ignore code 4370; the log file gets the error. The form state's log
        // and global services are the ones asked, even for a non-standard exception.
        const QString path = m_folder.filePath(QStringLiteral("dialog.log"));
        Services services(path);
        services.global.setApplicationTitle(QStringLiteral("Gestionale"));
        FormState state;
        state.Gcls_Global = &services.global;
        state.Gcls_Log = &services.log;
        state.Caption = QStringLiteral("Budget per criterio");
        ErrorTrap trap(state, QStringLiteral("TXT_SOTTOTIPO_Validate"));
        QVERIFY(!trap([] { throw std::runtime_error("sottotipo illeggibile"); }));
        services.messages.queueAnswer(5);
        QVERIFY(ErrorTrap(state, QStringLiteral("IsParametriValidi"))([] { throw 42; }));
        const QList<RecordedMessage> errors = services.messages.errors();
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors[0].procedureName + '|' + errors[0].applicationTitle,
                 QStringLiteral("TXT_SOTTOTIPO_Validate|Gestionale"));
        QCOMPARE(test::shown(errors),
                 QStringLiteral("sottotipo illeggibile|4370|Budget per criterio\n"
                                "errore sconosciuto|4370|Budget per criterio"));
        const QString logged = readAll(path);
        QVERIFY2(logged.contains(QStringLiteral("TXT_SOTTOTIPO_Validate\tsottotipo illeggibile")),
                 qPrintable(logged));
    }

    void withoutLogTheUserIsToldAndTheProcedureIsLeft() {
        // Before start-up there is no log (or no service at all): the procedure is left whatever
        // would be answered.
        RecordingMessageService messages;
        messages.queueAnswer(5); // would be "ignore" if it were asked
        HostGlobal global(&messages, nullptr, QString());
        ErrorTrap trap(nullptr, nullptr, &global, QStringLiteral("Form_Activate"));
        ThreeSteps steps;
        steps.failures = 1;

        QVERIFY(!steps.run(trap));
        QCOMPARE(trap.lastAnswer(), 3);
        QCOMPARE(steps.trace, QStringList{"1"});
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(test::shown(messages.plainMessages()),
                 QStringLiteral("Classe Log non settata|0|Attenzione"));
        const ErrorReporter nobody;
        QCOMPARE(VisualizzaErrore(nobody, QStringLiteral("Class_Terminate"), QStringLiteral("x")),
                 3);
    }

    void databaseErrorsOfTheConnectionAreLogged_data() { test::addEngineRows(); }
    void databaseErrorsOfTheConnectionAreLogged() {
        // A statement the database refuses: its own errors go to the log with the run-time error.
        QFETCH(QString, engine);
        test::TestDatabase database(engine);
        QVERIFY2(database.isValid(), qPrintable(database.errorText()));
        Connection connection;
        connection.Open(database.connectionString());
        const QString path = m_folder.filePath(engine + QStringLiteral("-db.log"));
        Services services(path, &connection);
        ErrorTrap trap(&services.log, &connection, &services.global,
                       QStringLiteral("BdgIntRic_GetRstImportiPerConto"));
        QVERIFY(
            !trap([&] { connection.Execute(QStringLiteral("SELECT * FROM TABELLA_ASSENTE")); }));

        const QString logged = readAll(path);
        QVERIFY2(logged.contains(QStringLiteral("ERROR\tBdgIntRic_GetRstImportiPerConto")),
                 qPrintable(logged));
        QVERIFY2(
            logged.contains(QRegularExpression(QStringLiteral("DBERROR\t[^\n]*tabella_assente"),
                                               QRegularExpression::CaseInsensitiveOption)),
            qPrintable(logged));
    }

    void consoleAnswersAbortAndPrintsTheError() {
        // On the command line nobody answers: errors are abandoned and printed.
        std::FILE* stream = std::tmpfile();
        QVERIFY(stream != nullptr);
        ConsoleMessageService console(stream);
        QCOMPARE(console.ShowError(QStringLiteral("bdgintric"), QString(),
                                   QStringLiteral("BdgIntRic_Elabora"),
                                   QStringLiteral("disco pieno"), 4370),
                 3);
        QCOMPARE(console.ShowMessage(QStringLiteral("Nessun dato"), 64, QStringLiteral("Budget")),
                 1);
        std::rewind(stream);
        char buffer[512] = {};
        const std::size_t size = std::fread(buffer, 1, sizeof buffer - 1, stream);
        std::fclose(stream);
        const QString printed = QString::fromUtf8(buffer, qsizetype(size));
        QVERIFY2(printed.contains(QStringLiteral("BdgIntRic_Elabora")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("disco pieno")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("Budget: Nessun dato")), qPrintable(printed));
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestHostServices)
#include "test_host_services.moc"
