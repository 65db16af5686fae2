// The elaboration on the demo company, checked against a calculation written here apart
// from the engine: plain reads of the budget rows, summed per account (and per period) with
// the sign rule in simple maps, and a recursive roll-up over the criterion's tree. Every
// item's amounts are compared, except the formula items' own results (the script engine's
// work, covered by the fixtures). When PostgreSQL is available, the two engines must also
// give identical tables.
//
// The quarterly selection reads CEE lines that gather accounts of both natures: each such
// line has one account row per nature, and its figures must not depend on the other sets.

#include "company/demo_company.h"
#include "support/fixture_runner.h"

#include <QHash>
#include <QMap>
#include <QTest>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

using namespace bdg;

namespace {

using Amount = std::optional<Decimal>;

void add(Amount& target, const Amount& value) {
    if (!value)
        return;
    target = target ? *target + *value : *value;
}

QString text(const Amount& value) {
    return value ? value->rescaled(2).toString() : QStringLiteral("Null");
}

struct Selection {
    QString name;
    test::FixtureParams params;
    int items = 0; ///< criterion items of the demo company; 0 for its default 47
};

QList<Selection> selections() {
    QList<Selection> list;
    test::FixtureParams mensile;
    mensile.sottotipo = QStringLiteral("MENS");
    mensile.criterio = QStringLiteral("CE01");
    // Budget 2026, forecast 1 of 2026 (completed with the actuals of January to September)
    // and the actuals of 2025, all of site 1.
    mensile.insiemi = {test::parseSet(QStringLiteral("0:2026:1:1")),
                       test::parseSet(QStringLiteral("3:2026:1:1")),
                       test::parseSet(QStringLiteral("1:2025:1:1"))};
    mensile.periodoDa = 1;
    mensile.periodoA = 12;
    list << Selection{QStringLiteral("mensile"), mensile};
    test::FixtureParams trimestrale;
    trimestrale.sottotipo = QStringLiteral("TRIM");
    trimestrale.criterio = QStringLiteral("CE01");
    trimestrale.insiemi = {test::parseSet(QStringLiteral("0:2025:1:")),
                           test::parseSet(QStringLiteral("0:2026:1:"))};
    trimestrale.periodoDa = 2;
    trimestrale.periodoA = 4;
    list << Selection{QStringLiteral("trimestrale"), trimestrale};
    // The criterion grown to 400 items in four levels, as the benchmark company has it.
    test::FixtureParams grande = mensile;
    grande.insiemi.removeLast();
    list << Selection{QStringLiteral("400 voci"), grande, 400};
    return list;
}

struct Item {
    QString parent; ///< empty for a top item
    int position = 0;
    int type = 0;
};

// The chart columns of the mapping and of the budget headers, by chart kind.
struct ChartColumns {
    QString mappingChart, mappingAccount, headerChart, headerAccount;
};

ChartColumns chartColumns(int kind) {
    if (kind == 2)
        return {"BU50_CODICE_CG21", "BU50_CODICE_CG23", "BU65_CODICE_CG21", "BU65_CODICE_CG23"};
    if (kind == 3)
        return {"BU50_CODICE_PC01", "BU50_CONTO_PC03", "BU65_CODICE_PC01", "BU65_CONTO_PC03"};
    return {"BU50_GRUPPO_CG10", "BU50_CONTO_CG24", "BU65_GRUPPO_CG10", "BU65_CONTO_CG24"};
}

QString quoted(const QString& value) {
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// One budget detail row with what the sets filter on.
struct Detail {
    int header = 0, company = 0, year = 0, progEser = 0, site = 0, type = 0, period = 0;
    int nature = 1;
    QString account;
    Decimal signedAmount; ///< rounded to 2 decimals after the sign
};

/// The expected amounts of one selection: per (item, account) and per item, per set, in
/// total and per period.
class Expected {
public:
    Expected(Connection& connection, const test::FixtureParams& params)
        : m_connection(connection), m_params(params) {
        readSubtype();
        readTree();
        readMapping();
        readDetails();
    }

    /// The account's amount in a set, summed over its result rows (one per nature that any
    /// set has, each holding the set's own amount of that nature); per period, the same.
    Amount account(const QString& account, int set, std::optional<int> period) const {
        const std::map<int, Decimal> sums = natureSums(account, set, period);
        if (sums.empty())
            return {};
        Decimal total;
        for (const auto& [nature, amount] : sums)
            total += amount;
        return total;
    }

    /// The account's result rows: one per nature that any set reads.
    int rows(const QString& account) const {
        std::set<int> natures;
        for (int set = 1; set <= int(m_params.insiemi.size()); ++set) {
            for (const auto& [nature, amount] : natureSums(account, set, std::nullopt))
                natures.insert(nature);
        }
        return int(natures.size());
    }

    /// Before the intermediate totals and formulas: the item's accounts and, for ordinary
    /// items, the children that are neither intermediate totals nor formulas.
    Amount rolledUp(const QString& item, int set, std::optional<int> period) const {
        Amount sum;
        for (const QString& acc : m_accounts.value(item))
            add(sum, account(acc, set, period));
        const int type = m_items.value(item).type;
        if (type == 2 || type == 3)
            return sum;
        for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
            if (it->parent == item && it->type != 2 && it->type != 3)
                add(sum, rolledUp(it.key(), set, period));
        }
        return sum;
    }

    /// What the item holds at the end; intermediate totals add their preceding siblings.
    Amount item(const QString& code, int set, std::optional<int> period) const {
        Amount sum = rolledUp(code, set, period);
        const Item& it = m_items[code];
        if (it.type != 2)
            return sum;
        for (auto sibling = m_items.cbegin(); sibling != m_items.cend(); ++sibling) {
            if (sibling->parent == it.parent && sibling->position < it.position &&
                sibling->type != 2)
                add(sum, rolledUp(sibling.key(), set, period));
        }
        return sum;
    }

    const QMap<QString, Item>& items() const { return m_items; }
    const QMap<QString, QStringList>& accounts() const { return m_accounts; }
    int periods() const { return m_periods; }

private:
    struct FixtureSetKey {
        int type = 0, year = 0, progEser = 0, site = 0;
    };

    FixtureSetKey setKey(int set) const {
        const test::FixtureSet& s = m_params.insiemi[set - 1];
        return {s.tipo.toInt(), NVL(s.anno, Variant(0)).toInt32().value_or(0),
                NVL(s.progEser, Variant(0)).toInt32().value_or(0),
                NVL(s.sede, Variant(0)).toInt32().value_or(0)};
    }

    bool inSet(const Detail& detail, const FixtureSetKey& key) const {
        return detail.company == 1 && detail.year == key.year && detail.progEser == key.progEser &&
               (!m_sites || detail.site == key.site);
    }

    // The set's sums per nature, over the whole period range (forecasts completed with
    // actuals) or in one period (forecasts as they are).
    std::map<int, Decimal> natureSums(const QString& account, int set,
                                      std::optional<int> period) const {
        const FixtureSetKey key = setKey(set);
        std::map<int, Decimal> sums;
        for (const Detail& detail : m_details) {
            if (detail.account != account || detail.type != key.type || !inSet(detail, key))
                continue;
            if (!inRange(detail.period) || (period && detail.period != *period))
                continue;
            sums[detail.nature] += !period && key.type > 2 ? actualOr(detail) : detail.signedAmount;
        }
        return sums;
    }

    bool inRange(int period) const {
        return period >= m_params.periodoDa.toInt32().value_or(1) &&
               period <= m_params.periodoA.toInt32().value_or(1);
    }

    Decimal actualOr(const Detail& forecast) const {
        for (const Detail& detail : m_details) {
            if (detail.header == forecast.header && detail.period == forecast.period &&
                detail.type == 1)
                return detail.signedAmount;
        }
        return forecast.signedAmount;
    }

    RecordsetPtr read(const QString& sql) const { return m_connection.Execute(sql); }

    void readSubtype() {
        const auto rst = read(QStringLiteral("SELECT HS04_TIPOPDC, HS04_CODICEPDC, "
                                             "HS04_GESTIONESEDE, HS04_PERIODICITA FROM "
                                             "HS04_SOTTOTIPI WHERE HS04_INDTIPO_BU01 = 5 AND "
                                             "HS04_CODICE = ") +
                              quoted(m_params.sottotipo));
        rst->MoveFirst();
        m_columns = chartColumns(rst->value(u"HS04_TIPOPDC").toInt32().value_or(1));
        m_chart = rst->value(u"HS04_CODICEPDC").toString();
        m_sites = rst->value(u"HS04_GESTIONESEDE").toInt32().value_or(0) == 1;
        m_periods =
            BudgetObject::NumeroPeriodi(rst->value(u"HS04_PERIODICITA").toInt32().value_or(0));
    }

    void readTree() {
        const auto rst =
            read(QStringLiteral("SELECT BU20_CODICE_BU19, BU20_CODPADRE_BU19, BU20_POSIZIONE, "
                                "BU19_INDTIPOVOCE FROM BU20_STRUTTURACRIT INNER JOIN "
                                "BU19_VOCICRITELAB ON BU19_CODICE = BU20_CODICE_BU19 WHERE "
                                "BU20_CODICE_BU51 = ") +
                 quoted(m_params.criterio));
        for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext()) {
            Item item;
            item.parent = NVL(rst->value(u"BU20_CODPADRE_BU19"), Variant(QString())).toString();
            item.position = rst->value(u"BU20_POSIZIONE").toInt32().value_or(0);
            item.type = rst->value(u"BU19_INDTIPOVOCE").toInt32().value_or(0);
            m_items.insert(rst->value(u"BU20_CODICE_BU19").toString(), item);
        }
    }

    void readMapping() {
        const auto rst = read(
            QStringLiteral("SELECT DISTINCT BU50_CODICE_BU19, %1, %2 FROM "
                           "BU50_CORRPDCVOCI WHERE BU50_CODICE_BU51 = %3")
                .arg(m_columns.mappingChart, m_columns.mappingAccount, quoted(m_params.criterio)));
        for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext()) {
            if (rst->value(m_columns.mappingChart).toString() != m_chart)
                continue;
            const QString account = rst->value(m_columns.mappingAccount).toString();
            if (!account.isEmpty())
                m_accounts[rst->value(u"BU50_CODICE_BU19").toString()] << account;
        }
    }

    void readDetails() {
        const auto rst = read(
            QStringLiteral("SELECT BU65_ID, BU65_DITTA_CG18, BU65_ANNO, BU65_PROGESER, "
                           "BU65_CODICE_CG31, BU65_INDNATCONTO, %1 AS CHART, %2 AS ACCOUNT, "
                           "BU66_TIPO, BU66_PERIODO, BU66_IMPORTO FROM BU65_TESBUDGET INNER JOIN "
                           "BU66_DETBUDGET ON BU66_ID_BU65 = BU65_ID WHERE BU65_INDTIPO_BU01 = "
                           "5 AND BU65_SOTTOTIPO_BU01 = %3")
                .arg(m_columns.headerChart, m_columns.headerAccount, quoted(m_params.sottotipo)));
        for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext()) {
            if (rst->value(u"CHART").toString() != m_chart)
                continue;
            Detail detail;
            detail.header = rst->value(u"BU65_ID").toInt32().value_or(0);
            detail.company = rst->value(u"BU65_DITTA_CG18").toInt32().value_or(0);
            detail.year = rst->value(u"BU65_ANNO").toInt32().value_or(0);
            detail.progEser = rst->value(u"BU65_PROGESER").toInt32().value_or(0);
            detail.site = rst->value(u"BU65_CODICE_CG31").toInt32().value_or(0);
            detail.type = rst->value(u"BU66_TIPO").toInt32().value_or(0);
            detail.period = rst->value(u"BU66_PERIODO").toInt32().value_or(0);
            detail.account = rst->value(u"ACCOUNT").toString();
            detail.nature = rst->value(u"BU65_INDNATCONTO").toInt32().value_or(1);
            const bool reversed = detail.nature == 2;
            const Decimal amount = rst->value(u"BU66_IMPORTO").toDecimal().value_or(Decimal());
            detail.signedAmount = (reversed ? -amount : amount).round(2);
            m_details.push_back(detail);
        }
    }

    Connection& m_connection;
    test::FixtureParams m_params;
    ChartColumns m_columns;
    QString m_chart;
    bool m_sites = false;
    int m_periods = 0;
    QMap<QString, Item> m_items;
    QMap<QString, QStringList> m_accounts;
    std::vector<Detail> m_details;
};

// The amounts of the result rows of one kind, summed per "parent/code" (an account with
// headers of both natures comes as two rows) and per period (0 in the criterion table).
std::map<std::pair<QString, int>, std::vector<Amount>>
resultAmounts(const Recordset& table, const QString& kind, int sets) {
    std::map<std::pair<QString, int>, std::vector<Amount>> result;
    Recordset rows = table.Clone();
    rows.setFilter(QStringLiteral("TIPORECORD = '%1'").arg(kind));
    const bool perPeriod = rows.fieldIndex(u"PERIODO").has_value();
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        const QString code = rows.value(u"VOCE").toString().trimmed();
        const QString name = kind == QLatin1String("C")
                                 ? rows.value(u"VOCEPADRE").toString().trimmed() + '/' + code
                                 : code;
        const int period = perPeriod ? rows.value(u"PERIODO").toInt32().value_or(0) : 0;
        auto& amounts = result[{name, period}];
        amounts.resize(std::size_t(sets));
        for (int set = 1; set <= sets; ++set) {
            const Variant value = rows.value(QStringLiteral("IMP%1").arg(set));
            add(amounts[std::size_t(set - 1)],
                value.isNullOrEmpty() ? Amount() : value.toDecimal());
        }
    }
    return result;
}

// The account rows per "item/account".
QHash<QString, int> rowCounts(const Recordset& table) {
    QHash<QString, int> counts;
    Recordset rows = table.Clone();
    rows.setFilter(QStringLiteral("TIPORECORD = 'C'"));
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
        ++counts[rows.value(u"VOCEPADRE").toString().trimmed() + '/' +
                 rows.value(u"VOCE").toString().trimmed()];
    return counts;
}

} // namespace

class TestElaboraDemo : public QObject {
    Q_OBJECT

private slots:
    void matchesIndependentCalculation_data();
    void matchesIndependentCalculation();
    void enginesGiveIdenticalTables_data();
    void enginesGiveIdenticalTables();

private:
    // The demo company of `items` criterion items on an engine, built on first use.
    test::FixtureCompany& company(const QString& engine, int items);
    // Runs a selection; the state keeps the result tables.
    bool run(const QString& engine, const Selection& selection, FormState& state);
    std::map<std::pair<QString, int>, std::unique_ptr<test::FixtureCompany>> m_companies;
};

test::FixtureCompany& TestElaboraDemo::company(const QString& engine, int items) {
    auto& built = m_companies[{engine, items}];
    if (!built) {
        built = std::make_unique<test::FixtureCompany>(engine);
        DemoOptions options;
        options.items = items;
        if (!built->build(
                [&](Connection& connection) { DemoCompany::create(connection, options); }))
            qFatal("demo company on %s: %s", qPrintable(engine), qPrintable(built->errorText()));
    }
    return *built;
}

bool TestElaboraDemo::run(const QString& engine, const Selection& selection, FormState& state) {
    test::FixtureCompany& demo = company(engine, selection.items);
    if (!demo.prepare(state, selection.params))
        return false;
    demo.messages().clear();
    return BdgIntRic_Elabora(state) == EsitoElaborazione::Completata &&
           demo.messages().messages().isEmpty();
}

void TestElaboraDemo::matchesIndependentCalculation_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("selection");
    for (const QString& engine : test::engines()) {
        for (int i = 0; i < selections().size(); ++i)
            QTest::newRow(qPrintable(selections()[i].name + '/' + engine)) << engine << i;
    }
}

void TestElaboraDemo::matchesIndependentCalculation() {
    QFETCH(QString, engine);
    QFETCH(int, selection);
    const Selection chosen = selections()[selection];
    const test::FixtureParams& params = chosen.params;
    FormState state;
    test::FixtureCompany& demo = company(engine, chosen.items);
    QVERIFY2(run(engine, chosen, state), qPrintable(demo.log().lastErrorText()));
    const int sets = int(params.insiemi.size());
    const Expected expected(demo.connection(), params);
    QVERIFY(!expected.items().isEmpty());

    int compared = 0;
    for (const auto& table : {state.RstCriterio, state.RstCriterioPeriodi}) {
        const bool perPeriod = table == state.RstCriterioPeriodi;
        const auto items = resultAmounts(*table, QStringLiteral("V"), sets);
        const auto accounts = resultAmounts(*table, QStringLiteral("C"), sets);
        QCOMPARE(items.size(),
                 std::size_t(expected.items().size() * (perPeriod ? expected.periods() : 1)));
        for (const auto& [key, amounts] : items) {
            const auto& [code, period] = key;
            // A formula's own result comes from the script engine; in the period table
            // formulas are not computed and hold what their accounts gave.
            if (!perPeriod && expected.items()[code].type == 3)
                continue;
            for (int set = 1; set <= sets; ++set) {
                const Amount want =
                    expected.item(code, set, perPeriod ? std::optional<int>(period) : std::nullopt);
                QVERIFY2(text(want) == text(amounts[std::size_t(set - 1)]),
                         qPrintable(QStringLiteral("item %1 period %2 set %3: expected %4, "
                                                   "found %5")
                                        .arg(code)
                                        .arg(period)
                                        .arg(set)
                                        .arg(text(want), text(amounts[std::size_t(set - 1)]))));
                ++compared;
            }
        }
        for (const auto& [key, amounts] : accounts) {
            const auto& [name, period] = key;
            const QString account = name.section('/', 1);
            for (int set = 1; set <= sets; ++set) {
                const Amount want = expected.account(
                    account, set, perPeriod ? std::optional<int>(period) : std::nullopt);
                QVERIFY2(text(want) == text(amounts[std::size_t(set - 1)]),
                         qPrintable(QStringLiteral("account %1 period %2 set %3: expected %4, "
                                                   "found %5")
                                        .arg(name)
                                        .arg(period)
                                        .arg(set)
                                        .arg(text(want), text(amounts[std::size_t(set - 1)]))));
            }
        }
    }
    // Every mapped account with an amount in some set has one row per nature.
    const QHash<QString, int> accountRows = rowCounts(*state.RstCriterio);
    for (auto it = expected.accounts().cbegin(); it != expected.accounts().cend(); ++it) {
        for (const QString& account : it.value())
            QCOMPARE(accountRows.value(it.key() + '/' + account), expected.rows(account));
    }
    QVERIFY(compared > 0);
}

void TestElaboraDemo::enginesGiveIdenticalTables_data() {
    QTest::addColumn<int>("selection");
    for (int i = 0; i < selections().size(); ++i)
        QTest::newRow(qPrintable(selections()[i].name)) << i;
}

void TestElaboraDemo::enginesGiveIdenticalTables() {
    QFETCH(int, selection);
    if (test::engines().size() < 2)
        QSKIP("PostgreSQL is not available (BDGINTRIC_TEST_PG)");
    QList<QList<QStringList>> tables;
    for (const QString& engine : test::engines()) {
        FormState state;
        QVERIFY2(run(engine, selections()[selection], state), qPrintable(engine));
        tables << test::tableCells(*state.RstCriterio, QStringLiteral("KEY_VOCE"));
        tables << test::tableCells(*state.RstCriterioPeriodi, QStringLiteral("KEY_VOCE, PERIODO"));
    }
    const QString criterio = test::compareCells(tables[0], tables[2], 1);
    QVERIFY2(criterio.isEmpty(), qPrintable(criterio));
    const QString periodi = test::compareCells(tables[1], tables[3], 5);
    QVERIFY2(periodi.isEmpty(), qPrintable(periodi));
}

QTEST_GUILESS_MAIN(TestElaboraDemo)
#include "test_elabora_demo.moc"
