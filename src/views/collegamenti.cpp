#include "views/collegamenti.h"

#include "form/control_model.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

namespace bdg {

void collegaControllo(ControlModel& model, QWidget* widget) {
    widget->setEnabled(model.enabled());
    if (!model.visible())
        widget->setVisible(false);
    QObject::connect(&model, &ControlModel::enabledChanged, widget, &QWidget::setEnabled);
    QObject::connect(&model, &ControlModel::visibleChanged, widget, &QWidget::setVisible);
    QObject::connect(&model, &ControlModel::focusRequested, widget, [widget] {
        QTimer::singleShot(0, widget, [widget] {
            if (widget->isEnabled() && widget->isVisibleTo(widget->window()))
                widget->setFocus(Qt::OtherFocusReason);
        });
    });
}

void collegaCornice(ControlModel& model, QGroupBox* box) {
    collegaControllo(model, box);
    if (!model.caption().isEmpty())
        box->setTitle(model.caption());
    QObject::connect(&model, &ControlModel::captionChanged, box, &QGroupBox::setTitle);
}

void collegaEtichetta(LabelModel& model, QLabel* label) {
    collegaControllo(model, label);
    label->setText(model.text());
    QObject::connect(&model, &LabelModel::textChanged, label, &QLabel::setText);
}

void collegaCasella(CheckModel& model, QCheckBox* box) {
    collegaControllo(model, box);
    if (!model.caption().isEmpty())
        box->setText(model.caption());
    const auto mostra = [box, &model] {
        box->setChecked(NVL(model.value(), Variant(0)).toInt32().value_or(0) == 1);
    };
    mostra();
    QObject::connect(&model, &CheckModel::valueChanged, box, mostra);
    QObject::connect(&model, &CheckModel::refreshed, box, mostra);
    // The box shows the model's value after the click, whatever the handler made of it.
    QObject::connect(box, &QCheckBox::clicked, &model, [&model, mostra] {
        model.click();
        mostra();
    });
}

void collegaPulsante(ButtonModel& model, QAbstractButton* button) {
    collegaControllo(model, button);
    if (button->toolTip().isEmpty())
        button->setToolTip(model.caption());
    QObject::connect(button, &QAbstractButton::clicked, &model, [&model] { model.click(); });
}

void collegaProgresso(ProgressModel& model, QProgressBar* bar, QLabel* caption) {
    const auto mostra = [&model, bar, caption] {
        const bool attivo = model.visible() && model.running();
        bar->setVisible(attivo);
        caption->setVisible(attivo);
        caption->setText(model.caption());
        // The run holds the user-interface thread: paint the bar before it starts.
        if (attivo) {
            bar->repaint();
            caption->repaint();
        }
    };
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    mostra();
    QObject::connect(&model, &ProgressModel::runningChanged, bar, mostra);
    QObject::connect(&model, &ControlModel::visibleChanged, bar, mostra);
    QObject::connect(&model, &ControlModel::captionChanged, bar, mostra);
}

} // namespace bdg
