#pragma once

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QWidget;

namespace bdg {

class ButtonModel;
class CheckModel;
class ControlModel;
class LabelModel;
class ProgressModel;

// Ties a widget to the model of its control: the widget shows the model's state (enabled,
// visible, text, value, focus) as it changes, and hands the user's clicks to the model,
// whose handlers decide. Nothing is decided here.

/// Enabled and visible state, and the form's requests for the focus.
void collegaControllo(ControlModel& model, QWidget* widget);
/// A frame: its caption as the group's title.
void collegaCornice(ControlModel& model, QGroupBox* box);
/// A read-only text.
void collegaEtichetta(LabelModel& model, QLabel* label);
/// A check box: the model's value (1 checked), and the user's click.
void collegaCasella(CheckModel& model, QCheckBox* box);
/// A toolbar button: the user's click.
void collegaPulsante(ButtonModel& model, QAbstractButton* button);
/// The progress indicator: its caption, and a busy bar while it runs.
void collegaProgresso(ProgressModel& model, QProgressBar* bar, QLabel* caption);

} // namespace bdg
