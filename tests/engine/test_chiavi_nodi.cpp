// The criterion structure as the run checks it, and the node keys it plans, on trees written
// out here. Every expected key is worked out by hand in the comment of its row.

#include "engine/chiavi_nodi.h"
#include "engine/struttura_criterio.h"

#include <QRegularExpression>
#include <QTest>

using namespace bdg;

namespace {

// "CODE<PARENT@POSITION" per row: PARENT "-" for none, "_" for a blank one; CODE "-" for a
// missing code; a trailing "!" on CODE for an item missing from BU19_VOCICRITELAB.
std::vector<RigaStruttura> righe(const QString& spec) {
    static const QRegularExpression row(QStringLiteral(R"(^([^<]+?)(!?)<([^@]+)@(-?\d+)$)"));
    std::vector<RigaStruttura> result;
    for (const QString& text : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto match = row.match(text);
        if (!match.hasMatch())
            qFatal("bad row %s", qPrintable(text));
        const QString voce = match.captured(1);
        const QString padre = match.captured(3);
        result.push_back({voce == QLatin1String("-") ? Variant::null() : Variant(voce),
                          padre == QLatin1String("-")   ? Variant::null()
                          : padre == QLatin1String("_") ? Variant(QStringLiteral(" "))
                                                        : Variant(padre),
                          Variant(match.captured(4).toInt()), match.captured(2).isEmpty()});
    }
    return result;
}

// A chain of `levels` items L01 -> L02 -> ..., each at position 1.
QString catena(int levels, const QString& top = QStringLiteral("-")) {
    QStringList rows;
    for (int level = 1; level <= levels; ++level)
        rows << QStringLiteral("L%1<%2@1")
                    .arg(level, 2, 10, QLatin1Char('0'))
                    .arg(level == 1
                             ? top
                             : QStringLiteral("L%1").arg(level - 1, 2, 10, QLatin1Char('0')));
    return rows.join(QLatin1Char(' '));
}

} // namespace

class TestChiaviNodi : public QObject {
    Q_OBJECT

private slots:
    void structuresThatAreNotTreesAreRefusedNamingTheItems_data();
    void structuresThatAreNotTreesAreRefusedNamingTheItems();
    void keysKeepPositionsWhileTheyHoldAndRanksOtherwise_data();
    void keysKeepPositionsWhileTheyHoldAndRanksOtherwise();
};

void TestChiaviNodi::structuresThatAreNotTreesAreRefusedNamingTheItems_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QStringList>("named"); // empty: accepted

    QTest::newRow("own parent") << "A<-@1 B<B@1" << QStringList{"B è padre di se stessa"};
    QTest::newRow("blank parent") << "A<-@1 B<_@1" << QStringList{"B ha il codice del padre vuoto"};
    QTest::newRow("no code") << "A<-@1 -<A@2"
                             << QStringList{"una voce senza codice (padre A, posizione 2)"};
    QTest::newRow("parent outside the criterion")
        << "A<-@1 B<Z@1" << QStringList{"B ha come padre Z, che non è una voce del criterio"};
    QTest::newRow("cycle, and an item below it")
        << "A<-@1 B<C@1 C<B@1 D<C@1"
        << QStringList{"le voci B → C formano un ciclo", "le voci D non discendono"};
    QTest::newRow("under two parents")
        << "A<-@1 B<-@2 C<A@1 C<B@1" << QStringList{"C compare 2 volte nel criterio (sotto A, B)"};
    QTest::newRow("not among the items") << "A!<-@1" << QStringList{"A non esiste tra le voci"};
    QTest::newRow("18 levels: the first too deep named, no more")
        << catena(18)
        << QStringList{"le voci L17 sono al livello 17, oltre i 16 livelli che "
                       "l'elaborazione gestisce."};
    QTest::newRow("16 levels, positions repeated") << catena(16) + " X<-@1" << QStringList{};
}

void TestChiaviNodi::structuresThatAreNotTreesAreRefusedNamingTheItems() {
    QFETCH(QString, rows);
    QFETCH(QStringList, named);
    try {
        const StrutturaCriterio struttura(QStringLiteral("CR"), righe(rows));
        QVERIFY2(named.isEmpty(), "accepted");
        QCOMPARE(int(struttura.voci().size()), int(righe(rows).size()));
    } catch (const StrutturaCriterioError& error) {
        const QString text = QString::fromUtf8(error.what());
        QVERIFY2(!named.isEmpty(), error.what());
        QVERIFY2(text.startsWith(QStringLiteral("La struttura del criterio CR")), error.what());
        for (const QString& part : named)
            QVERIFY2(text.contains(part), error.what());
    }
}

void TestChiaviNodi::keysKeepPositionsWhileTheyHoldAndRanksOtherwise_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("accounts"); // "ITEM=count ..."
    QTest::addColumn<int>("schema");
    QTest::addColumn<QString>("keys"); // "ITEM=key ..." and "ITEM#ordinal=key ..."; "" refused

    const int posizioni = int(SchemaChiavi::Posizioni);
    const int ranghi = int(SchemaChiavi::Ranghi);
    // Level 2 has 3 items: multiplier 10. T2's accounts: 2 x 500 + 1.
    QTest::newRow("positions hold")
        << "T1<-@1 T2<-@2 A2<T1@2 A1<T1@1 B1<T2@1"
        << "T2=2" << posizioni << "T1=1 T2=2 A1=11 A2=12 B1=21 T2#1=1001 T2#2=1002";
    // Positions A2 = 1 x 10 + 20 = 30 = B1 = 2 x 10 + 10: ranks instead, multiplier 10 (above
    // 3 siblings and 2 top items), accounts x 500.
    QTest::newRow("positions in tens meet")
        << "A<-@1 B<-@2 A1<A@10 A2<A@20 A3<A@30 B1<B@10"
        << "A1=2" << ranghi << "A=1 B=2 A1=11 A2=12 A3=13 B1=21 A1#2=5502";
    // 600 accounts: the factor becomes 1000, the first multiple of 500 above them.
    QTest::newRow("an item with 600 accounts")
        << "V1<-@1 V2<-@2"
        << "V1=600 V2=2" << ranghi << "V1=1 V2=2 V1#1=1001 V1#600=1600 V2#2=2002";
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
    // Twelve levels of one item each, multiplier 10: keys of twelve ones, fine in 64 bits.
    QTest::newRow("twelve levels")
        << catena(12) << "L12=1" << posizioni << "L01=1 L12=111111111111 L12#1=55555555555501";
    // 25 top items make every multiplier 30: 25 x 30^15 is past the key range.
    QStringList wide = {catena(16)};
    for (int top = 2; top <= 25; ++top)
        wide << QStringLiteral("T%1<-@%1").arg(top);
    QTest::newRow("too wide and too deep") << wide.join(' ') << "" << posizioni << "";
}

void TestChiaviNodi::keysKeepPositionsWhileTheyHoldAndRanksOtherwise() {
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

QTEST_GUILESS_MAIN(TestChiaviNodi)
#include "test_chiavi_nodi.moc"
