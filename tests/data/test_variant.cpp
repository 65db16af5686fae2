#include "data/variant.h"

#include <QTest>

#include <cmath>
#include <limits>

using bdg::Decimal;
using bdg::Variant;

Q_DECLARE_METATYPE(bdg::Variant)
Q_DECLARE_METATYPE(bdg::Variant::Type)

namespace {

Variant dec(const char* text) {
    return Variant(Decimal::parse(QString::fromUtf8(text)));
}

Variant int64(std::int64_t value) {
    return Variant(value);
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestVariant : public QObject {
    Q_OBJECT

private slots:
    void emptyAndNullAreKeptApart() {
        // Never assigned and assigned Null answer differently yet sort together; a null QString
        // is an empty text, not Null.
        const Variant empty;
        const Variant null = Variant::null();
        QVERIFY(empty.isEmpty() && !empty.isNull());
        QVERIFY(null.isNull() && !null.isEmpty());
        QVERIFY(empty.isNullOrEmpty() && null.isNullOrEmpty());
        QVERIFY(!Variant(0).isNullOrEmpty() && !Variant("").isNullOrEmpty());
        QCOMPARE(Variant(QString()).type(), Variant::Type::Text);
        QCOMPARE(null.toString(), QString());
        QVERIFY(!empty.toDecimal() && !null.toDecimal() && !null.toInt32() && !null.toBool());
        QCOMPARE(empty.compare(null), 0);
        QVERIFY(!(null == Variant(0)));
    }

    void ordersMissingThenNumbersThenTexts_data() {
        QTest::addColumn<Variant>("left");
        QTest::addColumn<Variant>("right");
        QTest::addColumn<int>("order");
        QTest::newRow("null before zero") << Variant::null() << Variant(0) << -1;
        QTest::newRow("empty before negative")
            << Variant() << dec("-1000000000000000000000000000000") << -1;
        QTest::newRow("int and decimal") << Variant(5) << dec("5.00") << 0;
        QTest::newRow("double and decimal equal") << Variant(0.1) << dec("0.1") << 0;
        QTest::newRow("binary sum above 0.3") << dec("0.3") << Variant(0.1 + 0.2) << -1;
        QTest::newRow("decimal scales") << dec("1.50") << dec("1.5") << 0;
        QTest::newRow("int32 and int64 extremes")
            << Variant(std::numeric_limits<std::int32_t>::min())
            << int64(std::numeric_limits<std::int64_t>::min()) << 1;
        QTest::newRow("64-bit keys") << int64(1500000000001) << int64(1500000000002) << -1;
        QTest::newRow("64-bit key and 32-bit literal")
            << int64(3000000000) << Variant(2000000000) << 1;
        QTest::newRow("true is minus one") << Variant(true) << Variant(0) << -1;
        QTest::newRow("number before text") << Variant(1000000000) << Variant("1") << -1;
        QTest::newRow("trailing blanks") << Variant("abc") << Variant("abc   ") << 0;
        QTest::newRow("leading blank counts") << Variant(" a") << Variant("a") << -1;
        QTest::newRow("binary case") << Variant("B") << Variant("a") << -1;
        QTest::newRow("accented after ascii") << Variant("\u00e0") << Variant("z") << 1;
        QTest::newRow("huge double") << Variant(1e300) << dec(QByteArray(38, '9').constData()) << 1;
        QTest::newRow("NaN before numbers") << Variant(NaN) << Variant(-1e300) << -1;
    }

    void ordersMissingThenNumbersThenTexts() {
        // Filters and sorts see Null first, numbers by value whatever their type, then texts.
        QFETCH(Variant, left);
        QFETCH(Variant, right);
        QFETCH(int, order);
        QCOMPARE(left.compare(right), order);
        QCOMPARE(right.compare(left), -order);
        QCOMPARE(left == right, order == 0);
    }

    void writesNumbersInvariantAndItalian_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("invariant");
        QTest::addColumn<QString>("italian");
        const auto row = [](const char* name, const Variant& value, const char* text,
                            const char* italian = nullptr) {
            QTest::newRow(name) << value << QString::fromLatin1(text)
                                << QString::fromLatin1(italian ? italian : text);
        };
        row("decimal keeps its scale", dec("1234.50"), "1234.50", "1234,50");
        row("double shortest", Variant(0.1 + 0.2), "0.30000000000000004", "0,30000000000000004");
        row("large double plain", Variant(1e20), "100000000000000000000");
        row("double beyond 1e21", Variant(-1e21), "-1e+21");
        row("tiny double", Variant(1.5e-7), "0.00000015", "0,00000015");
        row("int without grouping", Variant(1234567), "1234567");
        row("true", Variant(true), "True");
        row("null", Variant::null(), "");
    }

    void writesNumbersInvariantAndItalian() {
        // Numbers are written with the locale's decimal separator and never grouped.
        QFETCH(Variant, value);
        QFETCH(QString, invariant);
        QFETCH(QString, italian);
        QCOMPARE(value.toString(), invariant);
        QCOMPARE(value.toString(QLocale::c()), invariant);
        QCOMPARE(value.toString(QLocale(QLocale::Italian, QLocale::Italy)), italian);
    }

    void readsNumbersFromText_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<QString>("decimal");
        QTest::newRow("italian text") << Variant("1234,5") << true << "1234.5";
        QTest::newRow("database text") << Variant(" 12.50 ") << true << "12.50";
        QTest::newRow("double keeps its shortest digits") << Variant(0.1) << true << "0.1";
        QTest::newRow("double below 30 places")
            << Variant(1e-40) << true << "0.000000000000000000000000000000";
        QTest::newRow("true") << Variant(true) << true << "-1";
        QTest::newRow("word") << Variant("abc") << false << "";
        QTest::newRow("exponent") << Variant("1e3") << false << "";
        QTest::newRow("grouped") << Variant("1.234,5") << false << "";
        QTest::newRow("NaN") << Variant(NaN) << false << "";
        QTest::newRow("huge double") << Variant(1e300) << false << "";
    }

    void readsNumbersFromText() {
        // Text becomes a number only when it is one, with either separator.
        QFETCH(Variant, value);
        QFETCH(bool, isNumber);
        QFETCH(QString, decimal);
        const std::optional<Decimal> number = value.toDecimal();
        QCOMPARE(number.has_value(), isNumber);
        if (number)
            QCOMPARE(number->toString(), decimal);
    }

    void givesInt32OnlyForWholeNumbersInRange_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");
        QTest::newRow("largest") << dec("2147483647") << true << 2147483647;
        QTest::newRow("beyond largest") << dec("2147483648") << false << 0;
        QTest::newRow("smallest") << int64(-2147483648LL) << true << int(-2147483648LL);
        QTest::newRow("beyond smallest") << Variant("-2147483649") << false << 0;
        QTest::newRow("fraction") << dec("1.5") << false << 0;
        QTest::newRow("whole with places") << dec("3.00") << true << 3;
        QTest::newRow("text") << Variant(" -7 ") << true << -7;
        QTest::newRow("double fraction") << Variant(2.5) << false << 0;
        QTest::newRow("true") << Variant(true) << true << -1;
        QTest::newRow("null") << Variant::null() << false << 0;
    }

    void givesInt32OnlyForWholeNumbersInRange() {
        // Counters and codes read as 32-bit integers refuse fractions and out-of-range values.
        QFETCH(Variant, value);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        const std::optional<std::int32_t> number = value.toInt32();
        QCOMPARE(number.has_value(), valid);
        if (number)
            QCOMPARE(*number, expected);
    }

    void readsBooleans_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("expected");
        QTest::newRow("true text any case") << Variant(" TRUE ") << true << true;
        QTest::newRow("false text") << Variant("False") << true << false;
        QTest::newRow("zero text") << Variant("0") << true << false;
        QTest::newRow("number") << dec("-0.01") << true << true;
        QTest::newRow("word") << Variant("si") << false << false;
        QTest::newRow("empty") << Variant() << false << false;
    }

    void readsBooleans() {
        // Flags stored as numbers or as "True"/"False" text read back the same way.
        QFETCH(Variant, value);
        QFETCH(bool, valid);
        QFETCH(bool, expected);
        const std::optional<bool> flag = value.toBool();
        QCOMPARE(flag.has_value(), valid);
        if (flag)
            QCOMPARE(*flag, expected);
    }

    void nvlSubstitutesOnlyMissingAndBlankValues_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<Variant>("ifNull");
        QTest::addColumn<Variant::Type>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks") << Variant("   ") << Variant(1) << Variant::Type::Int32 << "1";
        QTest::newRow("zero is a value") << Variant(0) << Variant(1) << Variant::Type::Int32 << "0";
        QTest::newRow("false is a value")
            << Variant(false) << Variant(true) << Variant::Type::Boolean << "False";
        QTest::newRow("empty") << Variant() << Variant("s") << Variant::Type::Text << "s";
        QTest::newRow("null") << Variant::null() << dec("2.5") << Variant::Type::Decimal << "2.5";
        QTest::newRow("text stays") << Variant("x") << Variant("s") << Variant::Type::Text << "x";
        QTest::newRow("tab is not a blank")
            << Variant("\t") << Variant("s") << Variant::Type::Text << "\t";
    }

    void nvlSubstitutesOnlyMissingAndBlankValues() {
        // NVL replaces Empty, Null and blank text; any other value comes back unchanged.
        QFETCH(Variant, value);
        QFETCH(Variant, ifNull);
        QFETCH(Variant::Type, type);
        QFETCH(QString, text);
        const Variant result = bdg::NVL(value, ifNull);
        QCOMPARE(result.type(), type);
        QCOMPARE(result.toString(), text);
    }
};

QTEST_GUILESS_MAIN(TestVariant)
#include "test_variant.moc"
