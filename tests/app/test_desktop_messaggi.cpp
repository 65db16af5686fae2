#include "app/gui/messaggi_desktop.h"

#include <QSignalSpy>
#include <QTest>

using namespace bdg;

class TestDesktopMessaggi : public QObject {
    Q_OBJECT

private slots:
    void styleCodeChoosesIconButtonsAndDefault_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icona");
        QTest::newRow("plain message") << 0 << int(QMessageBox::NoIcon);
        QTest::newRow("a refused criterion") << 16 << int(QMessageBox::Critical);
        QTest::newRow("save the new profile?") << 36 << int(QMessageBox::Question);
        QTest::newRow("a profile without sites") << 48 << int(QMessageBox::Warning);
        QTest::newRow("a numbered message") << 64 << int(QMessageBox::Information);
        QTest::newRow("the error dialog") << 4370 << int(QMessageBox::Critical);
    }
    void styleCodeChoosesIconButtonsAndDefault() {
        // The host's style code decides the icon; its buttons are the host contract's.
        QFETCH(int, style);
        QFETCH(int, icona);
        QCOMPARE(int(gui::aspettoMessaggio(style).icona), icona);
    }
    void unattendedMessagesTakeTheQueuedAnswersFirst() {
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
};

QTEST_MAIN(TestDesktopMessaggi)
#include "test_desktop_messaggi.moc"
