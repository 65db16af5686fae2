// The whole elaboration, from the company database to the two result tables, on small
// fixture companies whose every amount is worked out by hand in their SQL files
// (tests/fixtures). Each fixture runs on every available engine against the same expected
// tables; see support/fixture_runner.h for the file formats.

#include "support/fixture_runner.h"

#include <QTest>

#include <tuple>

using namespace bdg;

namespace {

// BU20 as a site may keep it, without keys: codes may be Null and repeat.
const QStringList SenzaChiavi = {
    "ALTER TABLE BU20_STRUTTURACRIT RENAME TO BU20_PRIMA",
    "CREATE TABLE BU20_STRUTTURACRIT (BU20_CODICE_BU51 VARCHAR(20), BU20_CODICE_BU19 "
    "VARCHAR(20), BU20_CODPADRE_BU19 VARCHAR(20), BU20_POSIZIONE INTEGER)",
    "INSERT INTO BU20_STRUTTURACRIT SELECT BU20_CODICE_BU51, BU20_CODICE_BU19, "
    "BU20_CODPADRE_BU19, BU20_POSIZIONE FROM BU20_PRIMA",
};

// A chain of items under T3, the top item: D2 on level 2 down to D`deepest`.
QStringList catena(int deepest) {
    QStringList changes;
    for (int level = 2; level <= deepest; ++level) {
        const QString code = QStringLiteral("D%1").arg(level);
        const QString parent =
            level == 2 ? QStringLiteral("T3") : QStringLiteral("D%1").arg(level - 1);
        changes << QStringLiteral("INSERT INTO BU19_VOCICRITELAB (BU19_CODICE, BU19_DESCR, "
                                  "BU19_INDTIPOVOCE) VALUES ('%1', 'Voce %1', 0)")
                       .arg(code)
                << QStringLiteral("INSERT INTO BU20_STRUTTURACRIT (BU20_CODICE_BU51, "
                                  "BU20_CODICE_BU19, BU20_CODPADRE_BU19, BU20_POSIZIONE) VALUES "
                                  "('CR01', '%1', '%2', 1)")
                       .arg(code, parent);
    }
    return changes;
}

QString aggiorna(const QString& voce, const QString& padre) {
    return QStringLiteral("UPDATE BU20_STRUTTURACRIT SET BU20_CODPADRE_BU19 = %1 WHERE "
                          "BU20_CODICE_BU19 = '%2'")
        .arg(padre, voce);
}

QString inserisci(const QString& voce, const QString& padre, int posizione) {
    return QStringLiteral("INSERT INTO BU20_STRUTTURACRIT (BU20_CODICE_BU51, BU20_CODICE_BU19, "
                          "BU20_CODPADRE_BU19, BU20_POSIZIONE) VALUES ('CR01', %1, '%2', %3)")
        .arg(voce, padre)
        .arg(posizione);
}

// The "chiavi" fixture company with `changes` run after it, and a state ready for its run;
// false with the reason in the company's error text.
bool chiavi(test::FixtureCompany& company, FormState& state, const QStringList& changes = {},
            const QString& anno = "2026") {
    const auto sql = test::readTextFile(test::fixturePath("chiavi", ".sql"));
    if (!sql || !company.build(*sql))
        return false;
    test::FixtureParams params = test::parseParams(*sql);
    params.insiemi.first().anno = anno;
    for (const QString& change : changes)
        company.connection().ExecuteNonQuery(change);
    return company.prepare(state, params);
}

} // namespace

class TestElaboraFixtures : public QObject {
    Q_OBJECT

private slots:
    void fixture_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("name");
        for (const QString& name : QStringLiteral("chiavi totali valuta struttura nature "
                                                  "nature_sede doppia posizioni profondo")
                                       .split(QLatin1Char(' '))) {
            for (const QString& engine : test::engines())
                QTest::newRow(qPrintable(name + QLatin1Char('/') + engine)) << engine << name;
        }
    }

    void fixture() {
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

        for (const auto& [tabella, testo, chiave, colonne] :
             {std::tuple{"RstCriterio", *criterio, "KEY_VOCE", 1},
              {"RstCriterioPeriodi", *periodi, "KEY_VOCE, PERIODO", 5}}) {
            const Recordset& rst = colonne == 1 ? *state.RstCriterio : *state.RstCriterioPeriodi;
            const QString diff =
                test::compareCells(test::readTsv(testo), test::tableCells(rst, chiave), colonne);
            QVERIFY2(diff.isEmpty(), qPrintable(tabella + QStringLiteral("\n") + diff));
        }
    }

    void structureThatIsNotATreeStopsTheRunNamingTheItems_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("named");

        // The tree of chiavi: T1 -> A1, A2 -> C1, C2; T2 -> B01 .. B10; T3.
        const QList<std::tuple<const char*, QStringList, QString>> cases = {
            {"own parent", {aggiorna("C1", "'C1'")}, "la voce C1 è padre di se stessa"},
            {"blank parent", {aggiorna("B05", "' '")}, "la voce B05 ha il codice del padre vuoto"},
            {"cycle, and an item below it",
             {aggiorna("A2", "'C2'")},
             "le voci A2 → C2 formano un ciclo; le voci C1 non discendono"},
            {"parent outside the criterion",
             {aggiorna("T3", "'ZZ'")},
             "la voce T3 ha come padre ZZ, che non è una voce del criterio"},
            {"item missing from the items",
             {inserisci("'X9'", "T3", 1)},
             "la voce X9 non esiste tra le voci dei criteri"},
            {"Null code", SenzaChiavi + QStringList{inserisci("NULL", "T3", 2)},
             "una voce senza codice (padre T3, posizione 2)"},
            {"under two parents", SenzaChiavi + QStringList{inserisci("'C1'", "T3", 1)},
             "la voce C1 compare 2 volte nel criterio (sotto A2, T3)"},
            {"18 levels: the first too deep named, no more", catena(18),
             "le voci D17 sono al livello 17, oltre i 16 livelli che l'elaborazione gestisce."},
        };
        for (const QString& engine : test::engines()) {
            for (const auto& [name, changes, named] : cases)
                QTest::newRow(qPrintable(QString::fromUtf8(name) + '/' + engine))
                    << engine << changes << named;
        }
    }

    void structureThatIsNotATreeStopsTheRunNamingTheItems() {
        // The run stops before the first level, with the items named: its table holds the root.
        QFETCH(QString, engine);
        QFETCH(QStringList, changes);
        QFETCH(QString, named);
        test::FixtureCompany company(engine);
        FormState state;
        QVERIFY2(chiavi(company, state, changes), qPrintable(company.errorText()));
        company.messages().clear();
        QCOMPARE(int(BdgIntRic_Elabora(state)), int(EsitoElaborazione::Interrotta));
        const QList<RecordedMessage> errors = company.messages().errors();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].procedureName, QStringLiteral("BdgIntRic_Elabora"));
        QVERIFY2(errors[0].text.startsWith("La struttura del criterio CR01 ") &&
                     errors[0].text.contains(named),
                 qPrintable(errors[0].text));
        state.RstCriterio->clearFilter();
        QCOMPARE(state.RstCriterio->RecordCount(), 1);
    }

    void selectionWithoutAmountsIsACriterionWithoutFigures_data() { test::addEngineRows(); }

    void selectionWithoutAmountsIsACriterionWithoutFigures() {
        // A year without budget rows: every mapped account's amount is Null. The user is told,
        // the table holds the root and the 17 items, and no period row is made.
        QFETCH(QString, engine);
        test::FixtureCompany company(engine);
        FormState state;
        QVERIFY2(chiavi(company, state, {}, "2030"), qPrintable(company.errorText()));
        company.messages().clear();
        QCOMPARE(int(BdgIntRic_Elabora(state)), int(EsitoElaborazione::CriterioNonValorizzato));
        QCOMPARE(company.messages().messages().size(), 1);
        QCOMPARE(company.messages().messages()[0].text, QStringLiteral("Criterio non valorizzato"));
        state.RstCriterio->clearFilter();
        QCOMPARE(state.RstCriterio->RecordCount(), 18);
        QCOMPARE(state.RstCriterioPeriodi->RecordCount(), 0);
    }

    void retriedAccountRowFindsItsKeyFreeAndIgnoreClosesTheGap() {
        // Account 100 of T3 has a description too long for the table (SQLite keeps it). Retry
        // meets the same error, not a key already taken; ignore leaves 100 out and gives 110
        // the first key of T3's accounts, 1501; T3 = 23.45.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        FormState state;
        QVERIFY2(chiavi(company, state,
                        {"UPDATE CG24_PIANOCONTI SET CG24_DESCR = '" + QString(300, 'x') +
                         "' WHERE CG24_CONTO = '100'"}),
                 qPrintable(company.errorText()));
        company.messages().clear();
        company.messages().queueAnswer(MessageAnswer::Retry);
        company.messages().queueAnswer(MessageAnswer::Ignore);
        QCOMPARE(int(BdgIntRic_Elabora(state)), int(EsitoElaborazione::Completata));
        const QList<RecordedMessage> errors = company.messages().errors();
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors[1].text, errors[0].text);
        QVERIFY2(errors[0].text.contains("VOCEDES"), qPrintable(errors[0].text));
        Recordset conti = state.RstCriterio->Clone();
        conti.setFilter("VOCEPADRE = 'T3'");
        QCOMPARE(conti.RecordCount(), 1);
        QCOMPARE(conti.value(u"VOCE").toString().trimmed(), QStringLiteral("110"));
        QCOMPARE(conti.value(u"KEY_VOCE").toInt64(), std::optional<std::int64_t>(1501));
        conti.setFilter("VOCE = 'T3'");
        QCOMPARE(conti.value(u"IMP1").toString(), QStringLiteral("23.45"));
    }

    void sixteenLevelsAreElaborated() {
        // The deepest criterion the run takes: D16, on level 16, is a node of the result.
        test::FixtureCompany company(QString::fromLatin1(test::SQLiteEngine));
        FormState state;
        QVERIFY2(chiavi(company, state, catena(16)), qPrintable(company.errorText()));
        QCOMPARE(int(BdgIntRic_Elabora(state)), int(EsitoElaborazione::Completata));
        Recordset rows = state.RstCriterio->Clone();
        rows.setFilter("VOCE = 'D16'");
        QCOMPARE(rows.value(u"CRI_LIVELLO").toInt32(), std::optional<std::int32_t>(16));
    }

    void itemWith600AccountsWidensTheAccountFactor_data() { test::addEngineRows(); }

    void itemWith600AccountsWidensTheAccountFactor() {
        // The chiavi company with the 600 accounts of chiavi_600.sql added to T3 (key 3), after
        // its 100 and 110: 602 accounts make the account factor 1000, the first multiple of 500
        // above them. T3's accounts get 3001 .. 3602, A1's 300 21001;
        // T3 = 123.45 + 600 x 601 / 2 = 180423.45.
        QFETCH(QString, engine);
        const auto added = test::readTextFile(test::fixturePath("chiavi_600", ".sql"));
        QVERIFY(added);
        test::FixtureCompany company(engine);
        FormState state;
        QVERIFY2(chiavi(company, state, test::scriptStatements(*added)),
                 qPrintable(company.errorText()));
        QCOMPARE(int(BdgIntRic_Elabora(state)), int(EsitoElaborazione::Completata));
        Recordset rows = state.RstCriterio->Clone();
        for (const auto& [voce, key] :
             {std::pair{"100", 3001}, {"C1001", 3003}, {"C1600", 3602}, {"300", 21001}}) {
            rows.setFilter(QStringLiteral("VOCE = '%1'").arg(QLatin1String(voce)));
            QCOMPARE(rows.value(u"KEY_VOCE").toInt64(), std::optional<std::int64_t>(key));
        }
        rows.setFilter("VOCE = 'T3'");
        QCOMPARE(rows.value(u"IMP1").toString(), QStringLiteral("180423.45"));
    }
};

QTEST_GUILESS_MAIN(TestElaboraFixtures)
#include "test_elabora_fixtures.moc"
