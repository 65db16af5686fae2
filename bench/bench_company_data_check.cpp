// What reading strictly costs: the value check that a command makes once per table of a
// company database, against a plain scan of the same table, on the demo company at about
// 1,000,000 budget amounts (SQLite). The check of BU66_DETBUDGET reads every amount once,
// as the scan does; the ratio says how much the type and range tests add to that read.
//
// Usage: bench_company_data_check [--scale N]   (default 37: about 1,000,000 amounts)
#include "company/company_data_check.h"
#include "company/company_schema.h"
#include "company/demo_company.h"
#include "data/connection.h"
#include "data/recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

using namespace bdg;

namespace {

struct Timing {
    double seconds = 0;
    double cpuSeconds = 0;
};

template <typename Work> Timing timed(Work work) {
    QElapsedTimer clock;
    const std::clock_t cpu = std::clock();
    clock.start();
    work();
    return {clock.nsecsElapsed() / 1e9, double(std::clock() - cpu) / CLOCKS_PER_SEC};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    int scale = 37;
    const QStringList arguments = QCoreApplication::arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--scale")); at > 0)
        scale = arguments.value(at + 1).toInt();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("company.sqlite"));
    Connection connection;
    connection.Open(path, Connection::OpenMode::CreateIfMissing);
    DemoOptions options;
    options.scale = scale;
    options.items = 390;
    std::printf("building the demo company at scale %d ...\n", scale);
    DemoCompany::create(connection, options.resolved());
    const std::int64_t amounts =
        *connection.Execute("SELECT COUNT(*) AS N FROM BU66_DETBUDGET")->value(0).toInt64();

    Timing all;
    for (const TableDef& table : CompanySchema::tables()) {
        const Timing one = timed([&] { CompanyDataCheck::firstFault(connection, table); });
        all.seconds += one.seconds;
        all.cpuSeconds += one.cpuSeconds;
    }
    const Timing amountsCheck = timed(
        [&] { CompanyDataCheck::firstFault(connection, *CompanySchema::table("BU66_DETBUDGET")); });
    const Timing scan =
        timed([&] { connection.Execute("SELECT SUM(BU66_IMPORTO) AS S FROM BU66_DETBUDGET"); });

    std::printf("budget amounts:                          %lld\n", static_cast<long long>(amounts));
    std::printf("check of every table:                    %.3f s (processor %.3f s)\n", all.seconds,
                all.cpuSeconds);
    std::printf("check of BU66_DETBUDGET:                 %.3f s (processor %.3f s)\n",
                amountsCheck.seconds, amountsCheck.cpuSeconds);
    std::printf("plain sum of every amount:               %.3f s (processor %.3f s)\n",
                scan.seconds, scan.cpuSeconds);
    std::printf("check of the amounts / plain sum:        %.2f (processor %.2f)\n",
                amountsCheck.seconds / scan.seconds, amountsCheck.cpuSeconds / scan.cpuSeconds);
    return 0;
}
