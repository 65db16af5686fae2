#pragma once

#include <QString>

#include <optional>

namespace bdg {

struct FormState;

/// Why a parameter was refused: the message exactly as the form shows it, and the control
/// the user is sent back to. The command line names the option from `controllo`; the form
/// puts the focus there.
///
/// A refusal without a message (an empty code, a code the decode does not know) still
/// carries a text for the command line, but `mostrato` is false: the form shows nothing
/// and only keeps the focus in the field.
struct Rifiuto {
    int numero = 0;    ///< catalogue message number; 0 for a free text
    QString testo;     ///< the text as shown (the catalogue's for a numbered message)
    int stile = 0;     ///< the host's style code
    QString titolo;    ///< title of the message box
    QString controllo; ///< the control to return to, e.g. "TXT_PERIODO_A"
    int verifica = 0;  ///< which check of IsParametriValidi failed (1 to 13); 0 elsewhere
    bool mostrato = true;
};

/// Nothing when the parameter was accepted, the refusal otherwise.
using EsitoParametro = std::optional<Rifiuto>;

/// Shows catalogue message `numero` with `stile` and the form's caption, as the parameter
/// checks do, and returns the refusal naming `controllo`.
Rifiuto rifiutoNumerato(FormState& state, int numero, int stile, const QString& controllo);
/// Shows the free text `testo` with `stile` and `titolo` and returns the refusal.
Rifiuto rifiutoTesto(FormState& state, const QString& testo, int stile, const QString& titolo,
                     const QString& controllo);
/// A refusal that the form does not show (the field just keeps the focus).
Rifiuto rifiutoMuto(const QString& testo, const QString& controllo);

} // namespace bdg
