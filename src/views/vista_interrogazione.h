#pragma once

#include <QWidget>

#include <memory>

namespace bdg {

class FRMBU_BDGINTRIC;
struct VistaInterrogazionePrivate;

/// The inquiry form FRMBU_BDGINTRIC on screen: the parameters (subtype, criterion, period
/// range, currency, comparison list), the toolbar, the result tree over the periods grid
/// and its chart, the legend. Each widget is named as its control and shows that control's
/// model; the user's actions go to the model, whose handlers decide. The view keeps the
/// user's split between sessions.
///
/// Keyboard: every field and grid is reached with Tab; F4 opens a field's list and
/// Shift+F4 its menu; F5 runs; in the comparison grid Ins adds a set, Canc removes it,
/// Ctrl+Up and Ctrl+Down move it, Space ticks a box; Ctrl+1, Ctrl+2 and Ctrl+3 go to the
/// tree, the periods grid and the comparison grid.
class VistaInterrogazione : public QWidget {
    Q_OBJECT

public:
    explicit VistaInterrogazione(FRMBU_BDGINTRIC& form, QWidget* parent = nullptr);
    ~VistaInterrogazione() override;

    FRMBU_BDGINTRIC& form() const;
    /// The widget of a control, by the control's name; null for none.
    QWidget* widgetDi(const QString& controllo) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void collegaParametri();
    void collegaConfronto();
    void collegaRisultato();
    void collegaPulsanti();
    void disponiConfronto();
    void mostraRigaConfronto();
    void applicaSplit();
    void splitSpostato();
    void sistemaGrafico();
    void aggiornaInterruttori();
    void ripristinaImpostazioni();
    void salvaImpostazioni();

    std::unique_ptr<VistaInterrogazionePrivate> d;
};

} // namespace bdg
