// Re-filtering a large table once per row, as the roll-ups do: equality filters answered
// from the table's indexes against the same filters answered by scanning every row.
//
// Usage: bench_recordset_filter [rows] [filters] [scanned filters]
// The scan is timed on the first `scanned filters` filters only (a full scan run would take
// minutes) and compared per filter. Times are the process's CPU time, so that other work on
// a shared machine does not blur the ratio.

#include "data/recordset.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

using namespace bdg;

namespace {

double cpuMilliseconds() {
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

constexpr int CodeCount = 2000;
constexpr int PeriodCount = 12;

QString codeText(int code) {
    return QStringLiteral("V%1").arg(code, 5, 10, QLatin1Char('0'));
}

/// Fields as the criterion-by-period table has them; codes repeat once per period and
/// account, so each (code, period) pair selects a handful of rows.
Recordset buildTable(int rowCount) {
    Recordset table;
    table.appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer, 0, false);
    table.appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    table.appendField(QStringLiteral("PERIODO"), FieldType::Integer);
    table.appendField(QStringLiteral("TIPOVOCE"), FieldType::Decimal);
    table.setPrecision(3, 2);
    table.appendField(QStringLiteral("IMP1"), FieldType::Decimal);
    table.setPrecision(4, 15);
    table.setNumericScale(4, 2);
    table.Open();
    std::mt19937 random(7);
    for (int row = 0; row < rowCount; ++row) {
        table.AddNew();
        table.setValue(0, row);
        table.setValue(1, codeText(int(random() % CodeCount)));
        table.setValue(2, 1 + row % PeriodCount);
        table.setValue(3, int(random() % 6));
        table.setValue(4, Decimal::fromMantissa(__extension__ __int128(random() % 100000), 2));
        table.Update();
    }
    return table;
}

struct Filters {
    std::vector<QString> texts;
};

Filters buildFilters(int count) {
    Filters filters;
    std::mt19937 random(11);
    for (int index = 0; index < count; ++index) {
        const int code = int(random() % CodeCount);
        const int period = 1 + int(random() % PeriodCount);
        filters.texts.push_back(QStringLiteral("VOCE = '%1' AND PERIODO = %2 AND TIPOVOCE <> 2 ")
                                    .arg(codeText(code))
                                    .arg(period));
    }
    return filters;
}

struct Outcome {
    double milliseconds = 0;
    long long rowsRead = 0;
    Decimal total;
};

/// Sets every filter on a clone and reads the amount and key of every matching row.
Outcome run(const Recordset& table, const Filters& filters, int count) {
    Recordset clone = table.Clone();
    const int amount = clone.requireField(u"IMP1");
    Outcome outcome;
    const double start = cpuMilliseconds();
    for (int index = 0; index < count; ++index) {
        clone.clearFilter();
        clone.setFilter(filters.texts[std::size_t(index)]);
        for (clone.MoveFirst(); !clone.Eof(); clone.MoveNext()) {
            outcome.total += *clone.value(amount).toDecimal();
            outcome.rowsRead += clone.value(u"KEY_VOCE").isNull() ? 0 : 1;
        }
    }
    outcome.milliseconds = cpuMilliseconds() - start;
    return outcome;
}

int argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    const int rowCount = argument(argc, argv, 1, 200000);
    const int filterCount = argument(argc, argv, 2, 20000);
    const int scannedCount = std::min(argument(argc, argv, 3, 200), filterCount);

    const double start = cpuMilliseconds();
    Recordset table = buildTable(rowCount);
    const double buildMs = cpuMilliseconds() - start;
    const Filters filters = buildFilters(filterCount);

    const Outcome indexed = run(table, filters, filterCount);
    const Outcome indexedSample = run(table, filters, scannedCount);
    table.setIndexesEnabled(false);
    const Outcome scanned = run(table, filters, scannedCount);

    if (indexedSample.rowsRead != scanned.rowsRead || !(indexedSample.total == scanned.total)) {
        std::printf("MISMATCH: indexed and scanned filters selected different rows\n");
        return 1;
    }
    const double indexedPerFilter = indexed.milliseconds / filterCount;
    const double scannedPerFilter = scanned.milliseconds / scannedCount;
    std::printf("table: %d rows built in %.0f ms\n", rowCount, buildMs);
    std::printf("indexed: %d filters, %lld rows read, %.1f ms (%.4f ms per filter)\n", filterCount,
                indexed.rowsRead, indexed.milliseconds, indexedPerFilter);
    std::printf("scanned: %d filters, %lld rows read, %.1f ms (%.4f ms per filter)\n", scannedCount,
                scanned.rowsRead, scanned.milliseconds, scannedPerFilter);
    std::printf("scan, projected to %d filters: %.1f s\n", filterCount,
                scannedPerFilter * filterCount / 1000);
    std::printf("ratio scan/index per filter: %.0fx\n", scannedPerFilter / indexedPerFilter);
    return 0;
}
