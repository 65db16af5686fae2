#include "app/gui/dialogo_ditta.h"

#include "company/demo_database.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace bdg::gui {

DialogoDitta::DialogoDitta(const QString& database, int ditta, QWidget* parent)
    : QDialog(parent), m_demo(new QCheckBox(QStringLiteral("Ditta &dimostrativa"), this)),
      m_database(new QLineEdit(this)), m_ditta(new QSpinBox(this)) {
    setWindowTitle(QStringLiteral("Cambia ditta"));
    const bool demo = database.isEmpty() || database == defaultDemoDatabase();
    m_demo->setChecked(demo);
    m_database->setText(demo ? QString() : database);
    m_database->setPlaceholderText(
        QStringLiteral("file .sqlite oppure host=... dbname=... di PostgreSQL"));
    m_database->setMinimumWidth(360);
    m_ditta->setRange(1, 99999);
    m_ditta->setValue(ditta);
    auto* sfoglia = new QPushButton(QStringLiteral("&Sfoglia…"), this);
    auto* riga = new QHBoxLayout;
    riga->addWidget(m_database);
    riga->addWidget(sfoglia);
    auto* campi = new QFormLayout;
    campi->addRow(m_demo);
    campi->addRow(QStringLiteral("&Database:"), riga);
    campi->addRow(QStringLiteral("Codice &ditta:"), m_ditta);
    auto* pulsanti = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    pulsanti->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Apri"));
    pulsanti->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(campi);
    layout->addWidget(pulsanti);
    connect(sfoglia, &QPushButton::clicked, this, &DialogoDitta::sfoglia);
    connect(m_demo, &QCheckBox::toggled, this, &DialogoDitta::aggiorna);
    connect(pulsanti, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pulsanti, &QDialogButtonBox::rejected, this, &QDialog::reject);
    aggiorna();
}

void DialogoDitta::sfoglia() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Database della ditta"), m_database->text(),
        QStringLiteral("Database SQLite (*.sqlite *.db);;Tutti i file (*)"));
    if (!file.isEmpty())
        m_database->setText(file);
}

void DialogoDitta::aggiorna() {
    const bool demo = m_demo->isChecked();
    m_database->setEnabled(!demo);
    m_ditta->setEnabled(!demo);
    if (demo)
        m_ditta->setValue(1);
}

QString DialogoDitta::database() const {
    return m_demo->isChecked() ? QString() : m_database->text().trimmed();
}

int DialogoDitta::ditta() const {
    return m_ditta->value();
}

} // namespace bdg::gui
