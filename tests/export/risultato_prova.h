#pragma once

// A small result built by hand, the same for every writer's test: a criterion with two
// items, an item below the second one and one account under each, two comparison sets
// (the second showing its difference, not its percentage). Rows are added out of order,
// as a run adds accounts after items, so the writers must sort them themselves.

#include "data/decimal.h"
#include "data/recordset.h"
#include "form/frmbu_bdgintric.h"
#include "host/form_state.h"

#include <memory>

namespace bdg::test {

inline Variant importo(const char* text) {
    if (text == nullptr)
        return Variant::null();
    return Variant(Decimal::parse(QString::fromLatin1(text)));
}

inline void campoDecimale(Recordset& rst, const QString& name, int scale) {
    rst.appendField(name, FieldType::Decimal);
    rst.setPrecision(rst.fieldCount() - 1, 19);
    rst.setNumericScale(rst.fieldCount() - 1, scale);
}

struct RigaProva {
    int chiave;
    int padre; // -1: none
    const char* voce;
    const char* descrizione;
    int tipoVoce;
    const char* tipoRecord;
    const char* imp1;
    const char* imp2;
    const char* delta;
    const char* perc;
};

inline RecordsetPtr criterioDiProva() {
    auto rst = std::make_shared<Recordset>();
    rst->appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer);
    rst->appendField(QStringLiteral("KEY_VOCEPADRE"), FieldType::Integer);
    rst->appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    rst->appendField(QStringLiteral("VOCEDES"), FieldType::VarWChar, 240);
    campoDecimale(*rst, QStringLiteral("TIPOVOCE"), 0);
    rst->appendField(QStringLiteral("TIPORECORD"), FieldType::WChar, 1);
    campoDecimale(*rst, QStringLiteral("IMP1"), 2);
    campoDecimale(*rst, QStringLiteral("IMP2"), 2);
    campoDecimale(*rst, QStringLiteral("DELTA_IMP2"), 2);
    campoDecimale(*rst, QStringLiteral("DELTA_PERC2"), 6);
    rst->Open();
    const RigaProva righe[] = {
        {0, -1, "CE01", "CE01 - Criterio di elaborazione", 4, "K", nullptr, nullptr, nullptr,
         nullptr},
        {1, 0, "R", "Ricavi", 1, "V", "1234567.00", "1234567.50", "0.50", "0.000000"},
        {2, 0, "C", "Costi", 1, "V", "-234567.00", "-234566.50", "0.50", "-0.000002"},
        {501, 1, "4010", "Vendite, Italia", 5, "C", "1234567.00", nullptr, "-1234567.00",
         "-1.000000"},
        {10501, 21, "6010", "Materie \"prime\"", 5, "C", "-234567.00", "-234566.50", "0.50",
         "-0.000002"},
        {21, 2, "C1", "Acquisti", 0, "V", "-234567.00", "-234566.50", "0.50", "-0.000002"},
    };
    for (const RigaProva& riga : righe) {
        rst->AddNew();
        rst->setValue(u"KEY_VOCE", Variant(riga.chiave));
        rst->setValue(u"KEY_VOCEPADRE", riga.padre < 0 ? Variant::null() : Variant(riga.padre));
        rst->setValue(u"VOCE", Variant(QString::fromUtf8(riga.voce)));
        rst->setValue(u"VOCEDES", Variant(QString::fromUtf8(riga.descrizione)));
        rst->setValue(u"TIPOVOCE", Variant(riga.tipoVoce));
        rst->setValue(u"TIPORECORD", Variant(QString::fromLatin1(riga.tipoRecord)));
        rst->setValue(u"IMP1", importo(riga.imp1));
        rst->setValue(u"IMP2", importo(riga.imp2));
        rst->setValue(u"DELTA_IMP2", importo(riga.delta));
        rst->setValue(u"DELTA_PERC2", importo(riga.perc));
        rst->Update();
    }
    return rst;
}

inline RecordsetPtr confrontoDiProva() {
    auto rst = std::make_shared<Recordset>();
    campoDecimale(*rst, QStringLiteral("CFR_SEQUENZA"), 0);
    campoDecimale(*rst, QStringLiteral("CFR_DELTA"), 0);
    campoDecimale(*rst, QStringLiteral("CFR_DELTA_PERC"), 0);
    rst->Open();
    // Added in reverse: the columns follow the sequence, not the order of the rows.
    for (const int sequenza : {2, 1}) {
        rst->AddNew();
        rst->setValue(u"CFR_SEQUENZA", Variant(sequenza));
        rst->setValue(u"CFR_DELTA", Variant(sequenza == 2 ? 1 : 0));
        rst->setValue(u"CFR_DELTA_PERC", Variant(0));
        rst->Update();
    }
    return rst;
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
