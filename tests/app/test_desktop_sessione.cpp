#include "desktop_session.h"

#include "form/tree_grid_model.h"
#include "form/variant_metatype.h"
#include "host/message_catalogue.h"
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

#include <cmath>
#include <map>

using namespace bdg;

namespace {

using Riga = QMap<QString, QString>;

// The hand-worked rows of a fixture's table, by KEY_VOCE (and "/PERIODO" for periods).
std::map<QString, Riga> righeAttese(const QString& table) {
    std::map<QString, Riga> righe;
    const QList<QStringList> tsv = test::readTsv(
        *test::readTextFile(test::fixturePath(QStringLiteral("totali"), "." + table + ".tsv")));
    for (qsizetype row = 1; row < tsv.size(); ++row) {
        Riga cells;
        for (qsizetype field = 0; field < tsv.first().size(); ++field)
            cells[tsv.first().at(field)] = tsv.at(row).value(field);
        QString key = cells.value(QStringLiteral("KEY_VOCE"));
        if (cells.contains(QStringLiteral("PERIODO")))
            key += '/' + cells.value(QStringLiteral("PERIODO"));
        righe[key] = cells;
    }
    return righe;
}

// A hand-worked value as a controller reads it on screen, worked out apart from the
// program: amounts with "." between thousands and "," before the cents, ratios as
// percentages with two decimals.
QString comeMostrato(const QString& field, const QString& tsv) {
    if (tsv.isEmpty())
        return tsv;
    if (field.startsWith(QLatin1String("DELTA_PERC"))) {
        const double percento = std::round(tsv.toDouble() * 10000.0) / 100.0;
        return QString::number(percento, 'f', 2).replace('.', ',') + '%';
    }
    if (!field.startsWith(QLatin1String("IMP")) && !field.startsWith(QLatin1String("DELTA")))
        return tsv;
    const bool negativo = tsv.startsWith('-');
    const QString intera = tsv.mid(negativo ? 1 : 0).section('.', 0, 0);
    QString gruppi;
    for (qsizetype cifra = 0; cifra < intera.size(); ++cifra) {
        if (cifra > 0 && (intera.size() - cifra) % 3 == 0)
            gruppi += '.';
        gruppi += intera.at(cifra);
    }
    return (negativo ? QStringLiteral("-") : QString()) + gruppi + ',' + tsv.section('.', 1);
}

QString campo(const QAbstractItemModel& model, int column) {
    return model.headerData(column, Qt::Horizontal, TreeGridModel::FieldRole).toString();
}

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
    void fieldsRefuseAndKeepTheFocus_data();
    void fieldsRefuseAndKeepTheFocus();
    void onlyTheUsersMovesValidate();
    void wholeInquiryFromTheKeyboardAndTheMouse();

private:
    QTemporaryDir m_cartella;
};

void TestDesktopSessione::fieldsRefuseAndKeepTheFocus_data() {
    QTest::addColumn<QString>("sottotipo");
    QTest::addColumn<bool>("accettato");
    QTest::addColumn<QString>("descrizione");
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("unknown code") << "NOPE" << false << "";
    QTest::newRow("known subtype") << "SB1" << true << "Quadrimestrale";
}

void TestDesktopSessione::fieldsRefuseAndKeepTheFocus() {
    // Leaving the subtype with Tab validates it: a refused code keeps the user in the field.
    QFETCH(QString, sottotipo);
    QFETCH(bool, accettato);
    QFETCH(QString, descrizione);
    test::DesktopSession sessione(QStringLiteral("totali"));
    QVERIFY(sessione.valido);
    QVERIFY(sessione.finestra->apriModulo(0) != nullptr);
    test::attendi();

    sessione.scrivi("TXT_SOTTOTIPO", sottotipo);

    QCOMPARE(sessione.fuoco() == sessione.editor("TXT_SOTTOTIPO"), !accettato);
    QCOMPARE(sessione.w<QLabel>("TXT_SOTTOTIPO_DES")->text(), descrizione);
}

void TestDesktopSessione::onlyTheUsersMovesValidate() {
    // The form moving the focus validates nothing, so that a refusal never bounces between
    // two empty fields; the user's Tab out of the empty criterion is refused and keeps the
    // user there, not in the subtype left before.
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
}

void TestDesktopSessione::wholeInquiryFromTheKeyboardAndTheMouse() {
    // The inquiry opened from the host's menu on the totals company: the subtype from the
    // list of the field's menu entry, the criterion typed, three sets added and ordered with
    // the keyboard, a run with F5, nodes clicked, accounts and periods toggled, a change of
    // company refused, the close. Every figure is the fixture's hand-worked one.
    test::DesktopSession sessione(QStringLiteral("totali"));
    QVERIFY(sessione.valido);
    QAction* voce = nullptr;
    for (QAction* menu : sessione.finestra->menuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == QLatin1String("Budget per criterio di elaborazione"))
                voce = action;
        }
    }
    QVERIFY(voce != nullptr);
    voce->trigger();
    test::attendi();
    QVERIFY(sessione.form() != nullptr);
    QCOMPARE(sessione.finestra->cornici().size(), 1);
    QCOMPARE(sessione.fuoco(), sessione.editor("TXT_SOTTOTIPO"));

    // The subtype from "Budget in uso": only the subtypes holding a budget are offered.
    sessione.entra("TXT_SOTTOTIPO");
    QMenu* menu = sessione.w("TXT_SOTTOTIPO")->findChild<QToolButton*>()->menu();
    QVERIFY(menu != nullptr);
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
    QCOMPARE(elenco->currentIndex().data().toString(), QStringLiteral("SB1"));
    QTest::keyClick(elenco, Qt::Key_Return);
    test::attendi();
    sessione.attiva();
    QCOMPARE(sessione.editor("TXT_SOTTOTIPO")->text(), QStringLiteral("SB1"));
    sessione.editor("TXT_SOTTOTIPO")->setFocus();
    QTest::keyClick(sessione.editor("TXT_SOTTOTIPO"), Qt::Key_Tab);
    test::attendi();
    QCOMPARE(sessione.w<QLabel>("TXT_SOTTOTIPO_DES")->text(), QStringLiteral("Quadrimestrale"));
    QCOMPARE(sessione.editor("TXT_PERIODO_A")->text(), QStringLiteral("3"));

    sessione.scrivi("TXT_CRITERIO", QStringLiteral("CR02"));
    auto* griglia = sessione.w<QTableView>("QGRID_CONFRONTO");
    QStringList didascalie;
    for (int column = 0; column < griglia->model()->columnCount(); ++column) {
        if (!griglia->isColumnHidden(column))
            didascalie << griglia->model()->headerData(column, Qt::Horizontal).toString();
    }
    QCOMPARE(didascalie,
             (QStringList{"Seq", "TipoDettaglio", "Anno", "Progressivo", "Delta", "%Delta"}));

    // Budget, actuals and forecast 1 of 2026, each added with Ins; the forecast moved up
    // with Ctrl+Up; the differences of the second and third sets ticked with Space.
    griglia->setFocus(Qt::TabFocusReason);
    for (const QString& tipo :
         {QStringLiteral("Budget"), QStringLiteral("Consuntivo"), QStringLiteral("Forecast 1")}) {
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

    sessione.mostrati.clear();
    QTest::keyClick(sessione.fuoco(), Qt::Key_F5);
    test::attendi();
    QCOMPARE(
        sessione.mostrati,
        test::parseParams(*test::readTextFile(test::fixturePath(QStringLiteral("totali"), ".sql")))
            .messaggi);

    // The tree: every node of the hand-worked table, each column as the delegate paints it.
    auto* albero = sessione.w<QTreeView>("TGRID_BDGINTRIC");
    auto* delegato = qobject_cast<DelegatoImporti*>(albero->itemDelegate());
    QVERIFY(delegato != nullptr);
    const std::map<QString, Riga> criterio = righeAttese(QStringLiteral("criterio"));
    QAbstractItemModel& modello = *albero->model();
    QStringList intestazioni;
    for (int column = 0; column < modello.columnCount(); ++column) {
        if (!albero->isColumnHidden(column))
            intestazioni << modello.headerData(column, Qt::Horizontal).toString();
    }
    QCOMPARE(intestazioni,
             (QStringList{"Voce/Conto", "Descrizione", "Bdg 2026", "Fo1 2026", "D Fo12026",
                          "% Fo12026", "Con 2026", "D Con2026", "% Con2026"}));
    // The painted options too: a negative amount in the colour of a loss, no other.
    struct Opzioni : DelegatoImporti {
        using DelegatoImporti::initStyleOption;
    } opzioni;
    int nodi = 0;
    std::function<void(const QModelIndex&)> visita = [&](const QModelIndex& padre) {
        for (int riga = 0; riga < modello.rowCount(padre); ++riga) {
            const QModelIndex nodo = modello.index(riga, 0, padre);
            const QString key = QString::number(nodo.data(TreeGridModel::KeyRole).toLongLong());
            QVERIFY2(criterio.count(key), qPrintable(key));
            ++nodi;
            for (int column = 0; column < modello.columnCount(); ++column) {
                if (albero->isColumnHidden(column))
                    continue;
                const QString field = campo(modello, column);
                QCOMPARE(delegato->testoMostrato(nodo.siblingAtColumn(column)),
                         comeMostrato(field, criterio.at(key).value(field)));
                QStyleOptionViewItem stile;
                opzioni.initStyleOption(&stile, nodo.siblingAtColumn(column));
                QCOMPARE(stile.palette.color(QPalette::Text) == DelegatoImporti::coloreNegativo(),
                         stile.text.startsWith(QLatin1Char('-')));
            }
            visita(nodo);
        }
    };
    visita(QModelIndex());
    QCOMPARE(nodi, int(criterio.size()));

    // R1 clicked: its three four-monthly periods and, in the footer, its own totals.
    const QModelIndex r1 = modello
                               .match(modello.index(0, 0), TreeGridModel::KeyRole, qint64(12), 1,
                                      Qt::MatchExactly | Qt::MatchRecursive)
                               .value(0);
    QVERIFY(r1.isValid());
    albero->scrollTo(r1);
    QTest::mouseClick(albero->viewport(), Qt::LeftButton, {}, albero->visualRect(r1).center());
    test::attendi();
    auto* periodi = sessione.w<GrigliaPeriodi>("QGRID_PERIODI");
    const QAbstractItemModel& righe = *periodi->tabella()->model();
    QCOMPARE(righe.rowCount(), 3);
    const std::map<QString, Riga> attesi = righeAttese(QStringLiteral("periodi"));
    auto* delegatoPeriodi = qobject_cast<DelegatoImporti*>(periodi->tabella()->itemDelegate());
    for (int riga = 0; riga < 3; ++riga) {
        QCOMPARE(righe.index(riga, 0).data().toString(),
                 QStringLiteral("%1° Quadrimestre 2026").arg(riga + 1));
        for (int column = 1; column < righe.columnCount(); ++column) {
            const QString field = campo(righe, column);
            QCOMPARE(
                delegatoPeriodi->testoMostrato(righe.index(riga, column)),
                comeMostrato(field, attesi.at(QStringLiteral("12/%1").arg(riga + 1)).value(field)));
            QCOMPARE(periodi->piede()->testo(column),
                     comeMostrato(field, criterio.at(QStringLiteral("12")).value(field)));
        }
    }
    auto* grafico = sessione.w<GraficoPeriodi>("GRAFICO_PERIODI");
    QCOMPARE(grafico->serie(), (QStringList{"Bdg 2026", "Fo1 2026", "Con 2026"}));
    QCOMPARE(grafico->categorie(), (QStringList{"1°", "2°", "3°"}));

    // The periods pane opens with its button; the accounts go and come back with theirs.
    auto* split = sessione.w<QSplitter>("ZEL_SPLIT");
    QCOMPARE(split->sizes().value(1), 0);
    sessione.w<QToolButton>("BUT_PERIODI_VISIBLE")->click();
    test::attendi();
    QVERIFY(split->sizes().value(1) > 0);
    QVERIFY(sessione.w<QToolButton>("BUT_PERIODI_VISIBLE")->isChecked());
    const int conConti = nodi;
    sessione.w<QToolButton>("BUT_NODO_CONTI_VISIBILE")->click();
    test::attendi();
    int senzaConti = 0;
    const std::function<void(const QModelIndex&)> conta = [&](const QModelIndex& padre) {
        for (int riga = 0; riga < modello.rowCount(padre); ++riga) {
            const QModelIndex nodo = modello.index(riga, 0, padre);
            QVERIFY(nodo.data(TreeGridModel::RecordKindRole).toString() != QLatin1String("C"));
            ++senzaConti;
            conta(nodo);
        }
    };
    conta(QModelIndex());
    QCOMPARE(senzaConti, conConti - 6); // the fixture's six accounts
    QVERIFY(!sessione.w<QToolButton>("BUT_NODO_CONTI_VISIBILE")->isChecked());
    QCOMPARE(righe.rowCount(), 3); // R1 is no account: it stays chosen

    // After the run the difference of the second set goes from both grids with its box.
    const int deltaFo = periodi->modello()->columnOf(QStringLiteral("DELTA_IMP2"));
    QVERIFY(!periodi->tabella()->isColumnHidden(deltaFo));
    griglia->setCurrentIndex(griglia->model()->index(1, 4));
    QTest::keyClick(griglia, Qt::Key_Space);
    test::attendi();
    QVERIFY(periodi->tabella()->isColumnHidden(deltaFo));
    for (int column = 0; column < modello.columnCount(); ++column) {
        if (campo(modello, column) == QLatin1String("DELTA_IMP2"))
            QVERIFY(albero->isColumnHidden(column));
    }

    // Another company is refused while the inquiry is open, and allowed once it closed.
    QVERIFY(!sessione.finestra->cambiaDitta(sessione.company.connectionString(), 1));
    QCOMPARE(sessione.mostrati.last(), MessageCatalogue::text(Msg::CambioDittaNonAmmesso));
    QCOMPARE(sessione.titoli.last(), QStringLiteral("Budget per criterio di elaborazione"));
    sessione.finestra->cornici().first()->close();
    test::attendi();
    QVERIFY(sessione.finestra->cornici().isEmpty());
    QVERIFY(sessione.finestra->cambiaDitta(sessione.company.connectionString(), 1));
}

QTEST_MAIN(TestDesktopSessione)
#include "test_desktop_sessione.moc"
