#include "company/company_schema.h"
#include "compare/column_arrays.h"
#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QDate>
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

// Sets as "sequence|kind|year", empty cells Null.
void addSets(FormState& state, const QStringList& sets) {
    test::addRows(*state.RstConfronto, QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO"), sets);
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
};

struct ListCase {
    const char* name;
    int company;
    bool multi;
    QStringList years, progressives, sites;
};

} // namespace

class TestColumnArrays : public QObject {
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
        };
        test::addCaseRows(cases);
    }
    void captionsNameKindAndYear() {
        // Scenario: one caption per set in ascending sequence, ranked 1..n.
        QFETCH(CaptionCase, c);
        FormState state;
        setTwelveForecastLabels(state);
        DefinisciRstConfronto(state);
        addSets(state, c.sets);
        QVERIFY(PopolaArrayCaptionColonne(state));
        QStringList ranks;
        for (int rank = 1; rank <= c.sets.size(); ++rank)
            ranks << QString::number(rank);
        QCOMPARE(texts(state.ArrCaptionColonne[0]), ranks);
        QCOMPARE(texts(state.ArrCaptionColonne[1]), c.amount);
        QCOMPARE(texts(state.ArrCaptionColonne[2]), c.delta);
        QCOMPARE(texts(state.ArrCaptionColonne[3]), c.percent);
    }

    void captionOfAKindTheSubtypeDoesNotOfferIsRefused() {
        // Scenario: a profile stored forecast 13 (code 15); the subtype offers twelve.
        FormState state;
        setTwelveForecastLabels(state);
        state.ArrCaptionColonne[1] = {QStringLiteral("previous")};
        DefinisciRstConfronto(state);
        addSets(state, {"1|15|2026"});
        QVERIFY(!PopolaArrayCaptionColonne(state));
        QCOMPARE(texts(state.ArrCaptionColonne[1]), QStringList{"previous"});
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
        };
        test::addCaseRows(cases, true);
    }
    void valueListsComeFromYearsAndSites() {
        QFETCH(QString, engine);
        QFETCH(ListCase, c);
        OPEN_TEST_DATABASE(Company, company, engine);
        FormState state = company.state(c.company);
        state.IsMultiAttivita = c.multi;
        QVERIFY(PopolaArrayPer_QGRID_CONFRONTO(state));
        for (const int column : {0, 1}) {
            QCOMPARE(texts(state.ArrAnni[column]), c.years);
            QCOMPARE(texts(state.ArrProgEser[column]), c.progressives);
            QCOMPARE(sorted(texts(state.ArrSedi[column])), c.sites);
        }
    }

    void memberCompanyHasNothingToConsolidate_data() { test::addEngineRows(); }
    void memberCompanyHasNothingToConsolidate() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, company, engine);
        // Company 2 is only a member: there is nothing to consolidate and the lists stay.
        FormState member = company.state(2);
        member.IsMultiAttivita = true;
        member.ArrSedi[0] = {Variant("previous")};
        QVERIFY(!PopolaArrayPer_QGRID_CONFRONTO(member));
        QCOMPARE(texts(member.ArrSedi[0]), QStringList{"previous"});
    }
};

QTEST_GUILESS_MAIN(TestColumnArrays)
#include "test_column_arrays.moc"
