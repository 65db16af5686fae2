#include "params/sottotipo.h"

#include "params_company.h"
#include "support/text_rows.h"

#include <QTest>

using namespace bdg;
using bdg::test::shipped;

namespace {

struct Caso {
    const char* name;
    int ditta;
    const char* codice;
    int periodicita, nrPeriodi, tipoPdc;
    const char* struttura;
    const char* periodoA; ///< "-": left as it was
    bool sedi;
    const char *etichettaPdc, *etichettaPeriodicita;
};

struct MultiCaso {
    const char* name;
    int ditta;
    const char* codice;
    bool multi;
};

} // namespace

class TestSottotipo : public QObject {
    Q_OBJECT
private slots:
    void acceptedSubtypeFillsState_data() {
        const Caso casi[] = {
            {"monthly general ledger", 1, "MENS", 0, 12, 1, "", "12", false,
             "G1 Piano dei conti generale", "Mensile"},
            {"quarterly CEE schedule", 1, "TRIM", 2, 4, 2, "", "4", false,
             "CEE Schema di bilancio CEE", "Trimestrale"},
            {"four-monthly with a structure shows it", 1, "QUAD", 3, 3, 3, "S1", "3", false,
             "RIC Piano dei conti riclassificato", "Quadrimestrale"},
            {"a structure on the CEE schedule stays hidden", 1, "STR2", 1, 6, 2, "", "6", false,
             "CEE Schema di bilancio CEE", "Bimestrale"},
            {"periodicity without preset keeps the upper period", 1, "PER9", 9, 0, 1, "", "-",
             false, "G1 Piano dei conti generale", ""},
            {"sites in a company with sites", 2, "SEDI", 0, 12, 1, "", "12", true,
             "G1 Piano dei conti generale", "Mensile"},
        };
        test::addCaseRows(casi, true);
    }
    void acceptedSubtypeFillsState() {
        QFETCH(QString, engine);
        QFETCH(Caso, c);
        const QString struttura = QString::fromUtf8(c.struttura);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(c.ditta);
        state.CodStrutturaBU60 = QStringLiteral("VECCHIA");

        ControlliSottotipo controlli;
        const EsitoParametro esito = TXT_SOTTOTIPO_Validate(state, Variant(c.codice), &controlli);

        QVERIFY2(!esito.has_value(), esito ? qPrintable(esito->testo) : "");
        QVERIFY(company.messages.messages().isEmpty());
        QCOMPARE(state.CodPeriodicita, c.periodicita);
        QCOMPARE(int(state.NrPeriodi), c.nrPeriodi);
        QCOMPARE(state.IndTipoPdc, c.tipoPdc);
        QCOMPARE(state.IsGestioneSede, c.sedi);
        QCOMPARE(state.CodStrutturaBU60.toString(), struttura);
        QCOMPARE(controlli.TXT_CODSTRUTTURABU60, struttura);
        QCOMPARE(controlli.TXT_CODSTRUTTURABU60_Visible, !struttura.isEmpty());
        QCOMPARE(controlli.TXT_PERIODO_DA, QStringLiteral("1"));
        QCOMPARE(controlli.TXT_PERIODO_A.value_or(QStringLiteral("-")), QString(c.periodoA));
        QCOMPARE(controlli.LBB_INDTIPOPDC, QString(c.etichettaPdc));
        QCOMPARE(controlli.LBB_PERIODICITA, QString(c.etichettaPeriodicita));
        QCOMPARE(controlli.LBB_GESTIONESEDE, c.sedi ? QStringLiteral("Gestisce le sedi")
                                                    : QStringLiteral("Non gestisce le sedi"));
        QCOMPARE(controlli.LBB_INDMULTIATTIVITA, QStringLiteral("Multiattività: Ditta singola"));
        QCOMPARE(controlli.CHK_CONSOLIDO_MULTIATT_Enabled, false);
        // The value lists follow the subtype: budget and actuals, then one entry per forecast.
        QCOMPARE(int(state.ArrTipoDettaglio[0].size()), 2 + state.NrForecast);
    }

    void subtypeWithSitesIsRefusedInACompanyWithout_data() { test::addEngineRows(); }
    void subtypeWithSitesIsRefusedInACompanyWithout() {
        // Company 1 keeps no sites: a subtype kept by site does not fit it, and the user is told.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(1);
        QVERIFY(TXT_SOTTOTIPO_Validate(state, Variant("SEDI")).has_value());
        QCOMPARE(company.messages.plainMessages().size(), 1);
    }

    void multiActivityFollowsMainCompany_data() {
        const MultiCaso casi[] = {{"consolidable in the main company", 2, "MULTI1", true},
                                  {"consolidable in a member company", 1, "MULTI1", false},
                                  {"kept by the main company, asked by it", 2, "MULTI2", false}};
        test::addCaseRows(casi, true);
    }
    void multiActivityFollowsMainCompany() {
        QFETCH(QString, engine);
        QFETCH(MultiCaso, c);
        OPEN_TEST_DATABASE(test::ParamsCompany, company, engine);
        FormState state = company.state(c.ditta);

        ControlliSottotipo controlli;
        QVERIFY(!TXT_SOTTOTIPO_Validate(state, Variant(c.codice), &controlli).has_value());

        QCOMPARE(state.IsMultiAttivita, c.multi);
        QCOMPARE(controlli.CHK_CONSOLIDO_MULTIATT_Enabled, c.multi);
        QCOMPARE(controlli.CHK_CONSOLIDO_MULTIATT, 0);
    }
};

QTEST_GUILESS_MAIN(TestSottotipo)
#include "test_sottotipo.moc"
