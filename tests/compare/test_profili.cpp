#include "company/company_schema.h"
#include "compare/profili.h"
#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_service.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace bdg;

namespace {

struct Company : test::HostedCompany {
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

// Sets as "sequence|kind|year|progressive|site|delta|deltaPerc", empty cells left Null.
void addSets(FormState& state, const QStringList& sets) {
    test::addRows(*state.RstConfronto,
                  QStringLiteral("CFR_SEQUENZA CFR_TIPODETT CFR_ANNO CFR_PROGESER CFR_SEDE "
                                 "CFR_DELTA CFR_DELTA_PERC"),
                  sets);
}

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
bool refuseYear1999(Company& company) {
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

struct SiteCase {
    const char* name;
    bool salvatoConSedi;
    const char* messaggio;
};

} // namespace

class TestProfili : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsSequencesAndFlags_data() { test::addEngineRows(); }
    void roundTripKeepsSequencesAndFlags() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, company, engine);
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
        OPEN_TEST_DATABASE(Company, company, engine);
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

    void siteMismatchRefusesTheProfile_data() {
        const SiteCase cases[] = {
            {"stored with sites, subtype without", true,
             "Il budget non gestisce le sedi, il profilo/confronto selezionato si!"},
            {"stored without sites, subtype with", false,
             "Il budget gestisce le sedi, il profilo/confronto selezionato no ! "}};
        test::addCaseRows(cases, true);
    }
    void siteMismatchRefusesTheProfile() {
        QFETCH(QString, engine);
        QFETCH(SiteCase, c);
        const bool salvatoConSedi = c.salvatoConSedi;
        OPEN_TEST_DATABASE(Company, company, engine);
        FormState state = company.state(salvatoConSedi);
        addSets(state, {salvatoConSedi ? "1|0|2026|1|2" : "1|0|2026|1"});
        QVERIFY(!BUT_BU68_SALVA_ButtonClick(state, Variant("P")).has_value());

        FormState other = company.state(!salvatoConSedi);
        bool cancel = false;
        const auto avviso = PopolaRstConfrontoDaBU68(other, Variant("P"), cancel);

        QVERIFY(cancel);
        QVERIFY(avviso.has_value());
        QCOMPARE(other.RstConfronto->RecordCount(), 0);
        QCOMPARE(test::shown(company.messages.plainMessages()),
                 QString::fromUtf8(c.messaggio) + "|48|Interrogazione budget");
    }

    void failedSaveLeavesThePreviousProfile_data() { test::addEngineRows(); }
    void failedSaveLeavesThePreviousProfile() {
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, company, engine);
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
        OPEN_TEST_DATABASE(Company, company, engine);
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

QTEST_GUILESS_MAIN(TestProfili)
#include "test_profili.moc"
