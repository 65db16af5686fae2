#include "company/company_schema.h"

#include "company/company_data_check.h"
#include "company/schema_account_functions.h"
#include "data/connection.h"
#include "host/budget_object.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace bdg {

namespace {

ColumnDef columnOf(const QString& name, ColumnKind kind, int length, bool nullable,
                   const QString& defaultValue, const QString& meaning) {
    ColumnDef column;
    column.name = name;
    column.kind = kind;
    column.length = length;
    column.nullable = nullable;
    column.defaultValue = defaultValue;
    column.meaning = meaning;
    return column;
}

ColumnDef code(const QString& name, int length, bool nullable, const QString& meaning,
               const QString& defaultValue = QString()) {
    return columnOf(name, ColumnKind::Code, length, nullable, defaultValue, meaning);
}

ColumnDef text(const QString& name, int length, bool nullable, const QString& meaning) {
    return columnOf(name, ColumnKind::Text, length, nullable, QString(), meaning);
}

ColumnDef integer(const QString& name, bool nullable, const QString& meaning,
                  const QString& defaultValue = QString()) {
    return columnOf(name, ColumnKind::Integer, 0, nullable, defaultValue, meaning);
}

ColumnDef amount(const QString& name, const QString& meaning) {
    return columnOf(name, ColumnKind::Amount, 0, false, QString(), meaning);
}

ColumnDef rate(const QString& name, const QString& meaning) {
    return columnOf(name, ColumnKind::Rate, 0, false, QString(), meaning);
}

ColumnDef date(const QString& name, bool nullable, const QString& meaning) {
    return columnOf(name, ColumnKind::Date, 0, nullable, QString(), meaning);
}

ColumnDef within(ColumnDef column, qint64 minimum, qint64 maximum) {
    column.minimum = minimum;
    column.maximum = maximum;
    return column;
}

// Criterion structure: the criteria, their items and the tree that places the items.
QList<TableDef> criterionTables() {
    return {
        {"BU51_CRITERIELAB",
         TableRole::Read,
         "Elaboration criteria: the reclassification schemes a budget can be read through.",
         {code("BU51_CODICE", 20, false, "criterion code"),
          text("BU51_DESCR", 60, true, "description shown next to the code")},
         {"BU51_CODICE"}},
        {"BU19_VOCICRITELAB",
         TableRole::Read,
         "Items of the criteria. Item codes are shared by every criterion; the tree that "
         "places them is BU20_STRUTTURACRIT.",
         {code("BU19_CODICE", 20, false, "item code"),
          text("BU19_DESCR", 240, true,
               "description; on a formula item a caption, a colon and the formula over item "
               "and account codes in brackets, e.g. \"Margine:[A10]-[A20]\""),
          within(integer("BU19_INDTIPOVOCE", false,
                         "0 analytic value, 1 analytic total, 2 intermediate total, 3 formula",
                         "0"),
                 0, 3)},
         {"BU19_CODICE"}},
        {"BU20_STRUTTURACRIT",
         TableRole::Read,
         "Tree of a criterion: one row per item, with its parent and its position among the "
         "siblings. Top items have no parent.",
         {code("BU20_CODICE_BU51", 20, false, "criterion"),
          code("BU20_CODICE_BU19", 20, false, "item"),
          code("BU20_CODPADRE_BU19", 20, true, "parent item; Null for a top item"),
          integer("BU20_POSIZIONE", false,
                  "position among the siblings, 1 upwards; it becomes part of the node key")},
         {"BU20_CODICE_BU51", "BU20_CODICE_BU19"}},
        {"BU50_CORRPDCVOCI",
         TableRole::Read,
         "Account-to-item mapping of a criterion. A row fills the column pair of one chart "
         "kind (general ledger, CEE schedule or reclassified chart) and may also name the "
         "account of a budget structure.",
         {integer("BU50_ID", false, "row number, unique"),
          code("BU50_CODICE_BU51", 20, false, "criterion"),
          code("BU50_CODICE_BU19", 20, false, "item the account is added into"),
          code("BU50_GRUPPO_CG10", 20, true, "general-ledger group (chart kind 1)"),
          code("BU50_CONTO_CG24", 20, true, "general-ledger account (chart kind 1)"),
          code("BU50_CODICE_CG21", 20, true, "CEE schedule (chart kind 2)"),
          code("BU50_CODICE_CG23", 20, true, "CEE schedule line (chart kind 2)"),
          code("BU50_CODICE_PC01", 20, true, "reclassified chart (chart kind 3)"),
          code("BU50_CONTO_PC03", 20, true, "reclassified-chart account (chart kind 3)"),
          code("BU50_CODICE_BU60", 20, true, "budget structure"),
          code("BU50_CONTO_BU61", 20, true, "account of the budget structure")},
         {"BU50_ID"}},
    };
}

// Budget figures: one header per account and nature, one detail row per kind and period.
QList<TableDef> budgetTables() {
    return {
        {"BU65_TESBUDGET",
         TableRole::Read,
         "Budget headers: one per budget type, subtype, company, financial year, site, "
         "account and nature. The account sits in the column pair of the subtype's chart kind.",
         {integer("BU65_ID", false, "header number, unique; BU66_DETBUDGET refers to it"),
          integer("BU65_INDTIPO_BU01", false, "budget type (the inquiry reads type 5)"),
          code("BU65_SOTTOTIPO_BU01", 20, false, "budget subtype (HS04_SOTTOTIPI)"),
          integer("BU65_DITTA_CG18", false, "company (HS01_DITTE)"),
          integer("BU65_ANNO", false, "financial year"),
          integer("BU65_PROGESER", false, "progressive number of the financial year", "0"),
          integer("BU65_CODICE_CG31", false, "site (CG31_ANADITTASEDI); 0 without sites", "0"),
          within(integer("BU65_INDNATCONTO", false,
                         "nature of the account: 1, or 2 reversing the sign of every amount", "1"),
                 1, 2),
          code("BU65_GRUPPO_CG10", 20, true, "general-ledger group (chart kind 1)"),
          code("BU65_CONTO_CG24", 20, true, "general-ledger account (chart kind 1)"),
          code("BU65_CODICE_CG21", 20, true, "CEE schedule (chart kind 2)"),
          code("BU65_CODICE_CG23", 20, true, "CEE schedule line (chart kind 2)"),
          code("BU65_CONTO_CG23", 20, true,
               "CEE schedule line as a structure account; never filled, as subtypes of chart "
               "kind 2 have no budget structure, but the period statement may name it"),
          code("BU65_CODICE_PC01", 20, true, "reclassified chart (chart kind 3)"),
          code("BU65_CONTO_PC03", 20, true, "reclassified-chart account (chart kind 3)")},
         {"BU65_ID"}},
        {"BU66_DETBUDGET",
         TableRole::Read,
         "Budget amounts: one per header, kind of figures and period.",
         {integer("BU66_ID_BU65", false, "header (BU65_TESBUDGET)"),
          integer("BU66_TIPO", false,
                  "kind of figures: 0 budget, 1 actuals, 3 and up forecast 1, 2, ..."),
          integer("BU66_PERIODO", false, "period of the subtype's periodicity, 1 to 12"),
          amount("BU66_IMPORTO", "amount in the company's management currency")},
         {"BU66_ID_BU65", "BU66_TIPO", "BU66_PERIODO"}},
        {"BU68_BDGINTRIC",
         TableRole::Written,
         "Stored comparison profiles of the inquiry: one row per comparison set; the rows of "
         "one name form one profile, shared by every user of the company database.",
         {text("BU68_NOME", 60, false, "profile name"),
          integer("BU68_SEQUENZA", false, "position of the set in the list"),
          within(integer("BU68_TIPO", false, "kind of figures (BU66_TIPO)"), 0,
                 BudgetObject::MaxNumeroForecast + 2),
          within(integer("BU68_ANNO", false, "financial year"), 0, 9999),
          within(integer("BU68_PROGESER", false, "progressive number of the financial year"), 0,
                 99),
          within(integer("BU68_CODICE_CG31", true, "site; Null when the profile has no sites"), 0,
                 99999),
          within(integer("BU68_DELTA", false, "1 shows the difference column of the set", "0"), 0,
                 1),
          within(integer("BU68_DELTA_PERC", false, "1 shows the percentage-difference column", "0"),
                 0, 1)},
         {}},
    };
}

// Company registers read by the inquiry: financial years, sites, charts of accounts.
QList<TableDef> registerTables() {
    return {
        {"CG19_ANADITTAESER",
         TableRole::Read,
         "Financial years of each company; they fill the year and progressive lists.",
         {integer("CG19_DITTA_CG18", false, "company (HS01_DITTE)"),
          integer("CG19_ANNO", false, "year"),
          integer("CG19_PROGESER", false, "progressive number within the year", "0"),
          date("CG19_DATAINIZIO", true, "first day of the financial year"),
          date("CG19_DATAFINE", true, "last day of the financial year")},
         {"CG19_DITTA_CG18", "CG19_ANNO", "CG19_PROGESER"}},
        {"CG31_ANADITTASEDI",
         TableRole::Read,
         "Sites of each company, for subtypes that keep budgets per site.",
         {integer("CG31_DITTA_CG18", false, "company (HS01_DITTE)"),
          integer("CG31_CODICE", false, "site code"), text("CG31_DESCR", 60, true, "site name")},
         {"CG31_DITTA_CG18", "CG31_CODICE"}},
        {"CG23_RICLBILCEE",
         TableRole::Read,
         "Lines of the CEE reclassification schedules (chart kind 2), with their texts.",
         {code("CG23_CODICE_CG21", 20, false, "schedule"),
          code("CG23_CODICE", 20, false, "line code"),
          text("CG23_DESCR", 120, true, "line description")},
         {"CG23_CODICE_CG21", "CG23_CODICE"}},
        {"CG24_PIANOCONTI",
         TableRole::Read,
         "General-ledger accounts (chart kind 1) of each company, described in the company's "
         "language; FNCG_CG24_CONTO reads them.",
         {integer("CG24_DITTA_CG18", false, "company (HS01_DITTE)"),
          code("CG24_GRUPPO_CG10", 20, false, "group"),
          code("CG24_CONTO", 20, false, "account code"),
          text("CG24_DESCR", 120, true, "account description")},
         {"CG24_DITTA_CG18", "CG24_GRUPPO_CG10", "CG24_CONTO"}},
        {"CG25_CONTILINGUA",
         TableRole::Read,
         "Descriptions of general-ledger accounts in further languages; FNCG_CG24_CONTO "
         "prefers them to CG24_DESCR for the user's language.",
         {integer("CG25_DITTA_CG18", false, "company"),
          code("CG25_GRUPPO_CG10", 20, false, "group"),
          code("CG25_CONTO_CG24", 20, false, "account"),
          code("CG25_LINGUA", 4, false, "language code without trailing blanks, e.g. ENG"),
          text("CG25_DESCR", 120, true, "description in that language")},
         {"CG25_DITTA_CG18", "CG25_GRUPPO_CG10", "CG25_CONTO_CG24", "CG25_LINGUA"}},
        {"PC03_ANAGPDC",
         TableRole::Read,
         "Accounts of the reclassified charts (chart kind 3) of each company; "
         "FNPC03_ANAGPDC_COGE reads them.",
         {integer("PC03_DITTA_CG18", false, "company (HS01_DITTE)"),
          code("PC03_CODICE_PC01", 20, false, "reclassified chart"),
          code("PC03_CONTO", 20, false, "account code"),
          text("PC03_DESCR", 120, true, "account description")},
         {"PC03_DITTA_CG18", "PC03_CODICE_PC01", "PC03_CONTO"}},
        {"PC04_ANAGPDCLINGUA",
         TableRole::Read,
         "Descriptions of reclassified-chart accounts in further languages.",
         {integer("PC04_DITTA_CG18", false, "company"),
          code("PC04_CODICE_PC01", 20, false, "reclassified chart"),
          code("PC04_CONTO_PC03", 20, false, "account"),
          code("PC04_LINGUA", 4, false, "language code without trailing blanks"),
          text("PC04_DESCR", 120, true, "description in that language")},
         {"PC04_DITTA_CG18", "PC04_CODICE_PC01", "PC04_CONTO_PC03", "PC04_LINGUA"}},
    };
}

// The host's own tables: what its services answer from (company context, currencies,
// rates, subtypes, associated companies, messages) and the schema version.
QList<TableDef> hostTables() {
    return {
        {"HS00_VERSIONESCHEMA",
         TableRole::Host,
         "Schema version of the company database: one row. A database without this table "
         "is not a company database.",
         {integer("HS00_VERSIONE", false, "schema version"),
          text("HS00_CREATO", 30, true, "when the database was created (UTC, ISO 8601)")},
         {"HS00_VERSIONE"}},
        {"HS01_DITTE",
         TableRole::Host,
         "Companies of the database: the company context. The _CG18 columns of the other "
         "tables hold an HS01_CODICE.",
         {integer("HS01_CODICE", false, "company code"),
          text("HS01_RAGSOC", 80, false, "company name"),
          code("HS01_VALUTA_HS02", 10, true,
               "management currency; a company without one cannot open the inquiry"),
          integer("HS01_GESTIONESEDI", false,
                  "site setting: greater than 0 when the company keeps budgets per site", "0"),
          code("HS01_LINGUA", 4, true, "language of descriptions; Null reads as ITA")},
         {"HS01_CODICE"}},
        {"HS02_VALUTE",
         TableRole::Host,
         "Currencies, with the decimals and display mask of their amounts.",
         {code("HS02_CODICE", 10, false, "currency code, e.g. EUR"),
          text("HS02_DESCR", 40, true, "description"),
          within(integer("HS02_NRDECIMALI", true, "decimals of amounts in this currency"), 0,
                 HostGlobal::MaxNrDecimali),
          text("HS02_MASCHERA", 30, true,
               "display mask, e.g. ##,###,###,##0.00; Null derives it from the decimals")},
         {"HS02_CODICE"}},
        {"HS03_CAMBI",
         TableRole::Host,
         "Exchange rates of a currency against a reference currency (normally the "
         "management currency), by date and kind of rate.",
         {code("HS03_CODICE_HS02", 10, false, "currency"),
          code("HS03_VALRIF_HS02", 10, false, "reference currency"),
          date("HS03_DATA", false, "date from which the rate holds"),
          integer("HS03_TIPOCAMBIO", false,
                  "kind of rate: 1 daily, 2 monthly average, 3 budget rate", "1"),
          rate("HS03_CAMBIO", "the rate"),
          within(integer("HS03_INDCERTOINCERTO", false,
                         "quotation: 1 amounts in the reference currency are divided by the "
                         "rate, 0 multiplied",
                         "1"),
                 0, 1)},
         {"HS03_CODICE_HS02", "HS03_VALRIF_HS02", "HS03_DATA", "HS03_TIPOCAMBIO"}},
        {"HS04_SOTTOTIPI",
         TableRole::Host,
         "Budget subtypes with every property the budget object answers.",
         {integer("HS04_INDTIPO_BU01", false, "budget type (5 for this inquiry)"),
          code("HS04_CODICE", 20, false, "subtype code"),
          text("HS04_DESCR", 60, true, "description"),
          within(integer("HS04_GESTIONESEDE", false, "1 when the budgets are kept per site", "0"),
                 0, 1),
          within(integer("HS04_PERIODOSOLAREFISCALE", false,
                         "periods follow the calendar year (0) or the financial year (1)", "0"),
                 0, 1),
          within(integer("HS04_PERIODICITA", false,
                         "0 monthly (12 periods), 1 bimonthly (6), 2 quarterly (4), "
                         "3 four-monthly (3), 4 half-yearly (2), 5 yearly (1)",
                         "0"),
                 0, 5),
          within(integer("HS04_NRFORECAST", false, "number of forecasts", "0"), 0,
                 BudgetObject::MaxNumeroForecast),
          within(integer("HS04_MULTIATTIVITA", false,
                         "0 single company, 1 consolidable by the main company, 2 kept by the "
                         "main company only",
                         "0"),
                 0, 2),
          within(integer("HS04_TIPOPDC", false,
                         "chart kind: 1 general ledger, 2 CEE schedule, 3 reclassified chart", "1"),
                 1, 3),
          code("HS04_CODICEPDC", 20, true, "chart code (group, schedule or chart)"),
          within(integer("HS04_GESTIONESTRUTTURA", false,
                         "1 when the subtype has a budget structure", "0"),
                 0, 1),
          code("HS04_CODICE_BU60", 20, true, "budget structure code")},
         {"HS04_INDTIPO_BU01", "HS04_CODICE"}},
        {"HS05_AZIENDECOLL",
         TableRole::Host,
         "Groups of associated companies per year: the main company consolidates the "
         "budgets of every member of its group for that year.",
         {code("HS05_GRUPPO", 20, false, "group code"), integer("HS05_ANNO", false, "year"),
          integer("HS05_DITTA_HS01", false, "member company"),
          within(integer("HS05_INDPRINCIPALE", false, "0 for the group's main company, 1 otherwise",
                         "1"),
                 0, 1)},
         {"HS05_ANNO", "HS05_DITTA_HS01"}},
        {"HS06_MESSAGGI",
         TableRole::Host,
         "The host's numbered message catalogue: Italian texts, and translations a site "
         "may add under another language code.",
         {integer("HS06_NUMERO", false, "message number"),
          code("HS06_LINGUA", 4, false, "language code without trailing blanks", "'ITA'"),
          text("HS06_TESTO", 250, false, "message text")},
         {"HS06_NUMERO", "HS06_LINGUA"}},
    };
}

QList<TableDef> allTables() {
    QList<TableDef> result = criterionTables();
    result += budgetTables();
    result += registerTables();
    result += hostTables();
    return result;
}

QString columnType(const ColumnDef& column, SchemaDialect dialect) {
    switch (column.kind) {
    case ColumnKind::Code:
        return QStringLiteral("VARCHAR(%1)").arg(column.length);
    case ColumnKind::Text:
        return QStringLiteral("%1(%2)")
            .arg(dialect == SchemaDialect::SqlServer ? "NVARCHAR" : "VARCHAR")
            .arg(column.length);
    case ColumnKind::Integer:
        return dialect == SchemaDialect::SqlServer ? "INT" : "INTEGER";
    case ColumnKind::Amount:
        return "DECIMAL(19,5)";
    case ColumnKind::Rate:
        return "DECIMAL(19,8)";
    case ColumnKind::Date:
        return "DATE";
    }
    return QString();
}

QString columnLine(const ColumnDef& column, SchemaDialect dialect) {
    QString line = QStringLiteral("    %1 %2").arg(column.name, columnType(column, dialect));
    if (!column.defaultValue.isEmpty())
        line += " DEFAULT " + column.defaultValue;
    line += column.nullable ? " NULL" : " NOT NULL";
    return line;
}

QString createTable(const TableDef& table, SchemaDialect dialect) {
    QStringList lines;
    for (const ColumnDef& column : table.columns)
        lines << columnLine(column, dialect);
    if (!table.primaryKey.isEmpty())
        lines << QStringLiteral("    CONSTRAINT PK_%1 PRIMARY KEY (%2)")
                     .arg(table.name, table.primaryKey.join(", "));
    return QStringLiteral("CREATE TABLE %1 (\n%2\n)").arg(table.name, lines.join(",\n"));
}

QString createIndex(const IndexDef& index) {
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(index.name, index.table, index.columns.join(", "));
}

QSqlDatabase qtDatabase(const Connection& connection) {
    return QSqlDatabase::database(connection.qtConnectionName(), false);
}

// Runs one statement; SchemaError naming the database and the statement's first line.
void execute(QSqlDatabase& db, const QString& label, const QString& sql) {
    QSqlQuery query(db);
    if (query.exec(sql))
        return;
    const QString firstLine = sql.section('\n', 0, 0);
    throw SchemaError(QStringLiteral("cannot create company database '%1': %2 (%3)")
                          .arg(label, query.lastError().text(), firstLine)
                          .toStdString());
}

void insertVersion(QSqlDatabase& db, const QString& label) {
    QSqlQuery query(db);
    query.prepare("INSERT INTO HS00_VERSIONESCHEMA (HS00_VERSIONE, HS00_CREATO) VALUES (?, ?)");
    query.addBindValue(CompanySchema::Version);
    query.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (!query.exec())
        throw SchemaError(QStringLiteral("cannot create company database '%1': %2")
                              .arg(label, query.lastError().text())
                              .toStdString());
}

void insertMessages(QSqlDatabase& db, const QString& label) {
    QSqlQuery query(db);
    query.prepare("INSERT INTO HS06_MESSAGGI (HS06_NUMERO, HS06_LINGUA, HS06_TESTO) "
                  "VALUES (?, ?, ?)");
    for (const CatalogueMessage& message : MessageCatalogue::messages()) {
        query.bindValue(0, message.number);
        query.bindValue(1, QString::fromLatin1(MessageCatalogue::Language));
        query.bindValue(2, message.text);
        if (!query.exec())
            throw SchemaError(QStringLiteral("cannot create company database '%1': message "
                                             "%2: %3")
                                  .arg(label)
                                  .arg(message.number)
                                  .arg(query.lastError().text())
                                  .toStdString());
    }
}

// Literal for the script: quotes doubled, N prefix on SQL Server for Italian accents.
QString scriptLiteral(const QString& value, SchemaDialect dialect) {
    QString quoted = value;
    quoted.replace('\'', "''");
    return (dialect == SchemaDialect::SqlServer ? "N'" : "'") + quoted + "'";
}

QStringList dataStatements(SchemaDialect dialect) {
    QStringList statements;
    statements << QStringLiteral("INSERT INTO HS00_VERSIONESCHEMA (HS00_VERSIONE) VALUES (%1)")
                      .arg(CompanySchema::Version);
    for (const CatalogueMessage& message : MessageCatalogue::messages())
        statements << QStringLiteral("INSERT INTO HS06_MESSAGGI (HS06_NUMERO, HS06_LINGUA, "
                                     "HS06_TESTO) VALUES (%1, '%2', %3)")
                          .arg(message.number)
                          .arg(QString::fromLatin1(MessageCatalogue::Language),
                               scriptLiteral(message.text, dialect));
    return statements;
}

bool hasTable(const QSqlDatabase& db, const QString& name) {
    const QStringList names = db.tables(QSql::Tables);
    return names.contains(name, Qt::CaseInsensitive);
}

} // namespace

const ColumnDef* TableDef::column(const QString& columnName) const {
    for (const ColumnDef& candidate : columns) {
        if (candidate.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const QList<TableDef>& CompanySchema::tables() {
    static const QList<TableDef> model = allTables();
    return model;
}

const QList<IndexDef>& CompanySchema::indexes() {
    // The amount statements select headers by subtype, company and year and join them to
    // the mapping by chart and account. Details need no index of their own: their primary
    // key (header, kind, period) answers both the sums and the actual amount that replaces
    // a forecast of the same header and period.
    static const QList<IndexDef> model = {
        {"IX_BU20_PADRE",
         "BU20_STRUTTURACRIT",
         {"BU20_CODICE_BU51", "BU20_CODPADRE_BU19"},
         "level walk: the children of the items of a criterion"},
        {"IX_BU50_CRITERIO",
         "BU50_CORRPDCVOCI",
         {"BU50_CODICE_BU51", "BU50_CODICE_BU19"},
         "the mapping of one criterion"},
        {"IX_BU65_SOTTOTIPO",
         "BU65_TESBUDGET",
         {"BU65_INDTIPO_BU01", "BU65_SOTTOTIPO_BU01", "BU65_DITTA_CG18", "BU65_ANNO",
          "BU65_PROGESER"},
         "headers of one comparison set"},
        {"IX_BU65_CG24",
         "BU65_TESBUDGET",
         {"BU65_GRUPPO_CG10", "BU65_CONTO_CG24"},
         "headers of a general-ledger account"},
        {"IX_BU65_CG23",
         "BU65_TESBUDGET",
         {"BU65_CODICE_CG21", "BU65_CODICE_CG23"},
         "headers of a CEE schedule line"},
        {"IX_BU65_PC03",
         "BU65_TESBUDGET",
         {"BU65_CODICE_PC01", "BU65_CONTO_PC03"},
         "headers of a reclassified-chart account"},
        {"IX_BU68_NOME", "BU68_BDGINTRIC", {"BU68_NOME"}, "the rows of one profile"},
        {"IX_HS05_GRUPPO",
         "HS05_AZIENDECOLL",
         {"HS05_GRUPPO", "HS05_ANNO"},
         "the members of a group"},
    };
    return model;
}

const TableDef* CompanySchema::table(const QString& name) {
    for (const TableDef& candidate : tables()) {
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

QStringList CompanySchema::tableStatements(SchemaDialect dialect) {
    QStringList statements;
    for (const TableDef& table : tables())
        statements << createTable(table, dialect);
    for (const IndexDef& index : indexes())
        statements << createIndex(index);
    return statements;
}

QStringList CompanySchema::functionStatements(SchemaDialect dialect) {
    return AccountFunctions::statements(dialect);
}

QString CompanySchema::script(SchemaDialect dialect) {
    const QStringList statements =
        tableStatements(dialect) + functionStatements(dialect) + dataStatements(dialect);
    const QString separator = dialect == SchemaDialect::SqlServer ? "\nGO\n\n" : ";\n\n";
    return statements.join(separator) + separator;
}

SchemaDialect CompanySchema::dialectOf(const Connection& connection) {
    switch (connection.engine()) {
    case Connection::Engine::SQLite:
        return SchemaDialect::SQLite;
    case Connection::Engine::PostgreSQL:
        return SchemaDialect::PostgreSQL;
    case Connection::Engine::Odbc:
        return SchemaDialect::SqlServer;
    }
    return SchemaDialect::SQLite;
}

QString CompanySchema::databaseLabel(const QString& connectionString) {
    const QString text = connectionString.trimmed();
    if (text.startsWith("sqlite:", Qt::CaseInsensitive))
        return text.mid(7);
    if (text.startsWith("postgresql://", Qt::CaseInsensitive) ||
        text.startsWith("postgres://", Qt::CaseInsensitive))
        return QUrl(text).path().mid(1);
    static const QRegularExpression databaseName(
        QStringLiteral("\\bdbname\\s*=\\s*(?:'([^']*)'|(\\S+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = databaseName.match(text);
    if (match.hasMatch())
        return match.captured(1).isNull() ? match.captured(2) : match.captured(1);
    // An ODBC string names its server and database; only the password must not be shown.
    static const QRegularExpression password(QStringLiteral("\\b(pwd|password)\\s*=[^;]*"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString label = text;
    label.replace(password, QStringLiteral("\\1=***"));
    return label;
}

void CompanySchema::create(Connection& connection) {
    const QString label = databaseLabel(connection.connectionString());
    QSqlDatabase db = qtDatabase(connection);
    const SchemaDialect dialect = dialectOf(connection);
    if (hasTable(db, "HS00_VERSIONESCHEMA"))
        throw SchemaError(
            QStringLiteral("'%1' is already a company database").arg(label).toStdString());
    if (!db.transaction())
        throw SchemaError(QStringLiteral("cannot create company database '%1': %2")
                              .arg(label, db.lastError().text())
                              .toStdString());
    try {
        for (const QString& statement : tableStatements(dialect) + functionStatements(dialect))
            execute(db, label, statement);
        insertVersion(db, label);
        insertMessages(db, label);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw SchemaError(QStringLiteral("cannot create company database '%1': %2")
                              .arg(label, db.lastError().text())
                              .toStdString());
    analyze(connection);
}

void CompanySchema::analyze(Connection& connection) {
    if (connection.engine() != Connection::Engine::Odbc)
        connection.ExecuteNonQuery(QStringLiteral("ANALYZE"));
}

void CompanySchema::check(Connection& connection) {
    const QString label = databaseLabel(connection.connectionString());
    QSqlDatabase db = qtDatabase(connection);
    if (!hasTable(db, "HS00_VERSIONESCHEMA"))
        throw SchemaError(QStringLiteral("'%1' is not a company database (no schema version table)")
                              .arg(label)
                              .toStdString());
    QSqlQuery query(db);
    if (!query.exec("SELECT MAX(HS00_VERSIONE) FROM HS00_VERSIONESCHEMA") || !query.next() ||
        query.value(0).isNull())
        throw SchemaError(QStringLiteral("'%1' is not a company database (no schema version)")
                              .arg(label)
                              .toStdString());
    const QString version = query.value(0).toString();
    if (version != QString::number(Version))
        throw SchemaError(QStringLiteral("company database '%1' has schema version %2; this "
                                         "program reads version %3")
                              .arg(label, version)
                              .arg(Version)
                              .toStdString());
    QStringList missing;
    for (const TableDef& table : tables()) {
        if (!hasTable(db, table.name))
            missing << table.name;
    }
    if (!missing.isEmpty())
        throw SchemaError(QStringLiteral("company database '%1' lacks %2 of schema version %3")
                              .arg(label, missing.join(", "))
                              .arg(Version)
                              .toStdString());
    CompanyDataCheck::install(connection);
}

} // namespace bdg
