// Times the criterion roll-up on generated trees, with the table's equality indexes and
// without them, and prints the figures and their ratio.

#include "data/decimal.h"
#include "data/recordset.h"
#include "engine/rst_criterio.h"
#include "engine/totali_criterio.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_service.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace bdg;

namespace {

struct Tree {
    int top;
    int children;
    int accounts;
};

void addNode(Recordset& rs, int key, int parentKey, const QString& voce, const QString& parent,
             int tipo, const char* record, const Variant& level, const Variant& value) {
    rs.AddNew();
    rs.setValue(u"KEY_VOCE", Variant(key));
    rs.setValue(u"KEY_VOCEPADRE", Variant(parentKey));
    rs.setValue(u"VOCE", Variant(voce));
    rs.setValue(u"VOCEPADRE", Variant(parent));
    rs.setValue(u"VOCEDES", Variant(voce));
    rs.setValue(u"TIPOVOCE", Variant(tipo));
    rs.setValue(u"TIPORECORD", Variant(record));
    rs.setValue(u"CRI_LIVELLO", level);
    for (int set = 1; set <= 3; ++set) {
        rs.setValue(FieldImp(set), value);
    }
    rs.Update();
}

// Top items with children; every child holds accounts; the last child of each top item
// is an intermediate total.
void build(FormState& state, const Tree& tree) {
    state.RstCriterio = BdgIntRic_DefinisciRstCriterio(state);
    Recordset& rs = *state.RstCriterio;
    addNode(rs, 0, 0, "CRIT", QString(), 4, "K", Variant(0), Variant::null());
    const int multiplier = GetNrVociPerLivello(Variant(tree.top * tree.children));
    for (int top = 1; top <= tree.top; ++top) {
        const QString code = QStringLiteral("T%1").arg(top);
        addNode(rs, top, 0, code, "0", 0, "V", Variant(1), Variant::null());
        for (int child = 1; child <= tree.children; ++child) {
            const int key = top * multiplier + child;
            const QString childCode = QStringLiteral("%1.%2").arg(code).arg(child);
            const int tipo = child == tree.children ? 2 : 0;
            addNode(rs, key, top, childCode, code, tipo, "V", Variant(2), Variant::null());
            for (int account = 1; account <= tree.accounts; ++account) {
                addNode(rs, key * 500 + account, key,
                        QStringLiteral("%1.%2").arg(childCode).arg(account), childCode, 5, "C",
                        Variant::null(), Variant(Decimal::fromMantissa(account * 125, 2)));
            }
        }
    }
}

double timeRun(const Tree& tree, bool indexes, int& rows) {
    RecordingMessageService messages;
    HostGlobal global(&messages, nullptr, QString());
    BudgetObject budget;
    FormState state;
    state.NrConfronti = 3;
    state.Gcls_Global = &global;
    state.ObjBudget = &budget;
    state.RstConfronto = std::make_shared<Recordset>();
    state.RstConfronto->appendField(QStringLiteral("CFR_SEQUENZA"), FieldType::Integer);
    state.RstConfronto->Open();
    for (int set = 1; set <= 3; ++set) {
        state.RstConfronto->AddNew();
        state.RstConfronto->setValue(u"CFR_SEQUENZA", Variant(set));
        state.RstConfronto->Update();
    }
    build(state, tree);
    state.RstCriterio->setIndexesEnabled(indexes);
    rows = state.RstCriterio->RecordCount();
    QElapsedTimer timer;
    timer.start();
    BdgIntRic_RstCriterio_CalcolaTotali(state, state.RstCriterio, state.RstConfronto, Variant(2));
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rows = 0;
    const Tree small{10, 10, 10};
    const double indexed = timeRun(small, true, rows);
    const double scanned = timeRun(small, false, rows);
    std::printf("criterion roll-up, %d rows: indexed %.1f ms, scanning %.1f ms, ratio %.1f\n", rows,
                indexed, scanned, scanned / indexed);
    const Tree large{20, 20, 25};
    const double largeMs = timeRun(large, true, rows);
    std::printf("criterion roll-up, %d rows: indexed %.1f ms (%.1f us per row)\n", rows, largeMs,
                largeMs * 1000.0 / rows);
    return 0;
}
