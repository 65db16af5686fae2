#pragma once

#include "data/variant.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace bdg {

class Connection;
struct FormState;

/// A message that a profile operation showed to the user (text, style, title), so that the
/// command line can tell why nothing was saved or loaded.
struct AvvisoProfilo {
    QString testo;
    int stile = 0;
    QString titolo;
};

/// Comparison profiles: comparison lists stored in BU68_BDGINTRIC under a name, one row per
/// set, shared by every user of the company database and tied to no subtype or criterion.
/// Names and values are written through the SQL literal helpers, so a name holding quotes,
/// semicolons or comment marks is just a name.

/// The longest profile name, in characters: what BU68_NOME holds on every engine.
constexpr int LunghezzaNomeProfilo = 60;

/// The stored profile names, ascending, as the profile lookup lists them.
QStringList ElencoProfili(Connection& connection);

/// Stores the comparison list under `TXT_PROFILO`, replacing any profile of that name.
/// An empty list, an empty name, a name longer than LunghezzaNomeProfilo or holding control
/// characters (a line break, a tab) are refused with their "Attenzione" message and write
/// nothing. Incomplete sets and sets whose site does not fit the subtype's site management
/// are left out silently; when that leaves no set at all the save is refused too, so the
/// stored profile is never replaced by nothing. The replacement runs in one transaction:
/// when it fails the previous profile stays as it was. Errors are reported under
/// "BUT_BU68_SALVA_ButtonClick".
/// Returns the message shown, nothing when the list was stored (or the user left after an
/// error; `salvato` tells the two apart).
std::optional<AvvisoProfilo>
BUT_BU68_SALVA_ButtonClick(FormState& state, const Variant& TXT_PROFILO, bool* salvato = nullptr);

/// Removes the stored profile `TXT_PROFILO` (nothing for an empty name) and empties the
/// comparison list; `cancellati` receives the number of stored sets removed (0 for a name
/// no profile has). Errors are reported under "BUT_BU68_DELETE_ButtonClick"; false when
/// the user left there.
bool BUT_BU68_DELETE_ButtonClick(FormState& state, const Variant& TXT_PROFILO,
                                 int* cancellati = nullptr);

/// Loads the stored profile `nome` into the comparison list (which the caller emptied):
/// sequences, kinds, years, progressives and difference flags as stored, the current
/// company, the site when the subtype manages sites. A profile whose site usage does not
/// fit the subtype is refused with its message (style 48, the form's caption), `Cancel` is
/// set and nothing is loaded. An unknown name loads nothing. Errors are reported under
/// "PopolaRstConfrontoDaBU68".
std::optional<AvvisoProfilo> PopolaRstConfrontoDaBU68(FormState& state, const Variant& nome,
                                                      bool& Cancel);

} // namespace bdg
