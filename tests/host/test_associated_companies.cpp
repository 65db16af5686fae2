#include "company/company_schema.h"
#include "data/connection.h"
#include "host/associated_companies.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::Variant)

namespace {

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
struct Form {
    RecordingMessageService messages;
    HostGlobal global{&messages, nullptr, QString()};
    QTemporaryDir folder;
    HostLog log{&global, folder.filePath(QStringLiteral("host.log"))};
    FormState state;

    explicit Form(Connection* connection, int company) {
        state.connection = connection;
        state.CodDitta = company;
        state.Gcls_Global = &global;
        state.Gcls_Log = &log;
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

class TestAssociatedCompanies : public QObject {
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(TestAssociatedCompanies)
#include "test_associated_companies.moc"
