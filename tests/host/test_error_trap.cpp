#include "data/connection.h"
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

using namespace bdg;

namespace {

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

class TestErrorTrap : public QObject {
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(TestErrorTrap)
#include "test_error_trap.moc"
