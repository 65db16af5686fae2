#include "data/error_of.h"
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
        for (int field = 0; field < row.size(); ++field)
            table->setValue(field, row[field]);
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

/// Name, type, size, precision, scale and nullability of every field, for comparing layouts.
QString layoutOf(const Recordset& table) {
    QStringList fields;
    for (int field = 0; field < table.fieldCount(); ++field) {
        const auto& f = table.field(field);
        fields << QStringLiteral("%1 %2 %3 %4,%5%6")
                      .arg(f.name)
                      .arg(int(f.type))
                      .arg(f.definedSize)
                      .arg(f.precision)
                      .arg(f.scale)
                      .arg(f.nullable ? "" : " not null");
    }
    return fields.join(u';');
}

QTestData& fieldRow(const char* name, FieldType type, int size, int precision, int scale,
                    const Variant& input) {
    return QTest::newRow(name) << type << size << precision << scale << input;
}

Variant dec(const char* text) {
    return Variant(Decimal::parse(QString::fromLatin1(text)));
}

} // namespace

class TestRecordsetFields : public QObject {
    Q_OBJECT

private slots:
    void fieldsAreFoundByNameIgnoringCase() {
        // Lookups ignore letter case; an unknown name or index is an error naming the field.
        RecordsetPtr table = criterionLike();
        QCOMPARE(table->fieldIndex(u"imp1"), std::optional<int>(2));
        QCOMPARE(table->fieldIndex(u"IMP"), std::nullopt);
        QCOMPARE(table->value(u"voce").toString(), QStringLiteral("A"));
        QVERIFY(test::errorOf<RecordsetError>([&] {
                    table->requireField(u"IMP9");
                }).contains(u"\"IMP9\""));
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table->field(3));
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table->value(-1));
    }

    void aNameRewrittenInPlaceFindsItsNewField() {
        // A name text changed where it lies (same characters' place, same length) names the field
        // it now spells, not the one it spelled when it was last looked up.
        Recordset table;
        table.appendField(QStringLiteral("IMP1"), FieldType::Integer);
        table.appendField(QStringLiteral("IMP2"), FieldType::Integer);
        table.Open();
        QString name = QStringLiteral("IMP1");
        name.detach();
        const QChar* place = name.constData();
        QCOMPARE(table.fieldIndex(name), std::optional<int>(0));
        name[3] = QLatin1Char('2');
        QCOMPARE(name.constData(), place);
        QCOMPARE(table.fieldIndex(name), std::optional<int>(1));
        name[3] = QLatin1Char('3');
        QCOMPARE(table.fieldIndex(name), std::nullopt);
    }

    void manyRowsKeepTheirValuesAndBookmarks() {
        // Rows well past the first blocks of storage read back what was written, also after
        // deletes and through bookmarks taken early.
        Recordset table;
        table.appendField(QStringLiteral("KEY_VOCE"), FieldType::BigInt, 0, false);
        table.appendField(QStringLiteral("VOCE"), FieldType::VarWChar);
        table.Open();
        constexpr std::int64_t rows = 150000; // about 10 MB of values: several 2 MiB blocks
        Bookmark first = 0;
        for (std::int64_t key = 0; key < rows; ++key) {
            table.AddNew();
            table.setValue(0, Variant(key * 1000));
            table.setValue(1, Variant(QString::number(key)));
            table.Update();
            if (key == 0)
                first = table.bookmark();
            if (key % 3 == 0)
                table.Delete();
        }
        QCOMPARE(table.RecordCount(), int(rows - rows / 3));
        std::int64_t expected = 1;
        for (table.MoveFirst(); !table.Eof(); table.MoveNext()) {
            QCOMPARE(*table.value(0).toInt64(), expected * 1000);
            QCOMPARE(table.value(1).toString(), QString::number(expected));
            expected += expected % 3 == 2 ? 2 : 1;
        }
        QCOMPARE(expected, rows + 1);
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table.setBookmark(first));
        table.setFilter(QStringLiteral("KEY_VOCE = 149998000"));
        QCOMPARE(table.RecordCount(), 1);
        QCOMPARE(table.value(1).toString(), QStringLiteral("149998"));
    }

    void valueIsStoredInItsFieldType_data() {
        QTest::addColumn<FieldType>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("precision");
        QTest::addColumn<int>("scale");
        QTest::addColumn<Variant>("input");
        QTest::addColumn<QString>("stored");
        const FieldType D = FieldType::Decimal;
        const FieldType I = FieldType::Integer;
        fieldRow("decimal rounds half away from zero", D, 0, 15, 2, dec("-2.345")) << "-2.35";
        fieldRow("integer into decimal gets its scale", D, 0, 15, 2, 10) << "10.00";
        fieldRow("text with comma into decimal", D, 0, 15, 2, "12,5") << "12.50";
        fieldRow("scale above precision takes integer digits", D, 0, 5, 6, dec("12345.6789"))
            << "12345.678900";
        fieldRow("precision exactly filled", D, 0, 6, 2, dec("9999.994")) << "9999.99";
        fieldRow("integer from text", I, 0, 0, 0, " 42 ") << "42";
        fieldRow("integer from whole decimal", I, 0, 0, 0, dec("7.00")) << "7";
        fieldRow("big integer", FieldType::BigInt, 0, 0, 0, std::int64_t(5000000000LL))
            << "5000000000";
        fieldRow("number into text", FieldType::VarWChar, 10, 0, 0, dec("-1.50")) << "-1.50";
        fieldRow("text of exactly its size", FieldType::WChar, 3, 0, 0, "ABC") << "ABC";
        fieldRow("boolean from number", FieldType::Boolean, 0, 0, 0, -1) << "True";
        fieldRow("empty becomes null", I, 0, 0, 0, Variant()) << "null";
        // Refused (empty "stored"): the row keeps Null.
        fieldRow("text too long", FieldType::WChar, 3, 0, 0, "ABCD") << "";
        fieldRow("integer above 32 bits", I, 0, 0, 0, std::int64_t(2147483648LL)) << "";
        fieldRow("integer with a fraction", I, 0, 0, 0, dec("1.5")) << "";
        fieldRow("text that is no number", I, 0, 0, 0, "12a") << "";
        fieldRow("decimal beyond precision", D, 0, 6, 2, dec("12345.6")) << "";
        fieldRow("rounding carries beyond precision", D, 0, 6, 2, dec("9999.995")) << "";
        fieldRow("text into boolean", FieldType::Boolean, 0, 0, 0, "forse") << "";
    }

    void valueIsStoredInItsFieldType() {
        // What is written is brought to the field's type and read back in that form; what does
        // not fit is refused with an error naming the field.
        QFETCH(FieldType, type);
        QFETCH(int, size);
        QFETCH(int, precision);
        QFETCH(int, scale);
        QFETCH(Variant, input);
        QFETCH(QString, stored);
        Recordset table = singleField(type, size, precision, scale);
        if (!stored.isEmpty()) {
            table.setValue(0, input);
            QCOMPARE(rowsOf(table), stored);
            return;
        }
        const QString error =
            test::errorOf<RecordsetError>([&] { table.setValue(u"campo", input); });
        QVERIFY2(error.contains(u"\"CAMPO\""), qPrintable(error));
        QVERIFY(table.value(0).isNull());
    }

    void nullIsRefusedByANonNullableField() {
        // KEY_VOCE keeps its value when Null is written over it; other fields take Null.
        RecordsetPtr table = criterionLike();
        QVERIFY_THROWS_EXCEPTION(RecordsetError, table->setValue(u"KEY_VOCE", Variant::null()));
        QCOMPARE(table->value(u"KEY_VOCE").toString(), QStringLiteral("1"));
        table->setValue(u"IMP1", Variant::null());
        QVERIFY(table->value(u"IMP1").isNull());
    }

    void copyOfAnEmptySourceIsAnOpenEmptyTableWithItsFields() {
        // The copy of an empty view has the source's field layout, all nullable, and no rows;
        // the copy of no source is none.
        RecordsetPtr source = criterionLike();
        source->setFilter(QStringLiteral("KEY_VOCE > 5"));
        RecordsetPtr copy = CopiaRecordset(source, nullptr, true, false);
        QVERIFY(copy && copy->isOpen() && copy->Eof());
        QCOMPARE(copy->RecordCount(), 0);
        QCOMPARE(layoutOf(*copy), layoutOf(*source).remove(QStringLiteral(" not null")));
        copy->AddNew();
        copy->Update(); // KEY_VOCE may be Null in the copy
        QCOMPARE(copy->RecordCount(), 1);
        QVERIFY(!CopiaRecordset(nullptr, criterionLike(), true, true));
    }

    void copyFollowsTheViewOnlyWhenAsked_data() {
        QTest::addColumn<bool>("throughView");
        QTest::addColumn<bool>("keepView");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("filter");
        QTest::newRow("every row in table order") << false << false << "1|A|10.00;2|B|2.50;3|A|null"
                                                  << "";
        QTest::newRow("through the view") << true << false << "3|A|null;1|A|10.00"
                                          << "";
        QTest::newRow("through the view, keeping it") << true << true << "3|A|null;1|A|10.00"
                                                      << "VOCE = 'A'";
    }

    void copyFollowsTheViewOnlyWhenAsked() {
        // The first flag copies through the source's filter and sort, the second keeps them;
        // the source does not move.
        QFETCH(bool, throughView);
        QFETCH(bool, keepView);
        QFETCH(QString, rows);
        QFETCH(QString, filter);
        RecordsetPtr source = criterionLike();
        source->setFilter(QStringLiteral("VOCE = 'A'"));
        source->setSort(QStringLiteral("KEY_VOCE DESC"));
        source->MoveLast();
        RecordsetPtr copy = CopiaRecordset(source, nullptr, throughView, keepView);
        QCOMPARE(copy->filter(), filter);
        QCOMPARE(rowsOf(*copy), rows);
        QCOMPARE(source->value(u"KEY_VOCE").toString(), QStringLiteral("1"));
        QCOMPARE(source->RecordCount(), 2);
    }

    void copyIntoADestinationMatchesFieldsByName() {
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
        QVERIFY(CopiaRecordset(source, destination, false, false) == destination);
        QCOMPARE(rowsOf(*destination),
                 QStringLiteral("null|null|null|9;10.0|A|1|null;2.5|B|2|null;null|A|3|null"));
    }

    void failedCopyLeavesTheDestinationAsItWas() {
        // A field missing in the destination, or a value that does not fit it, stops the copy
        // and takes back what it had added.
        RecordsetPtr source = criterionLike();
        source->MoveLast();
        source->setValue(u"VOCE", "LUNGA");
        for (const bool withAmount : {false, true}) {
            auto destination = std::make_shared<Recordset>();
            destination->appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer);
            destination->appendField(QStringLiteral("VOCE"), FieldType::WChar, 2);
            if (withAmount)
                destination->appendField(QStringLiteral("IMP1"), FieldType::Decimal);
            destination->Open();
            const QString error = test::errorOf<RecordsetError>(
                [&] { CopiaRecordset(source, destination, false, false); });
            QVERIFY2(error.contains(withAmount ? "\"VOCE\"" : "\"IMP1\""), qPrintable(error));
            QCOMPARE(destination->RecordCount(), 0);
            QVERIFY(destination->Eof());
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordsetFields)
#include "test_recordset_fields.moc"
