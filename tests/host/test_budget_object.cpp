#include "host/budget_object.h"
#include "support/test_databases.h"
#include "support/text_rows.h"

#include <QTest>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::Variant)

namespace {

/// "NULL" for a Null answer, otherwise the number in invariant text without trailing zeros.
QString shown(const Variant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.isEmpty())
        return QStringLiteral("EMPTY");
    const std::optional<Decimal> number = value.toDecimal();
    return number ? number->normalized().toString()
                  : QStringLiteral("not a number: ") + value.toString();
}

/// A fresh company database on one engine with the subtypes and financial years of
/// tests/fixtures/sottotipi_esercizi.sql.
struct Company : test::CompanyDatabase {
    explicit Company(const QString& engine)
        : CompanyDatabase(engine, test::fixtureRows("sottotipi_esercizi")) {}
};

/// Every property of a subtype in one line, so that a column read for another shows up.
QString propertiesOf(const BudgetObject& budget, std::int16_t kind, const QString& code) {
    const auto text = [](const Variant& value) {
        return value.isNull() ? QStringLiteral("Null") : value.toString();
    };
    return QStringLiteral("sede=%1 fiscale=%2 periodicita=%3 forecast=%4 multi=%5 tipo=%6 "
                          "pdc=%7 struttura=%8 %9")
        .arg(int(budget.GestioneSede(kind, code)))
        .arg(budget.PeriodoSolareFiscale(kind, code))
        .arg(budget.Periodicita(kind, code))
        .arg(budget.NumeroForecast(kind, code))
        .arg(int(budget.MultiAttivita(kind, code)))
        .arg(budget.TipoPdc(kind, code))
        .arg(text(budget.CodicePdc(kind, code)))
        .arg(int(budget.GestioneStruttura(kind, code)))
        .arg(text(budget.CodiceStruttura(kind, code)));
}

Variant operand(const char* text) {
    const QString operand = QString::fromLatin1(text);
    if (text == nullptr)
        return Variant::null();
    if (operand.startsWith(QLatin1Char('\'')))
        return Variant(operand.mid(1, operand.size() - 2));
    return operand.contains(QLatin1Char('.')) ? Variant(Decimal::parse(operand))
                                              : Variant(operand.toInt());
}

struct DeltaCase {
    const char* name;
    bool perc;
    const char *value, *reference, *expected;
};

struct CalendarCase {
    const char* name;
    int periodicity, period;
    const char *year, *text;
};

struct FiscalCase {
    const char* name;
    int company, periodicity, period, year, progressive;
    const char* text;
};

} // namespace

class TestBudgetObject : public QObject {
    Q_OBJECT
private slots:
    void deltaAndDeltaPerc_data() {
        // Operands: nullptr is Null, 'x' a text, a number with a point a decimal, else an
        // integer.
        const DeltaCase cases[] = {
            // Delta: the set on the right (value) minus the set on its left (reference),
            // missing ones as 0.
            {"both Null", false, nullptr, nullptr, "NULL"},
            {"blank text and Null", false, "'   '", nullptr, "NULL"},
            {"value Null", false, nullptr, "80", "-80"},
            {"reference Null", false, "100", nullptr, "100"},
            {"80 against 100", false, "80", "100", "-20"},
            {"zero is a value", false, "0", nullptr, "0"},
            {"decimals", false, "10.55", "0.3", "10.25"},
            {"negative reference", false, "50", "-30", "80"},
            {"text with comma", false, "'12,5'", "2", "10.5"},
            // DeltaPerc: the change as a fraction of the reference, six places half away from
            // zero; Null when there is no reference to divide by.
            {"% both Null", true, nullptr, nullptr, "NULL"},
            {"% reference Null", true, "100", nullptr, "NULL"},
            {"% reference blank", true, "100", "' '", "NULL"},
            {"% reference 0", true, "100", "0", "NULL"},
            {"% 80 against 100", true, "80", "100", "-0.2"},
            {"% 125 against 100", true, "125", "100", "0.25"},
            {"% value Null is -100%", true, nullptr, "80", "-1"},
            // (150 - (-100)) / 100 and (-150 - (-100)) / 100: the sign follows the change.
            {"% negative reference, rise", true, "150", "-100", "2.5"},
            {"% negative reference, fall", true, "-150", "-100", "-0.5"},
            // -2/3 = -0.6666666...
            {"% two thirds down", true, "1", "3", "-0.666667"},
            // 1/128 = 0.0078125 exactly: the half at the 7th decimal goes away from zero.
            {"% half up at 6th decimal", true, "129", "128", "0.007813"},
            {"% half down at 6th decimal", true, "127", "128", "-0.007813"},
            {"% decimal amounts", true, "1000.50", "800.40", "0.25"},
        };
        test::addCaseRows(cases);
    }
    void deltaAndDeltaPerc() {
        QFETCH(DeltaCase, c);
        const Variant value = operand(c.value);
        const Variant reference = operand(c.reference);
        const Variant result = c.perc ? BudgetObject::DeltaPerc(value, reference)
                                      : BudgetObject::Delta(value, reference);
        QCOMPARE(shown(result), QString::fromLatin1(c.expected));
        if (!result.isNull())
            QVERIFY(result.toDecimal()->scale() <= 6);
    }

    void deltaRefusesTextThatIsNotANumber() {
        // A text that is not an amount is a fault of the caller, not a zero.
        QVERIFY_THROWS_EXCEPTION(DecimalError, BudgetObject::Delta(Variant("abc"), Variant(1)));
        QVERIFY_THROWS_EXCEPTION(DecimalError, BudgetObject::DeltaPerc(Variant(1), Variant("x")));
    }

    void calendarPeriodTexts_data() {
        // Periodicity, period, year (as operand() reads it), text.
        const CalendarCase cases[] = {
            {"January", 0, 1, "2026", "Gennaio 2026"},
            {"December", 0, 12, "2026", "Dicembre 2026"},
            {"first two months", 1, 1, "2026", "1° Bimestre 2026"},
            {"second quarter", 2, 2, "2026", "2° Trimestre 2026"},
            {"first four months", 3, 1, "2026", "1° Quadrimestre 2026"},
            {"third of three four-month periods", 3, 3, "2026", "3° Quadrimestre 2026"},
            {"no fourth four-month period", 3, 4, "2026", ""},
            {"sixth two-month period", 1, 6, "2026", "6° Bimestre 2026"},
            {"second half", 4, 2, "2026", "2° Semestre 2026"},
            {"year", 5, 1, "2026", "Anno 2026"},
            {"year as text", 0, 3, "'2025'", "Marzo 2025"},
            {"period 13 of 12", 0, 13, "2026", ""},
            {"period 0", 2, 0, "2026", ""},
            {"unknown periodicity", 7, 1, "2026", ""},
            {"year Null", 0, 1, nullptr, ""},
        };
        test::addCaseRows(cases);
    }
    void calendarPeriodTexts() {
        // Calendar periods need no database: January is always the first month; a year holds
        // 12, 6, 4, 3, 2 or 1 periods by periodicity code, and a period beyond them has no text.
        QFETCH(CalendarCase, c);
        const BudgetObject budget;
        QCOMPARE(budget.DescrizionePeriodo(1, c.periodicity, BudgetObject::PeriodoSolare,
                                           std::int16_t(c.period), operand(c.year), Variant(0)),
                 QString::fromUtf8(c.text));
    }

    void fiscalPeriodsStartWithTheFinancialYear_data() {
        // Company 1: 2026/0 runs July 2026 to June 2027, 2026/1 April 2026 to March 2027,
        // 2027/0 has no start date; company 2: 2026/0 starts in October.
        const FiscalCase cases[] = {
            {"first month is July", 1, 0, 1, 2026, 0, "Luglio 2026"},
            {"sixth month is December", 1, 0, 6, 2026, 0, "Dicembre 2026"},
            {"seventh month is next January", 1, 0, 7, 2026, 0, "Gennaio 2027"},
            {"last month is next June", 1, 0, 12, 2026, 0, "Giugno 2027"},
            {"progressive 1 starts in April", 1, 0, 10, 2026, 1, "Gennaio 2027"},
            {"other company starts in October", 2, 0, 4, 2026, 0, "Gennaio 2027"},
            {"numbered periods keep the financial year", 1, 2, 3, 2026, 0, "3° Trimestre 2026"},
            {"yearly", 1, 5, 1, 2026, 0, "Anno 2026"},
            {"year without start date reads as calendar", 1, 0, 2, 2027, 0, "Febbraio 2027"},
            {"year not in the table reads as calendar", 1, 0, 1, 2030, 0, "Gennaio 2030"},
        };
        test::addCaseRows(cases, true);
    }
    void fiscalPeriodsStartWithTheFinancialYear() {
        // With the fiscal indicator the first period is the first month of the financial year.
        QFETCH(QString, engine);
        QFETCH(FiscalCase, c);
        OPEN_TEST_DATABASE(Company, db, engine);
        const BudgetObject budget(&db.connection, db.database.connectionString(), 5, c.company);
        QCOMPARE(budget.DescrizionePeriodo(c.company, c.periodicity, BudgetObject::PeriodoFiscale,
                                           std::int16_t(c.period), Variant(c.year),
                                           Variant(c.progressive)),
                 QString::fromUtf8(c.text));
    }

    void subtypePropertiesComeFromTheSubtypeTable_data() { test::addEngineRows(); }
    void subtypePropertiesComeFromTheSubtypeTable() {
        // Each property is read from the subtype's own row of its budget kind; an unknown
        // subtype is a fault the form's error handler reports.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, company, engine);
        const BudgetObject budget(&company.connection, company.database.connectionString(), 5, 1);
        QCOMPARE(propertiesOf(budget, 5, "ANN"),
                 QStringLiteral("sede=1 fiscale=1 periodicita=2 forecast=3 multi=2 tipo=3 pdc=PDC1 "
                                "struttura=1 STR9"));
        QCOMPARE(propertiesOf(budget, 4, "ANN"),
                 QStringLiteral("sede=0 fiscale=0 periodicita=4 forecast=9 multi=1 tipo=2 pdc=Null "
                                "struttura=0 Null"));
        QCOMPARE(propertiesOf(budget, 5, "MIN"),
                 QStringLiteral("sede=0 fiscale=0 periodicita=0 forecast=0 multi=0 tipo=1 pdc=Null "
                                "struttura=0 Null"));
        QVERIFY(budget.EsisteSottotipo(5, QStringLiteral("ANN")));
        QVERIFY(!budget.EsisteSottotipo(5, QStringLiteral("XYZ")));
        QVERIFY(!budget.EsisteSottotipo(3, QStringLiteral("ANN")));
        QVERIFY(!budget.EsisteSottotipo(5, QStringLiteral("AN'N")));
        QVERIFY_THROWS_EXCEPTION(BudgetObjectError, budget.TipoPdc(5, QStringLiteral("XYZ")));
        QVERIFY_THROWS_EXCEPTION(BudgetObjectError,
                                 BudgetObject().TipoPdc(5, QStringLiteral("ANN")));
    }

    void forecastCountStaysWithinItsLabels() {
        // The number of forecasts sizes the kinds offered for a set: up to F99, the last label
        // of three characters; beyond it is refused.
        OPEN_TEST_DATABASE(Company, company, QString::fromLatin1(test::SQLiteEngine));
        for (const auto& [stored, accepted] :
             {std::pair{0, true}, {99, true}, {100, false}, {-1, false}, {50000000, false}}) {
            company.connection.ExecuteNonQuery(
                QStringLiteral(
                    "UPDATE HS04_SOTTOTIPI SET HS04_NRFORECAST = %1 WHERE HS04_CODICE = 'MIN'")
                    .arg(stored));
            const BudgetObject budget(&company.connection, company.database.connectionString(), 5,
                                      1);
            try {
                QCOMPARE(budget.NumeroForecast(5, QStringLiteral("MIN")), stored);
                QVERIFY2(accepted, qPrintable(QString::number(stored)));
            } catch (const BudgetObjectError& error) {
                QVERIFY2(!accepted, error.what());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestBudgetObject)
#include "test_budget_object.moc"
