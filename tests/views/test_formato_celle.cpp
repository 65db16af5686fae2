#include "form/variant_metatype.h"
#include "views/formato_celle.h"

#include <QTest>

using namespace bdg;

class TestFormatoCelle : public QObject {
    Q_OBJECT
private slots:
    void valuesReadAsControllersReadThem_data() {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("shown");
        const QString importi = QStringLiteral("##,###,###,##0.00");
        const QString percentuali = QStringLiteral("#,###,##0.00%");
        QTest::newRow("thousands and decimals")
            << Variant(Decimal::parse(u"1234567")) << importi << "1.234.567,00";
        QTest::newRow("negative, rounded half away from zero")
            << Variant(Decimal::parse(u"-13658538.835")) << importi << "-13.658.538,84";
        QTest::newRow("below a thousand") << Variant(Decimal::parse(u"-5.5")) << importi << "-5,50";
        QTest::newRow("ratio as a percentage")
            << Variant(Decimal::parse(u"-0.464381")) << percentuali << "-46,44%";
        QTest::newRow("ratio above one")
            << Variant(Decimal::parse(u"12.3456")) << percentuali << "1.234,56%";
        QTest::newRow("a whole mask")
            << Variant(Decimal::parse(u"9876.5")) << QStringLiteral("#,##0") << "9.877";
        QTest::newRow("Null shows nothing") << Variant::null() << importi << "";
        QTest::newRow("text stays text") << Variant(QStringLiteral("A10")) << importi << "A10";
        QTest::newRow("no mask, plain text") << Variant(2026) << QString() << "2026";
    }
    void valuesReadAsControllersReadThem() {
        // An amount reaches the screen in the run's mask the Italian way; a missing one is blank.
        QFETCH(Variant, value);
        QFETCH(QString, mask);
        QFETCH(QString, shown);
        QCOMPARE(testoCella(value, mask), shown);
    }
};

QTEST_GUILESS_MAIN(TestFormatoCelle)
#include "test_formato_celle.moc"
