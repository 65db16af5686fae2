#include "data/decimal.h"
#include "data/error_of.h"
#include "data/formato_numero.h"
#include "data/tsv_rows.h"

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
const QString Finest = QStringLiteral("0.000000000000000000000000000001");

} // namespace

class TestDecimal : public QObject {
    Q_OBJECT

private slots:
    void refusesWhatIsNotAPlainNumber_data() {
        QTest::addColumn<QString>("text");
        for (const char* text : {"", "   ", "abc", "1.2.3", "1,2.3", "1,234.5", "1e3", "+", "-",
                                 ".", "1 000", "12,5x", "- 5", "--1", "+-1", "0x10", "1-"})
            QTest::addRow("'%s'", text) << QString::fromUtf8(text);
        QTest::newRow("arabic-indic digit") << QStringLiteral("\u0661");
        QTest::newRow("fullwidth digit") << QStringLiteral("\uff11");
    }

    void refusesWhatIsNotAPlainNumber() {
        // Grouping, exponents and stray characters are refused with an error naming the text.
        QFETCH(QString, text);
        QVERIFY(!Decimal::fromString(text).has_value());
        const QString error = bdg::test::errorOf<DecimalError>([&] { Decimal::parse(text); });
        QVERIFY2(error.contains("'" + text + "'"), qPrintable(error));
    }

    void parsesTextToThirtyEightDigits_data() {
        bdg::test::addTsvRows("decimali/cifre", {"text", "expected"});
    }

    void parsesTextToThirtyEightDigits() {
        // A value read from a database or typed by a user keeps its digits and its scale; 38
        // integer digits fit, 39 do not (empty expected); beyond 30 places digits are rounded.
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const std::optional<Decimal> value = Decimal::fromString(text);
        QCOMPARE(value ? value->toString() : QString(), expected);
    }

    void writesTextWithItsScale_data() {
        QTest::addColumn<qint64>("mantissa");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("invariant");
        QTest::newRow("amount") << qint64(123450) << 2 << "1234.50";
        QTest::newRow("zero with places") << qint64(0) << 3 << "0.000";
        QTest::newRow("negative below one") << qint64(-5) << 2 << "-0.05";
        QTest::newRow("smallest") << qint64(-1) << 30 << "-" + Finest;
        QTest::newRow("no grouping") << qint64(-123456789) << 0 << "-123456789";
        QTest::newRow("largest 64-bit")
            << std::numeric_limits<qint64>::max() << 4 << "922337203685477.5807";
    }

    void writesTextWithItsScale() {
        // The text keeps exactly scale() decimals, never groups thousands, and takes a comma.
        QFETCH(qint64, mantissa);
        QFETCH(int, scale);
        QFETCH(QString, invariant);
        const Decimal value = Decimal::fromMantissa(mantissa, scale);
        QCOMPARE(value.toString(), invariant);
        QCOMPARE(value.toString(QChar(u',')), QString(invariant).replace('.', ','));
        // Writers append the digits after what their text already holds.
        QString testo = QStringLiteral("x:");
        value.appendTo(testo, QChar(u','));
        QCOMPARE(testo, "x:" + QString(invariant).replace('.', ','));
    }

    void roundsAtHalfInEveryMode_data() {
        bdg::test::addTsvRows("decimali/arrotondamenti",
                              {"value", "places", "awayFromZero", "toEven", "towardZero"});
    }

    void roundsAtHalfInEveryMode() {
        // SQL ROUND goes away from zero at the half, formula results to the even neighbour.
        QFETCH(QString, value);
        QFETCH(QString, places);
        QFETCH(QString, awayFromZero);
        QFETCH(QString, toEven);
        QFETCH(QString, towardZero);
        QCOMPARE(dec(value).round(places.toInt()).toString(), awayFromZero);
        QCOMPARE(dec(value).round(places.toInt(), Rounding::HalfEven).toString(), toEven);
        QCOMPARE(dec(value).round(places.toInt(), Rounding::TowardZero).toString(), towardZero);
    }

    void rescalingAddsZerosOrRounds() {
        // A value brought to a column's scale gains zeros or is rounded; too many digits fail.
        QCOMPARE(dec("1.5").rescaled(3).toString(), QStringLiteral("1.500"));
        QCOMPARE(dec("-1.555").rescaled(2).toString(), QStringLiteral("-1.56"));
        QCOMPARE(dec("-1.555").rescaled(2, Rounding::HalfEven).toString(), QStringLiteral("-1.56"));
        QCOMPARE(dec("200.00").normalized().toString(), QStringLiteral("200"));
        QVERIFY_THROWS_EXCEPTION(DecimalError, dec(ThirtyEightNines).rescaled(1));
        QVERIFY_THROWS_EXCEPTION(DecimalError, dec("1").rescaled(Decimal::MaxScale + 1));
    }

    void addsAndSubtractsAcrossScales_data() {
        bdg::test::addTsvRows("decimali/somme", {"left", "right", "sum", "difference"});
    }

    void addsAndSubtractsAcrossScales() {
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

    void multipliesKeepingThirtyEightDigits_data() {
        bdg::test::addTsvRows("decimali/prodotti", {"left", "right", "product"});
    }

    void multipliesKeepingThirtyEightDigits() {
        // Products are exact while 38 digits and 30 places hold them, in either order.
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, product);
        QCOMPARE((dec(left) * dec(right)).toString(), product);
        QCOMPARE((dec(right) * dec(left)).toString(), product);
    }

    void dividesToTheStatedScale_data() {
        bdg::test::addTsvRows("decimali/quozienti",
                              {"dividend", "divisor", "scale", "awayFromZero", "toEven"});
    }

    void dividesToTheStatedScale() {
        // A quotient is rounded once, at the scale the caller asks for.
        QFETCH(QString, dividend);
        QFETCH(QString, divisor);
        QFETCH(QString, scale);
        QFETCH(QString, awayFromZero);
        QFETCH(QString, toEven);
        const Decimal quotient = dec(dividend).divide(dec(divisor), scale.toInt());
        QCOMPARE(quotient.toString(), awayFromZero);
        QCOMPARE(dec(dividend).divide(dec(divisor), scale.toInt(), Rounding::HalfEven).toString(),
                 toEven);
    }

    void refusesOverflowAndZeroDivisorNamingTheOperands_data() {
        bdg::test::addTsvRows("decimali/eccedenze", {"left", "operation", "right", "messagePart"});
    }

    void refusesOverflowAndZeroDivisorNamingTheOperands() {
        // A result that cannot be exact is an error that says what was computed with what.
        QFETCH(QString, left);
        QFETCH(QString, operation);
        QFETCH(QString, right);
        QFETCH(QString, messagePart);
        const QString error = bdg::test::errorOf<DecimalError>([&] {
            if (operation == "+")
                static_cast<void>(dec(left) + dec(right));
            else if (operation == "-")
                static_cast<void>(dec(left) - dec(right));
            else if (operation == "*")
                static_cast<void>(dec(left) * dec(right));
            else
                static_cast<void>(dec(left).divide(dec(right), 2));
        });
        QVERIFY2(error.contains(messagePart), qPrintable(error));
    }

    void comparesByValueWhateverTheScale_data() {
        bdg::test::addTsvRows("decimali/confronti", {"left", "right", "order"});
    }

    void comparesByValueWhateverTheScale() {
        // 1.50 and 1.5 are the same amount; order does not depend on how it was written.
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, order);
        const int sign = order.toInt();
        const auto expected = sign < 0   ? std::strong_ordering::less
                              : sign > 0 ? std::strong_ordering::greater
                                         : std::strong_ordering::equal;
        QVERIFY((dec(left) <=> dec(right)) == expected);
        QVERIFY((dec(right) <=> dec(left)) == (0 <=> expected));
        QCOMPARE(dec(left) == dec(right), sign == 0);
    }

    void convertsDoublesAsTheyWereTyped_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("scale");
        QTest::addColumn<Rounding>("rounding");
        QTest::addColumn<QString>("expected");
        const Rounding away = Rounding::HalfAwayFromZero;
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << 2 << away << "0.30";
        // 2.675 is 2.67499999... in binary; the person typed 2.675.
        QTest::newRow("2.675") << 2.675 << 2 << away << "2.68";
        QTest::newRow("2.665 to even") << 2.665 << 2 << Rounding::HalfEven << "2.66";
        QTest::newRow("-0.005 to even") << -0.005 << 2 << Rounding::HalfEven << "0.00";
        QTest::newRow("negative zero") << -0.0 << 1 << away << "0.0";
        QTest::newRow("smallest double") << std::numeric_limits<double>::denorm_min() << 30 << away
                                         << "0.000000000000000000000000000000";
        QTest::newRow("17 significant digits")
            << 0.12345678901234566 << 17 << away << "0.12345678901234566";
        // Nothing a decimal cannot hold slips through as a wrong amount (empty: refused).
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 2 << away << "";
        QTest::newRow("39 digits") << 1e38 << 0 << away << "";
        QTest::newRow("36 digits and 3 places") << -1e36 << 3 << away << "";
        QTest::newRow("scale beyond 30") << 1.0 << 31 << away << "";
    }

    void convertsDoublesAsTheyWereTyped() {
        // A double from a REAL column or a script is rounded as its shortest text reads.
        QFETCH(double, value);
        QFETCH(int, scale);
        QFETCH(Rounding, rounding);
        QFETCH(QString, expected);
        if (expected.isEmpty())
            QVERIFY_THROWS_EXCEPTION(DecimalError, Decimal::fromDouble(value, scale, rounding));
        else
            QCOMPARE(Decimal::fromDouble(value, scale, rounding).toString(), expected);
    }

    void convertsToDoubleAndInteger() {
        // The nearest double, and the integer part (truncated) while it fits 64 bits.
        QCOMPARE(dec("0.30000000000000004").toDouble(), 0.1 + 0.2);
        QCOMPARE(dec("-7.9").toInt64(), std::optional<std::int64_t>(-7));
        QCOMPARE(dec("9223372036854775807.99").toInt64(),
                 std::optional<std::int64_t>(std::numeric_limits<std::int64_t>::max()));
        QCOMPARE(dec("-9223372036854775808").toInt64(),
                 std::optional<std::int64_t>(std::numeric_limits<std::int64_t>::min()));
        QVERIFY(!dec("9223372036854775808").toInt64().has_value());
    }

    void fitsAColumnOnceRounded_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("fits");
        QTest::newRow("exact fit") << "12345.678" << 8 << 3 << true;
        QTest::newRow("one integer digit too many") << "12345.678" << 7 << 3 << false;
        QTest::newRow("rounding carries over") << "999.995" << 5 << 2 << false;
        QTest::newRow("rounding stays") << "-999.994" << 5 << 2 << true;
        QTest::newRow("below one, no integer digit") << "0.999" << 3 << 3 << true;
        QTest::newRow("rounds up to one, one digit too many") << "0.9996" << 3 << 3 << false;
        QTest::newRow("more decimals than the column") << "1.234567891" << 5 << 4 << true;
        QTest::newRow("thirty-eight digits") << QString(38, QLatin1Char('9')) << 38 << 0 << true;
    }

    void fitsAColumnOnceRounded() {
        // What a numeric(p, s) column accepts after rounding to its scale.
        QFETCH(QString, value);
        QFETCH(int, precision);
        QFETCH(int, scale);
        QFETCH(bool, fits);
        QCOMPARE(dec(value).fits(precision, scale), fits);
    }

    void masksGiveItalianText_data() {
        bdg::test::addTsvRows("maschere", {"maschera", "valore", "atteso"});
    }

    void masksGiveItalianText() {
        // A grid column's number mask writes an amount the Italian way.
        QFETCH(QString, maschera);
        QFETCH(QString, valore);
        QFETCH(QString, atteso);
        QCOMPARE(bdg::FormatoNumero(maschera).format(dec(valore)), atteso);
    }
};

QTEST_GUILESS_MAIN(TestDecimal)
#include "test_decimal.moc"
