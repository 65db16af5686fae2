#include "company/company_schema.h"
#include "data/connection.h"
#include "host/associated_companies.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/test_databases.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::Variant)

namespace {

const int CurrentYear = QDate::currentDate().year();

/// Groups: in 2026 "NORD" is companies 1 (main), 2 and 5, "SUD" is 8 (main), 9 and 6 (with
/// indicator 2, a member that is not main either); in 2027 company 2 alone is "NORD"'s main
/// company. Company 7 belongs to no group.
const QStringList GroupRows = {
    "INSERT INTO HS05_AZIENDECOLL (HS05_GRUPPO, HS05_ANNO, HS05_DITTA_HS01, HS05_INDPRINCIPALE) "
    "VALUES ('NORD', 2026, 1, 0), ('NORD', 2026, 5, 1), ('NORD', 2026, 2, 1), "
    "('SUD', 2026, 8, 0), ('SUD', 2026, 9, 1), ('SUD', 2026, 6, 2), ('NORD', 2027, 2, 0)"};

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

/// A fresh database on one engine holding the groups above.
struct Groups : test::CompanyDatabase {
    explicit Groups(const QString& engine) : CompanyDatabase(engine, GroupRows) {}
};

} // namespace

class TestAssociatedCompanies : public QObject {
    Q_OBJECT

private slots:
    void mainCompanyAndItsList_data();
    void mainCompanyAndItsList();
    void blankYearAsksForTheCurrentYearOrAnswersEmpty_data();
    void blankYearAsksForTheCurrentYearOrAnswersEmpty();
    void hostErrorsAreShownAndGiveTheNegativeAnswer_data();
    void hostErrorsAreShownAndGiveTheNegativeAnswer();
    void runTimeErrorsGoThroughTheErrorConvention();
    void objectReportsMembershipAndGroup_data() { test::addEngineRows(); }
    void objectReportsMembershipAndGroup();
};

void TestAssociatedCompanies::mainCompanyAndItsList_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("company");
    QTest::addColumn<Variant>("year");
    QTest::addColumn<bool>("isMain");
    QTest::addColumn<QString>("list");

    struct Case {
        const char* name;
        int company;
        Variant year;
        bool isMain;
        const char* list;
    };
    const Case cases[] = {
        {"main company lists its group ascending", 1, Variant(2026), true, "1, 2, 5"},
        {"year as text", 8, Variant("2026"), true, "6, 8, 9"},
        {"member but not main", 2, Variant(2026), false, ""},
        {"member with indicator 2", 6, Variant(2026), false, ""},
        {"outside any group", 7, Variant(2026), false, ""},
        {"no group in that year", 1, Variant(2025), false, ""},
        {"main company of a later year", 2, Variant(2027), true, "2"},
    };
    for (const QString& engine : test::engines()) {
        for (const Case& c : cases)
            QTest::addRow("%s: %s", qPrintable(engine), c.name)
                << engine << c.company << c.year << c.isMain << QString::fromUtf8(c.list);
    }
}

void TestAssociatedCompanies::mainCompanyAndItsList() {
    // The two questions of the form, answered from the groups table.
    QFETCH(QString, engine);
    QFETCH(int, company);
    QFETCH(Variant, year);
    QFETCH(bool, isMain);
    QFETCH(QString, list);

    OPEN_TEST_DATABASE(Groups, groups, engine);
    Form form(&groups.connection, company);

    QCOMPARE(GetIsAziendaCorrentePrincipalePerAnno(form.state, year), isMain);
    const Variant companies = IsAziendaPrincipale(form.state, year);
    QVERIFY(companies.isText());
    QCOMPARE(companies.toString(), list);
    QVERIFY(form.messages.messages().isEmpty());
}

void TestAssociatedCompanies::blankYearAsksForTheCurrentYearOrAnswersEmpty_data() {
    QTest::addColumn<Variant>("year");
    QTest::newRow("Null") << Variant::null();
    QTest::newRow("Empty") << Variant();
    QTest::newRow("blank text") << Variant("   ");
}

void TestAssociatedCompanies::blankYearAsksForTheCurrentYearOrAnswersEmpty() {
    // Without a year the first question is about this year; the second is not asked at all.
    QFETCH(Variant, year);
    QList<Variant> yearsAsked;
    ScriptedCompanies::Script script;
    script.member = true;
    script.indicator = Variant(0);
    script.companies = {1, 3};
    script.yearsAsked = &yearsAsked;
    Form form(nullptr, 1);

    QVERIFY(GetIsAziendaCorrentePrincipalePerAnno(form.state, year, scripted(script)));
    QCOMPARE(yearsAsked.size(), 1);
    QCOMPARE(yearsAsked[0].toInt32().value_or(0), CurrentYear);

    const Variant companies = IsAziendaPrincipale(form.state, year, scripted(script));
    QCOMPARE(companies.toString(), QString());
    QCOMPARE(yearsAsked.size(), 1); // the host object was not asked again
}

void TestAssociatedCompanies::hostErrorsAreShownAndGiveTheNegativeAnswer_data() {
    QTest::addColumn<int>("loadError");
    QTest::addColumn<int>("listError");
    QTest::addColumn<Variant>("indicator");
    QTest::addColumn<bool>("isMain");
    QTest::addColumn<QString>("firstMessage");
    QTest::addColumn<QString>("secondMessage");

    const auto row = [](const char* name, int load, int list, const Variant& indicator, bool isMain,
                        const char* first, const char* second) {
        QTest::newRow(name) << load << list << indicator << isMain << QString::fromUtf8(first)
                            << QString::fromUtf8(second);
    };
    row("load fails", 2, 0, 0, false, "Gruppo illeggibile", "Gruppo illeggibile");
    row("list fails", 0, 2, 0, true, "", "Elenco illeggibile");
    row("blank indicator is never main", 0, 0, " ", false, "", "");
    row("main company with a blank list consolidates nothing", 0, 0, "0", true, "", "");
}

void TestAssociatedCompanies::hostErrorsAreShownAndGiveTheNegativeAnswer() {
    // Host errors reach the user with the host's text and title, are not raised, and give
    // an empty list.
    QFETCH(int, loadError);
    QFETCH(int, listError);
    QFETCH(Variant, indicator);
    QFETCH(bool, isMain);
    QFETCH(QString, firstMessage);
    QFETCH(QString, secondMessage);
    ScriptedCompanies::Script script;
    script.loadError = loadError;
    script.listError = listError;
    script.member = true;
    script.indicator = indicator;
    Form form(nullptr, 1);

    QCOMPARE(GetIsAziendaCorrentePrincipalePerAnno(form.state, Variant(2026), scripted(script)),
             isMain);
    QCOMPARE(form.messages.messages().size(), firstMessage.isEmpty() ? 0 : 1);
    form.messages.clear();
    QCOMPARE(IsAziendaPrincipale(form.state, Variant(2026), scripted(script)).toString(),
             QString());
    QCOMPARE(form.messages.messages().size(), secondMessage.isEmpty() ? 0 : 1);
    for (const RecordedMessage& message : form.messages.messages()) {
        QCOMPARE(message.text, secondMessage);
        QCOMPARE(message.title, QStringLiteral("COBO_AZIENDECOLL"));
        QCOMPARE(message.style, 0);
    }
    QVERIFY(form.messages.errors().isEmpty());
}

void TestAssociatedCompanies::runTimeErrorsGoThroughTheErrorConvention() {
    // A failure inside the host object is reported under the function's own name.
    ScriptedCompanies::Script script;
    script.throws = true;
    Form form(nullptr, 1);

    QVERIFY(!GetIsAziendaCorrentePrincipalePerAnno(form.state, Variant(2026), scripted(script)));
    QCOMPARE(IsAziendaPrincipale(form.state, Variant(2026), scripted(script)).toString(),
             QString());
    const QList<RecordedMessage> errors = form.messages.errors();
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors[0].procedureName, QStringLiteral("GetIsAziendaCorrentePrincipalePerAnno"));
    QCOMPARE(errors[1].procedureName, QStringLiteral("IsAziendaPrincipale"));
    QCOMPARE(errors[1].text, QStringLiteral("oggetto aziende collegate non disponibile"));
}

void TestAssociatedCompanies::objectReportsMembershipAndGroup() {
    // The object itself: membership, indicator, group; a bad year is a load error.
    QFETCH(QString, engine);
    OPEN_TEST_DATABASE(Groups, groups, engine);
    Connection& connection = groups.connection;
    const QString database = groups.database.connectionString();
    AssociatedCompanies aziende;
    aziende.setParametri({&connection, database, 5, Variant(2026)});
    aziende.Carica();
    QCOMPARE(aziende.CodiceErrore(), 0);
    QVERIFY(aziende.IsAziendaCollegata());
    QCOMPARE(aziende.IndPrincipale().toInt32().value_or(-1), 1);
    QCOMPARE(aziende.CodGruppo().toString(), QStringLiteral("NORD"));
    QVERIFY(aziende.ElencoAziende().isNull()); // the list is loaded on request only

    aziende.setParametri({&connection, database, 7, Variant(2026)});
    aziende.Carica();
    QCOMPARE(aziende.CodiceErrore(), 0);
    QVERIFY(!aziende.IsAziendaCollegata());
    QVERIFY(aziende.IndPrincipale().isNull());

    aziende.setParametri({&connection, database, 1, Variant("duemila")});
    aziende.Carica();
    QCOMPARE(aziende.CodiceErrore(), int(AssociatedCompanies::ErroreParametri));
    QVERIFY(aziende.DescrizioneErrore().contains(QStringLiteral("duemila")));

    aziende.setParametri({nullptr, QString(), 1, Variant(2026)});
    aziende.Carica();
    QCOMPARE(aziende.CodiceErrore(), int(AssociatedCompanies::ErroreParametri));

    // A year that is not a number reaches the user through the form function.
    Form form(&connection, 1);
    QVERIFY(!GetIsAziendaCorrentePrincipalePerAnno(form.state, Variant("duemila")));
    QCOMPARE(form.messages.plainMessages().size(), 1);
    QCOMPARE(form.messages.plainMessages()[0].title, QStringLiteral("COBO_AZIENDECOLL"));
}

QTEST_GUILESS_MAIN(TestAssociatedCompanies)
#include "test_associated_companies.moc"
