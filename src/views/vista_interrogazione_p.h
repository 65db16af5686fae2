#pragma once

#include "ui_vista_interrogazione.h"

namespace bdg {

class FRMBU_BDGINTRIC;
class ModelloGriglia;

struct VistaInterrogazionePrivate {
    explicit VistaInterrogazionePrivate(FRMBU_BDGINTRIC& model) : form(model) {}

    Ui::VistaInterrogazione ui;
    FRMBU_BDGINTRIC& form;
    ModelloGriglia* confronto = nullptr;
    /// The view is laying the split out: the splitter's moves are not the user's.
    bool applicandoSplit = false;
    /// The user placed the chart (now or in a session before): the view leaves it there.
    bool graficoSistemato = false;
};

} // namespace bdg
