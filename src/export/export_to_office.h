#pragma once

#include "data/recordset.h"
#include "host/contract/office_export.h"

namespace bdg {

class FRMBU_BDGINTRIC;

/// The result as the form's tree grid shows it, for the host's office export: the header
/// array (row 0 the captions, row 1 the kind codes of TipoColonnaOffice) and a new table
/// with one field per visible column of the grid, one row per shown node below the
/// criterion, in display order. VOCE is indented by five "-" per level, percentages are
/// times 100 with 2 decimals.
///
/// With the periods pane shown (PeriodiVisibili) a PERIODO column ("Periodi") follows the
/// description, and each node's row is preceded by its rows of the run's periods, in
/// period order, whose differences are computed again from their amounts; the node's own
/// row closes the group as "Totale".
///
/// Errors are reported as the form reports them (VisualizzaErrore); after an abort the
/// table holds what was assembled until then.
void ExportToOffice_GetDati(FRMBU_BDGINTRIC& form, ArrayVariant& MyArrayTestata,
                            RecordsetPtr& MyRstOffice);

/// The module's answer to the host navigator's BeforeExportToOffice: when the module is
/// active and the form shows a result, a master block with the run's parameters (subtype,
/// criterion, periods, and currency and rate when converted) and the detail block of
/// ExportToOffice_GetDati, each with its title. `Cancel` is left as the host passed it;
/// errors are skipped, and the host exports what was added.
void ActiveNavigator_BeforeExportToOffice(FRMBU_BDGINTRIC* form, bool& Cancel,
                                          OfficeExport* Pcls_ExpToOffice);

} // namespace bdg
