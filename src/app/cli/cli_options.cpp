#include "app/cli/cli_options.h"

#include "company/demo_budget.h"
#include "company/demo_company.h"

#include <QRegularExpression>
#include <QTextStream>

#include <functional>
#include <map>

namespace bdg::cli {

const char* const RunUsage =
    "Usage: bdgintric run [OPTIONS]\n\n"
    "Runs the inquiry with the same checks as the form and prints its result. With no\n"
    "options at all it runs the demo (see 'bdgintric demo').\n\n"
    "  --db TARGET          SQLite file or PostgreSQL connection (default: the demo\n"
    "                       database in the user's data folder, built on first use)\n"
    "  --company N          company code (default 1)\n"
    "  --subtype CODE       budget subtype\n"
    "  --criterion CODE     elaboration criterion\n"
    "  --set TYPE:YEAR[:PROGRESSIVE[:SITE]][:delta][:perc]\n"
    "                       a comparison set, repeated in order; TYPE is budget, actuals,\n"
    "                       forecastN (or \"forecast N\", fN) or the numeric code; delta and\n"
    "                       perc show the difference and the percentage against the set\n"
    "                       before\n"
    "  --profile NAME       the comparison sets of a stored profile instead of --set\n"
    "  --from N, --to N     period range (default: the subtype's)\n"
    "  --currency CODE      convert into this currency\n"
    "  --rate-date DATE     date of the exchange rate (dd/mm/yyyy or yyyy-mm-dd; today)\n"
    "  --rate RATE          the exchange rate (default: the one the rate table gives)\n"
    "  --show-null-accounts show accounts without amounts too\n"
    "  --consolidate        consolidate the activities of a multi-activity subtype\n"
    "  --periods            add the amounts period by period (office: each node's\n"
    "                       periods before its total)\n"
    "  --node CODE          the amounts period by period of one item or account (table)\n"
    "  --format F           table (default), csv, json, xlsx (the tree as a workbook) or\n"
    "                       office (the parameters and the tree as the desktop exports\n"
    "                       them: a workbook, or CSV for an --output ending in .csv or\n"
    "                       on standard output)\n"
    "  --output FILE        write to FILE instead of standard output (required for xlsx)\n\n"
    "Exit status: 0 done, 2 usage error or refused parameter, 3 no data,\n"
    "4 database or file error.\n";

namespace {

// What the comparison list holds: progressives of two digits, companies of five.
constexpr int MaxProgressivo = 99;
constexpr int MaxDitta = 99999;

bool isWholeNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch();
}

int wholeNumber(const QString& text, const QString& what) {
    if (!isWholeNumber(text))
        throw UsageError(
            QStringLiteral("%1 must be a whole number, not '%2'").arg(what, text).toStdString());
    return text.toInt();
}

void applyFlag(SetOption& set, const QString& part, const QString& text) {
    if (part.compare(QLatin1String("delta"), Qt::CaseInsensitive) == 0)
        set.delta = true;
    else if (part.compare(QLatin1String("perc"), Qt::CaseInsensitive) == 0)
        set.perc = true;
    else
        throw UsageError(QStringLiteral("--set '%1': '%2' is neither a progressive, a site, "
                                        "delta nor perc")
                             .arg(text, part)
                             .toStdString());
}

} // namespace

SetOption parseSet(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.at(0).trimmed().isEmpty())
        throw UsageError(
            QStringLiteral("--set '%1' needs at least TYPE:YEAR").arg(text).toStdString());
    SetOption set;
    set.tipo = parts.at(0).trimmed();
    set.anno = wholeNumber(parts.at(1).trimmed(), QStringLiteral("the year of --set"));
    if (set.anno < 1900 || set.anno > 9999)
        throw UsageError(
            QStringLiteral("--set '%1': %2 is not a year").arg(text).arg(set.anno).toStdString());
    int positional = 0;
    for (const QString& raw : parts.mid(2)) {
        const QString part = raw.trimmed();
        const bool flag = part.compare(QLatin1String("delta"), Qt::CaseInsensitive) == 0 ||
                          part.compare(QLatin1String("perc"), Qt::CaseInsensitive) == 0;
        if (!flag && positional == 0 && isWholeNumber(part)) {
            set.progressivo = part.toInt();
            if (*set.progressivo > MaxProgressivo)
                throw UsageError(QStringLiteral("--set '%1': the progressive is 0 to %2, not %3")
                                     .arg(text)
                                     .arg(MaxProgressivo)
                                     .arg(part)
                                     .toStdString());
            ++positional;
        } else if (!flag && positional == 1 && isWholeNumber(part) && part.size() <= 5) {
            set.sede = part;
            ++positional;
        } else {
            applyFlag(set, part, text);
        }
    }
    return set;
}

std::optional<int> tipoDettaglio(const QString& tipo, int nrForecast) {
    static const QRegularExpression forecast(
        QStringLiteral("^(?:forecast|f)\\s*-?\\s*([0-9]{1,3})$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString testo = tipo.trimmed();
    if (testo.compare(QLatin1String("budget"), Qt::CaseInsensitive) == 0)
        return 0;
    if (testo.compare(QLatin1String("actuals"), Qt::CaseInsensitive) == 0)
        return 1;
    std::optional<int> codice;
    if (const auto match = forecast.match(testo); match.hasMatch())
        codice = match.captured(1).toInt() + 2;
    else if (isWholeNumber(testo))
        codice = testo.toInt();
    // Code 2 is not a kind of figures, and forecasts go up to the subtype's number.
    if (!codice || *codice == 2 || *codice > nrForecast + 2)
        return std::nullopt;
    return codice;
}

std::optional<Decimal> parseRate(const QString& text) {
    // What the rate table holds: eleven integer digits and eight decimals.
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,11}([.,][0-9]{1,8})?$"));
    const QString testo = text.trimmed();
    if (!number.match(testo).hasMatch())
        return std::nullopt;
    const auto rate =
        Decimal::fromString(QString(testo).replace(QLatin1Char(','), QLatin1Char('.')));
    if (!rate || rate->sign() <= 0)
        return std::nullopt;
    return rate;
}

namespace {

using Setter = std::function<void(RunOptions&, const QString&)>;

Formato formatOf(const QString& text) {
    static const std::map<QString, Formato> formats = {{QStringLiteral("table"), Formato::Table},
                                                       {QStringLiteral("csv"), Formato::Csv},
                                                       {QStringLiteral("json"), Formato::Json},
                                                       {QStringLiteral("xlsx"), Formato::Xlsx},
                                                       {QStringLiteral("office"), Formato::Office}};
    const auto found = formats.find(text.toLower());
    if (found == formats.end())
        throw UsageError(
            QStringLiteral("--format must be table, csv, json, xlsx or office, not '%1'")
                .arg(text)
                .toStdString());
    return found->second;
}

const std::map<QString, Setter>& valueOptions() {
    static const std::map<QString, Setter> options = {
        {QStringLiteral("--db"), [](RunOptions& o, const QString& v) { o.db = v; }},
        {QStringLiteral("--company"),
         [](RunOptions& o, const QString& v) {
             o.company = wholeNumber(v, QStringLiteral("--company"));
             if (o.company > MaxDitta)
                 throw UsageError(QStringLiteral("--company is 0 to %1, not '%2'")
                                      .arg(MaxDitta)
                                      .arg(v)
                                      .toStdString());
         }},
        {QStringLiteral("--subtype"), [](RunOptions& o, const QString& v) { o.subtype = v; }},
        {QStringLiteral("--criterion"), [](RunOptions& o, const QString& v) { o.criterion = v; }},
        {QStringLiteral("--set"), [](RunOptions& o, const QString& v) { o.sets << parseSet(v); }},
        {QStringLiteral("--profile"), [](RunOptions& o, const QString& v) { o.profile = v; }},
        {QStringLiteral("--from"),
         [](RunOptions& o, const QString& v) {
             o.from = QString::number(wholeNumber(v, QStringLiteral("--from")));
         }},
        {QStringLiteral("--to"),
         [](RunOptions& o, const QString& v) {
             o.to = QString::number(wholeNumber(v, QStringLiteral("--to")));
         }},
        {QStringLiteral("--currency"), [](RunOptions& o, const QString& v) { o.currency = v; }},
        {QStringLiteral("--rate-date"), [](RunOptions& o, const QString& v) { o.rateDate = v; }},
        {QStringLiteral("--rate"),
         [](RunOptions& o, const QString& v) {
             if (!parseRate(v))
                 throw UsageError(QStringLiteral("--rate must be a positive number of at most "
                                                 "11 integer digits and 8 decimals, not '%1'")
                                      .arg(v)
                                      .toStdString());
             o.rate = v;
         }},
        {QStringLiteral("--node"), [](RunOptions& o, const QString& v) { o.node = v; }},
        {QStringLiteral("--format"),
         [](RunOptions& o, const QString& v) { o.format = formatOf(v); }},
        {QStringLiteral("--output"), [](RunOptions& o, const QString& v) { o.output = v; }},
    };
    return options;
}

bool applySwitch(RunOptions& options, const QString& argument) {
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
        options.help = true;
    else if (argument == QLatin1String("--show-null-accounts"))
        options.showNullAccounts = true;
    else if (argument == QLatin1String("--consolidate"))
        options.consolidate = true;
    else if (argument == QLatin1String("--periods"))
        options.periods = true;
    else
        return false;
    return true;
}

void checkCombination(const RunOptions& options) {
    if (!options.profile.isEmpty() && !options.sets.isEmpty())
        throw UsageError("give the comparison sets either with --set or with --profile");
    if (options.format == Formato::Xlsx && options.output.isEmpty())
        throw UsageError("--format xlsx needs --output FILE");
    if ((!options.rate.isEmpty() || !options.rateDate.isEmpty()) && options.currency.isEmpty())
        throw UsageError("--rate and --rate-date need --currency");
}

} // namespace

RunOptions parseRunOptions(const QStringList& arguments) {
    RunOptions options;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        QString argument = arguments.at(index);
        QString value;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const bool inlineValue = argument.startsWith(QLatin1String("--")) && equals > 0;
        if (inlineValue) {
            value = argument.mid(equals + 1);
            argument = argument.left(equals);
        }
        if (!inlineValue && applySwitch(options, argument))
            continue;
        const auto setter = valueOptions().find(argument);
        if (setter == valueOptions().end())
            throw UsageError(QStringLiteral("unknown option '%1'").arg(argument).toStdString());
        if (!inlineValue) {
            if (index + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(argument).toStdString());
            value = arguments.at(++index);
        }
        setter->second(options, value);
    }
    checkCombination(options);
    return options;
}

RunOptions demoRunOptions() {
    RunOptions options;
    options.company = DemoCompany::CodDitta;
    options.subtype = QStringLiteral("MENS");
    options.criterion = QStringLiteral("CE01");
    // The monthly budget is kept per site: the demo looks at the first one, Milan.
    const int progressivo = DemoBudget::ProgEser;
    const QString milano = QStringLiteral("1");
    options.sets = {{QStringLiteral("budget"), 2026, progressivo, milano, false, false},
                    {QStringLiteral("forecast1"), 2026, progressivo, milano, true, true},
                    {QStringLiteral("actuals"), 2026, progressivo, milano, true, true},
                    {QStringLiteral("budget"), 2025, progressivo, milano, true, true}};
    return options;
}

} // namespace bdg::cli
