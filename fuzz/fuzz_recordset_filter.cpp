// libFuzzer driver: recordset filters. Any filter text is either refused with
// RecordsetError or selects the same rows whichever way it is answered: through the
// equality indexes of a recordset that already built them, on a fresh clone, and on a
// sorted clone.
#include "data/recordset.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

bdg::Recordset& table() {
    static bdg::Recordset recordset = [] {
        bdg::Recordset rows;
        rows.appendField(QStringLiteral("KEY_VOCE"), bdg::FieldType::Integer);
        rows.appendField(QStringLiteral("VOCE"), bdg::FieldType::VarWChar, 20);
        rows.appendField(QStringLiteral("IMP1"), bdg::FieldType::Decimal);
        rows.setPrecision(2, 15);
        rows.setNumericScale(2, 2);
        rows.appendField(QStringLiteral("TIPORECORD"), bdg::FieldType::WChar, 1);
        rows.Open();
        const char* codes[] = {"A", "B", "A ", "", "C'D", "10"};
        for (int row = 0; row < 60; ++row) {
            rows.AddNew();
            rows.setValue(0, bdg::Variant(row % 7));
            rows.setValue(1, bdg::Variant(codes[row % 6]));
            if (row % 5 != 0)
                rows.setValue(2, bdg::Variant(bdg::Decimal::fromMantissa(row * 125 - 3000, 2)));
            rows.setValue(3, bdg::Variant(row % 3 == 0 ? "C" : "V"));
            rows.Update();
        }
        // Build the indexes once, as a run does before its first lookups.
        rows.setFilter(QStringLiteral("VOCE = 'A' AND KEY_VOCE = 1"));
        rows.clearFilter();
        return rows;
    }();
    return recordset;
}

int visible(bdg::Recordset& rows, const QString& filter) {
    rows.setFilter(filter);
    return rows.RecordCount();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString filter = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    bdg::Recordset& rows = table();
    const int total = rows.RecordCount();
    int indexed = 0;
    try {
        indexed = visible(rows, filter);
    } catch (const bdg::RecordsetError&) {
        rows.clearFilter();
        require(rows.RecordCount() == total);
        return 0;
    }
    rows.clearFilter();
    require(rows.RecordCount() == total && indexed <= total);
    bdg::Recordset fresh = rows.Clone();
    require(visible(fresh, filter) == indexed);
    bdg::Recordset sorted = rows.Clone();
    sorted.setSort(QStringLiteral("IMP1 DESC, VOCE"));
    require(visible(sorted, filter) == indexed);
    return 0;
}
