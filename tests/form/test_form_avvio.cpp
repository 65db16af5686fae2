#include "form_session.h"

#include "company/company_schema.h"
#include "host/message_catalogue.h"
#include "support/fixture_runner.h"
#include "support/text_rows.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace bdg;

namespace {

QString shipped(int number) {
    return MessageCatalogue::text(number).value_or(QString());
}

// A company whose management currency is `valuta` (SQL literal), with the currency rows.
std::unique_ptr<test::FixtureCompany> company(const QString& valuta, const QString& valute) {
    auto result = std::make_unique<test::FixtureCompany>(QString::fromLatin1(test::SQLiteEngine));
    const bool built = result->build([&](Connection& connection) {
        CompanySchema::create(connection);
        connection.ExecuteNonQuery(
            QStringLiteral("INSERT INTO HS01_DITTE (HS01_CODICE, HS01_RAGSOC, HS01_VALUTA_HS02, "
                           "HS01_GESTIONESEDI) VALUES (1, 'Alfa', %1, 0)")
                .arg(valuta));
        if (!valute.isEmpty())
            connection.ExecuteNonQuery(QStringLiteral("INSERT INTO HS02_VALUTE (HS02_CODICE, "
                                                      "HS02_DESCR, HS02_NRDECIMALI, "
                                                      "HS02_MASCHERA) VALUES %1")
                                           .arg(valute));
    });
    return built ? std::move(result) : nullptr;
}

// The form on a company keeping its accounts in euro, not yet started.
struct Euro {
    static constexpr const char* riga = "('EUR', 'Euro', 2, NULL)";
    std::unique_ptr<test::FixtureCompany> company =
        ::company(QStringLiteral("'EUR'"), QString::fromLatin1(riga));
    test::FormSession session{company->global()};
};

/// The management currency (an SQL literal), the currency rows, the host's message refusing
/// the start (0 when the form starts), and the decimals and mask of the amounts.
struct Valuta {
    const char *name, *valuta, *valute;
    int messaggio, decimali;
    const char* formato;
};

} // namespace

class TestFormAvvio : public QObject {
    Q_OBJECT

private slots:
    void managementCurrencyDecidesStartAndFormats_data() {
        // messaggio 0: the form starts.
        const Valuta cases[] = {
            {"no currency", "NULL", Euro::riga, 76205, 0, ""},
            {"blank code", "'  '", Euro::riga, 76205, 0, ""},
            {"code not in the table", "'USD'", Euro::riga, 76206, 0, ""},
            {"no decimals", "'EUR'", "('EUR', 'Euro', NULL, NULL)", 76206, 0, ""},
            {"no description", "'EUR'", "('EUR', '  ', 2, NULL)", 76206, 0, ""},
            {"two decimals", "'EUR'", Euro::riga, 0, 2, "##,###,###,##0.00"},
            {"no decimals at all", "'JPY'", "('JPY', 'Yen', 0, NULL)", 0, 0, "##,###,###,##0"},
            {"own mask", "' JPY '", "('JPY', 'Yen', 0, '#,##0')", 0, 0, "#,##0"},
        };
        test::addCaseRows(cases);
    }
    void managementCurrencyDecidesStartAndFormats() {
        // A company that cannot show an amount in its own currency is refused at start-up with
        // the host's message; otherwise the amounts start in that currency's decimals and mask.
        QFETCH(Valuta, c);
        QString valuta = QString::fromLatin1(c.valuta);
        const int messaggio = c.messaggio;
        auto ditta = company(valuta, QString::fromLatin1(c.valute));
        QVERIFY(ditta);
        test::FormSession session(ditta->global());
        QSignalSpy unloaded(session.form.get(), &FRMBU_BDGINTRIC::unloaded);
        session->Form_Activate();

        const auto shown = ditta->messages().messages();
        if (messaggio != 0) {
            QCOMPARE(test::shown(shown), shipped(messaggio) + "|64|Budget per criterio");
            QVERIFY(!session->isLoaded());
            QCOMPARE(unloaded.size(), 1);
            // The host's close later finds the form gone.
            QVERIFY(session->Unload());
            QCOMPARE(session.navigator.closedMenus(), QList<Variant>{Variant(4711)});
            return;
        }
        QVERIFY(shown.isEmpty());
        QVERIFY(session->isActivated());
        QCOMPARE(int(session->state().NrDecimali), c.decimali);
        QCOMPARE(session->state().FormatoImporti, QString::fromLatin1(c.formato));
        QCOMPARE(session->state().CodValutaGestione.toString(), valuta.remove('\'').trimmed());
    }
    void startedFormIsInItsSelectionState() {
        // A form still starting cannot be closed. After start-up only the subtype can be worked
        // on; the navigator knows the form is open and the creation was traced.
        Euro ditta;
        test::FormSession& session = ditta.session;
        bool cancel = false;
        session->Form_QueryUnload(cancel);
        QVERIFY(cancel);
        session->Form_Activate();
        FRMBU_BDGINTRIC& form = *session;

        QCOMPARE(form.focus(), QStringLiteral("TXT_SOTTOTIPO"));
        QVERIFY(form.TXT_SOTTOTIPO.enabled() && form.BUT_ELABORA.enabled());
        for (const char* name : {"BUT_PARAMETRI", "BUT_NODO_CONTI_VISIBILE", "BUT_PERIODI_VISIBLE",
                                 "BUT_QGRID_PIU", "TXT_PROFILO", "TXT_CAMBIO", "BUT_EXCEL"})
            QVERIFY2(!qobject_cast<ControlModel*>(form.controllo(name))->enabled(), name);
        QVERIFY(!form.BUT_EXCEL.visible());
        QCOMPARE(form.CHK_NASCONDI_NULL.value().toString(), QStringLiteral("1"));
        // The periods pane starts collapsed under the tree.
        QCOMPARE(std::pair(form.ZEL_SPLIT.lowerPaneSize, form.ZEL_SPLIT.proportion),
                 std::pair(0, 100.0f));
        QVERIFY(session.navigator.formStates().first().aperta);
    }
    void closeIsAskedOfTheNavigatorAndReleasesTheForm() {
        Euro ditta;
        test::FormSession& session = ditta.session;
        session->Form_Activate();
        session.navigator.setRefuseClose(true);
        QVERIFY(!session->Unload());
        QVERIFY(session->isLoaded());
        session.navigator.setRefuseClose(false);
        QVERIFY(session->Unload());

        QVERIFY(!session->isLoaded());
        QVERIFY(session->ActiveInterface() == nullptr);
        QVERIFY(session.module.Connection() == nullptr);
        QVERIFY(!session->connection().isOpen());
        QCOMPARE(session.navigator.formStates().last().aperta, false);
        QCOMPARE(session.navigator.closedMenus(), QList<Variant>{Variant(4711)});
        // Creation and release are traced under one identifier of the form.
        const auto creazione =
            QRegularExpression(QStringLiteral("^WOBN:\\|([0-9A-F]{32})\\|INI\\|BUUO_BDGINTRIC\\|"
                                              "FRMBU_BDGINTRIC$"))
                .match(session.trace.lines().first());
        QVERIFY(creazione.hasMatch());
        session.form.reset();
        QCOMPARE(session.trace.lines(),
                 QStringList({session.trace.lines().first(),
                              QStringLiteral("WOBN:|%1|TER|BUUO_BDGINTRIC|FRMBU_BDGINTRIC")
                                  .arg(creazione.captured(1))}));
    }
    void parametersFrameGivesItsRoomToTheTree() {
        // Hiding the parameters moves the tree up to their place and makes it taller by as
        // much; showing them shares the room below them, two thirds to the tree. A form twice
        // as large scales every length, and the grids follow their frames.
        Euro ditta;
        test::FormSession& session = ditta.session;
        session->Form_Activate();
        FRMBU_BDGINTRIC& form = *session;
        const QRect parametri = form.FRAME_PARAMETRI.geometry(); // 60, 60, 15000 x 3900
        const QRect albero = form.FRAME_TGRID.geometry();        // top 4065, height 2760

        form.BUT_PARAMETRI_ButtonClick();
        QVERIFY(!form.FRAME_PARAMETRI.visible() && !form.BUT_NUOVO.enabled());
        QCOMPARE(form.FRAME_TGRID.geometry().top(), parametri.top());
        QCOMPARE(form.FRAME_TGRID.geometry().height(), 2760 + 4005);
        form.BUT_PARAMETRI_ButtonClick();
        QVERIFY(form.FRAME_PARAMETRI.visible() && form.BUT_NUOVO.enabled());
        // Room: 8640 - 120 - 3900 - 105 = 4515; the tree 3010 from 4005, the periods 1445.
        QCOMPARE(form.FRAME_TGRID.geometry().top(), 4005);
        QCOMPARE(form.FRAME_TGRID.geometry().height(), 3010);
        QCOMPARE(form.FRAME_PERIODI.geometry().height(), 1445);
        QCOMPARE(form.ZEL_SPLIT.geometry().height(), 4515);

        const int applicati = form.ZEL_SPLIT.appliedCount();
        form.Ridimensiona(2 * 15180, 2 * 8640);
        QCOMPARE(form.ZEL_SPLIT.appliedCount(), applicati + 1);
        QCOMPARE(form.FRAME_TGRID.geometry().height(), 2 * albero.height());
        QCOMPARE(form.TGRID_BDGINTRIC.geometry(), QRect(60, 300, 30000 - 240, 5520 - 420));
    }
};

QTEST_GUILESS_MAIN(TestFormAvvio)
#include "test_form_avvio.moc"
