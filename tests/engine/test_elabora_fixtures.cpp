// The whole elaboration, from the company database to the two result tables, on small
// fixture companies whose every amount is worked out by hand in their SQL files
// (tests/fixtures). Each fixture runs on every available engine against the same expected
// tables; see support/fixture_runner.h for the file formats.

#include "support/fixture_runner.h"

#include <QTest>

using namespace bdg;

class TestElaboraFixtures : public QObject {
    Q_OBJECT

private slots:
    void fixture_data();
    void fixture();
};

void TestElaboraFixtures::fixture_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("name");
    const QStringList fixtures = {
        QStringLiteral("chiavi"),    QStringLiteral("totali"), QStringLiteral("valuta"),
        QStringLiteral("struttura"), QStringLiteral("nature"), QStringLiteral("nature_sede"),
        QStringLiteral("doppia"),
    };
    for (const QString& name : fixtures) {
        for (const QString& engine : test::engines())
            QTest::newRow(qPrintable(name + QLatin1Char('/') + engine)) << engine << name;
    }
}

void TestElaboraFixtures::fixture() {
    QFETCH(QString, engine);
    QFETCH(QString, name);
    const auto sql = test::readTextFile(test::fixturePath(name, QStringLiteral(".sql")));
    const auto criterio =
        test::readTextFile(test::fixturePath(name, QStringLiteral(".criterio.tsv")));
    const auto periodi =
        test::readTextFile(test::fixturePath(name, QStringLiteral(".periodi.tsv")));
    QVERIFY2(sql && criterio && periodi, "a fixture file is missing");
    const test::FixtureParams params = test::parseParams(*sql);

    test::FixtureCompany company(engine);
    QVERIFY2(company.build(*sql), qPrintable(company.errorText()));
    FormState state;
    QVERIFY2(company.prepare(state, params), qPrintable(company.errorText()));
    company.messages().clear();

    const EsitoElaborazione esito = BdgIntRic_Elabora(state);
    QVERIFY2(company.messages().errors().isEmpty(),
             qPrintable(company.messages().errors().value(0).text));
    QCOMPARE(int(esito), int(EsitoElaborazione::Completata));

    QStringList shown;
    for (const RecordedMessage& message : company.messages().plainMessages()) {
        shown << message.text;
        QCOMPARE(message.title, state.Caption);
    }
    QCOMPARE(shown, params.messaggi);

    const QString criterioDiff = test::compareCells(
        test::readTsv(*criterio), test::tableCells(*state.RstCriterio, "KEY_VOCE"), 1);
    QVERIFY2(criterioDiff.isEmpty(), qPrintable(QStringLiteral("RstCriterio\n") + criterioDiff));
    const QString periodiDiff =
        test::compareCells(test::readTsv(*periodi),
                           test::tableCells(*state.RstCriterioPeriodi, "KEY_VOCE, PERIODO"), 5);
    QVERIFY2(periodiDiff.isEmpty(),
             qPrintable(QStringLiteral("RstCriterioPeriodi\n") + periodiDiff));
}

QTEST_GUILESS_MAIN(TestElaboraFixtures)
#include "test_elabora_fixtures.moc"
