#include "desktop_session.h"

#include "app/gui/caricatore_moduli.h"
#include "app/gui/modelli_host.h"
#include "company/company_schema.h"
#include "form/variant_metatype.h"
#include "host/basic_navigator.h"
#include "host/contract/modulo.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"

#include <QLoggingCategory>
#include <QRegularExpression>

using namespace bdg;

namespace {

QStringList g_tracce;

void raccogliTracce(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QLatin1String(context.category) == QLatin1String("bdgintric.trace"))
        g_tracce << message;
}

struct EventiRicevuti : ModuloEventi {
    void DataTransfer(const Variant& Data) override { dati << Data.toString(); }
    QStringList dati;
};

ModuloFactory* factory() {
    static QList<gui::LibreriaModuli> librerie =
        gui::CaricatoreModuli().carica({QStringLiteral(BDGINTRIC_MODULE_DIR)});
    return librerie.isEmpty() ? nullptr : librerie.first().factory;
}

} // namespace

class TestDesktopModulo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::cartellePrivate(m_cartella); }
    void hostFindsTheModuleByItsContract() {
        // The library declares the host's contract: it is found among files that are no
        // module, offers its one class and knows where it was found.
        QTemporaryDir altri;
        QFile finto(altri.filePath(QStringLiteral("libfinto.so")));
        QVERIFY(finto.open(QIODevice::WriteOnly));
        finto.write("not a library");
        finto.close();
        gui::CaricatoreModuli caricatore;
        const QList<gui::LibreriaModuli> librerie =
            caricatore.carica({altri.path(), QStringLiteral(BDGINTRIC_MODULE_DIR)});
        QCOMPARE(librerie.size(), 1);
        ModuloFactory& libreria = *librerie.first().factory;
        QCOMPARE(libreria.classi(), QStringList{QStringLiteral("CLSBU_BDGINTRIC")});
        QCOMPARE(libreria.applicazione().progetto, QStringLiteral("BUUO_BDGINTRIC"));
        QVERIFY(libreria.applicazione().percorso.startsWith(QStringLiteral(BDGINTRIC_MODULE_DIR)));
        QVERIFY(libreria.crea(QStringLiteral("ALTRA_CLASSE")) == nullptr);
    }
    void moduleTracesItsLifeAndPassesDataOn() {
        // Creation and destruction each trace one line with the same fresh instance id; data
        // handed to the module reaches the host as the module's event.
        QVERIFY(factory() != nullptr);
        QLoggingCategory::setFilterRules(QStringLiteral("bdgintric.trace.debug=true"));
        const QtMessageHandler prima = qInstallMessageHandler(raccogliTracce);
        g_tracce.clear();
        EventiRicevuti eventi;
        {
            std::unique_ptr<Cinterface> modulo = factory()->crea(QStringLiteral("CLSBU_BDGINTRIC"));
            modulo->setEventi(&eventi);
            QVERIFY(modulo->TransferData(Variant(QStringLiteral("righe"))).isEmpty());
            QVERIFY(modulo->CloseForm().toBool().value_or(false)); // no form: nothing to refuse
        }
        qInstallMessageHandler(prima);
        QLoggingCategory::setFilterRules(QStringLiteral("bdgintric.trace.debug=false"));
        QCOMPARE(eventi.dati, QStringList{QStringLiteral("righe")});
        const QString id = g_tracce.value(0).section(u'|', 1, 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(id).hasMatch(),
                 qPrintable(g_tracce.join('\n')));
        const QString riga = QStringLiteral("WOBN:|%1|%2|BUUO_BDGINTRIC|CLSBU_BDGINTRIC").arg(id);
        QCOMPARE(g_tracce, (QStringList{riga.arg("INI"), riga.arg("TER")}));
    }
    void moduleAnswersTheNavigatorsEvents_data() {
        QTest::addColumn<bool>("attivo");
        QTest::addColumn<int>("registrati"); // objects registered in the script model
        QTest::newRow("active module") << true << 2;
        QTest::newRow("inactive module") << false << 0;
    }
    void moduleAnswersTheNavigatorsEvents() {
        // The module refuses every change of company with message 30179 under the form's
        // caption; only an active module registers its form and its frame for scripts.
        QFETCH(bool, attivo);
        QFETCH(int, registrati);
        test::DesktopSession sessione(QStringLiteral("chiavi"));
        QVERIFY(sessione.valido);
        gui::CorniceMdi* cornice = sessione.finestra->apriModulo(0);
        QVERIFY(cornice != nullptr);
        test::attendi();
        BasicNavigator& navigatore = sessione.finestra->navigatore();
        QCOMPARE(navigatore.connectedModules().size(), 1);
        NavigatorEvents& modulo = *navigatore.connectedModules().first();
        dynamic_cast<Cinterface&>(modulo).setIsActive(attivo);

        struct Registro : ScriptObjectModel {
            void AddObject(const QString& name, QObject*&, int kind, const QString&) override {
                oggetti << QStringLiteral("%1:%2").arg(name).arg(kind);
            }
            QStringList oggetti;
        } script;
        bool cancel = false;
        modulo.InitializeScriptObjectModel(cancel, &script);
        QCOMPARE(int(script.oggetti.size()), registrati);
        if (registrati > 0)
            QCOMPARE(script.oggetti, (QStringList{"FRMBU_BDGINTRIC:0", ":3"}));

        sessione.mostrati.clear();
        modulo.BeforeChangeDitta(cancel);
        QVERIFY(cancel);
        QCOMPARE(sessione.mostrati,
                 QStringList{*MessageCatalogue::text(Msg::CambioDittaNonAmmesso)});
        QCOMPARE(sessione.titoli.last(), QStringLiteral("Budget per criterio di elaborazione"));
    }
    void companyWithoutCurrencyClosesTheFormAtOnce() {
        // A company without a management currency: the form says so (76205) and closes itself
        // with its frame; the host's close finds it gone.
        test::DesktopSession sessione(QString(), [](Connection& connection) {
            CompanySchema::create(connection);
            connection.ExecuteNonQuery(
                "INSERT INTO HS01_DITTE (HS01_CODICE, HS01_RAGSOC, HS01_VALUTA_HS02, "
                "HS01_GESTIONESEDI) VALUES (1, 'Senza valuta', NULL, 0)");
        });
        QVERIFY(sessione.valido);
        QPointer<gui::CorniceMdi> cornice = sessione.finestra->apriModulo(0);
        test::attendi();
        QCOMPARE(sessione.mostrati,
                 QStringList{*MessageCatalogue::text(Msg::ValutaGestioneMancante)});
        QVERIFY(cornice.isNull());
        QVERIFY(sessione.finestra->cornici().isEmpty());
        QVERIFY(sessione.finestra->navigatore().connectedModules().isEmpty());
    }

private:
    QTemporaryDir m_cartella;
};

QTEST_MAIN(TestDesktopModulo)
#include "test_desktop_modulo.moc"
