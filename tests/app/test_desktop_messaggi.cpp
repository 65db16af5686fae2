#include "app/gui/messaggi_desktop.h"

#include <QSignalSpy>
#include <QTest>

using namespace bdg;

class TestDesktopMessaggi : public QObject {
    Q_OBJECT

private slots:
    void styleCodeChoosesIconButtonsAndDefault_data();
    void styleCodeChoosesIconButtonsAndDefault();
    void unattendedMessagesTakeTheQueuedAnswersFirst();
};

void TestDesktopMessaggi::styleCodeChoosesIconButtonsAndDefault_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("icona");
    QTest::addColumn<QList<int>>("risposte");
    QTest::addColumn<int>("predefinita");
    QTest::newRow("plain message") << 0 << int(QMessageBox::NoIcon) << QList<int>{1} << 1;
    QTest::newRow("a refused criterion") << 16 << int(QMessageBox::Critical) << QList<int>{1} << 1;
    QTest::newRow("save the new profile?")
        << 36 << int(QMessageBox::Question) << QList<int>{6, 7} << 6;
    QTest::newRow("a profile without sites")
        << 48 << int(QMessageBox::Warning) << QList<int>{1} << 1;
    QTest::newRow("a numbered message")
        << 64 << int(QMessageBox::Information) << QList<int>{1} << 1;
    QTest::newRow("the error dialog")
        << 4370 << int(QMessageBox::Critical) << QList<int>{3, 4, 5} << 4;
}

void TestDesktopMessaggi::styleCodeChoosesIconButtonsAndDefault() {
    // The host's style code decides the icon, the buttons in order and the one Enter
    // presses.
    QFETCH(int, style);
    QFETCH(int, icona);
    QFETCH(QList<int>, risposte);
    QFETCH(int, predefinita);
    const gui::AspettoMessaggio aspetto = gui::aspettoMessaggio(style);
    QCOMPARE(int(aspetto.icona), icona);
    QCOMPARE(aspetto.risposte, risposte);
    QCOMPARE(aspetto.predefinita, predefinita);
}

void TestDesktopMessaggi::unattendedMessagesTakeTheQueuedAnswersFirst() {
    // Unattended, a message gets the next queued answer, then its preselected button's;
    // an error with nothing queued is abandoned. Each one is announced for the log.
    gui::MessaggiDesktop messaggi;
    messaggi.setAutomatico(true);
    QSignalSpy annunci(&messaggi, &gui::MessaggiDesktop::mostrato);
    messaggi.accodaRisposta(MessageAnswer::No);

    QCOMPARE(messaggi.ShowMessage(QStringLiteral("Salvare nuovo profilo ?"), 36,
                                  QStringLiteral("Budget")),
             MessageAnswer::No);
    QCOMPARE(messaggi.ShowMessage(QStringLiteral("Salvare nuovo profilo ?"), 36,
                                  QStringLiteral("Budget")),
             MessageAnswer::Yes);
    QCOMPARE(messaggi.ShowError(QStringLiteral("bdgintric"), QStringLiteral("Budget"),
                                QStringLiteral("BdgIntRic_Elabora"),
                                QStringLiteral("no such table"), 4370),
             MessageAnswer::Abort);

    QCOMPARE(annunci.size(), 3);
    QVERIFY(messaggi.ultimoTesto().contains(QStringLiteral("BdgIntRic_Elabora")));
    QVERIFY(messaggi.ultimoTesto().endsWith(QStringLiteral("no such table")));
}

QTEST_MAIN(TestDesktopMessaggi)
#include "test_desktop_messaggi.moc"
