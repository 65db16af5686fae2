#include "form_session.h"

#include "params/params_company.h"
#include "support/text_rows.h"

#include <QRegularExpression>
#include <QTest>

using namespace bdg;
using bdg::test::shipped;

namespace {

struct Caso {
    const char* name;
    int ditta;
    const char *passi, *messaggio;
    int stile;
    const char* focus;
    int aziende;
};

} // namespace

// Every refusal of the parameter fields, of the run's checks and of the profiles, reached
// the way a user reaches it, with the message shown and the control left with the focus.

class TestFormRifiuti : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_company = std::make_unique<test::ParamsCompany>(QString::fromLatin1(test::SQLiteEngine));
        QVERIFY2(m_company->database.isValid(), qPrintable(m_company->database.errorText()));
    }
    void refusalShowsItsMessageAndKeepsTheFocus_data() {
        // The company, the steps, the message ("#n": catalogue message n; empty: none), its
        // style, the control with the focus (empty: not the refusal's to choose) and the
        // questions to the main-company service (-1: any).
        const Caso casi[] = {
            {"empty subtype", 1, "sottotipo:", "", 0, "TXT_SOTTOTIPO", 0},
            {"unknown subtype", 1, "sottotipo:NO", "", 0, "TXT_SOTTOTIPO", 0},
            {"chart kind 0", 1, "sottotipo:KPDC0", "#61949", 64, "TXT_SOTTOTIPO", 0},
            {"chart kind 4 before its missing chart", 1, "sottotipo:KPDC4", "#61949", 64,
             "TXT_SOTTOTIPO", 0},
            {"no chart", 1, "sottotipo:NOPDC", "#61950", 64, "TXT_SOTTOTIPO", 0},
            {"sites in a company without", 1, "sottotipo:SEDI", "#61948", 64, "TXT_SOTTOTIPO", 0},
            {"kept by the main company only", 1, "sottotipo:MULTI2", "#61833", 64, "TXT_SOTTOTIPO",
             1},
            {"empty criterion", 1, "sottotipo:MENS criterio:", "", 0, "TXT_CRITERIO", -1},
            {"unknown criterion", 1, "sottotipo:MENS criterio:CRX", "", 0, "TXT_CRITERIO", -1},
            {"empty list", 1, "M BUT_ELABORA", "#9636", 64, "QGRID_CONFRONTO", -1},
            {"no from-period", 1, "P da: BUT_ELABORA", "#9636", 64, "TXT_PERIODO_DA", -1},
            {"quarterly 1 to 5", 1, "sottotipo:TRIM criterio:CR1 set:0:2026:1 a:5 BUT_ELABORA",
             "#9636", 64, "TXT_PERIODO_A", -1},
            {"currency without a usable rate", 1, "P valuta:JPY BUT_ELABORA", "#9636", 64,
             "TXT_CAMBIO", -1},
            {"profile with sites, subtype without", 1, "M profilo:CON_SEDI",
             "Il budget non gestisce le sedi, il profilo/confronto selezionato si!", 48,
             "TXT_PROFILO", -1},
            {"profile without sites, subtype with", 2,
             "sottotipo:SEDI criterio:CR1 profilo:SENZA_SEDI",
             "Il budget gestisce le sedi, il profilo/confronto selezionato no ! ", 48,
             "TXT_PROFILO", -1},
        };
        test::addCaseRows(casi);
    }
    void refusalShowsItsMessageAndKeepsTheFocus() {
        QFETCH(Caso, c);
        QString passi = QString::fromUtf8(c.passi);
        passi.replace(QRegularExpression(QStringLiteral("^M ")),
                      QStringLiteral("sottotipo:MENS criterio:CR1 "));
        passi.replace(QRegularExpression(QStringLiteral("^P ")),
                      QStringLiteral("sottotipo:MENS criterio:CR1 set:0:2026:1 "));
        const QString messaggio = QString::fromUtf8(c.messaggio);
        const QString focus = QString::fromUtf8(c.focus);
        m_company->global.ApriDitta(c.ditta);
        m_company->messages.clear();
        int domande = 0;
        ServiziForm servizi;
        servizi.aziende = [&domande] {
            ++domande;
            return std::make_unique<AssociatedCompanies>();
        };
        test::FormSession session(m_company->global, servizi);
        session->Form_Activate();
        QVERIFY(session->isActivated());

        QVERIFY2(session.run(passi.split(QLatin1Char(' '))), qPrintable(session.failed));

        const QString testo =
            messaggio.startsWith('#') ? shipped(messaggio.mid(1).toInt()) : messaggio;
        QCOMPARE(test::shown(m_company->messages.plainMessages()),
                 messaggio.isEmpty()
                     ? QString()
                     : testo + '|' + QString::number(c.stile) + '|' + session->caption());
        if (!focus.isEmpty())
            QCOMPARE(session->focus(), focus);
        QVERIFY(!session->isStatoRisultato());
        if (c.aziende >= 0)
            QCOMPARE(domande, c.aziende);
    }

private:
    std::unique_ptr<test::ParamsCompany> m_company;
};

QTEST_GUILESS_MAIN(TestFormRifiuti)
#include "test_form_rifiuti.moc"
