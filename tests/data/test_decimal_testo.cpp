#include "data/decimal.h"

#include <QTest>

#include <limits>

using bdg::Decimal;

// Writers append the amounts to a text they are building: the digits must land after what
// is already there, exactly as the amount's own text reads.
class TestDecimalTesto : public QObject {
    Q_OBJECT

private slots:
    void appendToAddsTheTextAfterWhatIsThere_data() {
        QTest::addColumn<qint64>("mantissa");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QChar>("punto");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("amount") << qint64(123456789) << 2 << QChar(u'.') << "x:1234567.89";
        QTest::newRow("negative below one") << qint64(-5) << 3 << QChar(u'.') << "x:-0.005";
        QTest::newRow("zero keeps its places") << qint64(0) << 2 << QChar(u'.') << "x:0.00";
        QTest::newRow("whole") << qint64(-42) << 0 << QChar(u'.') << "x:-42";
        QTest::newRow("comma") << qint64(15) << 1 << QChar(u',') << "x:1,5";
        QTest::newRow("largest 64-bit")
            << std::numeric_limits<qint64>::max() << 4 << QChar(u'.') << "x:922337203685477.5807";
    }
    void appendToAddsTheTextAfterWhatIsThere() {
        QFETCH(qint64, mantissa);
        QFETCH(int, scale);
        QFETCH(QChar, punto);
        QFETCH(QString, atteso);
        QString testo = QStringLiteral("x:");
        Decimal::fromMantissa(mantissa, scale).appendTo(testo, punto);
        QCOMPARE(testo, atteso);
    }
};

QTEST_APPLESS_MAIN(TestDecimalTesto)
#include "test_decimal_testo.moc"
