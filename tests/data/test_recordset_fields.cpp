#include "data/recordset.h"

#include <QtTest>

using namespace bdg;

Q_DECLARE_METATYPE(bdg::FieldType)
Q_DECLARE_METATYPE(bdg::Variant)

namespace {

/// A one-field open table with one row whose field holds Null.
Recordset singleField(FieldType type, int size, int precision, int scale) {
    Recordset table;
    table.appendField(QStringLiteral("CAMPO"), type, size);
    table.setPrecision(0, precision);
    table.setNumericScale(0, scale);
    table.Open();
    table.AddNew();
    table.Update();
    return table;
}

/// KEY_VOCE (not nullable), VOCE (fixed text 15), IMP1 (15, 2) with three rows.
RecordsetPtr criterionLike() {
    auto table = std::make_shared<Recordset>();
    table->appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer, 0, false);
    table->appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    table->appendField(QStringLiteral("IMP1"), FieldType::Decimal);
    table->setPrecision(2, 15);
    table->setNumericScale(2, 2);
    table->Open();
    const QList<QList<Variant>> rows = {
        {1, "A", 10}, {2, "B", Decimal::parse(u"2.5")}, {3, "A", Variant::null()}};
    for (const QList<Variant>& row : rows) {
        table->AddNew();
        for (int field = 0; field < row.size(); ++field) {
            table->setValue(field, row[field]);
        }
        table->Update();
    }
    table->MoveFirst();
    return table;
}

QString rowsOf(Recordset& table) {
    QStringList rows;
    for (table.MoveFirst(); !table.Eof(); table.MoveNext()) {
        QStringList values;
        for (int field = 0; field < table.fieldCount(); ++field) {
            const Variant value = table.value(field);
            values << (value.isNull() ? QStringLiteral("null") : value.toString());
        }
        rows << values.join(u'|');
    }
    return rows.join(u';');
}

} // namespace

class TestRecordsetFields : public QObject {
    Q_OBJECT

private slots:
    void fieldsKeepTheirDefinitionAndAreFoundByName();
    void definitionIsFixedOnceOpen();
    void valueIsStoredInItsFieldType_data();
    void valueIsStoredInItsFieldType();
    void valueThatDoesNotFitIsRefusedWithTheFieldName_data();
    void valueThatDoesNotFitIsRefusedWithTheFieldName();
    void nullIsRefusedByANonNullableField();
    void copyOfAnEmptySourceIsAnOpenEmptyTableWithItsFields();
    void copyOfNothingIsNothing();
    void copyReadsThroughTheViewWhenAsked();
    void copyIgnoresTheViewOtherwise();
    void copyIntoADestinationMatchesFieldsByName();
    void failedCopyLeavesTheDestinationAsItWas();
};

void TestRecordsetFields::fieldsKeepTheirDefinitionAndAreFoundByName() {
    // Fields keep order, type, size, precision and scale; lookups ignore letter case.
    RecordsetPtr table = criterionLike();
    QCOMPARE(table->fieldCount(), 3);
    QCOMPARE(table->field(1).name, QStringLiteral("VOCE"));
    QCOMPARE(table->field(1).type, FieldType::WChar);
    QCOMPARE(table->field(1).definedSize, 15);
    QCOMPARE(table->field(2).precision, 15);
    QCOMPARE(table->field(2).scale, 2);
    QVERIFY(!table->field(0).nullable);
    QCOMPARE(table->fieldIndex(u"imp1"), std::optional<int>(2));
    QCOMPARE(table->fieldIndex(u"IMP"), std::nullopt);
    QCOMPARE(table->value(u"voce").toString(), QStringLiteral("A"));
    try {
        table->requireField(u"IMP9");
        QFAIL("an unknown field was found");
    } catch (const RecordsetError& error) {
        QVERIFY(QString::fromStdString(error.what()).contains(QStringLiteral("\"IMP9\"")));
    }
    QVERIFY_THROWS_EXCEPTION(RecordsetError, table->field(3));
    QVERIFY_THROWS_EXCEPTION(RecordsetError, table->value(-1));
}

void TestRecordsetFields::definitionIsFixedOnceOpen() {
    // Fields are appended before Open; a duplicate name is refused at any time.
    Recordset table;
    QVERIFY(!table.isOpen());
    QVERIFY_THROWS_EXCEPTION(RecordsetError, table.MoveFirst());
    table.appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    QVERIFY_THROWS_EXCEPTION(RecordsetError,
                             table.appendField(QStringLiteral("voce"), FieldType::Integer));
    table.Open();
    QVERIFY_THROWS_EXCEPTION(RecordsetError,
                             table.appendField(QStringLiteral("ALTRO"), FieldType::Integer));
    QVERIFY_THROWS_EXCEPTION(RecordsetError, table.setPrecision(0, 5));
    QCOMPARE(table.fieldCount(), 1);
}

void TestRecordsetFields::valueIsStoredInItsFieldType_data() {
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("precision");
    QTest::addColumn<int>("scale");
    QTest::addColumn<Variant>("input");
    QTest::addColumn<QString>("stored");

    const auto dec = [](const char* text) {
        return Variant(Decimal::parse(QString::fromLatin1(text)));
    };
    QTest::newRow("decimal rounds half up")
        << FieldType::Decimal << 0 << 15 << 2 << dec("2.345") << "2.35";
    QTest::newRow("decimal rounds half away from zero")
        << FieldType::Decimal << 0 << 15 << 2 << dec("-2.345") << "-2.35";
    QTest::newRow("decimal rounds down below half")
        << FieldType::Decimal << 0 << 15 << 2 << dec("2.344") << "2.34";
    QTest::newRow("integer into decimal gets its scale")
        << FieldType::Decimal << 0 << 15 << 2 << Variant(10) << "10.00";
    QTest::newRow("text with comma into decimal")
        << FieldType::Decimal << 0 << 15 << 2 << Variant("12,5") << "12.50";
    QTest::newRow("scale zero rounds to units")
        << FieldType::Decimal << 0 << 6 << 0 << dec("7.5") << "8";
    QTest::newRow("scale above precision takes integer digits")
        << FieldType::Decimal << 0 << 5 << 6 << dec("12345.6789") << "12345.678900";
    QTest::newRow("precision exactly filled")
        << FieldType::Decimal << 0 << 6 << 2 << dec("9999.994") << "9999.99";
    QTest::newRow("integer from text")
        << FieldType::Integer << 0 << 0 << 0 << Variant(" 42 ") << "42";
    QTest::newRow("integer from whole decimal")
        << FieldType::Integer << 0 << 0 << 0 << dec("7.00") << "7";
    QTest::newRow("integer lowest") << FieldType::Integer << 0 << 0 << 0
                                    << Variant(std::int64_t(-2147483648LL)) << "-2147483648";
    QTest::newRow("big integer") << FieldType::BigInt << 0 << 0 << 0
                                 << Variant(std::int64_t(5000000000LL)) << "5000000000";
    QTest::newRow("number into text")
        << FieldType::VarWChar << 10 << 0 << 0 << dec("-1.50") << "-1.50";
    QTest::newRow("fixed text kept as given")
        << FieldType::WChar << 15 << 0 << 0 << Variant("ABC") << "ABC";
    QTest::newRow("text of exactly its size")
        << FieldType::WChar << 3 << 0 << 0 << Variant("ABC") << "ABC";
    QTest::newRow("unlimited text")
        << FieldType::VarWChar << 0 << 0 << 0 << Variant(QString(300, u'x')) << QString(300, u'x');
    QTest::newRow("boolean from number")
        << FieldType::Boolean << 0 << 0 << 0 << Variant(-1) << "True";
    QTest::newRow("empty becomes null") << FieldType::Integer << 0 << 0 << 0 << Variant() << "null";
}

void TestRecordsetFields::valueIsStoredInItsFieldType() {
    // What is written is brought to the field's type and read back in that form.
    QFETCH(FieldType, type);
    QFETCH(int, size);
    QFETCH(int, precision);
    QFETCH(int, scale);
    QFETCH(Variant, input);
    QFETCH(QString, stored);
    Recordset table = singleField(type, size, precision, scale);
    table.setValue(0, input);
    const Variant value = table.value(0);
    QCOMPARE(value.isNull() ? QStringLiteral("null") : value.toString(), stored);
}

void TestRecordsetFields::valueThatDoesNotFitIsRefusedWithTheFieldName_data() {
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("precision");
    QTest::addColumn<int>("scale");
    QTest::addColumn<Variant>("input");

    const auto dec = [](const char* text) {
        return Variant(Decimal::parse(QString::fromLatin1(text)));
    };
    QTest::newRow("text too long") << FieldType::WChar << 3 << 0 << 0 << Variant("ABCD");
    QTest::newRow("integer above 32 bits")
        << FieldType::Integer << 0 << 0 << 0 << Variant(std::int64_t(2147483648LL));
    QTest::newRow("integer below 32 bits")
        << FieldType::Integer << 0 << 0 << 0 << Variant(std::int64_t(-2147483649LL));
    QTest::newRow("integer with a fraction") << FieldType::Integer << 0 << 0 << 0 << dec("1.5");
    QTest::newRow("text that is no number") << FieldType::Integer << 0 << 0 << 0 << Variant("12a");
    QTest::newRow("text into decimal") << FieldType::Decimal << 0 << 15 << 2 << Variant("abc");
    QTest::newRow("decimal beyond precision")
        << FieldType::Decimal << 0 << 6 << 2 << dec("12345.6");
    QTest::newRow("rounding carries beyond precision")
        << FieldType::Decimal << 0 << 6 << 2 << dec("9999.995");
    QTest::newRow("text into boolean") << FieldType::Boolean << 0 << 0 << 0 << Variant("forse");
}

void TestRecordsetFields::valueThatDoesNotFitIsRefusedWithTheFieldName() {
    // The error names the field and the row keeps the value it had.
    QFETCH(FieldType, type);
    QFETCH(int, size);
    QFETCH(int, precision);
    QFETCH(int, scale);
    QFETCH(Variant, input);
    Recordset table = singleField(type, size, precision, scale);
    try {
        table.setValue(u"campo", input);
        QFAIL("the value was stored");
    } catch (const RecordsetError& error) {
        const QString text = QString::fromStdString(error.what());
        QVERIFY2(text.contains(QStringLiteral("\"CAMPO\"")), qPrintable(text));
    }
    QVERIFY(table.value(0).isNull());
}

void TestRecordsetFields::nullIsRefusedByANonNullableField() {
    // KEY_VOCE keeps its value when Null is written over it; other fields take Null.
    RecordsetPtr table = criterionLike();
    QVERIFY_THROWS_EXCEPTION(RecordsetError, table->setValue(u"KEY_VOCE", Variant::null()));
    QCOMPARE(table->value(u"KEY_VOCE").toString(), QStringLiteral("1"));
    table->setValue(u"IMP1", Variant::null());
    QVERIFY(table->value(u"IMP1").isNull());
}

void TestRecordsetFields::copyOfAnEmptySourceIsAnOpenEmptyTableWithItsFields() {
    // The copy has the source's fields, all nullable, and no rows.
    RecordsetPtr source = criterionLike();
    source->setFilter(QStringLiteral("KEY_VOCE > 5"));
    RecordsetPtr copy = CopiaRecordset(source, nullptr, true, false);
    QVERIFY(copy);
    QVERIFY(copy->isOpen());
    QCOMPARE(copy->RecordCount(), 0);
    QVERIFY(copy->Eof());
    QCOMPARE(copy->fieldCount(), 3);
    for (int field = 0; field < 3; ++field) {
        QCOMPARE(copy->field(field).name, source->field(field).name);
        QCOMPARE(copy->field(field).type, source->field(field).type);
        QCOMPARE(copy->field(field).definedSize, source->field(field).definedSize);
        QCOMPARE(copy->field(field).precision, source->field(field).precision);
        QCOMPARE(copy->field(field).scale, source->field(field).scale);
        QVERIFY(copy->field(field).nullable);
    }
    copy->AddNew();
    copy->Update(); // KEY_VOCE may be Null in the copy
    QCOMPARE(copy->RecordCount(), 1);
}

void TestRecordsetFields::copyOfNothingIsNothing() {
    // No source gives no result, whatever the destination.
    QVERIFY(!CopiaRecordset(nullptr, criterionLike(), true, true));
}

void TestRecordsetFields::copyReadsThroughTheViewWhenAsked() {
    // With the first flag the rows come through the source's filter and sort; with the
    // second the copy gets them as well.
    RecordsetPtr source = criterionLike();
    source->setFilter(QStringLiteral("VOCE = 'A'"));
    source->setSort(QStringLiteral("KEY_VOCE DESC"));
    RecordsetPtr copy = CopiaRecordset(source, nullptr, true, false);
    QCOMPARE(rowsOf(*copy), QStringLiteral("3|A|null;1|A|10.00"));
    QCOMPARE(copy->filter(), QString());
    RecordsetPtr viewed = CopiaRecordset(source, nullptr, true, true);
    QCOMPARE(viewed->filter(), QStringLiteral("VOCE = 'A'"));
    QCOMPARE(viewed->sort(), QStringLiteral("KEY_VOCE DESC"));
    QCOMPARE(rowsOf(*viewed), QStringLiteral("3|A|null;1|A|10.00"));
}

void TestRecordsetFields::copyIgnoresTheViewOtherwise() {
    // Without the first flag every row is copied in table order; the source stays put.
    RecordsetPtr source = criterionLike();
    source->setFilter(QStringLiteral("VOCE = 'A'"));
    source->MoveLast();
    RecordsetPtr copy = CopiaRecordset(source, nullptr, false, false);
    QCOMPARE(rowsOf(*copy), QStringLiteral("1|A|10.00;2|B|2.50;3|A|null"));
    QCOMPARE(source->value(u"KEY_VOCE").toString(), QStringLiteral("3"));
    QCOMPARE(source->RecordCount(), 2);
}

void TestRecordsetFields::copyIntoADestinationMatchesFieldsByName() {
    // The destination's own field order does not matter and its rows are kept.
    RecordsetPtr source = criterionLike();
    auto destination = std::make_shared<Recordset>();
    destination->appendField(QStringLiteral("imp1"), FieldType::Decimal);
    destination->setPrecision(0, 15);
    destination->setNumericScale(0, 1);
    destination->appendField(QStringLiteral("Voce"), FieldType::VarWChar, 5);
    destination->appendField(QStringLiteral("Key_Voce"), FieldType::Integer);
    destination->appendField(QStringLiteral("EXTRA"), FieldType::Integer);
    destination->Open();
    destination->AddNew();
    destination->setValue(3, 9);
    destination->Update();
    RecordsetPtr result = CopiaRecordset(source, destination, false, false);
    QVERIFY(result == destination);
    QCOMPARE(rowsOf(*destination),
             QStringLiteral("null|null|null|9;10.0|A|1|null;2.5|B|2|null;null|A|3|null"));
}

void TestRecordsetFields::failedCopyLeavesTheDestinationAsItWas() {
    // A field missing in the destination, or a value that does not fit it, stops the copy
    // and takes back what it had added.
    RecordsetPtr source = criterionLike();
    source->MoveLast();
    source->setValue(u"VOCE", "LUNGA");
    auto destination = std::make_shared<Recordset>();
    destination->appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer);
    destination->appendField(QStringLiteral("VOCE"), FieldType::WChar, 2);
    destination->Open();
    try {
        CopiaRecordset(source, destination, false, false);
        QFAIL("a copy without IMP1 was accepted");
    } catch (const RecordsetError& error) {
        QVERIFY(QString::fromStdString(error.what()).contains(QStringLiteral("\"IMP1\"")));
    }
    QCOMPARE(destination->RecordCount(), 0);

    auto narrow = std::make_shared<Recordset>();
    narrow->appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer);
    narrow->appendField(QStringLiteral("VOCE"), FieldType::WChar, 2);
    narrow->appendField(QStringLiteral("IMP1"), FieldType::Decimal);
    narrow->Open();
    try {
        CopiaRecordset(source, narrow, false, false);
        QFAIL("a text longer than its field was copied");
    } catch (const RecordsetError& error) {
        QVERIFY(QString::fromStdString(error.what()).contains(QStringLiteral("\"VOCE\"")));
    }
    QCOMPARE(narrow->RecordCount(), 0);
    QVERIFY(narrow->Eof());
}

QTEST_GUILESS_MAIN(TestRecordsetFields)
#include "test_recordset_fields.moc"
