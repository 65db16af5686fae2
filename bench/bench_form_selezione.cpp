// Choosing nodes of the result tree in the form, on the demo company at about 1,000,000
// budget amounts: the time of one selection (the periods of the node, their footer totals)
// over every node of the tree, its mean and its worst; then 1,000 nodes chosen at random
// (the same ones every run), their median and worst against the 16 ms of one frame at
// 60 Hz; then the same selections with the tables' indexes turned off, as a plain scan
// would answer them, and the ratio of the two. The monthly subtype MENS with the criterion
// CE01 and four sets of 2026 on site 1.
//
// Usage: bench_form_selezione [--scale N] [--sample N] [--random N]
//   --scale N   demo company scale (default 37, about 1,000,000 amounts)
//   --sample N  nodes chosen again without indexes (default 200)
//   --random N  nodes chosen at random (default 1000)
//
// The company is built once into the temporary folder (bdgintric-bench/) and reused.
#include "company/demo_company.h"
#include "data/connection.h"
#include "form/frmbu_bdgintric.h"
#include "host/basic_module.h"
#include "host/host_global.h"
#include "host/message_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <stdexcept>
#include <vector>

using namespace bdg;

namespace {

struct Options {
    int scale = 37;
    int sample = 200;
    int random = 1000;
};

const char* const Usage = "usage: bench_form_selezione [--scale N] [--sample N] [--random N]";

// A frame at 60 Hz: a selection within it leaves the grid's repaint unhurried.
constexpr double FrameMilliseconds = 16.0;

Options parseOptions(const QStringList& args) {
    Options options;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        bool ok = false;
        const int value = args[i + 1].toInt(&ok);
        if (!ok || value < 1)
            throw std::invalid_argument(Usage);
        if (args[i] == QLatin1String("--scale"))
            options.scale = value;
        else if (args[i] == QLatin1String("--sample"))
            options.sample = value;
        else if (args[i] == QLatin1String("--random"))
            options.random = value;
        else
            throw std::invalid_argument(Usage);
    }
    return options;
}

QString company(int scale) {
    const QString folder = QDir::temp().filePath(QStringLiteral("bdgintric-bench"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("form_s%1_i390.sqlite").arg(scale));
    if (QFile::exists(path))
        return path;
    std::fprintf(stderr, "building the demo company at scale %d...\n", scale);
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    {
        Connection connection;
        connection.Open(partial, Connection::OpenMode::CreateIfMissing);
        // 390 items, as bench_elabora takes: with the 400 of the large scales some level-4
        // keys would equal the account keys of a top item, which the run refuses.
        DemoOptions demo;
        demo.scale = scale;
        demo.items = 390;
        DemoCompany::create(connection, demo);
    }
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot rename " + partial.toStdString());
    return path;
}

void field(EditModel& edit, const QString& text) {
    edit.type(Variant(text));
    if (!edit.leave())
        throw std::runtime_error("the form refused " + edit.name().toStdString());
}

void addSet(FRMBU_BDGINTRIC& form, int tipo) {
    form.BUT_QGRID_PIU_ButtonClick();
    form.QGRID_CONFRONTO.editCell(QStringLiteral("CFR_TIPODETT"), Variant(QString::number(tipo)));
    form.QGRID_CONFRONTO.editCell(QStringLiteral("CFR_ANNO"), Variant(2026));
    form.QGRID_CONFRONTO.editCell(QStringLiteral("CFR_PROGESER"), Variant(1));
    form.QGRID_CONFRONTO.editCell(QStringLiteral("CFR_SEDE"), Variant(1));
    form.QGRID_CONFRONTO.clickCheckBox(QStringLiteral("CFR_DELTA"));
}

double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Milliseconds of each selection of `keys`, in order, by the clock; with `processor`, also
// the processor time of each, which a machine busy with other work does not inflate.
std::vector<double> select(FRMBU_BDGINTRIC& form, const std::vector<std::int64_t>& keys,
                           std::vector<double>* processor = nullptr) {
    std::vector<double> times;
    times.reserve(keys.size());
    QElapsedTimer timer;
    for (const std::int64_t key : keys) {
        const double start = threadMilliseconds();
        timer.start();
        form.TGRID_BDGINTRIC.selectKey(key);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (processor)
            processor->push_back(threadMilliseconds() - start);
    }
    return times;
}

// The middle value (the mean of the two middle ones for an even count).
double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// `count` keys drawn with a fixed seed, so that every run chooses the same nodes.
std::vector<std::int64_t> randomKeys(const std::vector<std::int64_t>& keys, int count) {
    std::mt19937 generator(20260101u);
    std::uniform_int_distribution<std::size_t> pick(0, keys.size() - 1);
    std::vector<std::int64_t> chosen;
    for (int draw = 0; draw < count; ++draw)
        chosen.push_back(keys[pick(generator)]);
    return chosen;
}

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (const double value : values)
        sum += value;
    return values.empty() ? 0 : sum / double(values.size());
}

int run(const Options& options) {
    const QString path = company(options.scale);
    Connection connection;
    connection.Open(path);
    RecordingMessageService messages;
    HostGlobal global(&messages, &connection, path);
    global.ApriDitta(1);
    BasicModule module;
    module.setClsGlobal(&global);
    FRMBU_BDGINTRIC form;
    form.setActiveInterface(&module);
    form.Form_Activate();
    field(form.TXT_SOTTOTIPO, QStringLiteral("MENS"));
    field(form.TXT_CRITERIO, QStringLiteral("CE01"));
    for (const int tipo : {0, 3, 4, 1})
        addSet(form, tipo);
    QElapsedTimer timer;
    timer.start();
    form.BUT_ELABORA_ButtonClick();
    const double runSeconds = double(timer.nsecsElapsed()) / 1e9;
    if (form.esitoElaborazione() != EsitoElaborazione::Completata) {
        for (const RecordedMessage& message : messages.messages())
            std::fprintf(stderr, "%s\n", qUtf8Printable(message.text));
        throw std::runtime_error("the run did not complete");
    }

    std::vector<std::int64_t> keys;
    TreeGridModel& tree = form.TGRID_BDGINTRIC;
    for (int node = tree.firstNode(); node >= 0; node = tree.nextNode(node))
        keys.push_back(tree.nodeValue(node, u"KEY_VOCE").toInt64().value_or(0));
    const std::vector<double> indexed = select(form, keys);
    std::vector<double> randomProcessor;
    const std::vector<double> random =
        select(form, randomKeys(keys, options.random), &randomProcessor);

    // The same nodes, spread over the tree, answered by scanning the tables.
    std::vector<std::int64_t> sample;
    const std::size_t step = std::max<std::size_t>(1, keys.size() / std::size_t(options.sample));
    for (std::size_t at = 0; at < keys.size(); at += step)
        sample.push_back(keys[at]);
    std::vector<double> indexedSample;
    for (const std::int64_t key : sample)
        indexedSample.push_back(
            indexed[std::size_t(std::find(keys.begin(), keys.end(), key) - keys.begin())]);
    form.state().RstCriterio->setIndexesEnabled(false);
    form.state().RstCriterioPeriodi->setIndexesEnabled(false);
    const std::vector<double> scanned = select(form, sample);

    // Clones count every row: the handlers leave their filters on the tables.
    std::printf("run: %.2f s, %d criterion rows, %d node-period rows\n", runSeconds,
                form.state().RstCriterio->Clone().RecordCount(),
                form.state().RstCriterioPeriodi->Clone().RecordCount());
    std::printf("selections: %zu nodes, mean %.3f ms, worst %.3f ms\n", indexed.size(),
                mean(indexed), *std::max_element(indexed.begin(), indexed.end()));
    const double worstRandom = *std::max_element(random.begin(), random.end());
    const double worstProcessor = *std::max_element(randomProcessor.begin(), randomProcessor.end());
    std::printf("random selections: %zu, median %.3f ms, worst %.3f ms (worst / %.0f ms: %.2f)\n",
                random.size(), median(random), worstRandom, FrameMilliseconds,
                worstRandom / FrameMilliseconds);
    std::printf("  in processor time: median %.3f ms, worst %.3f ms (worst / %.0f ms: %.2f)\n",
                median(randomProcessor), worstProcessor, FrameMilliseconds,
                worstProcessor / FrameMilliseconds);
    std::printf("without indexes: %zu nodes, mean %.3f ms (same nodes indexed: %.3f ms)\n",
                scanned.size(), mean(scanned), mean(indexedSample));
    std::printf("ratio scan / indexed: %.1f\n",
                mean(scanned) / std::max(mean(indexedSample), 1e-9));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return run(parseOptions(app.arguments()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_form_selezione: %s\n", error.what());
        return 1;
    }
}
