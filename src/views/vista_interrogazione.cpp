#include "views/vista_interrogazione.h"

#include "views/vista_interrogazione_p.h"

#include "form/frmbu_bdgintric.h"
#include "views/collegamenti.h"
#include "views/delegato_lista.h"
#include "views/formato_celle.h"
#include "views/icone_nodi.h"
#include "views/modello_griglia.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSettings>
#include <QShortcut>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

namespace bdg {

namespace {

const QString ChiaveImpostazioni = QStringLiteral("FRMBU_BDGINTRIC/");

} // namespace

VistaInterrogazione::VistaInterrogazione(FRMBU_BDGINTRIC& form, QWidget* parent)
    : QWidget(parent), d(std::make_unique<VistaInterrogazionePrivate>(form)) {
    d->ui.setupUi(this);
    setWindowTitle(form.caption());
    collegaParametri();
    collegaConfronto();
    collegaRisultato();
    collegaPulsanti();
    ripristinaImpostazioni();
    connect(&form, &FRMBU_BDGINTRIC::unloaded, this, &VistaInterrogazione::salvaImpostazioni);
}

VistaInterrogazione::~VistaInterrogazione() = default;

FRMBU_BDGINTRIC& VistaInterrogazione::form() const {
    return d->form;
}

QWidget* VistaInterrogazione::widgetDi(const QString& controllo) const {
    return findChild<QWidget*>(controllo);
}

void VistaInterrogazione::collegaParametri() {
    FRMBU_BDGINTRIC& form = d->form;
    Ui::VistaInterrogazione& ui = d->ui;
    collegaControllo(form.FRAME_PARAMETRI, ui.FRAME_PARAMETRI);
    for (const auto& [model, box] : {std::pair{&form.FRAME_SOTTOTIPO, ui.FRAME_SOTTOTIPO},
                                     std::pair{&form.FRAME_CRITERIO, ui.FRAME_CRITERIO},
                                     std::pair{&form.FRAME_VALUTA, ui.FRAME_VALUTA},
                                     std::pair{&form.FRAME_CONFRONTO, ui.FRAME_CONFRONTO}})
        collegaCornice(*model, box);
    for (const auto& [model, field] :
         {std::pair{&form.TXT_SOTTOTIPO, ui.TXT_SOTTOTIPO},
          std::pair{&form.TXT_CRITERIO, ui.TXT_CRITERIO},
          std::pair{&form.TXT_PERIODO_DA, ui.TXT_PERIODO_DA},
          std::pair{&form.TXT_PERIODO_A, ui.TXT_PERIODO_A},
          std::pair{&form.TXT_VALUTA, ui.TXT_VALUTA},
          std::pair{&form.TXT_DATACAMBIO, ui.TXT_DATACAMBIO},
          std::pair{&form.TXT_CAMBIO, ui.TXT_CAMBIO}, std::pair{&form.TXT_PROFILO, ui.TXT_PROFILO}})
        field->collega(*model);
    for (const auto& [model, label] :
         {std::pair{&form.TXT_SOTTOTIPO_DES, ui.TXT_SOTTOTIPO_DES},
          std::pair{&form.TXT_CRITERIO_DES, ui.TXT_CRITERIO_DES},
          std::pair{&form.LBB_PERIODICITA, ui.LBB_PERIODICITA},
          std::pair{&form.LBB_PERIODOSOLAREFISCALE, ui.LBB_PERIODOSOLAREFISCALE},
          std::pair{&form.LBB_INDTIPOPDC, ui.LBB_INDTIPOPDC},
          std::pair{&form.LBB_GESTIONESEDE, ui.LBB_GESTIONESEDE},
          std::pair{&form.LBB_NUMFORECAST, ui.LBB_NUMFORECAST},
          std::pair{&form.LBB_INDMULTIATTIVITA, ui.LBB_INDMULTIATTIVITA},
          std::pair{&form.TXT_CODSTRUTTURABU60, ui.TXT_CODSTRUTTURABU60}})
        collegaEtichetta(*model, label);
    // The structure's caption comes and goes with its field.
    ui.CAP_CODSTRUTTURABU60->setVisible(form.TXT_CODSTRUTTURABU60.visible());
    connect(&form.TXT_CODSTRUTTURABU60, &ControlModel::visibleChanged, ui.CAP_CODSTRUTTURABU60,
            &QWidget::setVisible);
    collegaCasella(form.CHK_CONSOLIDO_MULTIATT, ui.CHK_CONSOLIDO_MULTIATT);
    collegaCasella(form.CHK_NASCONDI_NULL, ui.CHK_NASCONDI_NULL);
}

void VistaInterrogazione::collegaConfronto() {
    FRMBU_BDGINTRIC& form = d->form;
    QTableView* table = d->ui.QGRID_CONFRONTO;
    d->confronto = new ModelloGriglia(form.QGRID_CONFRONTO, this);
    table->setModel(d->confronto);
    table->setItemDelegate(new DelegatoLista(table));
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    table->horizontalHeader()->setHighlightSections(false);
    table->installEventFilter(this);
    collegaControllo(form.QGRID_CONFRONTO, table);
    connect(d->confronto, &ModelloGriglia::columnsLaidOut, this,
            &VistaInterrogazione::disponiConfronto);
    connect(d->confronto, &ModelloGriglia::rowsReloaded, this,
            &VistaInterrogazione::mostraRigaConfronto);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.row() != d->confronto->currentRow())
                    d->form.QGRID_CONFRONTO.selectRow(current.row());
            });
    disponiConfronto();
}

void VistaInterrogazione::disponiConfronto() {
    QTableView* table = d->ui.QGRID_CONFRONTO;
    const GridColumns& columns = d->form.QGRID_CONFRONTO.columns();
    // Captions and values set the widths: the design's, meant for a smaller font, would
    // push the check boxes out of sight.
    for (int column = 0; column < columns.size(); ++column) {
        table->setColumnHidden(column, !columns.at(column).visible);
        table->setColumnWidth(
            column, std::max(static_cast<QAbstractItemView*>(table)->sizeHintForColumn(column),
                             table->horizontalHeader()->sectionSizeHint(column)));
    }
}

// The grid's current row is its data source's cursor, which the form's handlers move.
void VistaInterrogazione::mostraRigaConfronto() {
    QTableView* table = d->ui.QGRID_CONFRONTO;
    const int row = d->confronto->currentRow();
    if (row < 0 || row == table->currentIndex().row())
        return;
    const int column = std::max(table->currentIndex().column(), 1);
    table->setCurrentIndex(d->confronto->index(row, column));
}

void VistaInterrogazione::collegaRisultato() {
    FRMBU_BDGINTRIC& form = d->form;
    Ui::VistaInterrogazione& ui = d->ui;
    ui.TGRID_BDGINTRIC->collega(form.TGRID_BDGINTRIC);
    ui.QGRID_PERIODI->collega(form.QGRID_PERIODI);
    ui.GRAFICO_PERIODI->collega(*ui.QGRID_PERIODI->modello(), form.TGRID_BDGINTRIC);
    collegaProgresso(form.ZEL_PROGRESS, ui.ZEL_PROGRESS, ui.LBL_PROGRESSO);
    ui.ZEL_SPLIT->setChildrenCollapsible(true);
    ui.ZEL_SPLIT->setStretchFactor(0, 1);
    ui.ZEL_SPLIT->setStretchFactor(1, 0);
    ui.SPLIT_GRAFICO->setChildrenCollapsible(true);
    ui.SPLIT_GRAFICO->setStretchFactor(0, 3);
    ui.SPLIT_GRAFICO->setStretchFactor(1, 2);
    connect(&form.ZEL_SPLIT, &SplitModel::applied, this, &VistaInterrogazione::applicaSplit);
    connect(ui.SPLIT_GRAFICO, &QSplitter::splitterMoved, this,
            [this] { d->graficoSistemato = true; });
    connect(ui.QGRID_PERIODI->modello(), &ModelloGriglia::columnsLaidOut, this,
            &VistaInterrogazione::sistemaGrafico);
    connect(ui.QGRID_PERIODI->modello(), &ModelloGriglia::rowsReloaded, this,
            &VistaInterrogazione::sistemaGrafico);
    connect(ui.ZEL_SPLIT, &QSplitter::splitterMoved, this, &VistaInterrogazione::splitSpostato);
    for (const auto& [image, kind, model, label] :
         {std::tuple{ui.IMG_TI, 2, &form.LBL_TI, ui.LBL_TI},
          std::tuple{ui.IMG_TA, 1, &form.LBL_TA, ui.LBL_TA},
          std::tuple{ui.IMG_VA, 0, &form.LBL_VA, ui.LBL_VA},
          std::tuple{ui.IMG_FORMULA, 3, &form.LBL_IMG_FORMULA, ui.LBL_IMG_FORMULA}}) {
        image->setPixmap(IconeNodi::icona(kind).pixmap(16, 16));
        collegaEtichetta(*model, label);
    }
    collegaControllo(form.QGRID_PERIODI, ui.QGRID_PERIODI);
}

void VistaInterrogazione::collegaPulsanti() {
    FRMBU_BDGINTRIC& form = d->form;
    Ui::VistaInterrogazione& ui = d->ui;
    for (const auto& [model, button] :
         {std::pair{&form.BUT_ELABORA, static_cast<QAbstractButton*>(ui.BUT_ELABORA)},
          std::pair{&form.BUT_NUOVO, static_cast<QAbstractButton*>(ui.BUT_NUOVO)},
          std::pair{&form.BUT_PARAMETRI, static_cast<QAbstractButton*>(ui.BUT_PARAMETRI)},
          std::pair{&form.BUT_NODO_CONTI_VISIBILE,
                    static_cast<QAbstractButton*>(ui.BUT_NODO_CONTI_VISIBILE)},
          std::pair{&form.BUT_PERIODI_VISIBLE,
                    static_cast<QAbstractButton*>(ui.BUT_PERIODI_VISIBLE)},
          std::pair{&form.BUT_EXCEL, static_cast<QAbstractButton*>(ui.BUT_EXCEL)},
          std::pair{&form.BUT_QGRID_PIU, static_cast<QAbstractButton*>(ui.BUT_QGRID_PIU)},
          std::pair{&form.BUT_QGRID_MENO, static_cast<QAbstractButton*>(ui.BUT_QGRID_MENO)},
          std::pair{&form.BUT_QGRID_SU, static_cast<QAbstractButton*>(ui.BUT_QGRID_SU)},
          std::pair{&form.BUT_QGRID_GIU, static_cast<QAbstractButton*>(ui.BUT_QGRID_GIU)},
          std::pair{&form.BUT_BU68_SALVA, static_cast<QAbstractButton*>(ui.BUT_BU68_SALVA)},
          std::pair{&form.BUT_BU68_DELETE, static_cast<QAbstractButton*>(ui.BUT_BU68_DELETE)}})
        collegaPulsante(*model, button);
    // The toggles show the state the form is in once their handler ran.
    for (QAbstractButton* toggle : {static_cast<QAbstractButton*>(ui.BUT_PARAMETRI),
                                    static_cast<QAbstractButton*>(ui.BUT_NODO_CONTI_VISIBILE),
                                    static_cast<QAbstractButton*>(ui.BUT_PERIODI_VISIBLE)})
        connect(toggle, &QAbstractButton::clicked, this,
                &VistaInterrogazione::aggiornaInterruttori);
    const QStyle* stile = style();
    ui.BUT_ELABORA->setIcon(stile->standardIcon(QStyle::SP_MediaPlay));
    ui.BUT_NUOVO->setIcon(stile->standardIcon(QStyle::SP_FileIcon));
    ui.BUT_PARAMETRI->setIcon(stile->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui.BUT_NODO_CONTI_VISIBILE->setIcon(IconeNodi::icona(5));
    ui.BUT_PERIODI_VISIBLE->setIcon(stile->standardIcon(QStyle::SP_FileDialogListView));
    ui.BUT_EXCEL->setIcon(stile->standardIcon(QStyle::SP_DialogSaveButton));
    ui.BUT_ELABORA->setToolTip(QStringLiteral("Elabora (F5)"));
    connect(&form.FRAME_PARAMETRI, &ControlModel::visibleChanged, this,
            &VistaInterrogazione::aggiornaInterruttori);
    connect(&form.TGRID_BDGINTRIC, &TreeGridModel::refreshed, this,
            &VistaInterrogazione::aggiornaInterruttori);
    aggiornaInterruttori();

    const auto scorciatoia = [this](const QKeySequence& keys, const std::function<void()>& act) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, act);
    };
    scorciatoia(Qt::Key_F5, [this] { d->form.BUT_ELABORA.click(); });
    scorciatoia(QKeySequence(Qt::CTRL | Qt::Key_1), [this] { d->ui.TGRID_BDGINTRIC->setFocus(); });
    scorciatoia(QKeySequence(Qt::CTRL | Qt::Key_2), [this] { d->ui.QGRID_PERIODI->setFocus(); });
    scorciatoia(QKeySequence(Qt::CTRL | Qt::Key_3), [this] { d->ui.QGRID_CONFRONTO->setFocus(); });
}

void VistaInterrogazione::aggiornaInterruttori() {
    FRMBU_BDGINTRIC& form = d->form;
    d->ui.BUT_PARAMETRI->setChecked(form.FRAME_PARAMETRI.visible());
    d->ui.BUT_NODO_CONTI_VISIBILE->setChecked(form.NascondiConti);
    d->ui.BUT_PERIODI_VISIBLE->setChecked(form.PeriodiVisibili);
}

// The split as the form sets it: the upper pane's share in percent, the lower pane at
// least its size; a share of 100 collapses the periods.
void VistaInterrogazione::applicaSplit() {
    const SplitModel& split = d->form.ZEL_SPLIT;
    QSplitter* splitter = d->ui.ZEL_SPLIT;
    const int totale = std::max(splitter->height() - splitter->handleWidth(), 0);
    int sotto = 0;
    if (split.proportion < 100) {
        sotto = int(std::lround(totale * (100.0 - split.proportion) / 100.0));
        sotto = std::max(sotto, pixelDaTwips(split.lowerPaneSize, this));
        sotto = std::min(sotto, totale - pixelDaTwips(split.upperPaneSize, this));
    }
    d->applicandoSplit = true;
    splitter->setSizes({totale - std::max(sotto, 0), std::max(sotto, 0)});
    d->applicandoSplit = false;
    aggiornaInterruttori();
}

// Until the user places it, the chart takes what the periods grid leaves. A chart narrower
// than GraficoLeggibile shows neither its labels nor its bars: the grid then takes the
// whole width and the chart waits, folded at the right edge, for a wider window.
void VistaInterrogazione::sistemaGrafico() {
    constexpr int GraficoLeggibile = 360;
    QSplitter* split = d->ui.SPLIT_GRAFICO;
    if (d->graficoSistemato || split->width() <= 0)
        return;
    const int totale = split->width() - split->handleWidth();
    const int griglia = std::min(d->ui.QGRID_PERIODI->larghezzaContenuto(), totale * 3 / 4);
    if (totale - griglia < GraficoLeggibile)
        split->setSizes({totale, 0});
    else
        split->setSizes({griglia, totale - griglia});
}

void VistaInterrogazione::splitSpostato() {
    if (d->applicandoSplit)
        return;
    const QList<int> sizes = d->ui.ZEL_SPLIT->sizes();
    const int totale = sizes.value(0) + sizes.value(1);
    if (totale <= 0)
        return;
    SplitModel& split = d->form.ZEL_SPLIT;
    split.proportion = float(sizes.value(0) * 100.0 / totale);
    split.lowerPaneSize = twipsDaPixel(sizes.value(1), this);
    d->form.ZEL_SPLIT_AfterMove();
}

void VistaInterrogazione::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sistemaGrafico();
    d->form.Ridimensiona(twipsDaPixel(width(), this), twipsDaPixel(height(), this));
}

void VistaInterrogazione::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    applicaSplit();
    if (QWidget* focus = widgetDi(d->form.focus()))
        focus->setFocus(Qt::OtherFocusReason);
}

// The comparison grid's keys: its four buttons, and leaving it writes the cell edited.
bool VistaInterrogazione::eventFilter(QObject* watched, QEvent* event) {
    QTableView* table = d->ui.QGRID_CONFRONTO;
    if (watched != table)
        return QWidget::eventFilter(watched, event);
    FRMBU_BDGINTRIC& form = d->form;
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
        !table->isAncestorOf(QApplication::focusWidget())) {
        form.QGRID_CONFRONTO.leave();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() == Qt::ControlModifier;
    ButtonModel* button = nullptr;
    if (key->key() == Qt::Key_Insert && key->modifiers() == Qt::NoModifier)
        button = &form.BUT_QGRID_PIU;
    else if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier)
        button = &form.BUT_QGRID_MENO;
    else if (key->key() == Qt::Key_Up && ctrl)
        button = &form.BUT_QGRID_SU;
    else if (key->key() == Qt::Key_Down && ctrl)
        button = &form.BUT_QGRID_GIU;
    if (button == nullptr)
        return false;
    if (button->click() && button == &form.BUT_QGRID_PIU) {
        // A new set starts with its kind of figures.
        const QModelIndex kind = d->confronto->index(
            d->confronto->currentRow(), d->confronto->columnOf(QStringLiteral("CFR_TIPODETT")));
        table->setCurrentIndex(kind);
    }
    return true;
}

void VistaInterrogazione::ripristinaImpostazioni() {
    QSettings settings;
    FRMBU_BDGINTRIC& form = d->form;
    const int percentuale = settings.value(ChiaveImpostazioni + "splitPerc", 0).toInt();
    if (percentuale > 0 && percentuale < 100) {
        form.SplitPercSalvata = std::int16_t(percentuale);
        form.SplitPosSalvata = settings.value(ChiaveImpostazioni + "splitPos", 0).toInt();
    }
    d->graficoSistemato = d->ui.SPLIT_GRAFICO->restoreState(
        settings.value(ChiaveImpostazioni + "splitGrafico").toByteArray());
}

// The split the periods pane shows with: the one on screen, or the one kept while hidden.
void VistaInterrogazione::salvaImpostazioni() {
    QSettings settings;
    FRMBU_BDGINTRIC& form = d->form;
    const int percentuale =
        form.PeriodiVisibili ? int(std::lround(form.ZEL_SPLIT.proportion)) : form.SplitPercSalvata;
    const int posizione =
        form.PeriodiVisibili ? form.ZEL_SPLIT.lowerPaneSize : form.SplitPosSalvata;
    if (percentuale > 0 && percentuale < 100) {
        settings.setValue(ChiaveImpostazioni + "splitPerc", percentuale);
        settings.setValue(ChiaveImpostazioni + "splitPos", posizione);
    }
    if (d->graficoSistemato)
        settings.setValue(ChiaveImpostazioni + "splitGrafico", d->ui.SPLIT_GRAFICO->saveState());
}

} // namespace bdg
