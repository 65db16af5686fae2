#pragma once

#include <QTreeView>

namespace bdg {

class TreeGridModel;

/// The result tree (TGRID_BDGINTRIC) on screen: the form's tree grid model with its
/// columns as the form laid them out (captions, widths, hidden columns), the node pictures
/// and the amounts in the run's mask. The row the user moves to becomes the model's
/// current row, which fills the periods grid.
class GrigliaAlbero : public QTreeView {
    Q_OBJECT

public:
    explicit GrigliaAlbero(QWidget* parent = nullptr);

    void collega(TreeGridModel& model);
    TreeGridModel* modello() const { return m_model; }
    /// Makes the node with code `voce` (column VOCE) current, as a click would; false when
    /// the tree shows no such node.
    bool selezionaVoce(const QString& voce);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void disponiColonne();
    void allargaDescrizione();
    void mostraCorrente();

    TreeGridModel* m_model = nullptr;
    int m_descrizioneVoluta = 0; ///< what the descriptions need, measured once per layout
};

} // namespace bdg
