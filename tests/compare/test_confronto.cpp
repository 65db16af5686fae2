#include "company/company_schema.h"
#include "compare/column_arrays.h"
#include "compare/profili.h"
#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace bdg;

namespace {

QString shipped(int number) {
    return MessageCatalogue::text(number).value_or(QString());
}

template <typename Value> QStringList texts(const std::vector<Value>& values) {
    QStringList out;
    for (const Value& value : values)
        out << Variant(value).toString();
    return out;
}

// Sites come grouped, in no promised order.
QStringList sorted(QStringList values) {
    values.sort();
    return values;
}

// Labels as a subtype with twelve forecasts offers them, written out by hand.
const QStringList TwelveCodes = {"0", "1", "3",  "4",  "5",  "6",  "7",
                                 "8", "9", "10", "11", "12", "13", "14"};
const QStringList TwelveLabels = {"Bdg", "Con", "Fo1", "Fo2", "Fo3", "Fo4", "Fo5",
                                  "Fo6", "Fo7", "Fo8", "Fo9", "F10", "F11", "F12"};

void setTwelveForecastLabels(FormState& state) {
    state.ArrTipoDettaglioBreve[0].clear();
    state.ArrTipoDettaglioBreve[1].clear();
    for (qsizetype entry = 0; entry < TwelveLabels.size(); ++entry) {
        state.ArrTipoDettaglioBreve[0].push_back(TwelveCodes[entry].toInt());
        state.ArrTipoDettaglioBreve[1].push_back(TwelveLabels[entry]);
    }
}

// Sets as "sequence|kind|year|progressive|site|delta|deltaPerc", empty cells left Null.
void addSets(FormState& state, const QStringList& sets) {
    test::addRows(*state.RstConfronto,
                  QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO CFR_PROGESER CFR_SEDE "
                                 "CFR_DELTA CFR_DELTA_PERC"),
                  sets);
}

// A company database with the financial years and sites of tests/fixtures/esercizi_sedi.sql,
// and a group of this year in which company 1 is the main company of 1 and 2.
struct Company : test::HostedCompany {
    explicit Company(const QString& engine)
        : HostedCompany(engine, test::fixtureRows("esercizi_sedi")
                                    << QStringLiteral("INSERT INTO HS05_AZIENDECOLL (HS05_GRUPPO, "
                                                      "HS05_ANNO, HS05_DITTA_HS01, "
                                                      "HS05_INDPRINCIPALE) VALUES ('G1', %1, 1, "
                                                      "0), ('G1', %1, 2, 1)")
                                           .arg(QDate::currentDate().year())) {}
};

struct CaptionCase {
    const char* name;
    QStringList sets, amount, delta, percent;
    bool accepted = true;
};

struct ListCase {
    const char* name;
    int company;
    bool multi;
    QStringList years, progressives, sites;
    bool filled = true;
};

// A list whose rows carry the given sequences, each tagged with a year (2000 + position
// in `sequences`) so that a row can be followed through the moves.
FormState listWith(const QList<int>& sequences) {
    FormState state;
    DefinisciRstConfronto(state);
    QStringList rows;
    for (const int sequence : sequences)
        rows << QStringLiteral("%1|%2").arg(sequence).arg(2000 + rows.size());
    test::addRows(*state.RstConfronto, QStringLiteral("CFR_SEQUENZA CFR_ANNO"), rows);
    return state;
}

void selectSequence(FormState& state, int sequence) {
    Recordset& rst = *state.RstConfronto;
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        if (rst.value(u"CFR_SEQUENZA").toInt32() == sequence)
            return;
    }
    QFAIL("no row with that sequence");
}

// "sequence:tag" of every row in ascending sequence, read through a separate cursor.
QStringList rowsBySequence(const FormState& state) {
    Recordset rows = state.RstConfronto->Clone();
    rows.setSort(QStringLiteral("CFR_SEQUENZA"));
    QStringList out;
    if (rows.RecordCount() == 0)
        return out;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        out << rows.value(u"CFR_SEQUENZA").toString() + QLatin1Char(':') +
                   QString::number(*rows.value(u"CFR_ANNO").toInt32() - 2000);
    }
    return out;
}

QStringList sequences(const FormState& state) {
    QStringList out;
    for (const QString& row : rowsBySequence(state))
        out << row.section(QLatin1Char(':'), 0, 0);
    return out;
}

struct CompleteCase {
    const char* name;
    const char* second;
    bool gestioneSede, consolido, valid;
};

struct MoveCase {
    const char* name;
    QList<int> start;
    int selected;
    bool up;
    QStringList after;
    const char* currentRow;
};

struct Profili : test::HostedCompany {
    using HostedCompany::HostedCompany;

    FormState state(bool sedi) {
        FormState result = HostedCompany::state(7);
        result.IsGestioneSede = sedi;
        DefinisciRstConfronto(result);
        return result;
    }

    int storedRows(const QString& nome) {
        RecordsetPtr rst = connection.Execute(
            QStringLiteral("SELECT BU68_NOME FROM BU68_BDGINTRIC WHERE BU68_NOME = '%1'")
                .arg(QString(nome).replace(QLatin1Char('\''), QStringLiteral("''"))));
        return rst->RecordCount();
    }
};

// The list as "seq kind year prog site company delta deltaPerc" lines, in sequence order.
QStringList rows(const FormState& state) {
    Recordset rst = state.RstConfronto->Clone();
    rst.setSort(QStringLiteral("CFR_SEQUENZA"));
    QStringList out;
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        QStringList fields;
        for (const char16_t* name : {u"CFR_SEQUENZA", u"CFR_TIPODETT", u"CFR_ANNO", u"CFR_PROGESER",
                                     u"CFR_SEDE", u"CFR_DITTA", u"CFR_DELTA", u"CFR_DELTA_PERC"}) {
            const Variant value = rst.value(QStringView(name));
            fields << (value.isNull() ? QStringLiteral("-") : value.toString());
        }
        out << fields.join(QLatin1Char(' '));
    }
    return out;
}

// Makes the database refuse any stored set of year 1999, so that a save fails half-way.
bool refuseYear1999(Profili& company) {
    QSqlDatabase db = QSqlDatabase::database(company.connection.qtConnectionName());
    QSqlQuery query(db);
    if (company.connection.engine() == Connection::Engine::SQLite) {
        return query.exec(QStringLiteral(
            "CREATE TRIGGER rifiuta_1999 BEFORE INSERT ON BU68_BDGINTRIC "
            "WHEN NEW.BU68_ANNO = 1999 BEGIN SELECT RAISE(ABORT, 'anno 1999 rifiutato'); END"));
    }
    return query.exec(QStringLiteral(
               "CREATE FUNCTION rifiuta_1999() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
               "IF NEW.bu68_anno = 1999 THEN RAISE EXCEPTION 'anno 1999 rifiutato'; END IF; "
               "RETURN NEW; END $$")) &&
           query.exec(QStringLiteral("CREATE TRIGGER rifiuta_1999 BEFORE INSERT ON "
                                     "bu68_bdgintric FOR EACH ROW EXECUTE FUNCTION "
                                     "rifiuta_1999()"));
}

enum Insieme { Nessuno, Adatto, ConSede };

struct RefusalCase {
    const char* name;
    Insieme insieme;
    QString nome, messaggio;
};

} // namespace

// The comparison list of the selection: its kinds, captions and value lists, its sets
// added, moved and checked, and the profiles that store it.
class TestConfronto : public QObject {
    Q_OBJECT
private slots:
    void kindsOfFiguresAreBudgetActualsAndForecasts_data() {
        QTest::addColumn<int>("forecasts");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("labels"); // after the two first kinds

        QTest::newRow("no forecast") << 0 << QStringList{"0", "1"} << QStringList{};
        QTest::newRow("two forecasts")
            << 2 << QStringList{"0", "1", "3", "4"} << QStringList{"Fo1", "Fo2"};
        QTest::newRow("twelve forecasts") << 12 << TwelveCodes << TwelveLabels.mid(2);
    }
    void kindsOfFiguresAreBudgetActualsAndForecasts() {
        // Scenario: code 2 is never offered; forecast f has code f + 2 and the catalogue's
        // forecast text followed by its number.
        QFETCH(int, forecasts);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, labels);
        OPEN_TEST_DATABASE(Company, company, QString::fromLatin1(test::SQLiteEngine));
        FormState state = company.state(1);
        state.NrForecast = forecasts;
        QVERIFY(PopolaArray(state));

        QCOMPARE(texts(state.ArrTipoDettaglio[0]), codes);
        QCOMPARE(texts(state.ArrTipoDettaglioBreve[0]), codes);
        QStringList expectedTexts = {shipped(Msg::Budget), shipped(Msg::Consuntivo)};
        for (int forecast = 1; forecast <= forecasts; ++forecast)
            expectedTexts << shipped(Msg::Forecast) + " " + QString::number(forecast);
        QCOMPARE(texts(state.ArrTipoDettaglio[1]), expectedTexts);
        const QStringList expectedLabels =
            QStringList{shipped(Msg::BudgetBreve), shipped(Msg::Consuntivo).left(3)} + labels;
        QCOMPARE(texts(state.ArrTipoDettaglioBreve[1]), expectedLabels);
    }

    void captionsNameKindAndYear_data() {
        // Sets as "sequence|kind|year"; amount, difference and percentage captions in
        // ascending sequence.
        const CaptionCase cases[] = {
            {"budget then actuals",
             {"1|0|2026", "2|1|2026"},
             {"Bdg 2026", "Con 2026"},
             {"D Bdg2026", "D Con2026"},
             {"% Bdg2026", "% Con2026"}},
            {"forecast 1 and 12, listed by sequence, with a gap",
             {"4|14|2025", "1|3|2024"},
             {"Fo1 2024", "F12 2025"},
             {"D Fo12024", "D F122025"},
             {"% Fo12024", "% F122025"}},
            {"Null type reads as budget, Null year as nothing",
             {"1||"},
             {"Bdg "},
             {"D Bdg"},
             {"% Bdg"}},
            // A profile stored forecast 13 (code 15); the subtype offers twelve: the captions
            // stay as they were.
            {"kind the subtype does not offer", {"1|15|2026"}, {"previous"}, {}, {}, false},
        };
        test::addCaseRows(cases);
    }
    void captionsNameKindAndYear() {
        // Scenario: one caption per set in ascending sequence, ranked 1..n.
        QFETCH(CaptionCase, c);
        FormState state;
        setTwelveForecastLabels(state);
        state.ArrCaptionColonne[1] = {QStringLiteral("previous")};
        DefinisciRstConfronto(state);
        addSets(state, c.sets);
        QCOMPARE(PopolaArrayCaptionColonne(state), c.accepted);
        QCOMPARE(texts(state.ArrCaptionColonne[1]), c.amount);
        if (!c.accepted)
            return;
        QStringList ranks;
        for (int rank = 1; rank <= c.sets.size(); ++rank)
            ranks << QString::number(rank);
        QCOMPARE(texts(state.ArrCaptionColonne[0]), ranks);
        QCOMPARE(texts(state.ArrCaptionColonne[2]), c.delta);
        QCOMPARE(texts(state.ArrCaptionColonne[3]), c.percent);
    }

    void valueListsComeFromYearsAndSites_data() {
        // Company 1 has four financial years (2025 twice) and sites 3 and 1; company 9 has
        // nothing and is offered this year, progressive 0 and site 0; company 1 leads this
        // year's group of 1 and 2, whose sites are 1, 3 and 7 (3 once although both have it).
        const QStringList years = {"2026", "2025", "2025", "2024"};
        const ListCase cases[] = {
            {"years and sites", 1, false, years, {"1", "2"}, {"1", "3"}},
            {"nothing: defaults",
             9,
             false,
             {QString::number(QDate::currentDate().year())},
             {"0"},
             {"0"}},
            {"sites of the group", 1, true, years, {"1", "2"}, {"1", "3", "7"}},
            // Company 2 is only a member: nothing to consolidate, and the lists stay.
            {"member company", 2, true, {}, {}, {"previous"}, false},
        };
        test::addCaseRows(cases, true);
    }
    void valueListsComeFromYearsAndSites() {
        QFETCH(QString, engine);
        QFETCH(ListCase, c);
        OPEN_TEST_DATABASE(Company, company, engine);
        FormState state = company.state(c.company);
        state.IsMultiAttivita = c.multi;
        state.ArrSedi[0] = {Variant("previous")};
        QCOMPARE(PopolaArrayPer_QGRID_CONFRONTO(state), c.filled);
        if (!c.filled) {
            QCOMPARE(texts(state.ArrSedi[0]), c.sites);
            return;
        }
        for (const int column : {0, 1}) {
            QCOMPARE(texts(state.ArrAnni[column]), c.years);
            QCOMPARE(texts(state.ArrProgEser[column]), c.progressives);
            QCOMPARE(sorted(texts(state.ArrSedi[column])), c.sites);
        }
    }

    void completenessNeedsTypeYearProgressiveAndSiteWhenKept_data() {
        // The second set's kind, year, progressive and site ('' an empty text), whether sites
        // are kept, whether consolidating, and whether the list is valid.
        const CompleteCase cases[] = {
            {"complete, no sites", "1|2026|1|", false, false, true},
            {"type missing", "|2026|1|3", false, false, false},
            {"type empty text", "''|2026|1|3", false, false, false},
            {"year missing", "0||1|3", false, false, false},
            {"progressive missing", "0|2026||3", true, false, false},
            {"site missing, sites kept", "0|2026|1|", true, false, false},
            {"site missing, sites kept but consolidating", "0|2026|1|", true, true, true},
            {"progressive 0 is a value", "0|2026|0|0", true, false, true},
        };
        test::addCaseRows(cases);
    }
    void completenessNeedsTypeYearProgressiveAndSiteWhenKept() {
        // Scenario: a complete first set and a second set with the given values; the whole
        // list is valid only when the second set is complete too.
        QFETCH(CompleteCase, c);
        FormState state;
        state.IsGestioneSede = c.gestioneSede;
        state.IsConsolidoMultiAtt = c.consolido;
        DefinisciRstConfronto(state);
        test::addRows(*state.RstConfronto,
                      QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO CFR_PROGESER CFR_SEDE"),
                      {"1|0|2025|1|2", QStringLiteral("2|") + c.second});
        // A filter on the list must not hide the faulty row from the check.
        state.RstConfronto->setFilter(QStringLiteral("CFR_SEQUENZA = 1"));
        QCOMPARE(IsDatiRstConfrontoValido(state), c.valid);
    }

    void addTakesTheHighestSequencePlusOne() {
        // Scenario: 1, 2, 3 added; removing 2 leaves a gap; the next add takes 4.
        FormState state;
        DefinisciRstConfronto(state);
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1"}));
        // New sets show no difference and name no company or kind.
        const Recordset& nuovo = *state.RstConfronto;
        QCOMPARE(nuovo.value(u"CFR_DELTA").toString() + nuovo.value(u"CFR_DELTA_PERC").toString(),
                 QStringLiteral("00"));
        QVERIFY(nuovo.value(u"CFR_DITTA").isNull() && nuovo.value(u"CFR_TIPODETT").isNull());
        AddSet(state);
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1", "2", "3"}));
        selectSequence(state, 2);
        RemoveSet(state);
        QCOMPARE(sequences(state), QStringList({"1", "3"}));
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1", "3", "4"}));
        QCOMPARE(state.RstConfronto->value(u"CFR_SEQUENZA").toString(), QStringLiteral("4"));
        // With multi-activity indicator 1 each new set names the current company.
        state.CodDitta = 42;
        state.IndMultiAttivita = 1;
        AddSet(state);
        QCOMPARE(state.RstConfronto->value(u"CFR_DITTA").toString(), QStringLiteral("42"));
        // Before a stored list is loaded every row goes, filter or not; numbering starts again.
        state.RstConfronto->setFilter(QStringLiteral("CFR_SEQUENZA = 3"));
        QVERIFY(RstConfrontoDelete(state));
        QVERIFY(rowsBySequence(state).isEmpty());
        AddSet(state);
        QCOMPARE(sequences(state), QStringList({"1"}));
    }

    void moveSwapsOnlyWithTheNeighbouringSequence_data() {
        // The sequences, the one selected, the move; then "sequence:tag" of the rows in
        // ascending sequence, and of the current row.
        const QList<int> plain = {1, 2, 3};
        const QList<int> gap = {1, 3, 4};
        const QStringList unchanged = {"1:0", "2:1", "3:2"};
        const QStringList gapUnchanged = {"1:0", "3:1", "4:2"};
        const MoveCase cases[] = {
            {"up from 2", plain, 2, true, {"1:1", "2:0", "3:2"}, "2:0"},
            {"down from 2", plain, 2, false, {"1:0", "2:2", "3:1"}, "2:2"},
            {"up from the first does nothing", plain, 1, true, unchanged, "1:0"},
            {"down from the last does nothing", plain, 3, false, unchanged, "3:2"},
            {"up across a gap does nothing", gap, 3, true, gapUnchanged, "3:1"},
            {"down from sequence 3 of three rows stops, although 4 exists", gap, 3, false,
             gapUnchanged, "3:1"},
            {"down from the last after a gap finds no 5", gap, 4, false, gapUnchanged, "4:2"},
            {"down from 1 across a gap does nothing", gap, 1, false, gapUnchanged, "1:0"},
        };
        test::addCaseRows(cases);
    }
    void moveSwapsOnlyWithTheNeighbouringSequence() {
        // Scenario: a set moves by swapping sequences with the set one place away; the
        // neighbour becomes the current row.
        QFETCH(MoveCase, c);
        FormState state = listWith(c.start);
        selectSequence(state, c.selected);
        if (c.up)
            MoveSetUp(state);
        else
            MoveSetDown(state);
        QCOMPARE(rowsBySequence(state), c.after);
        const Recordset& rst = *state.RstConfronto;
        QCOMPARE(rst.value(u"CFR_SEQUENZA").toString() + QLatin1Char(':') +
                     QString::number(*rst.value(u"CFR_ANNO").toInt32() - 2000),
                 QString::fromLatin1(c.currentRow));
    }

    void roundTripKeepsSequencesAndFlags_data() { test::addEngineRows(); }
    void roundTripKeepsSequencesAndFlags() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Profili, company, engine);
        FormState state = company.state(false);
        // After a removed set 3, flags never set; set 5 is incomplete and set 6 has a site on a
        // subtype without sites: neither is stored.
        addSets(state,
                {"1|0|2026|1||1|0", "2|1|2025|1||0|1", "4|3|2026|2", "5|0||1", "6|0|2026|1|3"});

        bool salvato = false;
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(state, Variant("Base"), &salvato).has_value());
        QVERIFY(salvato);
        QCOMPARE(ElencoProfili(company.connection), QStringList{"Base"});
        QCOMPARE(company.storedRows("Base"), 3);

        FormState loaded = company.state(false);
        bool cancel = false;
        QVERIFY(!PopolaRstConfrontoDaBU68(loaded, Variant("Base"), cancel).has_value());
        QVERIFY(!cancel);
        QCOMPARE(rows(loaded),
                 (QStringList{"1 0 2026 1 - 7 1 0", "2 1 2025 1 - 7 0 1", "4 3 2026 2 - 7 0 0"}));

        // With sites kept, a set without its site is the incomplete one.
        FormState sedi = company.state(true);
        addSets(sedi, {"1|0|2026|1|3|1|1", "2|1|2026|1", "3|1|2025|2|1"});
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(sedi, Variant("Sedi")).has_value());
        FormState conSedi = company.state(true);
        QVERIFY(!PopolaRstConfrontoDaBU68(conSedi, Variant("Sedi"), cancel).has_value());
        QCOMPARE(rows(conSedi), (QStringList{"1 0 2026 1 3 7 1 1", "3 1 2025 2 1 7 0 0"}));
        QVERIFY(company.messages.messages().isEmpty());
    }

    void refusedSaves_data() {
        // The list (none, one set that fits, one with a site), the name, the warning.
        const QString lungo = QStringLiteral("Il nome del profilo supera i 60 caratteri!");
        const QString controllo =
            QStringLiteral("Il nome del profilo contiene caratteri non ammessi "
                           "(a capo, tabulazioni o altri caratteri di controllo)!");
        const RefusalCase cases[] = {
            {"empty list", Nessuno, "Base", "Il Profilo non contiene records!"},
            {"empty list and no name", Nessuno, "", "Il Profilo non contiene records!"},
            {"blank name", Adatto, "   ", "Indicare un nome profilo!"},
            {"61 characters", Adatto, QString(61, QLatin1Char('x')), lungo},
            {"line break", Adatto, "Budget\n2026", controllo},
            {"line separator", Adatto, QString::fromUtf8("Budget\u20282026"), controllo},
            {"no set fits the sites", ConSede, "Previsioni 2026",
             "Nessun confronto del profilo è completo e adatto alla gestione delle sedi del "
             "sottotipo: profilo non salvato!"},
        };
        test::addCaseRows(cases, true);
    }
    void refusedSaves() {
        // A refused save shows its "Attenzione" message and writes nothing.
        QFETCH(QString, engine);
        QFETCH(RefusalCase, c);
        OPEN_TEST_DATABASE(Profili, company, engine);
        FormState state = company.state(false);
        if (c.insieme != Nessuno)
            addSets(state, {c.insieme == ConSede ? "1|0|2026|1|5" : "1|0|2026|1"});

        bool salvato = true;
        const auto avviso = BUT_BU68_SALVA_ButtonClick(state, Variant(c.nome), &salvato);

        QVERIFY(avviso.has_value());
        QVERIFY(!salvato);
        QCOMPARE(avviso->testo, c.messaggio);
        QCOMPARE(test::shown(company.messages.plainMessages()), c.messaggio + "|48|Attenzione");
        QVERIFY(ElencoProfili(company.connection).isEmpty());
    }

    void failedSaveLeavesThePreviousProfile_data() { test::addEngineRows(); }
    void failedSaveLeavesThePreviousProfile() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Profili, company, engine);
        QVERIFY(refuseYear1999(company));
        FormState state = company.state(false);
        addSets(state, {"1|0|2026|1||1|1", "2|1|2025|1"});
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(state, Variant("Base")).has_value());

        FormState changed = company.state(false);
        addSets(changed, {"1|0|2024|1", "2|1|1999|1"});
        bool salvato = true;
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(changed, Variant("Base"), &salvato).has_value());

        QVERIFY(!salvato);
        QVERIFY(!company.messages.messages().isEmpty()); // the failure was reported
        FormState loaded = company.state(false);
        bool cancel = false;
        PopolaRstConfrontoDaBU68(loaded, Variant("Base"), cancel);
        QCOMPARE(rows(loaded), (QStringList{"1 0 2026 1 - 7 1 1", "2 1 2025 1 - 7 0 0"}));
    }

    void savingReplacesDeletingRemovesAndNamesAreDataNeverSql_data() { test::addEngineRows(); }
    void savingReplacesDeletingRemovesAndNamesAreDataNeverSql() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Profili, company, engine);
        // Saving again under a name replaces its sets: one copy stays.
        FormState state = company.state(false);
        addSets(state, {"1|0|2026|1", "2|1|2026|1"});
        const QString strano = QStringLiteral("Profilo d'Anna; DELETE FROM BU68_BDGINTRIC; --");
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(state, Variant("Base")).has_value());
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(state, Variant("Base")).has_value());
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(state, Variant(strano)).has_value());

        QCOMPARE(company.storedRows("Base"), 2);
        QCOMPARE(ElencoProfili(company.connection), (QStringList{"Base", strano}));
        FormState loaded = company.state(false);
        bool cancel = false;
        PopolaRstConfrontoDaBU68(loaded, Variant("x' OR '1'='1"), cancel);
        QCOMPARE(loaded.RstConfronto->RecordCount(), 0);
        PopolaRstConfrontoDaBU68(loaded, Variant(strano), cancel);
        QCOMPARE(loaded.RstConfronto->RecordCount(), 2);
        QVERIFY(company.messages.messages().isEmpty());

        // Deleting removes the profile and empties the list shown.
        int cancellati = -1;
        QVERIFY(BUT_BU68_DELETE_ButtonClick(state, Variant("Base"), &cancellati));
        QCOMPARE(cancellati, 2);
        QCOMPARE(ElencoProfili(company.connection), QStringList{strano});
        QCOMPARE(state.RstConfronto->RecordCount(), 0);
        // A name no profile has deletes nothing, and says so.
        QVERIFY(BUT_BU68_DELETE_ButtonClick(state, Variant("Base"), &cancellati));
        QCOMPARE(cancellati, 0);
        // An empty name deletes nothing and leaves the list.
        addSets(state, {"1|0|2026|1"});
        QVERIFY(BUT_BU68_DELETE_ButtonClick(state, Variant(" ")));
        QCOMPARE(state.RstConfronto->RecordCount(), 1);
        QCOMPARE(ElencoProfili(company.connection), QStringList{strano});
    }
};

QTEST_GUILESS_MAIN(TestConfronto)
#include "test_confronto.moc"
