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

    void readsOnlyWhatItCanMean_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("as");
        QTest::addColumn<QString>("expected"); // "-": refused
        const auto row = [](const char* name, const Variant& value, const char* as,
                            const char* expected) {
            QTest::addRow("%s %s", as, name)
                << value << QString::fromLatin1(as) << QString::fromLatin1(expected);
        };
        // Text is a number only when it is one, with either separator.
        row("italian text", Variant("1234,5"), "decimal", "1234.5");
        row("database text", Variant(" 12.50 "), "decimal", "12.50");
        row("double keeps its shortest digits", Variant(0.1), "decimal", "0.1");
        row("double below 30 places", Variant(1e-40), "decimal",
            "0.000000000000000000000000000000");
        row("true", Variant(true), "decimal", "-1");
        row("word", Variant("abc"), "decimal", "-");
        row("exponent", Variant("1e3"), "decimal", "-");
        row("grouped", Variant("1.234,5"), "decimal", "-");
        row("NaN", Variant(NaN), "decimal", "-");
        row("huge double", Variant(1e300), "decimal", "-");
        // Counters and codes read as 32-bit integers refuse fractions and out-of-range values.
        row("largest", dec("2147483647"), "int32", "2147483647");
        row("beyond largest", dec("2147483648"), "int32", "-");
        row("smallest", int64(-2147483648LL), "int32", "-2147483648");
        row("beyond smallest", Variant("-2147483649"), "int32", "-");
        row("fraction", dec("1.5"), "int32", "-");
        row("whole with places", dec("3.00"), "int32", "3");
        row("text", Variant(" -7 "), "int32", "-7");
        row("double fraction", Variant(2.5), "int32", "-");
        row("true", Variant(true), "int32", "-1");
        row("null", Variant::null(), "int32", "-");
        // Flags stored as numbers or as "True"/"False" text read back the same way.
        row("true text any case", Variant(" TRUE "), "flag", "true");
        row("false text", Variant("False"), "flag", "false");
        row("zero text", Variant("0"), "flag", "false");
        row("number", dec("-0.01"), "flag", "true");
        row("word", Variant("si"), "flag", "-");
        row("empty", Variant(), "flag", "-");
    }

    void readsOnlyWhatItCanMean() {
        // Read as a decimal, a 32-bit integer or a flag, a value gives one only if it means one.
        QFETCH(Variant, value);
        QFETCH(QString, as);
        QFETCH(QString, expected);
        const auto number = value.toDecimal();
        const auto whole = value.toInt32();
        const auto flag = value.toBool();
        const QString read = as == "decimal" ? (number ? number->toString() : "-")
                             : as == "int32" ? (whole ? QString::number(*whole) : "-")
                                             : (flag ? (*flag ? "true" : "false") : "-");
        QCOMPARE(read, expected);
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
