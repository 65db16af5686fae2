#pragma once

// A small result built by hand, the same for every writer's test: a criterion with two
// items, an item below the second one and one account under each, two comparison sets
// (the second showing its difference, not its percentage). Rows are added out of order,
// as a run adds accounts after items, so the writers must sort them themselves.

#include "form/frmbu_bdgintric.h"
#include "host/form_state.h"
#include "support/text_rows.h"

namespace bdg::test {

inline RecordsetPtr criterioDiProva() {
    return table(QStringLiteral("KEY_VOCE:i KEY_VOCEPADRE:i VOCE:w15 VOCEDES:v240 TIPOVOCE:d0 "
                                "TIPORECORD:w1 IMP1:d2 IMP2:d2 DELTA_IMP2:d2 DELTA_PERC2:d6"),
                 {"0||CE01|CE01 - Criterio di elaborazione|4|K",
                  "1|0|R|Ricavi|1|V|1234567.00|1234567.50|0.50|0.000000",
                  "2|0|C|Costi|1|V|-234567.00|-234566.50|0.50|-0.000002",
                  "501|1|4010|Vendite, Italia|5|C|1234567.00||-1234567.00|-1.000000",
                  "10501|21|6010|Materie \"prime\"|5|C|-234567.00|-234566.50|0.50|-0.000002",
                  "21|2|C1|Acquisti|0|V|-234567.00|-234566.50|0.50|-0.000002"});
}

// Added in reverse: the columns follow the sequence, not the order of the rows.
inline RecordsetPtr confrontoDiProva() {
    return table(QStringLiteral("CFR_SEQUENZA:d0 CFR_DELTA:d0 CFR_DELTA_PERC:d0"),
                 {"2|1|0", "1|0|0"});
}

inline void statoDiProva(FormState& state) {
    state.RstCriterio = criterioDiProva();
    state.RstConfronto = confrontoDiProva();
    state.FormatoImporti = QStringLiteral("##,###,###,##0.00");
    state.ArrCaptionColonne = {
        std::vector<QString>{QStringLiteral("1"), QStringLiteral("2")},
        std::vector<QString>{QStringLiteral("Bdg 2026"), QStringLiteral("Con 2026")},
        std::vector<QString>{QStringLiteral("D Bdg2026"), QStringLiteral("D Con2026")},
        std::vector<QString>{QStringLiteral("% Bdg2026"), QStringLiteral("% Con2026")}};
}

/// The proof result bound to the form's tree grid, as a run leaves it.
inline void grigliaDiProva(FRMBU_BDGINTRIC& form) {
    statoDiProva(form.state());
    form.InitTGridCriteri();
    form.TGRID_BDGINTRIC.setDataSource(form.state().RstCriterio);
}

} // namespace bdg::test
