#include "data/decimal.h"

#include <QTest>

#include <cmath>
#include <limits>

using bdg::Decimal;
using bdg::DecimalError;
using bdg::Rounding;

Q_DECLARE_METATYPE(bdg::Rounding)

namespace {

Decimal dec(const QString& text) {
    return Decimal::parse(text);
}

const QString ThirtyEightNines = QStringLiteral("99999999999999999999999999999999999999");

} // namespace

class TestDecimal : public QObject {
    Q_OBJECT

private slots:
    void parsesDatabaseAndTypedText_data();
    void parsesDatabaseAndTypedText();
    void refusesWhatIsNotAPlainNumber_data();
    void refusesWhatIsNotAPlainNumber();
    void parseNamesTheRefusedText();
    void keepsThirtyEightDigitsAndRoundsLongerFractions();
    void writesTextWithItsScale_data();
    void writesTextWithItsScale();
    void roundsAtHalfInEveryMode_data();
    void roundsAtHalfInEveryMode();
    void rescalingAddsZerosOrRounds();
    void addsAndSubtractsAcrossScales_data();
    void addsAndSubtractsAcrossScales();
    void multipliesKeepingThirtyEightDigits_data();
    void multipliesKeepingThirtyEightDigits();
    void dividesToTheStatedScale_data();
    void dividesToTheStatedScale();
    void refusesOverflowAndZeroDivisorNamingTheOperands_data();
    void refusesOverflowAndZeroDivisorNamingTheOperands();
    void comparesByValueWhateverTheScale_data();
    void comparesByValueWhateverTheScale();
    void convertsDoublesAsTheyWereTyped_data();
    void convertsDoublesAsTheyWereTyped();
    void refusesDoublesWithoutADecimalValue_data();
    void refusesDoublesWithoutADecimalValue();
    void keepsTheShortestTextOfADouble_data();
    void keepsTheShortestTextOfADouble();
    void convertsToDoubleAndInteger();
    void fitsAColumnOnceRounded_data();
    void fitsAColumnOnceRounded();
};

void TestDecimal::parsesDatabaseAndTypedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("mantissa");
    QTest::addColumn<int>("scale");
    QTest::newRow("database numeric") << "-1234.5000" << qint64(-12345000) << 4;
    QTest::newRow("italian comma") << "1234,5" << qint64(12345) << 1;
    QTest::newRow("plus sign") << "+0.25" << qint64(25) << 2;
    QTest::newRow("blanks around") << "  42  " << qint64(42) << 0;
    QTest::newRow("tab and line break") << "\t-3.14\n" << qint64(-314) << 2;
    QTest::newRow("leading zeros") << "007" << qint64(7) << 0;
    QTest::newRow("negative zero") << "-0" << qint64(0) << 0;
    QTest::newRow("zero with places") << "0,000" << qint64(0) << 3;
    QTest::newRow("no integer digit") << ".5" << qint64(5) << 1;
    QTest::newRow("no fraction digit") << "5." << qint64(5) << 0;
    QTest::newRow("small fraction") << "-0.0001" << qint64(-1) << 4;
}

void TestDecimal::parsesDatabaseAndTypedText() {
    // A value read from a database or typed by a user keeps its digits and its scale.
    QFETCH(QString, text);
    QFETCH(qint64, mantissa);
    QFETCH(int, scale);
    const std::optional<Decimal> value = Decimal::fromString(text);
    QVERIFY(value.has_value());
    QCOMPARE(qint64(value->mantissa()), mantissa);
    QCOMPARE(value->scale(), scale);
}

void TestDecimal::refusesWhatIsNotAPlainNumber_data() {
    QTest::addColumn<QString>("text");
    for (const char* text : {"", "   ", "abc", "1.2.3", "1,2.3", "1,234.5", "1e3", "1E+2", "+", "-",
                             ".", ",", "1 000", "12a", "- 5", "--1", "+-1", "0x10", "1-"})
        QTest::addRow("'%s'", text) << QString::fromUtf8(text);
    QTest::newRow("arabic-indic digit") << QStringLiteral("\u0661");
    QTest::newRow("fullwidth digit") << QStringLiteral("\uff11");
}

void TestDecimal::refusesWhatIsNotAPlainNumber() {
    // Grouping, exponents and stray characters are not numbers; nothing is guessed.
    QFETCH(QString, text);
    QVERIFY(!Decimal::fromString(text).has_value());
    QVERIFY_THROWS_EXCEPTION(DecimalError, Decimal::parse(text));
}

void TestDecimal::parseNamesTheRefusedText() {
    // The error tells which text was refused, so a log line can be acted on.
    try {
        Decimal::parse(u"12,5x");
        QFAIL("no error raised");
    } catch (const DecimalError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(QLatin1String("'12,5x'")), error.what());
    }
}

void TestDecimal::keepsThirtyEightDigitsAndRoundsLongerFractions() {
    // 38 integer digits fit, 39 do not; fraction digits beyond 30 places are rounded off.
    QCOMPARE(dec(ThirtyEightNines).toString(), ThirtyEightNines);
    QCOMPARE(dec("-" + ThirtyEightNines).toString(), "-" + ThirtyEightNines);
    QVERIFY(!Decimal::fromString(ThirtyEightNines + "9").has_value());
    QVERIFY_THROWS_EXCEPTION(DecimalError, Decimal::parse(ThirtyEightNines + "0"));
    QCOMPARE(dec("0.1234567890123456789012345678905").toString(),
             QStringLiteral("0.123456789012345678901234567891"));
    QCOMPARE(dec("-0.1234567890123456789012345678904999").toString(),
             QStringLiteral("-0.123456789012345678901234567890"));
    // 30 integer digits leave room for 8 places only.
    QCOMPARE(dec("123456789012345678901234567890.123456785").toString(),
             QStringLiteral("123456789012345678901234567890.12345679"));
    // Rounding 38 nines and a half carries into a 39th digit: one place is given up.
    QCOMPARE(dec("9999999999999999999999999999999999999.95").toString(),
             QStringLiteral("10000000000000000000000000000000000000"));
}

void TestDecimal::writesTextWithItsScale_data() {
    QTest::addColumn<qint64>("mantissa");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("invariant");
    QTest::addColumn<QString>("italian");
    QTest::newRow("amount") << qint64(123450) << 2 << "1234.50"
                            << "1234,50";
    QTest::newRow("integer") << qint64(7) << 0 << "7"
                             << "7";
    QTest::newRow("zero with places") << qint64(0) << 3 << "0.000"
                                      << "0,000";
    QTest::newRow("negative below one") << qint64(-5) << 2 << "-0.05"
                                        << "-0,05";
    QTest::newRow("smallest") << qint64(-1) << 30 << "-0.000000000000000000000000000001"
                              << "-0,000000000000000000000000000001";
    QTest::newRow("int64 max") << std::numeric_limits<qint64>::max() << 10 << "922337203.6854775807"
                               << "922337203,6854775807";
    QTest::newRow("no grouping") << qint64(-123456789) << 0 << "-123456789"
                                 << "-123456789";
}

void TestDecimal::writesTextWithItsScale() {
    // The text keeps exactly scale() decimals and never groups thousands.
    QFETCH(qint64, mantissa);
    QFETCH(int, scale);
    QFETCH(QString, invariant);
    QFETCH(QString, italian);
    const Decimal value = Decimal::fromMantissa(mantissa, scale);
    QCOMPARE(value.toString(), invariant);
    QCOMPARE(value.toString(QChar(u',')), italian);
}

void TestDecimal::roundsAtHalfInEveryMode_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("awayFromZero");
    QTest::addColumn<QString>("toEven");
    QTest::addColumn<QString>("towardZero");
    QTest::newRow("2.5") << "2.5" << 0 << "3"
                         << "2"
                         << "2";
    QTest::newRow("-2.5") << "-2.5" << 0 << "-3"
                          << "-2"
                          << "-2";
    QTest::newRow("3.5") << "3.5" << 0 << "4"
                         << "4"
                         << "3";
    QTest::newRow("-3.5") << "-3.5" << 0 << "-4"
                          << "-4"
                          << "-3";
    QTest::newRow("below half") << "2.449" << 1 << "2.4"
                                << "2.4"
                                << "2.4";
    QTest::newRow("half") << "2.45" << 1 << "2.5"
                          << "2.4"
                          << "2.4";
    QTest::newRow("just above half") << "2.4500001" << 1 << "2.5"
                                     << "2.5"
                                     << "2.4";
    QTest::newRow("negative half cent") << "-0.005" << 2 << "-0.01"
                                        << "0.00"
                                        << "0.00";
    QTest::newRow("0.125") << "0.125" << 2 << "0.13"
                           << "0.12"
                           << "0.12";
    QTest::newRow("0.135") << "0.135" << 2 << "0.14"
                           << "0.14"
                           << "0.13";
    QTest::newRow("carry into integer") << "9.995" << 2 << "10.00"
                                        << "10.00"
                                        << "9.99";
    QTest::newRow("fewer places kept") << "1.5" << 3 << "1.5"
                                       << "1.5"
                                       << "1.5";
    QTest::newRow("hundreds half") << "1250" << -2 << "1300"
                                   << "1200"
                                   << "1200";
    QTest::newRow("hundreds odd half") << "1350" << -2 << "1400"
                                       << "1400"
                                       << "1300";
    QTest::newRow("negative hundreds") << "-1250.00" << -2 << "-1300"
                                       << "-1200"
                                       << "-1200";
}

void TestDecimal::roundsAtHalfInEveryMode() {
    // SQL ROUND goes away from zero at the half, formula results to the even neighbour.
    QFETCH(QString, value);
    QFETCH(int, places);
    QFETCH(QString, awayFromZero);
    QFETCH(QString, toEven);
    QFETCH(QString, towardZero);
    QCOMPARE(dec(value).round(places).toString(), awayFromZero);
    QCOMPARE(dec(value).round(places, Rounding::HalfEven).toString(), toEven);
    QCOMPARE(dec(value).round(places, Rounding::TowardZero).toString(), towardZero);
}

void TestDecimal::rescalingAddsZerosOrRounds() {
    // A value brought to a column's scale gains zeros or is rounded; too many digits fail.
    QCOMPARE(dec("1.5").rescaled(3).toString(), QStringLiteral("1.500"));
    QCOMPARE(dec("-1.555").rescaled(2).toString(), QStringLiteral("-1.56"));
    QCOMPARE(dec("-1.555").rescaled(2, Rounding::HalfEven).toString(), QStringLiteral("-1.56"));
    QCOMPARE(dec("1.500").normalized().toString(), QStringLiteral("1.5"));
    QCOMPARE(dec("200.00").normalized().toString(), QStringLiteral("200"));
    QVERIFY_THROWS_EXCEPTION(DecimalError, dec(ThirtyEightNines).rescaled(1));
    QVERIFY_THROWS_EXCEPTION(DecimalError, dec("1").rescaled(Decimal::MaxScale + 1));
}

void TestDecimal::addsAndSubtractsAcrossScales_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("difference");
    QTest::newRow("different scales") << "1.5"
                                      << "2.25"
                                      << "3.75"
                                      << "-0.75";
    QTest::newRow("tenths") << "0.1"
                            << "0.2"
                            << "0.3"
                            << "-0.1";
    QTest::newRow("to zero keeps places") << "-1.10"
                                          << "1.1"
                                          << "0.00"
                                          << "-2.20";
    QTest::newRow("integer and cents") << "1000"
                                       << "0.01"
                                       << "1000.01"
                                       << "999.99";
    QTest::newRow("largest") << "99999999999999999999999999999999999998"
                             << "1"
                             << "99999999999999999999999999999999999999"
                             << "99999999999999999999999999999999999997";
    QTest::newRow("finest") << "0.000000000000000000000000000001"
                            << "-0.000000000000000000000000000003"
                            << "-0.000000000000000000000000000002"
                            << "0.000000000000000000000000000004";
}

void TestDecimal::addsAndSubtractsAcrossScales() {
    // Sums are exact and carry the larger scale of the two.
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, sum);
    QFETCH(QString, difference);
    QCOMPARE((dec(left) + dec(right)).toString(), sum);
    QCOMPARE((dec(left) - dec(right)).toString(), difference);
    Decimal total = dec(left);
    total += dec(right);
    total -= dec(right);
    QCOMPARE(total, dec(left));
}

void TestDecimal::multipliesKeepingThirtyEightDigits_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("product");
    QTest::newRow("scales add") << "1.5"
                                << "2.25"
                                << "3.375";
    QTest::newRow("signs") << "-0.1"
                           << "0.1"
                           << "-0.01";
    QTest::newRow("both negative") << "-12"
                                   << "-0.5"
                                   << "6.0";
    QTest::newRow("zero") << "0.00"
                          << "-5.5"
                          << "0.000";
    QTest::newRow("exchange rate") << "1234.56"
                                   << "1.23456789"
                                   << "1524.1481342784";
    // Exact product 12193263113702179522.3746380111126352690 has 39 digits.
    QTest::newRow("39 digits rounded") << "1234567890.1234567890"
                                       << "9876543210.987654321"
                                       << "12193263113702179522.374638011112635269";
    // 5e-31 needs 31 places: rounded half away from zero to 30.
    QTest::newRow("beyond 30 places") << "0.000000000000005"
                                      << "0.0000000000000001"
                                      << "0.000000000000000000000000000001";
    // Exact 49999999999999999999999999999999999999.5 needs 39 digits: the place goes.
    QTest::newRow("beyond 128 bits") << ThirtyEightNines << "0.5"
                                     << "50000000000000000000000000000000000000";
}

void TestDecimal::multipliesKeepingThirtyEightDigits() {
    // Products are exact while 38 digits and 30 places hold them.
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, product);
    QCOMPARE((dec(left) * dec(right)).toString(), product);
    QCOMPARE((dec(right) * dec(left)).toString(), product);
}

void TestDecimal::dividesToTheStatedScale_data() {
    QTest::addColumn<QString>("dividend");
    QTest::addColumn<QString>("divisor");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("awayFromZero");
    QTest::addColumn<QString>("toEven");
    QTest::newRow("third") << "1"
                           << "3" << 10 << "0.3333333333"
                           << "0.3333333333";
    QTest::newRow("two thirds") << "2"
                                << "3" << 0 << "1"
                                << "1";
    QTest::newRow("negative two thirds") << "-2"
                                         << "3" << 2 << "-0.67"
                                         << "-0.67";
    QTest::newRow("eighth") << "1"
                            << "8" << 2 << "0.13"
                            << "0.12";
    QTest::newRow("negative eighth") << "1"
                                     << "-8" << 2 << "-0.13"
                                     << "-0.12";
    QTest::newRow("two and a half") << "10"
                                    << "4" << 0 << "3"
                                    << "2";
    QTest::newRow("three and a half") << "-7"
                                      << "-2" << 0 << "4"
                                      << "4";
    QTest::newRow("percentage") << "150"
                                << "1200.00" << 4 << "0.1250"
                                << "0.1250";
    QTest::newRow("places of the divisor") << "1.000"
                                           << "0.001" << 0 << "1000"
                                           << "1000";
    QTest::newRow("more places than operands") << "0.5"
                                               << "0.25" << 3 << "2.000"
                                               << "2.000";
    QTest::newRow("seventh to 30 places") << "1"
                                          << "7" << 30 << "0.142857142857142857142857142857"
                                          << "0.142857142857142857142857142857";
    QTest::newRow("by the finest")
        << "1"
        << "0.000000000000000000000000000001" << 0 << "1000000000000000000000000000000"
        << "1000000000000000000000000000000";
    // Dividend scaled to about 2^210: the long division path. Exact quotient
    // 4115226300411522630041152263.16529492...
    QTest::newRow("wide dividend")
        << "12345678901234567890123456789.5"
        << "3.000000000000000000000000000001" << 5 << "4115226300411522630041152263.16529"
        << "4115226300411522630041152263.16529";
    // Exact quotient 17636684144620811271604938.2700176...
    QTest::newRow("tiny divisor") << "12345678901234567890.123456789012345678"
                                  << "0.0000007" << 5 << "17636684144620811271604938.27002"
                                  << "17636684144620811271604938.27002";
    QTest::newRow("zero dividend") << "-0.00"
                                   << "3" << 2 << "0.00"
                                   << "0.00";
}

void TestDecimal::dividesToTheStatedScale() {
    // A quotient is rounded once, at the scale the caller asks for.
    QFETCH(QString, dividend);
    QFETCH(QString, divisor);
    QFETCH(int, scale);
    QFETCH(QString, awayFromZero);
    QFETCH(QString, toEven);
    QCOMPARE(dec(dividend).divide(dec(divisor), scale).toString(), awayFromZero);
    QCOMPARE(dec(dividend).divide(dec(divisor), scale, Rounding::HalfEven).toString(), toEven);
}

void TestDecimal::refusesOverflowAndZeroDivisorNamingTheOperands_data() {
    QTest::addColumn<QChar>("operation");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("sum") << QChar(u'+') << ThirtyEightNines << "1" << ThirtyEightNines + " + 1";
    QTest::newRow("sum after alignment")
        << QChar(u'+') << ThirtyEightNines << "0.1" << ThirtyEightNines + " + 0.1";
    QTest::newRow("difference") << QChar(u'-') << "-" + ThirtyEightNines << "0.5"
                                << "-" + ThirtyEightNines + " - 0.5";
    QTest::newRow("product") << QChar(u'*') << "100000000000000000000"
                             << "-100000000000000000000"
                             << "100000000000000000000 * -100000000000000000000";
    QTest::newRow("quotient") << QChar(u'/') << "10000000000000000000000000000000000000"
                              << "0.1"
                              << "10000000000000000000000000000000000000 / 0.1";
    QTest::newRow("zero divisor") << QChar(u'/') << "5.25"
                                  << "0.00"
                                  << "division by zero: 5.25 / 0.00";
}

void TestDecimal::refusesOverflowAndZeroDivisorNamingTheOperands() {
    // A result that cannot be exact is an error that says what was computed with what.
    QFETCH(QChar, operation);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, messagePart);
    try {
        switch (operation.unicode()) {
        case u'+':
            static_cast<void>(dec(left) + dec(right));
            break;
        case u'-':
            static_cast<void>(dec(left) - dec(right));
            break;
        case u'*':
            static_cast<void>(dec(left) * dec(right));
            break;
        default:
            static_cast<void>(dec(left).divide(dec(right), 2));
        }
        QFAIL("no error raised");
    } catch (const DecimalError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(messagePart), error.what());
    }
}

void TestDecimal::comparesByValueWhateverTheScale_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order");
    QTest::newRow("trailing zero") << "1.50"
                                   << "1.5" << 0;
    QTest::newRow("zeros") << "-0.00"
                           << "0" << 0;
    QTest::newRow("one hundredth more") << "1.5"
                                        << "1.51" << -1;
    QTest::newRow("signs") << "-1"
                           << "0.5" << -1;
    QTest::newRow("negative magnitudes") << "-1.5"
                                         << "-1.49" << -1;
    QTest::newRow("finest difference") << "2"
                                       << "1.999999999999999999999999999999" << 1;
    QTest::newRow("finest negative") << "-2"
                                     << "-1.999999999999999999999999999999" << -1;
    // Bringing 38 digits to 30 places overflows: the larger magnitude is known anyway.
    QTest::newRow("huge and fine") << ThirtyEightNines << "0.000000000000000000000000000001" << 1;
    QTest::newRow("huge negative and fine")
        << "-" + ThirtyEightNines << "-0.000000000000000000000000000001" << -1;
}

void TestDecimal::comparesByValueWhateverTheScale() {
    // 1.50 and 1.5 are the same amount; order does not depend on how it was written.
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    const auto expected = order < 0   ? std::strong_ordering::less
                          : order > 0 ? std::strong_ordering::greater
                                      : std::strong_ordering::equal;
    QVERIFY((dec(left) <=> dec(right)) == expected);
    QVERIFY((dec(right) <=> dec(left)) == (0 <=> expected));
    QCOMPARE(dec(left) == dec(right), order == 0);
}

void TestDecimal::convertsDoublesAsTheyWereTyped_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("scale");
    QTest::addColumn<Rounding>("rounding");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << 2 << Rounding::HalfAwayFromZero << "0.30";
    // 2.675 is 2.67499999... in binary; the person typed 2.675.
    QTest::newRow("2.675") << 2.675 << 2 << Rounding::HalfAwayFromZero << "2.68";
    QTest::newRow("1.005") << 1.005 << 2 << Rounding::HalfAwayFromZero << "1.01";
    QTest::newRow("2.665 to even") << 2.665 << 2 << Rounding::HalfEven << "2.66";
    QTest::newRow("-0.005") << -0.005 << 2 << Rounding::HalfAwayFromZero << "-0.01";
    QTest::newRow("-0.005 to even") << -0.005 << 2 << Rounding::HalfEven << "0.00";
    QTest::newRow("-1.5 integer") << -1.5 << 0 << Rounding::HalfAwayFromZero << "-2";
    QTest::newRow("1e20") << 1e20 << 2 << Rounding::HalfAwayFromZero << "100000000000000000000.00";
    QTest::newRow("zero") << 0.0 << 2 << Rounding::HalfAwayFromZero << "0.00";
    QTest::newRow("negative zero") << -0.0 << 1 << Rounding::HalfAwayFromZero << "0.0";
    QTest::newRow("far below a cent") << 1e-40 << 2 << Rounding::HalfAwayFromZero << "0.00";
    QTest::newRow("smallest double")
        << std::numeric_limits<double>::denorm_min() << 30 << Rounding::HalfAwayFromZero
        << "0.000000000000000000000000000000";
    QTest::newRow("more places than digits")
        << 123456.789 << 5 << Rounding::TowardZero << "123456.78900";
    QTest::newRow("17 significant digits")
        << 0.12345678901234566 << 17 << Rounding::HalfAwayFromZero << "0.12345678901234566";
}

void TestDecimal::convertsDoublesAsTheyWereTyped() {
    // A double from a REAL column or a script is rounded as its shortest text reads.
    QFETCH(double, value);
    QFETCH(int, scale);
    QFETCH(Rounding, rounding);
    QFETCH(QString, expected);
    QCOMPARE(Decimal::fromDouble(value, scale, rounding).toString(), expected);
}

void TestDecimal::refusesDoublesWithoutADecimalValue_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("scale");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 2;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 2;
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << 0;
    QTest::newRow("39 digits") << 1e38 << 0;
    QTest::newRow("36 digits and 3 places") << -1e36 << 3;
    QTest::newRow("scale beyond 30") << 1.0 << 31;
}

void TestDecimal::refusesDoublesWithoutADecimalValue() {
    // Nothing a decimal cannot hold slips through as a wrong amount.
    QFETCH(double, value);
    QFETCH(int, scale);
    QVERIFY_THROWS_EXCEPTION(DecimalError, Decimal::fromDouble(value, scale));
}

void TestDecimal::keepsTheShortestTextOfADouble_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0.1") << 0.1 << "0.1";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.30000000000000004";
    QTest::newRow("1e20") << 1e20 << "100000000000000000000";
    QTest::newRow("-2.5e-5") << -2.5e-5 << "-0.000025";
    QTest::newRow("below 30 places") << 1e-40 << "0.000000000000000000000000000000";
}

void TestDecimal::keepsTheShortestTextOfADouble() {
    // A double taken as it is keeps the digits that identify it and no binary noise.
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Decimal::fromDoubleShortest(value).toString(), expected);
}

void TestDecimal::convertsToDoubleAndInteger() {
    // The nearest double, and the integer part while it fits 64 bits.
    QCOMPARE(dec("0.1").toDouble(), 0.1);
    QCOMPARE(dec("-1234.50").toDouble(), -1234.5);
    QCOMPARE(dec("0.30000000000000004").toDouble(), 0.1 + 0.2);
    QCOMPARE(dec("-7.9").toInt64(), std::optional<std::int64_t>(-7));
    QCOMPARE(dec("9223372036854775807.99").toInt64(),
             std::optional<std::int64_t>(std::numeric_limits<std::int64_t>::max()));
    QCOMPARE(dec("-9223372036854775808").toInt64(),
             std::optional<std::int64_t>(std::numeric_limits<std::int64_t>::min()));
    QVERIFY(!dec("9223372036854775808").toInt64().has_value());
    QCOMPARE(Decimal(qint64(-5)).toString(), QStringLiteral("-5"));
}

void TestDecimal::fitsAColumnOnceRounded_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("precision");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("fits");
    QTest::newRow("exact fit") << "12345.678" << 8 << 3 << true;
    QTest::newRow("one integer digit too many") << "12345.678" << 7 << 3 << false;
    QTest::newRow("rounding carries over") << "999.995" << 5 << 2 << false;
    QTest::newRow("rounding stays") << "-999.994" << 5 << 2 << true;
    QTest::newRow("fraction only") << "0.5" << 1 << 1 << true;
    QTest::newRow("more places than the value") << "-12" << 4 << 2 << true;
    QTest::newRow("integer column") << "100" << 2 << 0 << false;
}

void TestDecimal::fitsAColumnOnceRounded() {
    // What a numeric(p, s) column accepts after rounding to its scale.
    QFETCH(QString, value);
    QFETCH(int, precision);
    QFETCH(int, scale);
    QFETCH(bool, fits);
    QCOMPARE(dec(value).fits(precision, scale), fits);
}

QTEST_GUILESS_MAIN(TestDecimal)
#include "test_decimal.moc"
