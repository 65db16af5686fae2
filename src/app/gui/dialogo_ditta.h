#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace bdg::gui {

/// Asks which company to open: the demo company, or a database (an SQLite file chosen
/// from the disk, or a PostgreSQL connection typed in) and the company's code.
class DialogoDitta : public QDialog {
    Q_OBJECT

public:
    DialogoDitta(const QString& database, int ditta, QWidget* parent = nullptr);

    /// The database chosen; empty for the demo company.
    QString database() const;
    int ditta() const;

private:
    void sfoglia();
    void aggiorna();

    QCheckBox* m_demo;
    QLineEdit* m_database;
    QSpinBox* m_ditta;
};

} // namespace bdg::gui
