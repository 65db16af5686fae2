#pragma once

#include "engine/struttura_criterio.h"

#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace bdg {

/// A criterion too deep and too wide for the range of the node keys; the text names the
/// limit and the item where it is reached.
class KeyVoceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// How a run numbers the nodes of its tree.
enum class SchemaChiavi {
    Posizioni,           ///< the items' own positions, the level's multiplier, accounts x 500
    Ranghi,              ///< ranks among the siblings instead of positions, factors widened
    RanghiContiDopoVoci, ///< as Ranghi, with every account key above every item key
};

/*
 * Node keys.
 *
 * KEY_VOCE encodes a node's path and orders the tree: the root has 0, a top item its
 * position, a deeper item its parent's key times its level's multiplier plus its position,
 * an account its item's key times the account factor plus its ordinal under the item. The
 * multiplier of a level is the smallest multiple of 10 above the level's number of items
 * (200 at most), the account factor 500.
 *
 * Those keys are kept whenever they are unique and ordered as the tree needs: every node
 * above its parent, siblings in position order, and an item's accounts after its child
 * items (intermediate totals add the siblings with a smaller key). Positions in tens, an
 * item with 500 accounts or more, or a deep criterion whose account keys meet the keys of
 * deeper items break that. The run is then numbered with keys of the same shape built from
 * each item's rank among its siblings (1, 2, 3 ... in position order) instead of its
 * position, with level multipliers above both the level's largest rank and the number of
 * top items, and an account factor that is a multiple of 500 above the largest number of
 * accounts of an item. When even those account keys would meet item keys, each account key
 * is placed after every item key by multiplying the factor by the multipliers of the levels
 * below its item. This last numbering is unique by construction: keys of one depth lie
 * below those of the next, and every account key above every item key. The tree, its order
 * and every figure are the same under each numbering; keys are 64-bit.
 */
class PianoChiavi {
public:
    /// Plans the item keys of `struttura`, as yet without accounts.
    explicit PianoChiavi(const StrutturaCriterio& struttura);

    /// Plans again with the number of accounts each item (by its index in the structure)
    /// will show; true when the item keys changed. KeyVoceError when no numbering fits.
    bool impostaConti(const std::vector<std::int64_t>& contiPerVoce);

    std::int64_t chiaveVoce(int indice) const { return m_chiavi.at(std::size_t(indice)); }
    /// Key of the account with `ordinale` (1, 2, ...) under the item at `indice`.
    std::int64_t chiaveConto(int indice, std::int64_t ordinale) const;

    SchemaChiavi schema() const { return m_schema; }
    /// Why the items' positions could not give the keys; empty with SchemaChiavi::Posizioni.
    const QString& motivo() const { return m_motivo; }
    /// The numbering in a line for the log: scheme, multipliers by level, account factor.
    QString descrizione() const;

private:
    void scegli();

    const StrutturaCriterio& m_struttura;
    std::vector<std::int64_t> m_conti;
    SchemaChiavi m_schema = SchemaChiavi::Posizioni;
    QString m_motivo;
    std::vector<std::int64_t> m_moltiplicatori;
    std::vector<std::int64_t> m_chiavi;
    std::vector<std::int64_t> m_fattori;
};

} // namespace bdg
