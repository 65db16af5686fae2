#include "company/company_schema.h"
#include "data/connection.h"
#include "host/associated_companies.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/engine_host.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <stdexcept>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::Variant)

namespace {

/// "NULL" for a Null answer, otherwise the number in invariant text without trailing zeros.
QString shown(const Variant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.isEmpty())
        return QStringLiteral("EMPTY");
    const std::optional<Decimal> number = value.toDecimal();
    return number ? number->normalized().toString()
                  : QStringLiteral("not a number: ") + value.toString();
}

/// A fresh company database on one engine with the subtypes and financial years of
/// tests/fixtures/sottotipi_esercizi.sql.
struct Company : test::CompanyDatabase {
    explicit Company(const QString& engine)
        : CompanyDatabase(engine, test::fixtureRows("sottotipi_esercizi")) {}
};

/// Every property of a subtype in one line, so that a column read for another shows up.
QString propertiesOf(const BudgetObject& budget, std::int16_t kind, const QString& code) {
    const auto text = [](const Variant& value) {
        return value.isNull() ? QStringLiteral("Null") : value.toString();
    };
    return QStringLiteral("sede=%1 fiscale=%2 periodicita=%3 forecast=%4 multi=%5 tipo=%6 "
                          "pdc=%7 struttura=%8 %9")
        .arg(int(budget.GestioneSede(kind, code)))
        .arg(budget.PeriodoSolareFiscale(kind, code))
        .arg(budget.Periodicita(kind, code))
        .arg(budget.NumeroForecast(kind, code))
        .arg(int(budget.MultiAttivita(kind, code)))
        .arg(budget.TipoPdc(kind, code))
        .arg(text(budget.CodicePdc(kind, code)))
        .arg(int(budget.GestioneStruttura(kind, code)))
        .arg(text(budget.CodiceStruttura(kind, code)));
}

Variant operand(const char* text) {
    const QString operand = QString::fromLatin1(text);
    if (text == nullptr)
        return Variant::null();
    if (operand.startsWith(QLatin1Char('\'')))
        return Variant(operand.mid(1, operand.size() - 2));
    return operand.contains(QLatin1Char('.')) ? Variant(Decimal::parse(operand))
                                              : Variant(operand.toInt());
}

struct DeltaCase {
    const char* name;
    bool perc;
    const char *value, *reference, *expected;
};

/// Company 0 asks for calendar periods (of company 1), another company for fiscal ones.
struct PeriodCase {
    const char* name;
    int company, periodicity, period;
    const char* year;
    int progressive;
    const char* text;
};

const int CurrentYear = QDate::currentDate().year();

/// An associated-companies object that answers what a test says and remembers the year it
/// was asked about.
class ScriptedCompanies : public AssociatedCompanies {
public:
    struct Script {
        int loadError = Ok;
        bool member = false;
        Variant indicator = Variant::null();
        int listError = Ok;
        QList<std::int32_t> companies;
        bool throws = false;
        QList<Variant>* yearsAsked = nullptr;
    };
    explicit ScriptedCompanies(Script script) : m_script(std::move(script)) {}

    void Carica() override {
        if (m_script.yearsAsked != nullptr)
            m_script.yearsAsked->append(parametri().Anno);
        if (m_script.throws)
            throw std::runtime_error("oggetto aziende collegate non disponibile");
        setErrore(m_script.loadError,
                  m_script.loadError == Ok ? QString() : QStringLiteral("Gruppo illeggibile"));
        setAppartenenza(m_script.member, m_script.indicator, Variant("G"));
    }
    void CaricaElencoAziende() override {
        setErrore(m_script.listError,
                  m_script.listError == Ok ? QString() : QStringLiteral("Elenco illeggibile"));
        setAziende(m_script.companies);
    }

private:
    Script m_script;
};

AssociatedCompaniesFactory scripted(const ScriptedCompanies::Script& script) {
    return [script] { return std::make_unique<ScriptedCompanies>(script); };
}

/// The form's state with recording messages and a log in a temporary folder.
struct Form : test::EngineHost {
    Form(Connection* connection, int company) : EngineHost(0) {
        state.connection = connection;
        state.CodDitta = company;
    }
};

/// A fresh database on one engine holding the groups of tests/fixtures/gruppi.sql.
struct Groups : test::CompanyDatabase {
    explicit Groups(const QString& engine) : CompanyDatabase(engine, test::fixtureRows("gruppi")) {}
};

/// A company asking about a year: whether it is the main company, and its group's list.
struct GroupCase {
    const char* name;
    int company;
    Variant year;
    bool isMain;
    const char* list;
};

/// What the host object answers (load and list errors, indicator) and what the user is told
/// by each of the two questions.
struct ErrorCase {
    const char* name;
    int loadError, listError;
    Variant indicator;
    bool isMain;
    const char *firstMessage, *secondMessage;
};

} // namespace

class TestBudgetObject : public QObject {
    Q_OBJECT
private slots:
    void deltaAndDeltaPerc_data() {
        // Operands: nullptr is Null, 'x' a text, a number with a point a decimal, else an
        // integer.
        const DeltaCase cases[] = {
            // Delta: the set on the right (value) minus the set on its left (reference),
            // missing ones as 0.
            {"both Null", false, nullptr, nullptr, "NULL"},
            {"blank text and Null", false, "'   '", nullptr, "NULL"},
            {"value Null", false, nullptr, "80", "-80"},
            {"reference Null", false, "100", nullptr, "100"},
            {"80 against 100", false, "80", "100", "-20"},
            {"zero is a value", false, "0", nullptr, "0"},
            {"decimals", false, "10.55", "0.3", "10.25"},
            {"negative reference", false, "50", "-30", "80"},
            {"text with comma", false, "'12,5'", "2", "10.5"},
            // DeltaPerc: the change as a fraction of the reference, six places half away from
            // zero; Null when there is no reference to divide by.
            {"% both Null", true, nullptr, nullptr, "NULL"},
            {"% reference Null", true, "100", nullptr, "NULL"},
            {"% reference blank", true, "100", "' '", "NULL"},
            {"% reference 0", true, "100", "0", "NULL"},
            {"% 80 against 100", true, "80", "100", "-0.2"},
            {"% 125 against 100", true, "125", "100", "0.25"},
            {"% value Null is -100%", true, nullptr, "80", "-1"},
            // (150 - (-100)) / 100 and (-150 - (-100)) / 100: the sign follows the change.
            {"% negative reference, rise", true, "150", "-100", "2.5"},
            {"% negative reference, fall", true, "-150", "-100", "-0.5"},
            // -2/3 = -0.6666666...
            {"% two thirds down", true, "1", "3", "-0.666667"},
            // 1/128 = 0.0078125 exactly: the half at the 7th decimal goes away from zero.
            {"% half up at 6th decimal", true, "129", "128", "0.007813"},
            {"% half down at 6th decimal", true, "127", "128", "-0.007813"},
            {"% decimal amounts", true, "1000.50", "800.40", "0.25"},
        };
        test::addCaseRows(cases);
    }
    void deltaAndDeltaPerc() {
        QFETCH(DeltaCase, c);
        const Variant value = operand(c.value);
        const Variant reference = operand(c.reference);
        const Variant result = c.perc ? BudgetObject::DeltaPerc(value, reference)
                                      : BudgetObject::Delta(value, reference);
        QCOMPARE(shown(result), QString::fromLatin1(c.expected));
        if (!result.isNull())
            QVERIFY(result.toDecimal()->scale() <= 6);
    }

    void deltaRefusesTextThatIsNotANumber() {
        // A text that is not an amount is a fault of the caller, not a zero.
        QVERIFY_THROWS_EXCEPTION(DecimalError, BudgetObject::Delta(Variant("abc"), Variant(1)));
        QVERIFY_THROWS_EXCEPTION(DecimalError, BudgetObject::DeltaPerc(Variant(1), Variant("x")));
    }

    void periodTexts_data() {
        // Year as operand() reads it. Calendar periods: January is always the first month; a
        // year holds 12, 6, 4, 3, 2 or 1 periods by periodicity code, and a period beyond them
        // has no text. Fiscal periods of company 1: 2026/0 runs July 2026 to June 2027, 2026/1
        // April 2026 to March 2027, 2027/0 has no start date; company 2: 2026/0 starts in
        // October.
        const PeriodCase cases[] = {
            {"January", 0, 0, 1, "2026", 0, "Gennaio 2026"},
            {"December", 0, 0, 12, "2026", 0, "Dicembre 2026"},
            {"second quarter", 0, 2, 2, "2026", 0, "2° Trimestre 2026"},
            {"third of three four-month periods", 0, 3, 3, "2026", 0, "3° Quadrimestre 2026"},
            {"no fourth four-month period", 0, 3, 4, "2026", 0, ""},
            {"sixth two-month period", 0, 1, 6, "2026", 0, "6° Bimestre 2026"},
            {"second half", 0, 4, 2, "2026", 0, "2° Semestre 2026"},
            {"year", 0, 5, 1, "2026", 0, "Anno 2026"},
            {"year as text", 0, 0, 3, "'2025'", 0, "Marzo 2025"},
            {"period 13 of 12", 0, 0, 13, "2026", 0, ""},
            {"period 0", 0, 2, 0, "2026", 0, ""},
            {"unknown periodicity", 0, 7, 1, "2026", 0, ""},
            {"year Null", 0, 0, 1, nullptr, 0, ""},
            {"fiscal: first month is July", 1, 0, 1, "2026", 0, "Luglio 2026"},
            {"sixth month is December", 1, 0, 6, "2026", 0, "Dicembre 2026"},
            {"seventh month is next January", 1, 0, 7, "2026", 0, "Gennaio 2027"},
            {"last month is next June", 1, 0, 12, "2026", 0, "Giugno 2027"},
            {"progressive 1 starts in April", 1, 0, 10, "2026", 1, "Gennaio 2027"},
            {"other company starts in October", 2, 0, 4, "2026", 0, "Gennaio 2027"},
            {"numbered periods keep the financial year", 1, 2, 3, "2026", 0, "3° Trimestre 2026"},
            {"yearly", 1, 5, 1, "2026", 0, "Anno 2026"},
            {"year without start date reads as calendar", 1, 0, 2, "2027", 0, "Febbraio 2027"},
            {"year not in the table reads as calendar", 1, 0, 1, "2030", 0, "Gennaio 2030"},
        };
        test::addCaseRows(cases, true);
    }
    void periodTexts() {
        QFETCH(QString, engine);
        QFETCH(PeriodCase, c);
        std::optional<Company> db; // calendar periods need no database
        if (c.company != 0) {
            db.emplace(engine);
            QVERIFY2(db->database.isValid(), qPrintable(db->database.errorText()));
        }
        const int company = std::max(c.company, 1);
        const BudgetObject budget =
            db ? BudgetObject(&db->connection, db->database.connectionString(), 5, company)
               : BudgetObject();
        QCOMPARE(budget.DescrizionePeriodo(
                     company, c.periodicity,
                     c.company == 0 ? BudgetObject::PeriodoSolare : BudgetObject::PeriodoFiscale,
                     std::int16_t(c.period), operand(c.year), Variant(c.progressive)),
                 QString::fromUtf8(c.text));
    }

    void subtypePropertiesComeFromTheSubtypeTable_data() { test::addEngineRows(); }
    void subtypePropertiesComeFromTheSubtypeTable() {
        // Each property is read from the subtype's own row of its budget kind; an unknown
        // subtype is a fault the form's error handler reports.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, company, engine);
        const BudgetObject budget(&company.connection, company.database.connectionString(), 5, 1);
        QCOMPARE(propertiesOf(budget, 5, "ANN"),
                 QStringLiteral("sede=1 fiscale=1 periodicita=2 forecast=3 multi=2 tipo=3 pdc=PDC1 "
                                "struttura=1 STR9"));
        QCOMPARE(propertiesOf(budget, 4, "ANN"),
                 QStringLiteral("sede=0 fiscale=0 periodicita=4 forecast=9 multi=1 tipo=2 pdc=Null "
                                "struttura=0 Null"));
        QCOMPARE(propertiesOf(budget, 5, "MIN"),
                 QStringLiteral("sede=0 fiscale=0 periodicita=0 forecast=0 multi=0 tipo=1 pdc=Null "
                                "struttura=0 Null"));
        QVERIFY(budget.EsisteSottotipo(5, QStringLiteral("ANN")));
        QVERIFY(!budget.EsisteSottotipo(5, QStringLiteral("XYZ")));
        QVERIFY(!budget.EsisteSottotipo(3, QStringLiteral("ANN")));
        QVERIFY(!budget.EsisteSottotipo(5, QStringLiteral("AN'N")));
        QVERIFY_THROWS_EXCEPTION(BudgetObjectError, budget.TipoPdc(5, QStringLiteral("XYZ")));
        QVERIFY_THROWS_EXCEPTION(BudgetObjectError,
                                 BudgetObject().TipoPdc(5, QStringLiteral("ANN")));
    }

    void forecastCountStaysWithinItsLabels() {
        // The number of forecasts sizes the kinds offered for a set: up to F99, the last label
        // of three characters; beyond it is refused.
        OPEN_TEST_DATABASE(Company, company, QString::fromLatin1(test::SQLiteEngine));
        for (const auto& [stored, accepted] :
             {std::pair{0, true}, {99, true}, {100, false}, {-1, false}, {50000000, false}}) {
            company.connection.ExecuteNonQuery(
                QStringLiteral(
                    "UPDATE HS04_SOTTOTIPI SET HS04_NRFORECAST = %1 WHERE HS04_CODICE = 'MIN'")
                    .arg(stored));
            const BudgetObject budget(&company.connection, company.database.connectionString(), 5,
                                      1);
            try {
                QCOMPARE(budget.NumeroForecast(5, QStringLiteral("MIN")), stored);
                QVERIFY2(accepted, qPrintable(QString::number(stored)));
            } catch (const BudgetObjectError& error) {
                QVERIFY2(!accepted, error.what());
            }
        }
    }

    void mainCompanyAndItsList_data() {
        const GroupCase cases[] = {
            {"main company lists its group ascending", 1, Variant(2026), true, "1, 2, 5"},
            {"year as text", 8, Variant("2026"), true, "6, 8, 9"},
            {"member but not main", 2, Variant(2026), false, ""},
            {"member with indicator 2", 6, Variant(2026), false, ""},
            {"outside any group", 7, Variant(2026), false, ""},
            {"no group in that year", 1, Variant(2025), false, ""},
            {"main company of a later year", 2, Variant(2027), true, "2"},
        };
        test::addCaseRows(cases, true);
    }
    void mainCompanyAndItsList() {
        // The two questions of the form, answered from the groups table.
        QFETCH(QString, engine);
        QFETCH(GroupCase, c);
        OPEN_TEST_DATABASE(Groups, groups, engine);
        Form form(&groups.connection, c.company);

        QCOMPARE(GetIsAziendaCorrentePrincipalePerAnno(form.state, c.year), c.isMain);
        const Variant companies = IsAziendaPrincipale(form.state, c.year);
        QVERIFY(companies.isText());
        QCOMPARE(companies.toString(), QString::fromUtf8(c.list));
        QVERIFY(form.messages.messages().isEmpty());
    }

    void blankYearAsksForTheCurrentYearOrAnswersEmpty() {
        // Without a year (Null, Empty, blank text) the first question is about this year; the
        // second is not asked at all.
        for (const Variant& year : {Variant::null(), Variant(), Variant("   ")}) {
            QList<Variant> yearsAsked;
            ScriptedCompanies::Script script;
            script.member = true;
            script.indicator = Variant(0);
            script.companies = {1, 3};
            script.yearsAsked = &yearsAsked;
            Form form(nullptr, 1);

            QVERIFY(GetIsAziendaCorrentePrincipalePerAnno(form.state, year, scripted(script)));
            QCOMPARE(yearsAsked, QList<Variant>{Variant(CurrentYear)});
            QCOMPARE(IsAziendaPrincipale(form.state, year, scripted(script)).toString(), QString());
            QCOMPARE(yearsAsked.size(), 1); // the host object was not asked again
        }
    }

    void hostErrorsAreShownAndGiveTheNegativeAnswer_data() {
        const ErrorCase cases[] = {
            {"load fails", 2, 0, Variant(0), false, "Gruppo illeggibile", "Gruppo illeggibile"},
            {"list fails", 0, 2, Variant(0), true, "", "Elenco illeggibile"},
            {"blank indicator is never main", 0, 0, Variant(" "), false, "", ""},
            {"main company with a blank list consolidates nothing", 0, 0, Variant("0"), true, "",
             ""},
        };
        test::addCaseRows(cases);
    }
    void hostErrorsAreShownAndGiveTheNegativeAnswer() {
        // Host errors reach the user with the host's text and title, are not raised, and give
        // an empty list.
        QFETCH(ErrorCase, c);
        const QString secondMessage = QString::fromUtf8(c.secondMessage);
        ScriptedCompanies::Script script;
        script.loadError = c.loadError;
        script.listError = c.listError;
        script.member = true;
        script.indicator = c.indicator;
        Form form(nullptr, 1);

        QCOMPARE(GetIsAziendaCorrentePrincipalePerAnno(form.state, Variant(2026), scripted(script)),
                 c.isMain);
        QCOMPARE(form.messages.messages().size(), *c.firstMessage == 0 ? 0 : 1);
        form.messages.clear();
        QCOMPARE(IsAziendaPrincipale(form.state, Variant(2026), scripted(script)).toString(),
                 QString());
        QCOMPARE(test::shown(form.messages.messages()),
                 secondMessage.isEmpty() ? QString() : secondMessage + "|0|COBO_AZIENDECOLL");
        QVERIFY(form.messages.errors().isEmpty());
    }

    void runTimeErrorsGoThroughTheErrorConvention() {
        // A failure inside the host object is reported under the function's own name.
        ScriptedCompanies::Script script;
        script.throws = true;
        Form form(nullptr, 1);

        QVERIFY(
            !GetIsAziendaCorrentePrincipalePerAnno(form.state, Variant(2026), scripted(script)));
        QCOMPARE(IsAziendaPrincipale(form.state, Variant(2026), scripted(script)).toString(),
                 QString());
        const QList<RecordedMessage> errors = form.messages.errors();
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors[0].procedureName, QStringLiteral("GetIsAziendaCorrentePrincipalePerAnno"));
        QCOMPARE(errors[1].procedureName, QStringLiteral("IsAziendaPrincipale"));
        QCOMPARE(errors[1].text, QStringLiteral("oggetto aziende collegate non disponibile"));
    }

    void badParametersAreALoadErrorTheUserIsShown_data() { test::addEngineRows(); }
    void badParametersAreALoadErrorTheUserIsShown() {
        // Without a connection, or with a year that is not a number, the object cannot load.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Groups, groups, engine);
        AssociatedCompanies aziende;
        aziende.setParametri({nullptr, QString(), 1, Variant(2026)});
        aziende.Carica();
        QCOMPARE(aziende.CodiceErrore(), int(AssociatedCompanies::ErroreParametri));
        Form form(&groups.connection, 1);
        QVERIFY(!GetIsAziendaCorrentePrincipalePerAnno(form.state, Variant("duemila")));
        QCOMPARE(form.messages.plainMessages().size(), 1);
        QVERIFY(form.messages.plainMessages()[0].text.contains(QStringLiteral("duemila")));
        QCOMPARE(form.messages.plainMessages()[0].title, QStringLiteral("COBO_AZIENDECOLL"));
    }
};

QTEST_GUILESS_MAIN(TestBudgetObject)
#include "test_budget_object.moc"
