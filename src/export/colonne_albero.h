#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QString>

namespace bdg {

struct GridColumn;
class TreeGridModel;

/// Column kinds of the tree grid that the exports read.
namespace TipoColonnaAlbero {
inline constexpr int Testo = 1;
inline constexpr int Numero = 11;
} // namespace TipoColonnaAlbero

/// Twips per character when a column's width becomes a text size.
inline constexpr int TwipsPerCarattere = 15;

/// Decimals of an export's percentage ratio fields, and of amounts without a mask.
inline constexpr int ScalaPercentuale = 4;
inline constexpr int DecimaliPredefiniti = 2;

/// True for the percentage-difference fields ("DELTA_PERC2").
bool isCampoPercentuale(const QString& campo);

/// A stored percentage ratio as the exports show it: times 100, rounded to 2 decimals half
/// away from zero as the grid shows it (-0.464381 gives -46.44); Null stays Null.
Variant percentualeEsportata(const Variant& rapporto);

/// Defines the field of a tree grid column in an export table: for a numeric column an
/// exact decimal with `scala` decimals (precision 16 for two, wider for more), for a text
/// column a text as long as the column is wide (15 twips a character) or `lunghezza` when
/// that is more, so that a narrowed column never refuses a description. False, and nothing
/// defined, for any other kind of column.
bool DefinisciCampoColonna(Recordset& rst, const GridColumn& colonna, int scala, int lunghezza = 0);

/// The longest text of column `colonna` over the tree's shown nodes; the VOCE column counts
/// the indentation of `perLivello` characters per level and the 3 of " * " before the code.
int lunghezzaTesto(const TreeGridModel& albero, int colonna, int perLivello);

/// Adds a row filled by `riempi`, whole or not at all: a value that does not fit leaves no
/// half row behind, and the error goes on to the caller.
template <class F> void aggiungiRiga(Recordset& rst, F&& riempi) {
    rst.AddNew();
    try {
        riempi();
        rst.Update();
    } catch (...) {
        rst.CancelUpdate();
        throw;
    }
}

/// The VOCE cell of an export: `perLivello` times `rientro` per level of the node, then
/// " * " and the code (empty when Null).
QString voceRientrata(const Variant& voce, int livello, QChar rientro, int perLivello);

} // namespace bdg
