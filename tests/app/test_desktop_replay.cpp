#include "desktop_session.h"

#include "app/gui/replay.h"
#include "company/demo_company.h"
#include "data/tsv_rows.h"
#include "export/lettore_xlsx.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSplitter>
#include <QStandardPaths>

#include <cmath>

using namespace bdg;

class TestDesktopReplay : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::cartellePrivate(m_cartella); }
    void linesSplitIntoWords_data() {
        QTest::addColumn<QString>("riga");
        QTest::addColumn<QStringList>("parole");
        QTest::newRow("words") << "set budget 2026 1 1 delta"
                               << QStringList{"set", "budget", "2026", "1", "1", "delta"};
        QTest::newRow("quoted blanks") << R"(profile "Budget e consuntivo 2025" # a name)"
                                       << QStringList{"profile", "Budget e consuntivo 2025"};
        QTest::newRow("an empty quoted word")
            << R"(check TXT_CRITERIO_DES "")" << QStringList{"check", "TXT_CRITERIO_DES", ""};
        QTest::newRow("a comment line") << "   # nothing to do" << QStringList{};
    }
    void linesSplitIntoWords() {
        // Blanks separate words except between quotes; "#" outside quotes ends the line.
        QFETCH(QString, riga);
        QFETCH(QStringList, parole);
        QCOMPARE(gui::Replay::parole(riga), parole);
    }
    void scriptStopsAtTheFirstActionThatFails_data() {
        test::addTsvRows("replay_errori", {"script", "errore"});
    }
    void scriptStopsAtTheFirstActionThatFails() {
        // A script runs line by line on the real windows; the first line that cannot be done
        // stops it and is named with its number.
        QFETCH(QString, script);
        QFETCH(QString, errore);
        test::DesktopSession sessione(QStringLiteral("chiavi"));
        QVERIFY(sessione.valido);
        gui::Replay replay(*sessione.finestra, sessione.messaggi);

        const bool riuscito = replay.esegui(script, QStringLiteral("s.txt"));

        QCOMPARE(riuscito, errore.isEmpty());
        if (!errore.isEmpty())
            QVERIFY2(replay.errore().startsWith(errore), qPrintable(replay.errore()));
    }
    void placeAndSplitAreRememberedBetweenSessions() {
        // The inquiry's window opens where it was when it closed, and the periods come back
        // with the share of the result area the user gave them.
        const QString risultato =
            QStringLiteral("subtype SB1\ncriterion CR01\nset budget 2026 1\nrun\nperiods on\n");
        const QRect posto(30, 40, 900, 620);
        {
            test::DesktopSession prima(QStringLiteral("chiavi"));
            QVERIFY(prima.valido);
            gui::Replay replay(*prima.finestra, prima.messaggi);
            QVERIFY2(replay.esegui(QStringLiteral("open\n"), QStringLiteral("a.txt")),
                     qPrintable(replay.errore()));
            prima.finestra->cornici().first()->setGeometry(posto);
            QVERIFY2(replay.esegui(risultato + QStringLiteral("split 40\nclose\n"),
                                   QStringLiteral("b.txt")),
                     qPrintable(replay.errore()));
        }
        test::DesktopSession seconda(QStringLiteral("chiavi"));
        QVERIFY(seconda.valido);
        gui::Replay replay(*seconda.finestra, seconda.messaggi);
        QVERIFY2(replay.esegui(QStringLiteral("open\n") + risultato, QStringLiteral("c.txt")),
                 qPrintable(replay.errore()));
        QCOMPARE(seconda.finestra->cornici().first()->geometry(), posto);
        const QList<int> split = seconda.w<QSplitter>("ZEL_SPLIT")->sizes();
        const double quota = 100.0 * split.value(0) / (split.value(0) + split.value(1));
        QVERIFY2(std::abs(quota - 40.0) < 2.0, qPrintable(QString::number(quota)));
    }
    void officeExportWritesTheWorkbookOfTheResult() {
        // The host's office export of the inquiry in front, under the grid's visible captions
        // (its rows and cells are the export suite's test).
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup-debian.sh installs it)");
        test::DesktopSession sessione(QStringLiteral("totali"));
        QVERIFY(sessione.valido);
        QTemporaryDir cartella;
        const QString file = cartella.filePath(QStringLiteral("risultato.xlsx"));
        gui::Replay replay(*sessione.finestra, sessione.messaggi);
        QVERIFY2(replay.esegui(QStringLiteral("open\nsubtype SB1\ncriterion CR02\n"
                                              "set budget 2026 1\nset forecast1 2026 1 delta perc\n"
                                              "set actuals 2026 1 delta\nhide-null off\n"
                                              "run\nexport \"%1\"\n")
                                   .arg(file),
                               QStringLiteral("e.txt")),
                 qPrintable(replay.errore()));
        const test::LettoreXlsx foglio(file);
        int intestazione = 1;
        while (intestazione < 20 &&
               foglio.riga(intestazione).value(0) != QLatin1String("Voce/Conto"))
            ++intestazione;
        QCOMPARE(foglio.riga(intestazione).mid(2),
                 (QStringList{"Bdg 2026", "Fo1 2026", "D Fo12026", "% Fo12026", "Con 2026",
                              "D Con2026"}));

        // The company database is never the workbook: refused, and left as it was.
        const QString database = sessione.company.connectionString();
        QString motivo;
        QCOMPARE(sessione.finestra->esportaInOffice(database, motivo),
                 gui::FinestraPrincipale::EsitoEsportazione::ErroreFile);
        QFile intatto(database);
        QVERIFY(intatto.open(QIODevice::ReadOnly));
        QCOMPARE(intatto.read(16), QByteArray("SQLite format 3\0", 16));
    }
    void screenshotsOfTheMainStates() {
        // The selection, the result with its periods and the chart, on the demo company, for
        // people to look at (written under the build folder, never compared pixel by pixel).
        test::DesktopSession sessione(QString(), [](Connection& connection) {
            DemoCompany::create(connection, DemoOptions{});
        });
        QVERIFY(sessione.valido);
        const QDir cartella(QStringLiteral(BDGINTRIC_SCREENSHOTS));
        QVERIFY(cartella.mkpath(QStringLiteral(".")));
        const QString selezione = cartella.filePath(QStringLiteral("selezione.png"));
        const QString risultato = cartella.filePath(QStringLiteral("risultato_periodi.png"));
        const QString grafico = cartella.filePath(QStringLiteral("grafico.png"));
        gui::Replay replay(*sessione.finestra, sessione.messaggi);
        const QString script =
            QStringLiteral(
                "open\nresize 1280 900\nmaximize\nsubtype MENS\ncriterion CE01\n"
                "set budget 2026 1 1\nset forecast1 2026 1 1 delta perc\n"
                "set actuals 2026 1 1 delta perc\nscreenshot \"%1\"\nrun\nparameters off\n"
                "select A10\nperiods on\nsplit 55\nscreenshot \"%2\"\naccounts off\n"
                "select A111\nsplit 30\nscreenshot \"%3\"\nclose\n")
                .arg(selezione, risultato, grafico);

        QVERIFY2(replay.esegui(script, QStringLiteral("schermate.txt")),
                 qPrintable(replay.errore()));

        for (const QString& file : {selezione, risultato, grafico}) {
            const QImage schermata(file);
            QVERIFY2(schermata.width() >= 1000 && schermata.height() >= 700, qPrintable(file));
            // Not one colour: something was drawn.
            QVERIFY(schermata.pixel(10, 10) != schermata.pixel(schermata.width() / 2, 300) ||
                    schermata.pixel(10, 10) != schermata.pixel(640, 600));
        }
    }
    void hostReplaysWithoutADisplayAndNamesTheFailingLine() {
        // The desktop program itself, started with --replay and no display: the offscreen
        // platform, the fixture company from --db, a non-zero status naming the line.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(company.buildFixture(QStringLiteral("chiavi")), qPrintable(company.errorText()));
        QTemporaryDir cartella;
        QFile script(cartella.filePath(QStringLiteral("sessione.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("open\nsubtype SB1\ncriterion CR01\nset budget 2026 1\nrun\nselect NESSUNO\n");
        script.close();
        QProcess programma;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        for (const char* variabile : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ambiente.remove(QLatin1String(variabile));
        ambiente.insert(QStringLiteral("XDG_CONFIG_HOME"), cartella.path());
        ambiente.insert(QStringLiteral("XDG_DATA_HOME"), cartella.path());
        ambiente.insert(QStringLiteral("BDGINTRIC_MODULE_PATH"),
                        QStringLiteral(BDGINTRIC_MODULE_DIR));
        programma.setProcessEnvironment(ambiente);
        programma.start(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../src/app/bdgintric-gui"),
                        {QStringLiteral("--db"), company.connectionString(),
                         QStringLiteral("--replay"), script.fileName()});
        QVERIFY(programma.waitForFinished(120000));
        QCOMPARE(programma.exitCode(), 1);
        const QString errori = QString::fromUtf8(programma.readAllStandardError());
        QVERIFY2(errori.contains(script.fileName() +
                                 QStringLiteral(":6: 'select NESSUNO': the tree shows no node")),
                 qPrintable(errori));
    }

private:
    QTemporaryDir m_cartella;
};

QTEST_MAIN(TestDesktopReplay)
#include "test_desktop_replay.moc"
