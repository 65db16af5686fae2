#include "desktop_session.h"

#include "form/tree_grid_model.h"
#include "form/variant_metatype.h"
#include "views/delegato_importi.h"
#include "views/grafico_periodi.h"
#include "views/griglia_periodi.h"
#include "views/modello_griglia.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

using namespace bdg;

namespace {

// A value of a list cell of the comparison grid, with the keyboard: F2 opens the cell's
// list, the value is typed (a text of the list or a value of one's own), Enter takes it.
void scegli(QTableView& griglia, int riga, int colonna, const QString& testo) {
    griglia.setCurrentIndex(griglia.model()->index(riga, colonna));
    QTest::keyClick(&griglia, Qt::Key_F2);
    auto* lista = griglia.viewport()->findChild<QComboBox*>();
    QVERIFY2(lista != nullptr && lista->lineEdit() != nullptr, qPrintable(testo));
    lista->lineEdit()->selectAll();
    QTest::keyClicks(lista->lineEdit(), testo);
    QTest::keyClick(lista, Qt::Key_Return);
    test::attendi();
}

QStringList colonnaTesti(const QTableView& griglia, int colonna) {
    QStringList testi;
    for (int riga = 0; riga < griglia.model()->rowCount(); ++riga)
        testi << griglia.model()->index(riga, colonna).data().toString();
    return testi;
}

} // namespace

class TestDesktopSessione : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::cartellePrivate(m_cartella); }
    void onlyTheUsersMovesValidateAndARefusalKeepsTheFocus() {
        // The form moving the focus validates nothing, so that a refusal never bounces between
        // two empty fields; the user's Tab out of the empty criterion is refused and keeps the
        // user there, not in the subtype left before. Leaving the subtype with Tab validates it:
        // a refused code keeps the user in the field.
        test::DesktopSession sessione(QStringLiteral("totali"));
        QVERIFY(sessione.valido);
        QVERIFY(sessione.finestra->apriModulo(0) != nullptr);
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_SOTTOTIPO"));

        sessione.editor("TXT_CRITERIO")->setFocus(Qt::OtherFocusReason);
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_CRITERIO"));

        QTest::keyClick(sessione.editor("TXT_CRITERIO"), Qt::Key_Tab);
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_CRITERIO"));
        QVERIFY(sessione.mostrati.isEmpty());
        sessione.editor("TXT_SOTTOTIPO")->setFocus(Qt::OtherFocusReason); // back, unvalidated
        for (const auto& [sottotipo, descrizione] :
             {std::pair{"", ""}, {"NOPE", ""}, {"SB1", "Quadrimestrale"}}) {
            sessione.scrivi("TXT_SOTTOTIPO", QString::fromUtf8(sottotipo));
            QCOMPARE(sessione.fuoco() == sessione.editor("TXT_SOTTOTIPO"), !*descrizione);
            QCOMPARE(sessione.w<QLabel>("TXT_SOTTOTIPO_DES")->text(),
                     QString::fromUtf8(descrizione));
        }
    }
    void wholeInquiryFromTheKeyboardAndTheMouse() {
        // The inquiry opened from the host's menu on the totals company: the subtype from the
        // list of the field's menu entry, the criterion typed, three sets added and ordered with
        // the keyboard, a run with F5, a node clicked, accounts and periods toggled, the close.
        // The figures themselves are the headless form's test; here the widgets.
        test::DesktopSession sessione(QStringLiteral("totali"));
        QVERIFY(sessione.valido);
        QAction* voce = nullptr;
        for (QAction* menu : sessione.finestra->menuBar()->actions()) {
            for (QAction* action : menu->menu()->actions())
                voce = action->text() == QLatin1String("Budget per criterio di elaborazione")
                           ? action
                           : voce;
        }
        QVERIFY(voce != nullptr);
        voce->trigger();
        test::attendi();
        QCOMPARE(sessione.fuoco(), sessione.editor("TXT_SOTTOTIPO"));

        // The subtype from "Budget in uso": only the subtypes holding a budget are offered.
        sessione.entra("TXT_SOTTOTIPO");
        QMenu* menu = sessione.w("TXT_SOTTOTIPO")->findChild<QToolButton*>()->menu();
        QAction* inUso = nullptr;
        for (QAction* action : menu->actions())
            inUso = action->text() == QLatin1String("Budget in uso") ? action : inUso;
        QVERIFY(inUso != nullptr);
        inUso->trigger();
        test::attendi();
        QTableView* elenco = nullptr;
        for (QDialog* aperto : sessione.form()->window()->findChildren<QDialog*>())
            elenco = aperto->isVisible() ? aperto->findChild<QTableView*>() : elenco;
        QVERIFY(elenco != nullptr);
        QCOMPARE(elenco->model()->rowCount(), 1);
        QTest::keyClick(elenco, Qt::Key_Return);
        test::attendi();
        sessione.attiva();
        sessione.editor("TXT_SOTTOTIPO")->setFocus();
        QTest::keyClick(sessione.editor("TXT_SOTTOTIPO"), Qt::Key_Tab);
        test::attendi();
        QCOMPARE(sessione.w<QLabel>("TXT_SOTTOTIPO_DES")->text(), QStringLiteral("Quadrimestrale"));
        sessione.scrivi("TXT_CRITERIO", QStringLiteral("CR02"));

        // Budget, actuals and forecast 1 of 2026, each added with Ins; the forecast moved up
        // with Ctrl+Up; the differences of the second and third sets ticked with Space.
        auto* griglia = sessione.w<QTableView>("QGRID_CONFRONTO");
        griglia->setFocus(Qt::TabFocusReason);
        for (const QString& tipo : {QStringLiteral("Budget"), QStringLiteral("Consuntivo"),
                                    QStringLiteral("Forecast 1")}) {
            QTest::keyClick(griglia, Qt::Key_Insert);
            test::attendi();
            const int riga = griglia->currentIndex().row();
            scegli(*griglia, riga, 1, tipo);
            scegli(*griglia, riga, 2, QStringLiteral("2026"));
            scegli(*griglia, riga, 3, QStringLiteral("1"));
        }
        griglia->setCurrentIndex(griglia->model()->index(2, 1));
        QTest::keyClick(griglia, Qt::Key_Up, Qt::ControlModifier);
        test::attendi();
        QCOMPARE(colonnaTesti(*griglia, 1), (QStringList{"Budget", "Forecast 1", "Consuntivo"}));
        QCOMPARE(colonnaTesti(*griglia, 0), (QStringList{"1", "2", "3"}));
        for (int riga : {1, 2}) {
            for (int colonna : {4, 5}) {
                griglia->setCurrentIndex(griglia->model()->index(riga, colonna));
                QTest::keyClick(griglia, Qt::Key_Space);
            }
        }
        sessione.w<QCheckBox>("CHK_NASCONDI_NULL")->click();
        test::attendi();
        QTest::keyClick(sessione.fuoco(), Qt::Key_F5);
        test::attendi();

        // The tree shows the ticked columns only; a negative amount is painted in the colour
        // of a loss, and no other.
        auto* albero = sessione.w<QTreeView>("TGRID_BDGINTRIC");
        QAbstractItemModel& modello = *albero->model();
        QStringList intestazioni;
        for (int column = 0; column < modello.columnCount(); ++column) {
            if (!albero->isColumnHidden(column))
                intestazioni << modello.headerData(column, Qt::Horizontal).toString();
        }
        QCOMPARE(intestazioni,
                 (QStringList{"Voce/Conto", "Descrizione", "Bdg 2026", "Fo1 2026", "D Fo12026",
                              "% Fo12026", "Con 2026", "D Con2026", "% Con2026"}));
        struct Opzioni : DelegatoImporti {
            using DelegatoImporti::initStyleOption;
        } opzioni;
        int nodi = 0, negativi = 0;
        std::function<void(const QModelIndex&)> visita = [&](const QModelIndex& padre) {
            for (int riga = 0; riga < modello.rowCount(padre); ++riga) {
                const QModelIndex nodo = modello.index(riga, 0, padre);
                ++nodi;
                for (int column = 0; column < modello.columnCount(); ++column) {
                    if (albero->isColumnHidden(column))
                        continue;
                    QStyleOptionViewItem stile;
                    opzioni.initStyleOption(&stile, nodo.siblingAtColumn(column));
                    const bool negativo = stile.text.startsWith(QLatin1Char('-'));
                    negativi += negativo ? 1 : 0;
                    QCOMPARE(stile.palette.color(QPalette::Text) ==
                                 DelegatoImporti::coloreNegativo(),
                             negativo);
                }
                visita(nodo);
            }
        };
        visita(QModelIndex());
        QVERIFY(negativi > 0);

        // R1 clicked: its three four-monthly periods in the grid and the chart.
        const QModelIndex r1 = modello
                                   .match(modello.index(0, 0), TreeGridModel::KeyRole, qint64(12),
                                          1, Qt::MatchExactly | Qt::MatchRecursive)
                                   .value(0);
        QVERIFY(r1.isValid());
        albero->scrollTo(r1);
        QTest::mouseClick(albero->viewport(), Qt::LeftButton, {}, albero->visualRect(r1).center());
        test::attendi();
        auto* periodi = sessione.w<GrigliaPeriodi>("QGRID_PERIODI");
        QCOMPARE(periodi->tabella()->model()->rowCount(), 3);
        auto* grafico = sessione.w<GraficoPeriodi>("GRAFICO_PERIODI");
        QCOMPARE(grafico->serie(), (QStringList{"Bdg 2026", "Fo1 2026", "Con 2026"}));
        QCOMPARE(grafico->categorie(), (QStringList{"1°", "2°", "3°"}));

        // The periods pane opens with its button; the accounts go with theirs.
        auto* split = sessione.w<QSplitter>("ZEL_SPLIT");
        QCOMPARE(split->sizes().value(1), 0);
        sessione.w<QToolButton>("BUT_PERIODI_VISIBLE")->click();
        test::attendi();
        QVERIFY(split->sizes().value(1) > 0);
        const int conConti = nodi;
        sessione.w<QToolButton>("BUT_NODO_CONTI_VISIBILE")->click();
        test::attendi();
        nodi = 0;
        visita(QModelIndex());
        QCOMPARE(nodi, conConti - 6);                         // the fixture's six accounts
        QCOMPARE(periodi->tabella()->model()->rowCount(), 3); // R1 is no account: it stays chosen

        // After the run the difference of the second set goes from both grids with its box.
        const int deltaFo = periodi->modello()->columnOf(QStringLiteral("DELTA_IMP2"));
        QVERIFY(!periodi->tabella()->isColumnHidden(deltaFo));
        griglia->setCurrentIndex(griglia->model()->index(1, 4));
        QTest::keyClick(griglia, Qt::Key_Space);
        test::attendi();
        QVERIFY(periodi->tabella()->isColumnHidden(deltaFo));
        for (int column = 0; column < modello.columnCount(); ++column) {
            if (modello.headerData(column, Qt::Horizontal, TreeGridModel::FieldRole).toString() ==
                QLatin1String("DELTA_IMP2"))
                QVERIFY(albero->isColumnHidden(column));
        }

        // Another company is refused while the inquiry is open, and allowed once it closed.
        QVERIFY(!sessione.finestra->cambiaDitta(sessione.company.connectionString(), 1));
        sessione.finestra->cornici().first()->close();
        test::attendi();
        QVERIFY(sessione.finestra->cornici().isEmpty());
        QVERIFY(sessione.finestra->cambiaDitta(sessione.company.connectionString(), 1));
    }

private:
    QTemporaryDir m_cartella;
};

QTEST_MAIN(TestDesktopSessione)
#include "test_desktop_sessione.moc"
