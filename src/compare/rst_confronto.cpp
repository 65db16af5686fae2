#include "compare/rst_confronto.h"

#include "host/error_trap.h"
#include "host/form_state.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace bdg {

namespace {

// The button operations go on past a failing step (for instance an Update on a row that is
// still being edited): the user would rather see the rest of the operation done.
template <class F> void skipOnError(F&& step) {
    try {
        step();
    } catch (...) {
    }
}

void appendDecimal(Recordset& rst, const char* name, int precision) {
    rst.appendField(QString::fromLatin1(name), FieldType::Decimal, 0, true);
    const int index = rst.fieldCount() - 1;
    rst.setPrecision(index, precision);
    rst.setNumericScale(index, 0);
}

RecordsetPtr newRstConfronto() {
    auto rst = std::make_shared<Recordset>();
    appendDecimal(*rst, "CFR_SEQUENZA", 10);
    rst->appendField(QStringLiteral("CFR_TIPODETT"), FieldType::VarWChar, 15, true);
    appendDecimal(*rst, "CFR_DITTA", 5);
    appendDecimal(*rst, "CFR_ANNO", 4);
    appendDecimal(*rst, "CFR_PROGESER", 2);
    appendDecimal(*rst, "CFR_SEDE", 5);
    appendDecimal(*rst, "CFR_DELTA", 1);
    appendDecimal(*rst, "CFR_DELTA_PERC", 1);
    rst->Open();
    return rst;
}

bool isMissing(const Variant& value) {
    return value.isNullOrEmpty() || (value.isText() && value.toString().isEmpty());
}

bool isRowComplete(const FormState& state, const Recordset& row) {
    for (const char* name : {"CFR_SEQUENZA", "CFR_TIPODETT", "CFR_ANNO", "CFR_PROGESER"}) {
        if (isMissing(row.value(QString::fromLatin1(name)))) {
            return false;
        }
    }
    const bool siteNeeded = !state.IsConsolidoMultiAtt && state.IsGestioneSede;
    return !(siteNeeded && isMissing(row.value(u"CFR_SEDE")));
}

// The stored sequence of the current row; nothing when there is no current row or no
// number in it.
std::optional<std::int32_t> currentSequence(const Recordset& rst) {
    if (rst.RecordCount() == 0 || rst.Eof() || rst.Bof()) {
        return std::nullopt;
    }
    try {
        return rst.value(u"CFR_SEQUENZA").toInt32();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Swaps the current row with the row of sequence `target`, found through a second cursor
// so that the current row stays put; nothing when no row has that sequence.
void swapWithSequence(Recordset& rst, std::int32_t current, std::int32_t target) {
    Recordset finder = rst.Clone();
    finder.setFilter(QStringLiteral("CFR_SEQUENZA = %1").arg(target));
    if (finder.RecordCount() == 0) {
        return;
    }
    skipOnError([&] {
        rst.setValue(u"CFR_SEQUENZA", Variant(target));
        rst.Update();
    });
    skipOnError([&] {
        rst.setBookmark(finder.bookmark());
        rst.setValue(u"CFR_SEQUENZA", Variant(current));
        rst.Update();
    });
}

void moveSet(FormState& state, int step) {
    if (!state.RstConfronto) {
        return;
    }
    Recordset& rst = *state.RstConfronto;
    const std::optional<std::int32_t> sequence = currentSequence(rst);
    if (!sequence) {
        return;
    }
    const bool atEdge = step < 0 ? *sequence == 1 : *sequence == rst.RecordCount();
    if (atEdge) {
        return;
    }
    skipOnError([&] { swapWithSequence(rst, *sequence, *sequence + step); });
    // Re-sorting must not lose the row the user is looking at.
    skipOnError([&] {
        const Bookmark here = rst.bookmark();
        rst.setSort(QStringLiteral("CFR_SEQUENZA"));
        rst.setBookmark(here);
    });
}

std::int32_t nextSequence(Recordset& rst) {
    if (rst.RecordCount() == 0) {
        return 1;
    }
    std::int32_t sequence = 0;
    skipOnError([&] { rst.Update(); });
    skipOnError([&] {
        rst.MoveLast();
        sequence = rst.value(u"CFR_SEQUENZA").toInt32().value() + 1;
    });
    return sequence;
}

} // namespace

bool DefinisciRstConfronto(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("DefinisciRstConfronto"));
    return trap([&] { state.RstConfronto = newRstConfronto(); });
}

bool IsDatiRstConfrontoValido(FormState& state) {
    bool valid = true;
    ErrorTrap trap(state, QStringLiteral("IsDatiRstConfrontoValido"));
    trap([&] {
        if (!state.RstConfronto) {
            throw std::runtime_error("tabella dei confronti non definita (RstConfronto)");
        }
        Recordset rows = state.RstConfronto->Clone();
        rows.clearFilter();
        if (rows.RecordCount() == 0) {
            return;
        }
        // Every row is looked at, not only up to the first fault.
        for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
            valid = isRowComplete(state, rows) && valid;
        }
    });
    return valid;
}

void AddSet(FormState& state) {
    if (!state.RstConfronto) {
        return;
    }
    Recordset& rst = *state.RstConfronto;
    skipOnError([&] { rst.setSort(QStringLiteral("CFR_SEQUENZA")); });
    const std::int32_t sequence = nextSequence(rst);
    skipOnError([&] { rst.AddNew(); });
    skipOnError([&] { rst.setValue(u"CFR_SEQUENZA", Variant(sequence)); });
    if (state.IndMultiAttivita == 1) {
        skipOnError([&] { rst.setValue(u"CFR_DITTA", Variant(state.CodDitta)); });
    }
    skipOnError([&] { rst.setValue(u"CFR_DELTA", Variant(0)); });
    skipOnError([&] { rst.setValue(u"CFR_DELTA_PERC", Variant(0)); });
    skipOnError([&] { rst.Update(); });
}

void AddSetValorizzato(FormState& state, const Variant& tipoDettaglio, const Variant& anno,
                       const Variant& progEser, const Variant& sede, bool delta, bool deltaPerc) {
    AddSet(state);
    Recordset& rst = *state.RstConfronto;
    rst.setValue(u"CFR_TIPODETT", tipoDettaglio);
    rst.setValue(u"CFR_ANNO", anno);
    rst.setValue(u"CFR_PROGESER", progEser);
    rst.setValue(u"CFR_SEDE", sede);
    rst.setValue(u"CFR_DELTA", Variant(delta ? 1 : 0));
    rst.setValue(u"CFR_DELTA_PERC", Variant(deltaPerc ? 1 : 0));
    rst.Update();
}

void RemoveSet(FormState& state) {
    if (!state.RstConfronto || state.RstConfronto->RecordCount() == 0) {
        return;
    }
    Recordset& rst = *state.RstConfronto;
    skipOnError([&] { rst.Delete(); });
    // A grid would move its selection off the removed row; do the same here so that the
    // table always has a readable current row while it has rows.
    skipOnError([&] {
        rst.MoveNext();
        if (rst.Eof() && rst.RecordCount() > 0) {
            rst.MoveLast();
        }
    });
}

void MoveSetUp(FormState& state) {
    moveSet(state, -1);
}

void MoveSetDown(FormState& state) {
    moveSet(state, +1);
}

bool RstConfrontoDelete(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("RstConfrontoDelete"));
    return trap([&] {
        if (!state.RstConfronto) {
            return;
        }
        Recordset& rst = *state.RstConfronto;
        rst.clearFilter();
        if (rst.RecordCount() == 0) {
            return;
        }
        for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
            rst.Delete();
        }
    });
}

} // namespace bdg
