// How fast the demo company is written: the scale-1 demo and a large scale (37 by default,
// about 1,000,000 budget amounts) into fresh SQLite files, with the cost per amount row of
// each and their ratio. Usage: bench_demo_company [SCALE]
#include "company/demo_company.h"
#include "data/connection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace bdg;

namespace {

struct Run {
    std::int64_t rows = 0;
    double seconds = 0;
};

Run buildOnce(const QString& path, int scale) {
    Connection connection;
    connection.Open(path, Connection::OpenMode::CreateIfMissing);
    DemoOptions options;
    options.scale = scale;
    QElapsedTimer timer;
    timer.start();
    DemoCompany::create(connection, options);
    Run run;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    for (const auto& [table, rows] : DemoCompany::rowCounts(connection)) {
        if (table == QLatin1String("BU66_DETBUDGET"))
            run.rows = rows;
    }
    return run;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int scale = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 37;
    QTemporaryDir folder;
    try {
        const Run small = buildOnce(folder.filePath("demo1.sqlite"), 1);
        const Run large = buildOnce(folder.filePath("demo_large.sqlite"), scale);
        const double smallPerRow = small.seconds * 1e6 / double(small.rows);
        const double largePerRow = large.seconds * 1e6 / double(large.rows);
        std::printf("SQLite scale 1:  %lld amount rows in %.2f s (%.2f us per row)\n",
                    static_cast<long long>(small.rows), small.seconds, smallPerRow);
        std::printf("SQLite scale %d: %lld amount rows in %.2f s (%.2f us per row, %.0f rows/s)\n",
                    scale, static_cast<long long>(large.rows), large.seconds, largePerRow,
                    double(large.rows) / large.seconds);
        std::printf("rows ratio large/small: %.1f, time ratio: %.1f, cost per row ratio: %.2f\n",
                    double(large.rows) / double(small.rows), large.seconds / small.seconds,
                    largePerRow / smallPerRow);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_demo_company: %s\n", error.what());
        return 1;
    }
    return 0;
}
