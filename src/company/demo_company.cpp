#include "company/demo_company.h"

#include "company/company_schema.h"
#include "company/demo_budget.h"
#include "company/demo_random.h"
#include "company/demo_table_writer.h"
#include "data/connection.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace bdg {

namespace {

const QVariant none;

void writeCompanies(DemoTableWriter& writer) {
    writer.begin("HS01_DITTE", {"HS01_CODICE", "HS01_RAGSOC", "HS01_VALUTA_HS02",
                                "HS01_GESTIONESEDI", "HS01_LINGUA"});
    writer.add({DemoCompany::CodDitta, DemoCompany::RagioneSociale, "EUR", 1, "IT"});
    writer.add({2, "Demo Componenti S.r.l.", "EUR", 1, "IT"});
    writer.add({3, "Demo Logistica S.r.l.", "EUR", 0, "IT"});

    // Company 1 is the group's main company in both years; the others consolidate into it.
    writer.begin("HS05_AZIENDECOLL",
                 {"HS05_GRUPPO", "HS05_ANNO", "HS05_DITTA_HS01", "HS05_INDPRINCIPALE"});
    for (int year = DemoBudget::FirstYear; year < DemoBudget::FirstYear + DemoBudget::Years;
         ++year) {
        for (int company = 1; company <= 3; ++company)
            writer.add({"GRP1", year, company, company == 1 ? 0 : 1});
    }

    // Company 2 closes its financial year at the end of June.
    writer.begin("CG19_ANADITTAESER", {"CG19_DITTA_CG18", "CG19_ANNO", "CG19_PROGESER",
                                       "CG19_DATAINIZIO", "CG19_DATAFINE"});
    for (int company = 1; company <= 3; ++company) {
        const int firstMonth = company == 2 ? 7 : 1;
        for (int year = DemoBudget::FirstYear; year < DemoBudget::FirstYear + DemoBudget::Years;
             ++year) {
            const QDate start(year, firstMonth, 1);
            writer.add({company, year, DemoBudget::ProgEser, start.toString(Qt::ISODate),
                        start.addYears(1).addDays(-1).toString(Qt::ISODate)});
        }
    }

    writer.begin("CG31_ANADITTASEDI", {"CG31_DITTA_CG18", "CG31_CODICE", "CG31_DESCR"});
    writer.add({1, 1, "Sede di Milano"});
    writer.add({1, 2, "Stabilimento di Brescia"});
    writer.add({2, 1, "Sede di Torino"});
    writer.add({2, 3, "Magazzino di Padova"});
}

// Rates of a currency against the euro on working days, with a small random walk, plus
// the monthly averages. USD is quoted as dollars per euro (amounts are multiplied), CHF
// as euros per franc (amounts are divided).
void writeRates(DemoTableWriter& writer, DemoRandom& random, const QString& currency,
                std::int64_t startRate, int divides) {
    QDate day(DemoBudget::FirstYear, 1, 1);
    const QDate end(DemoBudget::FirstYear + DemoBudget::Years, 1, 1);
    std::int64_t rate = startRate; // ten-thousandths
    std::int64_t monthSum = 0;
    int monthDays = 0;
    auto rateText = [](std::int64_t value) {
        return QStringLiteral("%1.%2")
            .arg(value / 10000)
            .arg(value % 10000, 4, 10, QLatin1Char('0'));
    };
    for (; day < end; day = day.addDays(1)) {
        if (day.dayOfWeek() <= 5) {
            rate += random.between(-40, 40);
            monthSum += rate;
            ++monthDays;
            writer.add({currency, "EUR", day.toString(Qt::ISODate), 1, rateText(rate), divides});
        }
        if (day.addDays(1).day() == 1 && monthDays > 0) {
            const QDate first(day.year(), day.month(), 1);
            writer.add({currency, "EUR", first.toString(Qt::ISODate), 2,
                        rateText((monthSum + monthDays / 2) / monthDays), divides});
            monthSum = 0;
            monthDays = 0;
        }
    }
}

void writeCurrencies(DemoTableWriter& writer, std::uint64_t seed) {
    writer.begin("HS02_VALUTE", {"HS02_CODICE", "HS02_DESCR", "HS02_NRDECIMALI", "HS02_MASCHERA"});
    writer.add({"EUR", "Euro", 2, "##,###,###,##0.00"});
    writer.add({"USD", "Dollaro statunitense", 2, none});
    writer.add({"CHF", "Franco svizzero", 2, none});
    writer.begin("HS03_CAMBI", {"HS03_CODICE_HS02", "HS03_VALRIF_HS02", "HS03_DATA",
                                "HS03_TIPOCAMBIO", "HS03_CAMBIO", "HS03_INDCERTOINCERTO"});
    DemoRandom random(seed ^ 0xC0FFEEULL);
    writeRates(writer, random, "USD", 10850, 0);
    writeRates(writer, random, "CHF", 10600, 1);
}

void writeSubtypes(DemoTableWriter& writer) {
    writer.begin("HS04_SOTTOTIPI",
                 {"HS04_INDTIPO_BU01", "HS04_CODICE", "HS04_DESCR", "HS04_GESTIONESEDE",
                  "HS04_PERIODOSOLAREFISCALE", "HS04_PERIODICITA", "HS04_NRFORECAST",
                  "HS04_MULTIATTIVITA", "HS04_TIPOPDC", "HS04_CODICEPDC", "HS04_GESTIONESTRUTTURA",
                  "HS04_CODICE_BU60"});
    for (const DemoSubtype& subtype : DemoBudget::subtypes())
        writer.add({DemoBudget::IndTipoBudget, subtype.code, subtype.description,
                    subtype.sites ? 1 : 0, subtype.fiscal, subtype.periodicity, subtype.forecasts,
                    subtype.multiActivity, subtype.chartKind, subtype.chart,
                    subtype.structure.isEmpty() ? 0 : 1,
                    subtype.structure.isEmpty() ? none : QVariant(subtype.structure)});
}

// The ledger belongs to company 1; the reclassified chart is shared by the group, so each
// company describes it (multi-activity runs read it for the group's companies).
void writeCharts(DemoTableWriter& writer, const DemoContent& content) {
    writer.begin("CG24_PIANOCONTI",
                 {"CG24_DITTA_CG18", "CG24_GRUPPO_CG10", "CG24_CONTO", "CG24_DESCR"});
    for (const DemoAccount& account : content.accounts())
        writer.add({DemoCompany::CodDitta, DemoContent::ChartGeneralLedger, account.code,
                    account.description});
    writer.begin("CG23_RICLBILCEE", {"CG23_CODICE_CG21", "CG23_CODICE", "CG23_DESCR"});
    for (const DemoLine& line : content.ceeLines())
        writer.add({DemoContent::ChartCee, line.code, line.description});
    writer.begin("PC03_ANAGPDC",
                 {"PC03_DITTA_CG18", "PC03_CODICE_PC01", "PC03_CONTO", "PC03_DESCR"});
    for (int company = 1; company <= 3; ++company) {
        for (const DemoLine& line : content.reclassAccounts())
            writer.add({company, DemoContent::ChartReclass, line.code, line.description});
    }
}

void writeCriteria(DemoTableWriter& writer, const DemoContent& content) {
    writer.begin("BU51_CRITERIELAB", {"BU51_CODICE", "BU51_DESCR"});
    writer.add({DemoContent::CriterionProfitLoss, "Conto economico a valore aggiunto"});
    writer.add({DemoContent::CriterionStructure, "Budget commerciale per struttura"});
    writer.begin("BU19_VOCICRITELAB", {"BU19_CODICE", "BU19_DESCR", "BU19_INDTIPOVOCE"});
    for (const DemoItem& item : content.items())
        writer.add({item.code, item.description, item.type});
    writer.begin("BU20_STRUTTURACRIT",
                 {"BU20_CODICE_BU51", "BU20_CODICE_BU19", "BU20_CODPADRE_BU19", "BU20_POSIZIONE"});
    for (const DemoItem& item : content.items())
        writer.add({item.criterion, item.code, item.parent.isEmpty() ? none : QVariant(item.parent),
                    item.position});
}

void writeMappings(DemoTableWriter& writer, const DemoContent& content) {
    writer.begin("BU50_CORRPDCVOCI",
                 {"BU50_ID", "BU50_CODICE_BU51", "BU50_CODICE_BU19", "BU50_GRUPPO_CG10",
                  "BU50_CONTO_CG24", "BU50_CODICE_CG21", "BU50_CODICE_CG23", "BU50_CODICE_PC01",
                  "BU50_CONTO_PC03", "BU50_CODICE_BU60", "BU50_CONTO_BU61"});
    int id = 0;
    for (const DemoMapping& mapping : content.mappings()) {
        auto pair = [&](int kind, const QString& value) {
            return mapping.chartKind == kind ? QVariant(value) : none;
        };
        writer.add({++id, mapping.criterion, mapping.item, pair(1, mapping.chart),
                    pair(1, mapping.account), pair(2, mapping.chart), pair(2, mapping.account),
                    pair(3, mapping.chart), pair(3, mapping.account),
                    mapping.structure ? QVariant(DemoContent::Structure) : none,
                    mapping.structure ? QVariant(mapping.account) : none});
    }
}

struct ProfileRow {
    int sequence;
    int kind;
    int year;
    int site; // 0: none
    int delta;
};

void writeProfile(DemoTableWriter& writer, const QString& name, const QList<ProfileRow>& rows) {
    for (const ProfileRow& row : rows)
        writer.add({name, row.sequence, row.kind, row.year, DemoBudget::ProgEser,
                    row.site ? QVariant(row.site) : none, row.delta, row.delta});
}

// One profile per site usage (the inquiry refuses a profile whose sites do not match the
// subtype), and a four-set one for the monthly budget.
void writeProfiles(DemoTableWriter& writer) {
    writer.begin("BU68_BDGINTRIC",
                 {"BU68_NOME", "BU68_SEQUENZA", "BU68_TIPO", "BU68_ANNO", "BU68_PROGESER",
                  "BU68_CODICE_CG31", "BU68_DELTA", "BU68_DELTA_PERC"});
    writeProfile(writer, "Budget e consuntivo 2025 per sede",
                 {{1, 0, 2025, 1, 0}, {2, 1, 2025, 1, 1}, {3, 0, 2025, 2, 0}, {4, 1, 2025, 2, 1}});
    writeProfile(writer, "Budget, forecast e consuntivo 2026 Milano",
                 {{1, 0, 2026, 1, 0}, {2, 3, 2026, 1, 1}, {3, 4, 2026, 1, 1}, {4, 1, 2026, 1, 1}});
    writeProfile(writer, "Previsioni 2026",
                 {{1, 0, 2026, 0, 0}, {2, 3, 2026, 0, 1}, {3, 1, 2026, 0, 1}});
}

void writeAll(Connection& connection, const DemoContent& content,
              const DemoCompany::Progress& progress) {
    DemoTableWriter writer(connection);
    writeCompanies(writer);
    writeCurrencies(writer, content.options().seed);
    writeSubtypes(writer);
    writeCharts(writer, content);
    writeCriteria(writer, content);
    writeMappings(writer, content);
    writeProfiles(writer);
    writer.finish();
    const DemoBudget budget(content);
    const std::int64_t total = budget.detailCount();
    DemoTableWriter headers(connection);
    DemoTableWriter details(connection);
    budget.write(headers, details, [&](std::int64_t written) {
        if (progress)
            progress(written, total);
    });
}

[[noreturn]] void failTransaction(const QString& what, const QSqlError& error) {
    throw DemoError(
        QStringLiteral("cannot %1 the demo company: %2").arg(what, error.text()).toStdString());
}

void writeInTransaction(Connection& connection, const DemoContent& content,
                        const DemoCompany::Progress& progress) {
    QSqlDatabase db = QSqlDatabase::database(connection.qtConnectionName(), false);
    if (!db.transaction())
        failTransaction(QStringLiteral("start writing"), db.lastError());
    try {
        writeAll(connection, content, progress);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        failTransaction(QStringLiteral("commit"), db.lastError());
    // The engines plan the amount batches from their table statistics, which a company just
    // written lacks until an analysis comes round: without them the first inquiry on a large
    // company takes minutes instead of seconds on PostgreSQL.
    CompanySchema::analyze(connection);
}

} // namespace

// The content is built (and its sizes checked) before the database is touched, so that a
// size the demo cannot hold leaves the database as it was.
void DemoCompany::fill(Connection& connection, const DemoOptions& options,
                       const Progress& progress) {
    const DemoContent content(options);
    writeInTransaction(connection, content, progress);
}

void DemoCompany::create(Connection& connection, const DemoOptions& options,
                         const Progress& progress) {
    const DemoContent content(options);
    CompanySchema::create(connection);
    writeInTransaction(connection, content, progress);
}

QList<QPair<QString, std::int64_t>> DemoCompany::rowCounts(Connection& connection) {
    QSqlDatabase db = QSqlDatabase::database(connection.qtConnectionName(), false);
    QList<QPair<QString, std::int64_t>> counts;
    for (const TableDef& table : CompanySchema::tables()) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table.name)) || !query.next())
            throw DemoError(QStringLiteral("cannot count the rows of %1: %2")
                                .arg(table.name, query.lastError().text())
                                .toStdString());
        counts.append({table.name, query.value(0).toLongLong()});
    }
    return counts;
}

} // namespace bdg
