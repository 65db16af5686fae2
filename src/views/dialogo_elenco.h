#pragma once

#include "host/contract/lookup_service.h"

#include <QDialog>

class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace bdg {

/// The host's lookup list: the entries a field offers, with a filter that narrows them as
/// the user types (on every column), chosen with a double click or Enter.
class DialogoElenco : public QDialog {
    Q_OBJECT

public:
    explicit DialogoElenco(const RichiestaLookup& richiesta, QWidget* parent = nullptr);

    /// The code of the chosen entry; empty before a choice.
    QString codiceScelto() const { return m_scelto; }
    /// Chooses the entry with `codice` as a user would, and closes; false when the list
    /// does not offer it.
    bool scegli(const QString& codice);
    /// The codes offered, as shown (after the filter).
    QStringList codiciMostrati() const;
    QLineEdit* filtro() const { return m_filtro; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void accettaCorrente();

    QLineEdit* m_filtro;
    QTableView* m_tabella;
    QStandardItemModel* m_voci;
    QSortFilterProxyModel* m_filtrate;
    QString m_scelto;
};

} // namespace bdg
