#include "views/dialogo_elenco.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace bdg {

DialogoElenco::DialogoElenco(const RichiestaLookup& richiesta, QWidget* parent)
    : QDialog(parent), m_filtro(new QLineEdit(this)), m_tabella(new QTableView(this)),
      m_voci(new QStandardItemModel(this)), m_filtrate(new QSortFilterProxyModel(this)) {
    setObjectName(richiesta.nome.isEmpty() ? QStringLiteral("DialogoElenco") : richiesta.nome);
    setWindowTitle(richiesta.didascalia);
    QStringList colonne = richiesta.colonne;
    while (colonne.size() < 2)
        colonne << QString();
    m_voci->setHorizontalHeaderLabels(colonne.mid(0, 2));
    for (const VoceElenco& voce : richiesta.voci)
        m_voci->appendRow({new QStandardItem(voce.codice), new QStandardItem(voce.descrizione)});
    m_filtrate->setSourceModel(m_voci);
    m_filtrate->setFilterKeyColumn(-1);
    m_filtrate->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_tabella->setModel(m_filtrate);
    m_tabella->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tabella->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tabella->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tabella->verticalHeader()->hide();
    m_tabella->horizontalHeader()->setStretchLastSection(true);
    m_tabella->setColumnHidden(
        1, richiesta.colonne.value(1).isEmpty() &&
               std::all_of(richiesta.voci.begin(), richiesta.voci.end(),
                           [](const VoceElenco& voce) { return voce.descrizione.isEmpty(); }));
    m_tabella->resizeColumnToContents(0);
    if (m_filtrate->rowCount() > 0)
        m_tabella->selectRow(0);

    auto* etichetta = new QLabel(QStringLiteral("&Cerca:"), this);
    etichetta->setBuddy(m_filtro);
    auto* pulsanti = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    pulsanti->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Scegli"));
    pulsanti->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    auto* layout = new QVBoxLayout(this);
    auto* riga = new QHBoxLayout;
    riga->addWidget(etichetta);
    riga->addWidget(m_filtro);
    layout->addLayout(riga);
    layout->addWidget(m_tabella);
    layout->addWidget(pulsanti);
    resize(480, 360);

    connect(m_filtro, &QLineEdit::textChanged, this, [this](const QString& testo) {
        m_filtrate->setFilterFixedString(testo);
        if (m_filtrate->rowCount() > 0)
            m_tabella->selectRow(0);
    });
    connect(m_tabella, &QTableView::activated, this, &DialogoElenco::accettaCorrente);
    connect(pulsanti, &QDialogButtonBox::accepted, this, &DialogoElenco::accettaCorrente);
    connect(pulsanti, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Arrows move in the list while the filter keeps the cursor.
    m_filtro->installEventFilter(this);
    m_filtro->setFocus();
}

void DialogoElenco::accettaCorrente() {
    const QModelIndex current = m_tabella->currentIndex();
    if (!current.isValid())
        return;
    m_scelto = m_filtrate->index(current.row(), 0).data().toString();
    accept();
}

bool DialogoElenco::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_filtro || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp &&
        key != Qt::Key_PageDown)
        return QDialog::eventFilter(watched, event);
    QKeyEvent copy(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_tabella, &copy);
    return true;
}

bool DialogoElenco::scegli(const QString& codice) {
    for (int row = 0; row < m_voci->rowCount(); ++row) {
        if (m_voci->item(row, 0)->text() != codice)
            continue;
        m_scelto = codice;
        accept();
        return true;
    }
    return false;
}

QStringList DialogoElenco::codiciMostrati() const {
    QStringList codici;
    for (int row = 0; row < m_filtrate->rowCount(); ++row)
        codici << m_filtrate->index(row, 0).data().toString();
    return codici;
}

} // namespace bdg
