#include "company/demo_content.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace bdg {

namespace {

// One category of profit-and-loss accounts: where its accounts go in the charts and the
// criteria, and what they weigh in the budget. The names are the accounts of scale 1;
// larger scales repeat them with a running number.
struct Category {
    const char* prefix;        // first four digits of the account codes
    const char* item;          // item of the profit-and-loss criterion
    const char* cee;           // CEE schedule line
    const char* ceeItem;       // item that receives the CEE line
    const char* reclass;       // account of the reclassified chart
    const char* reclassText;   // its description
    const char* structureItem; // item of the structure criterion, nullptr outside it
    int nature;
    int effect;
    std::int64_t annualEuro; // one account, company 1, both sites
    int season;
    QStringList names;
};

// Budget amounts are entered as positive figures; nature 2 (credit) makes the inquiry show
// revenues with the sign they have in the ledger, against the costs of nature 1.
const QList<Category>& categories() {
    static const QList<Category> table = {
        // clang-format off
        {"7010", "A111", "A01", "A10", "R101", "Ricavi prodotti Italia", "S11", 2, 1, 1400000, 1,
         {"Ricavi vendita prodotti finiti Italia", "Ricavi vendita semilavorati Italia",
          "Ricavi vendita ricambi Italia", "Ricavi vendita linea Classic",
          "Ricavi vendita linea Premium", "Ricavi vendita a grande distribuzione",
          "Ricavi vendita a rivenditori", "Ricavi vendite online Italia"}},
        {"7011", "A112", "A01", "A10", "R102", "Ricavi servizi Italia", "S11", 2, 1, 300000, 0,
         {"Ricavi prestazioni di assistenza tecnica", "Ricavi per installazioni",
          "Ricavi contratti di manutenzione", "Ricavi per formazione clienti"}},
        {"7020", "A121", "A01", "A10", "R103", "Ricavi Unione Europea", "S12", 2, 1, 1100000, 1,
         {"Ricavi vendita prodotti Germania", "Ricavi vendita prodotti Francia",
          "Ricavi vendita prodotti Spagna", "Ricavi vendita prodotti altri paesi UE",
          "Ricavi prestazioni di servizi UE"}},
        {"7021", "A122", "A01", "A10", "R104", "Ricavi extra UE", "S12", 2, 1, 800000, 1,
         {"Ricavi vendita prodotti Svizzera", "Ricavi vendita prodotti Stati Uniti",
          "Ricavi vendita prodotti Regno Unito", "Ricavi vendita prodotti Asia"}},
        {"7030", "A20", "A02", "A20", "R105", "Variazione rimanenze prodotti", nullptr, 2, 1, 50000, 3,
         {"Variazione rimanenze prodotti finiti", "Variazione rimanenze semilavorati",
          "Variazione lavori in corso su ordinazione"}},
        {"7040", "A30", "A04", "A30", "R106", "Incrementi per lavori interni", nullptr, 2, 1, 80000, 0,
         {"Incrementi di immobilizzazioni per lavori interni"}},
        {"7050", "A40", "A05", "A40", "R107", "Altri ricavi e proventi", nullptr, 2, 1, 50000, 0,
         {"Contributi in conto esercizio", "Rimborsi assicurativi",
          "Plusvalenze da alienazione cespiti", "Affitti attivi", "Sopravvenienze attive",
          "Recupero spese di trasporto"}},
        {"6010", "B11", "B06", "B10", "R201", "Materie prime", "S21", 1, -1, 880000, 1,
         {"Acquisti materie prime acciaio", "Acquisti materie prime alluminio",
          "Acquisti componenti elettronici", "Acquisti materie plastiche", "Acquisti semilavorati",
          "Acquisti imballaggi", "Dazi e oneri accessori su acquisti"}},
        {"6011", "B12", "B06", "B10", "R202", "Materiali di consumo e merci", nullptr, 1, -1, 180000, 0,
         {"Acquisti materiali di consumo", "Acquisti merci per rivendita",
          "Acquisti carburanti e lubrificanti", "Acquisti attrezzatura minuta",
          "Acquisti cancelleria e stampati"}},
        {"6012", "B13", "B11", "B13", "R203", "Variazione rimanenze materie", nullptr, 1, -1, 50000, 3,
         {"Variazione rimanenze materie prime", "Variazione rimanenze materiali di consumo"}},
        {"6020", "B21", "B07", "B20", "R204", "Servizi industriali", "S22", 1, -1, 210000, 2,
         {"Lavorazioni esterne", "Energia elettrica", "Gas metano", "Acqua",
          "Manutenzioni e riparazioni impianti", "Smaltimento rifiuti", "Servizi di pulizia",
          "Trasporti su acquisti", "Controllo qualità esterno"}},
        {"6021", "B22", "B07", "B20", "R205", "Servizi commerciali", "S23", 1, -1, 185000, 1,
         {"Provvigioni ad agenti", "Oneri Enasarco", "Trasporti su vendite",
          "Pubblicità e promozione", "Fiere e mostre", "Spese di rappresentanza",
          "Viaggi e trasferte commerciali"}},
        {"6022", "B23", "B07", "B20", "R206", "Servizi generali e amministrativi", "S32", 1, -1, 92000, 0,
         {"Consulenze amministrative e fiscali", "Consulenze legali", "Compensi amministratori",
          "Compensi collegio sindacale", "Revisione legale dei conti",
          "Spese telefoniche e internet", "Assicurazioni", "Servizi informatici e software",
          "Spese postali e di spedizione", "Commissioni e spese bancarie", "Servizi di vigilanza",
          "Buoni pasto"}},
        {"6030", "B25", "B08", "B25", "R207", "Godimento beni di terzi", "S33", 1, -1, 100000, 0,
         {"Affitti passivi capannone", "Affitti passivi uffici", "Canoni di leasing macchinari",
          "Noleggio automezzi", "Noleggio attrezzature", "Canoni licenze software",
          "Royalties su brevetti"}},
        {"6070", "B28", "B14", "B28", "R208", "Oneri diversi di gestione", nullptr, 1, -1, 20000, 0,
         {"IMU e tributi locali", "Imposta di registro e bolli", "Quote associative",
          "Abbonamenti e riviste", "Minusvalenze da alienazione cespiti", "Sopravvenienze passive",
          "Sanzioni e multe", "Erogazioni liberali"}},
        {"6040", "B31", "B09A", "B31", "R301", "Salari e stipendi", "S31", 1, -1, 510000, 0,
         {"Salari operai", "Stipendi impiegati", "Stipendi quadri", "Retribuzioni dirigenti",
          "Lavoro straordinario", "Ratei ferie e permessi", "Premi di produzione"}},
        {"6041", "B32", "B09B", "B32", "R302", "Oneri sociali", "S31", 1, -1, 230000, 0,
         {"Contributi INPS operai", "Contributi INPS impiegati", "Contributi INAIL",
          "Contributi previdenza dirigenti", "Contributi fondi sanitari"}},
        {"6042", "B33", "B09C", "B33", "R303", "Trattamento di fine rapporto", "S31", 1, -1, 130000, 0,
         {"Accantonamento TFR", "TFR a fondi di previdenza complementare"}},
        {"6043", "B34", "B09E", "B34", "R304", "Altri costi del personale", "S31", 1, -1, 44000, 0,
         {"Formazione del personale", "Lavoro interinale", "Rimborsi spese dipendenti",
          "Vestiario e dispositivi di protezione", "Altri costi del personale"}},
        {"6050", "B41", "B10A", "B41", "R401", "Ammortamenti immateriali", nullptr, 1, -1, 45000, 0,
         {"Ammortamento software", "Ammortamento marchi e brevetti",
          "Ammortamento costi di sviluppo", "Ammortamento migliorie su beni di terzi"}},
        {"6051", "B42", "B10B", "B42", "R402", "Ammortamenti materiali", nullptr, 1, -1, 140000, 0,
         {"Ammortamento fabbricati", "Ammortamento impianti e macchinari",
          "Ammortamento attrezzature industriali", "Ammortamento automezzi",
          "Ammortamento mobili e arredi", "Ammortamento macchine elettroniche"}},
        {"6052", "B43", "B10D", "B43", "R403", "Svalutazione crediti", nullptr, 1, -1, 30000, 0,
         {"Svalutazione crediti verso clienti", "Perdite su crediti"}},
        {"6060", "B50", "B12", "B50", "R404", "Accantonamenti", nullptr, 1, -1, 30000, 0,
         {"Accantonamento fondo garanzia prodotti", "Accantonamento fondo rischi legali",
          "Accantonamento indennità suppletiva di clientela"}},
        {"8010", "C11", "C16", "C11", "R501", "Proventi finanziari", nullptr, 2, 1, 10000, 0,
         {"Interessi attivi bancari", "Interessi attivi su crediti commerciali",
          "Proventi da partecipazioni", "Sconti finanziari attivi"}},
        {"8020", "C12", "C17", "C12", "R502", "Oneri finanziari", nullptr, 1, -1, 42000, 0,
         {"Interessi passivi su mutui", "Interessi passivi bancari", "Interessi passivi su leasing",
          "Oneri su anticipi fatture", "Sconti finanziari passivi"}},
        {"8030", "C13", "C17B", "C13", "R503", "Differenze cambio", nullptr, 2, 1, 12000, 0,
         {"Utili su cambi realizzati", "Utili su cambi da valutazione"}},
        {"8031", "C13", "C17B", "C13", "R503", "Differenze cambio", nullptr, 1, -1, 17000, 0,
         {"Perdite su cambi realizzate", "Perdite su cambi da valutazione"}},
        {"9010", "E11", "E20", "E10", "R601", "Imposte correnti", nullptr, 1, -1, 210000, 0,
         {"IRES dell'esercizio", "IRAP dell'esercizio"}},
        {"9020", "E12", "E20", "E10", "R602", "Imposte differite e anticipate", nullptr, 1, -1, 15000, 0,
         {"Imposte anticipate", "Imposte differite"}},
        // clang-format on
    };
    return table;
}

struct BalanceAccount {
    const char* code;
    const char* description;
};

// Balance-sheet accounts make the chart look like a ledger; no criterion maps them.
const QList<BalanceAccount>& balanceAccounts() {
    static const QList<BalanceAccount> table = {
        {"10100001", "Terreni e fabbricati"},
        {"10200001", "Impianti e macchinari"},
        {"10250001", "Fondo ammortamento impianti e macchinari"},
        {"10300001", "Attrezzature industriali e commerciali"},
        {"11100001", "Rimanenze di materie prime"},
        {"12100001", "Crediti verso clienti Italia"},
        {"12100002", "Crediti verso clienti estero"},
        {"13100001", "Banca c/c ordinario"},
        {"13200001", "Cassa contanti"},
        {"20100001", "Capitale sociale"},
        {"20200001", "Riserva legale"},
        {"21100001", "Fondo trattamento di fine rapporto"},
        {"22100001", "Debiti verso fornitori"},
        {"22200001", "Erario c/IVA"},
        {"22300001", "Debiti verso istituti previdenziali"},
    };
    return table;
}

const QList<DemoLine>& ceeSchedule() {
    static const QList<DemoLine> table = {
        {"A01", "Ricavi delle vendite e delle prestazioni"},
        {"A02", "Variazioni delle rimanenze di prodotti in corso di lavorazione, semilavorati "
                "e finiti"},
        {"A03", "Variazioni dei lavori in corso su ordinazione"},
        {"A04", "Incrementi di immobilizzazioni per lavori interni"},
        {"A05", "Altri ricavi e proventi"},
        {"B06", "Costi per materie prime, sussidiarie, di consumo e di merci"},
        {"B07", "Costi per servizi"},
        {"B08", "Costi per godimento di beni di terzi"},
        {"B09A", "Salari e stipendi"},
        {"B09B", "Oneri sociali"},
        {"B09C", "Trattamento di fine rapporto"},
        {"B09D", "Trattamento di quiescenza e simili"},
        {"B09E", "Altri costi del personale"},
        {"B10A", "Ammortamento delle immobilizzazioni immateriali"},
        {"B10B", "Ammortamento delle immobilizzazioni materiali"},
        {"B10C", "Altre svalutazioni delle immobilizzazioni"},
        {"B10D", "Svalutazione dei crediti dell'attivo circolante"},
        {"B11", "Variazioni delle rimanenze di materie prime, sussidiarie, di consumo e merci"},
        {"B12", "Accantonamenti per rischi"},
        {"B13", "Altri accantonamenti"},
        {"B14", "Oneri diversi di gestione"},
        {"C15", "Proventi da partecipazioni"},
        {"C16", "Altri proventi finanziari"},
        {"C17", "Interessi e altri oneri finanziari"},
        {"C17B", "Utili e perdite su cambi"},
        {"D18", "Rivalutazioni di attività finanziarie"},
        {"D19", "Svalutazioni di attività finanziarie"},
        {"E20", "Imposte sul reddito dell'esercizio, correnti, differite e anticipate"},
        {"E21", "Utile (perdita) dell'esercizio"},
    };
    return table;
}

struct ItemDef {
    const char* code;
    const char* description;
    int type;
    const char* parent;
};

// The profit-and-loss criterion: a value-added statement. Intermediate totals add the
// siblings before them, so each margin sits right after the costs it deducts; formula
// items come last, where every total they read is already filled.
const QList<ItemDef>& profitLossItems() {
    static const QList<ItemDef> table = {
        {"A00", "Valore della produzione", 1, nullptr},
        {"A10", "Ricavi delle vendite e delle prestazioni", 1, "A00"},
        {"A11", "Ricavi Italia", 1, "A10"},
        {"A111", "Ricavi prodotti Italia", 0, "A11"},
        {"A112", "Ricavi servizi Italia", 0, "A11"},
        {"A12", "Ricavi estero", 1, "A10"},
        {"A121", "Ricavi Unione Europea", 0, "A12"},
        {"A122", "Ricavi extra UE", 0, "A12"},
        {"A20", "Variazione rimanenze prodotti", 0, "A00"},
        {"A30", "Incrementi di immobilizzazioni per lavori interni", 0, "A00"},
        {"A40", "Altri ricavi e proventi", 0, "A00"},
        {"B10", "Consumi di materie", 1, nullptr},
        {"B11", "Acquisti materie prime", 0, "B10"},
        {"B12", "Acquisti materiali di consumo e merci", 0, "B10"},
        {"B13", "Variazione rimanenze materie", 0, "B10"},
        {"B20", "Costi per servizi", 1, nullptr},
        {"B21", "Servizi industriali", 0, "B20"},
        {"B22", "Servizi commerciali", 0, "B20"},
        {"B23", "Servizi amministrativi e generali", 0, "B20"},
        {"B25", "Godimento beni di terzi", 0, nullptr},
        {"B28", "Oneri diversi di gestione", 0, nullptr},
        {"VA", "Valore aggiunto", 2, nullptr},
        {"B30", "Costo del personale", 1, nullptr},
        {"B31", "Salari e stipendi", 0, "B30"},
        {"B32", "Oneri sociali", 0, "B30"},
        {"B33", "Trattamento di fine rapporto", 0, "B30"},
        {"B34", "Altri costi del personale", 0, "B30"},
        {"MOL", "Margine operativo lordo (EBITDA)", 2, nullptr},
        {"B40", "Ammortamenti e svalutazioni", 1, nullptr},
        {"B41", "Ammortamenti immobilizzazioni immateriali", 0, "B40"},
        {"B42", "Ammortamenti immobilizzazioni materiali", 0, "B40"},
        {"B43", "Svalutazione crediti", 0, "B40"},
        {"B50", "Accantonamenti", 0, nullptr},
        {"EBIT", "Risultato operativo (EBIT)", 2, nullptr},
        {"C10", "Gestione finanziaria", 1, nullptr},
        {"C11", "Proventi finanziari", 0, "C10"},
        {"C12", "Interessi e altri oneri finanziari", 0, "C10"},
        {"C13", "Utili e perdite su cambi", 0, "C10"},
        {"RAI", "Risultato prima delle imposte", 2, nullptr},
        {"E10", "Imposte sul reddito", 1, nullptr},
        {"E11", "Imposte correnti", 0, "E10"},
        {"E12", "Imposte differite e anticipate", 0, "E10"},
        {"UTN", "Utile (perdita) dell'esercizio", 2, nullptr},
        {"F01", "EBITDA margin %:[MOL]/[A00]*100", 3, nullptr},
        {"F02", "Incidenza costo personale %:-[B30]/[A00]*100", 3, nullptr},
        {"F03", "EBIT margin %:[EBIT]/[A00]*100", 3, nullptr},
        {"F04", "Incidenza servizi su ricavi %:Math.abs([B20])/Math.abs([A10])*100", 3, nullptr},
    };
    return table;
}

// The structure criterion reads the budget kept on the commercial structure's accounts.
const QList<ItemDef>& structureItems() {
    static const QList<ItemDef> table = {
        {"S10", "Ricavi", 1, nullptr},
        {"S11", "Ricavi Italia", 0, "S10"},
        {"S12", "Ricavi estero", 0, "S10"},
        {"S20", "Costi variabili", 1, nullptr},
        {"S21", "Materie prime", 0, "S20"},
        {"S22", "Lavorazioni e servizi industriali", 0, "S20"},
        {"S23", "Provvigioni e servizi commerciali", 0, "S20"},
        {"SMC", "Margine di contribuzione", 2, nullptr},
        {"S30", "Costi fissi", 1, nullptr},
        {"S31", "Personale", 0, "S30"},
        {"S32", "Servizi generali", 0, "S30"},
        {"S33", "Godimento beni di terzi", 0, "S30"},
        {"SRO", "Risultato operativo gestionale", 2, nullptr},
        {"SF1", "Margine di contribuzione %:[SMC]/[S10]*100", 3, nullptr},
        {"SF2", "Incidenza costi fissi %:-[S30]/[S10]*100", 3, nullptr},
    };
    return table;
}

const int seasons[4][12] = {
    {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}, // even
    {85, 90, 100, 95, 100, 100, 95, 40, 100, 105, 100, 90},       // sales, August closure
    {130, 120, 105, 90, 80, 75, 80, 50, 80, 95, 115, 130},        // heating and energy
    {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}, // stock swings (own draw)
};

constexpr int baseProfitLossAccounts = 139;
constexpr int maxAccountsPerCategory = 9999;
constexpr int maxItems = 1000;

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

DemoOptions DemoOptions::resolved() const {
    if (scale < 1 || scale > 500)
        throw DemoSizeError(
            QStringLiteral("scale %1 is out of range (1 to 500)").arg(scale).toStdString());
    if (levels != 3 && levels != 4)
        throw DemoSizeError(QStringLiteral("%1 criterion levels cannot be built (3 or 4)")
                                .arg(levels)
                                .toStdString());
    DemoOptions result = *this;
    if (result.accounts <= 0)
        result.accounts = baseProfitLossAccounts * scale;
    const int baseItems = levels == 4 ? 47 : 43;
    if (result.items <= 0)
        result.items = std::min(400, baseItems + 10 * (scale - 1));
    if (result.items < baseItems || result.items > maxItems)
        throw DemoSizeError(
            QStringLiteral("%1 criterion items cannot be built (%2 to %3 with %4 levels)")
                .arg(result.items)
                .arg(baseItems)
                .arg(maxItems)
                .arg(levels)
                .toStdString());
    return result;
}

DemoContent::DemoContent(const DemoOptions& options) : m_options(options.resolved()) {
    buildAccounts();
    buildLines();
    buildProfitLossCriterion();
    if (m_options.levels == 3)
        foldDeepItems();
    expandProfitLossCriterion();
    buildStructureCriterion();
    mapAccounts();
}

int DemoContent::categoryCount() {
    return int(categories().size());
}

int DemoContent::baseAccounts(int category) {
    return int(categories().at(category).names.size());
}

DemoCategoryFigures DemoContent::figures(int category) {
    const Category& source = categories().at(category);
    return {source.nature,
            source.effect,
            source.annualEuro,
            source.season,
            QString::fromLatin1(source.cee),
            QString::fromLatin1(source.reclass)};
}

const int* DemoContent::seasonWeights(int season) {
    return seasons[season];
}

int DemoContent::seasonTotal(int season) {
    int total = 0;
    for (int month = 0; month < 12; ++month)
        total += seasons[season][month];
    return total;
}

// Accounts per category follow the scale-1 chart in proportion; a category never loses its
// last account, so every item keeps something to show.
void DemoContent::buildAccounts() {
    for (int index = 0; index < categoryCount(); ++index) {
        const Category& category = categories().at(index);
        const int base = int(category.names.size());
        const auto wanted = (std::int64_t(base) * m_options.accounts + baseProfitLossAccounts / 2) /
                            baseProfitLossAccounts;
        const int count = int(std::max<std::int64_t>(1, wanted));
        if (count > maxAccountsPerCategory)
            throw DemoSizeError(
                QStringLiteral("%1 accounts do not fit the account codes of category "
                               "%2 (9999 at most)")
                    .arg(count)
                    .arg(QLatin1String(category.prefix))
                    .toStdString());
        const int structureCount = category.structureItem ? (count + 1) / 2 : 0;
        for (int number = 0; number < count; ++number) {
            DemoAccount account;
            account.code = QLatin1String(category.prefix) +
                           QStringLiteral("%1").arg(number + 1, 4, 10, QLatin1Char('0'));
            account.description = category.names.at(number % base);
            if (number >= base)
                account.description += QStringLiteral(" - %1").arg(number / base + 1);
            account.category = index;
            account.structure = number < structureCount;
            m_accounts.append(account);
        }
    }
    for (const BalanceAccount& balance : balanceAccounts())
        m_accounts.append({QLatin1String(balance.code), QString::fromUtf8(balance.description), -1,
                           QString(), false});
}

void DemoContent::buildLines() {
    m_ceeLines = ceeSchedule();
    QStringList seen;
    for (const Category& category : categories()) {
        const QString code = QLatin1String(category.reclass);
        if (seen.contains(code))
            continue;
        seen << code;
        m_reclassAccounts.append({code, QString::fromUtf8(category.reclassText)});
    }
}

// Positions count the siblings met so far; levels follow the parent's.
static void addItems(QList<DemoItem>& items, const QString& criterion,
                     const QList<ItemDef>& table) {
    QHash<QString, int> children;
    QHash<QString, int> levels;
    for (const ItemDef& definition : table) {
        DemoItem item;
        item.criterion = criterion;
        item.code = QLatin1String(definition.code);
        item.description = QString::fromUtf8(definition.description);
        item.type = definition.type;
        item.parent = definition.parent ? QLatin1String(definition.parent) : QString();
        item.position = ++children[item.parent];
        item.level = item.parent.isEmpty() ? 1 : levels.value(item.parent) + 1;
        levels.insert(item.code, item.level);
        items.append(item);
    }
}

void DemoContent::buildProfitLossCriterion() {
    addItems(m_items, QLatin1String(CriterionProfitLoss), profitLossItems());
}

void DemoContent::buildStructureCriterion() {
    addItems(m_items, QLatin1String(CriterionStructure), structureItems());
}

// With three levels the fourth-level revenue items disappear and their parents receive the
// accounts themselves.
void DemoContent::foldDeepItems() {
    QList<DemoItem> kept;
    for (const DemoItem& item : m_items) {
        if (item.level <= 3) {
            kept.append(item);
            continue;
        }
        const int parent = int(
            std::find_if(kept.begin(), kept.end(),
                         [&](const DemoItem& candidate) { return candidate.code == item.parent; }) -
            kept.begin());
        kept[parent].type = 0;
    }
    m_items = kept;
}

// Benchmarks need more items: analytic values of the second level are split into groups
// (third level), and the groups of the first three top items into lines (fourth level).
void DemoContent::expandProfitLossCriterion() {
    int extra = m_options.items - int(m_items.size());
    if (extra <= 0)
        return;
    const int third = m_options.levels == 4 ? std::max(1, extra * 2 / 5) : extra;
    QStringList parents;
    for (const DemoItem& item : m_items) {
        if (item.level == 2 && item.type == 0)
            parents << item.code;
    }
    QStringList groups;
    QHash<QString, int> children;
    for (int index = 0; index < third; ++index) {
        const QString parent = parents.at(index % parents.size());
        DemoItem& owner = m_items[itemIndex(parent)];
        owner.type = 1;
        const int position = ++children[parent];
        const bool deepBranch = m_items.at(itemIndex(owner.parent)).position <= 3;
        const DemoItem group{owner.criterion,
                             parent + QLatin1Char('.') + twoDigits(position),
                             owner.description + QStringLiteral(" - gruppo ") + twoDigits(position),
                             0,
                             parent,
                             position,
                             3};
        m_items.append(group);
        if (deepBranch)
            groups << group.code;
    }
    extra -= third;
    for (int index = 0; index < extra && !groups.isEmpty(); ++index) {
        const QString parent = groups.at(index % groups.size());
        DemoItem& owner = m_items[itemIndex(parent)];
        owner.type = 1;
        const int position = ++children[parent];
        m_items.append({owner.criterion, parent + QLatin1Char('.') + twoDigits(position),
                        owner.description + QStringLiteral(" - linea ") + twoDigits(position), 0,
                        parent, position, 4});
    }
}

int DemoContent::itemIndex(const QString& code) const {
    for (int index = 0; index < m_items.size(); ++index) {
        if (m_items.at(index).code == code)
            return index;
    }
    return -1;
}

// The leaves below an item in tree order, or the item itself when it has no children.
QStringList DemoContent::leavesUnder(const QString& item) const {
    QStringList children;
    for (const DemoItem& candidate : m_items) {
        if (candidate.parent == item && candidate.criterion == QLatin1String(CriterionProfitLoss))
            children << candidate.code;
    }
    if (children.isEmpty())
        return {item};
    QStringList leaves;
    for (const QString& child : children)
        leaves += leavesUnder(child);
    return leaves;
}

// Category items folded away (three levels) are replaced by their parents.
static QString liveItem(const QList<DemoItem>& items, const QString& code) {
    for (const DemoItem& item : items) {
        if (item.code == code)
            return code;
    }
    for (const ItemDef& definition : profitLossItems()) {
        if (QLatin1String(definition.code) == code)
            return QLatin1String(definition.parent);
    }
    return code;
}

void DemoContent::mapAccounts() {
    const QString profitLoss = QLatin1String(CriterionProfitLoss);
    QHash<int, QStringList> leaves;
    QHash<int, int> used;
    for (DemoAccount& account : m_accounts) {
        if (account.category < 0)
            continue;
        const Category& category = categories().at(account.category);
        if (!leaves.contains(account.category))
            leaves.insert(account.category,
                          leavesUnder(liveItem(m_items, QLatin1String(category.item))));
        const QStringList& targets = leaves[account.category];
        account.item = targets.at(used[account.category]++ % targets.size());
        m_mappings.append(
            {profitLoss, account.item, 1, QLatin1String(ChartGeneralLedger), account.code, false});
        if (account.structure)
            m_mappings.append({QLatin1String(CriterionStructure),
                               QLatin1String(category.structureItem), 1,
                               QLatin1String(ChartGeneralLedger), account.code, true});
    }
    QStringList cee;
    QStringList reclass;
    for (const Category& category : categories()) {
        if (!cee.contains(QLatin1String(category.cee))) {
            cee << QLatin1String(category.cee);
            m_mappings.append({profitLoss, QLatin1String(category.ceeItem), 2,
                               QLatin1String(ChartCee), QLatin1String(category.cee), false});
        }
        if (!reclass.contains(QLatin1String(category.reclass))) {
            reclass << QLatin1String(category.reclass);
            m_mappings.append({profitLoss, liveItem(m_items, QLatin1String(category.item)), 3,
                               QLatin1String(ChartReclass), QLatin1String(category.reclass),
                               false});
        }
    }
}

} // namespace bdg
