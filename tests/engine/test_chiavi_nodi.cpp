// The node keys a run plans, on trees written out here; structures that are not trees are
// tested through the run (test_elabora_fixtures). Every expected key is worked out by hand
// in the comment of its row.

#include "engine/chiavi_nodi.h"
#include "engine/rst_criterio.h"
#include "engine/struttura_criterio.h"

#include <QTest>

using namespace bdg;

namespace {

// "CODE<PARENT@POSITION" per row, PARENT "-" for a top item.
std::vector<RigaStruttura> righe(const QString& testo) {
    std::vector<RigaStruttura> result;
    for (const QString& text : testo.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString padre = text.section('<', 1).section('@', 0, 0);
        result.push_back({Variant(text.section('<', 0, 0)),
                          padre == QLatin1String("-") ? Variant::null() : Variant(padre),
                          Variant(text.section('@', 1).toInt())});
    }
    return result;
}

// A chain of `levels` items L01 -> L02 -> ..., each at position 1.
QString catena(int levels) {
    QStringList rows;
    for (int level = 1; level <= levels; ++level)
        rows << QStringLiteral("L%1<%2@1")
                    .arg(level, 2, 10, QLatin1Char('0'))
                    .arg(level == 1
                             ? QStringLiteral("-")
                             : QStringLiteral("L%1").arg(level - 1, 2, 10, QLatin1Char('0')));
    return rows.join(QLatin1Char(' '));
}

} // namespace

class TestChiaviNodi : public QObject {
    Q_OBJECT

private slots:
    void keysKeepPositionsWhileTheyHoldAndRanksOtherwise_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("accounts"); // "ITEM=count ..."
        QTest::addColumn<int>("schema");
        QTest::addColumn<QString>("keys"); // "ITEM=key ..." and "ITEM#ordinal=key ..."; "" refused

        const int posizioni = int(SchemaChiavi::Posizioni);
        const int ranghi = int(SchemaChiavi::Ranghi);
        // T1's accounts 501 .. 511 meet T511 = 511 under both numberings; accounts then go
        // after every item: T1 x 500 x 10 x 10 + 1, T51 x 500 x 10 + 1, T511 x 500 + 1.
        QTest::newRow("accounts after every item")
            << "T1<-@1 T2<-@2 T3<-@3 T4<-@4 T5<-@5 T51<T5@1 T511<T51@1"
            << "T1=11 T51=1 T511=1" << int(SchemaChiavi::RanghiContiDopoVoci)
            << "T5=5 T51=51 T511=511 T1#1=50001 T1#11=50011 T51#1=255001 T511#1=255501";
        QTest::newRow("equal positions, ranked by code") << "B<-@1 A<-@1"
                                                         << "" << ranghi << "A=1 B=2";
        QTest::newRow("position 0") << "A<-@0"
                                    << "A=1" << ranghi << "A=1 A#1=501";
        // 25 top items make every multiplier 30: 25 x 30^15 is past the key range.
        QStringList wide = {catena(16)};
        for (int top = 2; top <= 25; ++top)
            wide << QStringLiteral("T%1<-@%1").arg(top);
        QTest::newRow("too wide and too deep") << wide.join(' ') << "" << posizioni << "";
    }

    void keysKeepPositionsWhileTheyHoldAndRanksOtherwise() {
        QFETCH(QString, rows);
        QFETCH(QString, accounts);
        QFETCH(int, schema);
        QFETCH(QString, keys);
        const StrutturaCriterio struttura(QStringLiteral("CR"), righe(rows));
        std::vector<std::int64_t> conti(struttura.voci().size(), 0);
        for (const QString& pair : accounts.split(' ', Qt::SkipEmptyParts))
            conti[std::size_t(struttura.indice(pair.section('=', 0, 0)))] =
                pair.section('=', 1).toLongLong();
        if (keys.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(KeyVoceError, PianoChiavi(struttura).impostaConti(conti));
            return;
        }
        PianoChiavi piano(struttura);
        piano.impostaConti(conti);
        QCOMPARE(int(piano.schema()), schema);
        QCOMPARE(piano.motivo().isEmpty(), schema == int(SchemaChiavi::Posizioni));
        for (const QString& pair : keys.split(' ')) {
            const QString node = pair.section('=', 0, 0);
            const int indice = struttura.indice(node.section('#', 0, 0));
            const qint64 key = node.contains('#')
                                   ? piano.chiaveConto(indice, node.section('#', 1).toLongLong())
                                   : piano.chiaveVoce(indice);
            QCOMPARE(key, pair.section('=', 1).toLongLong());
        }
    }
    void levelMultiplier_data() {
        QTest::addColumn<QString>("count"); // "Null" or a number
        QTest::addColumn<int>("multiplier");
        QTest::newRow("Null") << "Null" << 10;
        QTest::newRow("9") << "9" << 10;
        QTest::newRow("10 strictly greater") << "10" << 20;
        QTest::newRow("199") << "199" << 200;
        QTest::newRow("200 not 210") << "200" << 200;
        QTest::newRow("201") << "201" << 200;
        QTest::newRow("-5") << "-5" << 200;
    }

    void levelMultiplier() {
        // The smallest multiple of 10 above the count of a level's items, capped at 200.
        QFETCH(QString, count);
        QFETCH(int, multiplier);
        QCOMPARE(GetNrVociPerLivello(count == "Null" ? Variant::null() : Variant(count.toInt())),
                 multiplier);
    }
};

QTEST_GUILESS_MAIN(TestChiaviNodi)
#include "test_chiavi_nodi.moc"
